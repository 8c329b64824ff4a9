// Writing a file the user keeps without ever harming the one it replaces: the bytes go to a
// temporary file in the target's folder, which takes the target's place only once it is
// complete, synced and closed without error. Anything else leaves no trace.
//
// Where the file system supports it, the temporary file has no name at all (O_TMPFILE): a process
// killed at any moment (kill -9 included) leaves nothing behind. It gets a name only when it is
// complete: the target's own when there is no target yet (linkat, which never replaces anything),
// else a hidden name that is renamed over the target at once (the only moment something can be
// left: between two system calls). Elsewhere it is a hidden named file from the start
// (".<name>.XXXXXX"), removed on every failure.
#pragma once

#include "platform/PFileStream.h"

#include <memory>
#include <string>

namespace platform {

class TSafeFile {
public:
    // How the temporary file is made.
    enum class TTempKind {
        Best,  // unnamed where the file system can, else named
        Named, // always named (the way of file systems without unnamed files)
    };

    // Prepares the temporary file beside target (in the same folder, so that the rename stays on
    // one file system). A symbolic link as target is written through: the file it names (at the
    // end of a chain of links, relative ones read from their own folder) is replaced or, when the
    // link dangles, created; the link stays. A loop of links, and a target that exists but is no
    // regular file, are refused (TFileError).
    explicit TSafeFile(const std::string& target, TTempKind kind = TTempKind::Best);
    ~TSafeFile(); // without Commit: the temporary file is closed and removed
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // The temporary file; valid until Commit or Discard.
    [[nodiscard]] TFileStream& Stream() { return *FStream; }
    // Syncs the temporary file, gives it the permissions the target had (new files: 0666 less the
    // umask), puts it in the target's place and closes it. Any failure raises TFileError and
    // removes the temporary file; the target is then as it was.
    void Commit();
    // Closes and removes the temporary file now (a cancelled write).
    void Discard() noexcept;

    // The file that is replaced (links resolved).
    [[nodiscard]] const std::string& Target() const { return FTarget; }
    // The named temporary file, or "" while the temporary file has no name.
    [[nodiscard]] const std::string& TemporaryPath() const { return FTempPath; }
    [[nodiscard]] bool Committed() const { return FCommitted; }
    [[nodiscard]] bool Unnamed() const { return FUnnamed; }

private:
    std::string FTarget;
    std::string FFolder; // the target's folder, with its "/" ("" for the current folder)
    std::string FTempPath;
    std::unique_ptr<TFileStream> FStream;
    unsigned FMode = 0;
    bool FCommitted = false;
    bool FUnnamed = false;
};

// The file a write to path lands in: path itself, or the end of the chain of symbolic links it
// starts (existing or not). A chain of more than 40 links (a loop) raises TFileError (ELOOP).
[[nodiscard]] std::string ResolveWriteTarget(const std::string& path);

} // namespace platform
