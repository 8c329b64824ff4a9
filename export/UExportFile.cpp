#include "export/UExportFile.h"

#include "platform/PSafeFile.h"

#include <cerrno>

namespace exportdata {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

TExportFile::TExportFile() = default;

TExportFile::~TExportFile() {
    Discard();
}

bool TExportFile::Create(const std::string& target) {
    Discard();
    try {
        FFile = std::make_unique<platform::TSafeFile>(target);
    } catch (const platform::TFileError& e) {
        FError = e.Code() ? e.Code() : EIO;
        return false;
    }
    FError = 0;
    return true;
}

void TExportFile::Flush() {
    if (!FFile) throw platform::TFileError("write: the file is not open", EBADF);
    if (FBuffer.empty()) return;
    const std::string bytes = std::move(FBuffer);
    FBuffer.clear();
    FFile->Stream().Write(bytes.data(), bytes.size());
}

void TExportFile::Write(std::string_view bytes) {
    if (!FFile) throw platform::TFileError("write: the file is not open", EBADF);
    FBuffer.append(bytes);
    if (FBuffer.size() >= kBufferSize) Flush();
}

void TExportFile::WriteByte(unsigned char b) {
    if (!FFile) throw platform::TFileError("write: the file is not open", EBADF);
    FBuffer += static_cast<char>(b);
    if (FBuffer.size() >= kBufferSize) Flush();
}

void TExportFile::Close() {
    if (FFile) Flush();
}

void TExportFile::Commit() {
    try {
        Flush();
        FFile->Commit();
    } catch (...) {
        Discard();
        throw;
    }
    FFile.reset();
}

void TExportFile::Discard() {
    FBuffer.clear();
    FFile.reset(); // an uncommitted safe file removes its temporary file
}

} // namespace exportdata
