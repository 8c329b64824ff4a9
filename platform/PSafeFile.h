// Writing a file the user keeps without ever harming the one it replaces: the bytes go to a
// temporary file in the target's folder, which is renamed over the target only once it is
// complete, synced and closed without error. Anything else removes the temporary file.
#pragma once

#include "platform/PFileStream.h"

#include <memory>
#include <string>

namespace platform {

class TSafeFile {
public:
    // Creates the temporary file beside target (".<name>.XXXXXX" in the same folder, so that the
    // rename stays on one file system). A symbolic link as target is followed: the file it names is
    // replaced, the link stays. A target that exists but is no regular file is refused (TFileError).
    explicit TSafeFile(const std::string& target);
    ~TSafeFile(); // without Commit: the temporary file is closed and removed
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // The temporary file; valid until Commit or Discard.
    [[nodiscard]] TFileStream& Stream() { return *FStream; }
    // Syncs and closes the temporary file, gives it the permissions the target had (new files:
    // 0666 less the umask) and renames it over the target. Any failure raises TFileError and
    // removes the temporary file; the target is then as it was.
    void Commit();
    // Closes and removes the temporary file now (a cancelled write).
    void Discard() noexcept;

    [[nodiscard]] const std::string& Target() const { return FTarget; }
    [[nodiscard]] const std::string& TemporaryPath() const { return FTempPath; }
    [[nodiscard]] bool Committed() const { return FCommitted; }

private:
    std::string FTarget; // the file that is replaced (a link resolved)
    std::string FTempPath;
    std::unique_ptr<TFileStream> FStream;
    unsigned FMode = 0;
    bool FCommitted = false;
};

} // namespace platform
