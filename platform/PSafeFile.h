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
//
// A file that must never replace anything (a numbered name) takes its name the same way, only
// when complete, and only a name that no entry has: a name taken meanwhile is passed over.
#pragma once

#include "platform/PFileStream.h"

#include <functional>
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

    // What the finished file does to its name.
    enum class TClaim {
        Replace, // takes target's place, replacing the file there (Commit)
        NewName, // takes a name that no entry has (CommitAsNew); target only names the folder
    };

    // Prepares the temporary file beside target (in the same folder, so that the rename stays on
    // one file system). To replace: a symbolic link as target is written through: the file it
    // names (at the end of a chain of links, relative ones read from their own folder) is
    // replaced or, when the link dangles, created; the link stays. A loop of links, and a target
    // that exists but is no regular file, are refused (TFileError). For a new name, target is
    // taken as it stands: links are not followed, since an existing entry is never written.
    explicit TSafeFile(const std::string& target, TTempKind kind = TTempKind::Best,
                       TClaim claim = TClaim::Replace);
    ~TSafeFile(); // without Commit: the temporary file is closed and removed
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // The temporary file; valid until Commit or Discard.
    [[nodiscard]] TFileStream& Stream() { return *FStream; }
    // Syncs the temporary file, gives it the permissions the target had (new files: 0666 less the
    // umask), puts it in the target's place and closes it. Any failure raises TFileError and
    // removes the temporary file; the target is then as it was.
    void Commit();
    // For TClaim::NewName: syncs as Commit does, gives the file the permissions of a new file,
    // and puts it under the first of nameOf(0), nameOf(1), ... that no entry has (a dangling link
    // counts as one), each in the target's folder; nameOf gives "" when there are no more. No
    // entry is ever replaced, and the name is taken in one step (linkat of the unnamed file;
    // renameat2 without replacing, or link(2), of a named one). Gives the name taken. Every name
    // taken: TFileError (EEXIST); any failure removes the temporary file.
    std::string CommitAsNew(const std::function<std::string(int)>& nameOf);
    // Closes and removes the temporary file now (a cancelled write).
    void Discard() noexcept;

    // The file that is replaced (links resolved).
    [[nodiscard]] const std::string& Target() const { return FTarget; }
    // The named temporary file, or "" while the temporary file has no name.
    [[nodiscard]] const std::string& TemporaryPath() const { return FTempPath; }
    [[nodiscard]] bool Committed() const { return FCommitted; }
    [[nodiscard]] bool Unnamed() const { return FUnnamed; }

private:
    // Syncs, sets the permissions, runs place (which puts the file under its name and clears
    // FTempPath once no temporary name is left) and closes; on failure removes the file.
    void Finish(const std::function<void()>& place);
    void PlaceOverTarget();
    void PlaceUnderNewName(const std::function<std::string(int)>& nameOf);
    // Gives the finished file the name path when no entry has it: 0, EEXIST or another errno value.
    int LinkAsNew(const std::string& path);
    [[nodiscard]] std::string SelfPath() const; // the unnamed file by its /proc name

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
