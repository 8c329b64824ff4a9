// What a console program asks of the system: the terminal, the current folder, the local time as
// text, whether a path is a folder, and removal of its files on Ctrl+C.
#pragma once

#include <string>

namespace platform {

// True when standard input is a terminal (a prompt may then wait for a line).
[[nodiscard]] bool StandardInputIsTerminal();

// The absolute current folder without a trailing "/" ("/" for the root); empty when unknown.
[[nodiscard]] std::string CurrentDirectory();

// The local date and time now, formatted by strftime in the locale set by setlocale.
[[nodiscard]] std::string LocalTimeText(const char* format);

// What a path names; followLink: a symbolic link as last component is looked through.
enum class TPathKind { Missing, Directory, Other };
[[nodiscard]] TPathKind PathKindOf(const std::string& path, bool followLink);

// Files that must not survive an interruption. While armed, SIGINT, SIGTERM, SIGHUP and SIGQUIT
// remove the two paths (either may be empty) and then end the process by the signal's default
// action. The paths are copied into fixed buffers, so the handler never allocates. SIGPIPE is
// ignored from then on: a closed console makes writes to it fail instead of ending the process.
void InstallInterruptCleanup();
void ArmInterruptCleanup(const std::string& first, const std::string& second);
void DisarmInterruptCleanup();

// Holds those four signals back while it lives (they arrive when it ends), so that the
// files to remove and the files on disk never disagree: while a temporary file is being created,
// or renamed into place.
class TInterruptBlock {
public:
    TInterruptBlock();
    ~TInterruptBlock();
    TInterruptBlock(const TInterruptBlock&) = delete;
    TInterruptBlock& operator=(const TInterruptBlock&) = delete;

private:
    unsigned long FSaved[16]; // the signal mask before (a sigset_t, without the header)
};

} // namespace platform
