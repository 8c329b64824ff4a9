// The output file of an export: written to a temporary file in the target's folder and renamed
// over the target only when complete, so a cancel or a failure leaves an existing file as it was.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace exportdata {

// A failed write, close or rename; Code is the system's error number.
class EInOutError : public std::runtime_error {
public:
    EInOutError(int code, const std::string& what) : std::runtime_error(what), Code(code) {}
    int Code;
};

class TExportFile {
public:
    TExportFile() = default;
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;
    ~TExportFile(); // discards what was not committed

    // Creates the temporary file beside target; false with Error() set when it cannot be made.
    bool Create(const std::string& target);
    // Buffered; raises EInOutError when the system refuses the bytes.
    void Write(std::string_view bytes);
    void WriteByte(unsigned char b);
    // Flushes and closes the temporary file (raises EInOutError); nothing is renamed yet.
    void Close();
    // Closes if needed and renames the temporary file over the target (raises EInOutError, and
    // then the temporary file is gone and the target untouched).
    void Commit();
    // Closes and removes the temporary file; the target stays as it was.
    void Discard();

    [[nodiscard]] bool IsOpen() const { return FFile != nullptr; }
    [[nodiscard]] int Error() const { return FError; }
    [[nodiscard]] const std::string& TempPath() const { return FTempPath; }

private:
    [[noreturn]] void Fail(int code, const char* what);
    std::FILE* FFile = nullptr;
    std::string FTarget, FTempPath;
    int FError = 0;
};

} // namespace exportdata
