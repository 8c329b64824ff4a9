#include "export/UExportFile.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace exportdata {

namespace fs = std::filesystem;

TExportFile::~TExportFile() { Discard(); }

bool TExportFile::Create(const std::string& target) {
    Discard();
    FTarget = target;
    const fs::path path(target);
    std::random_device random;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const fs::path temp = path.parent_path() / ("." + path.filename().string() + ".tmp" +
                                                    std::to_string(random() % 1000000000u));
        errno = 0;
        // "x": never reuse or clobber a file that happens to carry the name.
        FFile = std::fopen(temp.c_str(), "wbx");
        if (FFile) {
            FTempPath = temp.string();
            FError = 0;
            return true;
        }
        if (errno != EEXIST) break;
    }
    FError = errno ? errno : EIO;
    return false;
}

void TExportFile::Fail(int code, const char* what) {
    FError = code ? code : EIO;
    throw EInOutError(FError, std::string(what) + ": " + std::error_code(FError, std::generic_category()).message());
}

void TExportFile::Write(std::string_view bytes) {
    if (!FFile) Fail(EBADF, "write");
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), FFile) != bytes.size()) Fail(errno, "write");
}

void TExportFile::WriteByte(unsigned char b) {
    if (!FFile) Fail(EBADF, "write");
    if (std::fputc(b, FFile) == EOF) Fail(errno, "write");
}

void TExportFile::Close() {
    if (!FFile) return;
    std::FILE* file = FFile;
    FFile = nullptr;
    errno = 0;
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed) Fail(flushError, "write");
    if (!closed) Fail(errno, "close");
}

void TExportFile::Commit() {
    if (FTempPath.empty()) Fail(EBADF, "commit");
    try {
        Close();
    } catch (...) {
        Discard();
        throw;
    }
    std::error_code ec;
    // An existing target keeps its permission bits.
    const fs::file_status old = fs::status(FTarget, ec);
    if (!ec && fs::is_regular_file(old)) fs::permissions(FTempPath, old.permissions(), ec);
    fs::rename(FTempPath, FTarget, ec);
    if (ec) {
        Discard();
        Fail(ec.value(), "rename");
    }
    FTempPath.clear();
}

void TExportFile::Discard() {
    if (FFile) {
        std::fclose(FFile);
        FFile = nullptr;
    }
    if (!FTempPath.empty()) {
        std::error_code ec;
        fs::remove(FTempPath, ec);
        FTempPath.clear();
    }
}

} // namespace exportdata
