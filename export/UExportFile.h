// The output file of an export: a buffered writer on the platform's safe file, so that the bytes go
// to a temporary file in the target's folder, renamed over the target only when complete; a cancel
// or a failure leaves an existing file as it was.
#pragma once

#include "platform/PFileStream.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {
class TSafeFile;
}

namespace exportdata {

class TExportFile {
public:
    TExportFile();
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;
    ~TExportFile(); // discards what was not committed

    // Creates the temporary file beside target; false with Error() (an errno value) set when it
    // cannot be made.
    bool Create(const std::string& target);
    // Buffered; a write the system refuses raises platform::TFileError.
    void Write(std::string_view bytes);
    void WriteByte(unsigned char b);
    // Hands the buffered bytes to the file (raises platform::TFileError); nothing is renamed yet.
    void Close();
    // Writes what is left and renames the temporary file over the target (raises
    // platform::TFileError, and then the temporary file is gone and the target untouched).
    void Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

    [[nodiscard]] bool IsOpen() const { return FFile != nullptr; }
    [[nodiscard]] int Error() const { return FError; }

private:
    void Flush();
    std::unique_ptr<platform::TSafeFile> FFile;
    std::string FBuffer;
    int FError = 0;
};

} // namespace exportdata
