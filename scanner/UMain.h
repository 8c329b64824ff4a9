// The command line of txscan: banner, usage pages, options and their errors, the targets, the
// output name (given, or generated and numbered so that no file is overwritten) and the exit status.
#pragma once

#include "platform/PMounts.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace scanner {

// Exit statuses: a file was written or the usage was asked for; nothing was written; a command-line
// error (codes 1 to 7).
enum : int { kExitWritten = 0, kExitNothingWritten = 1, kExitCommandLine = 2 };

// The console the program talks to; tests give string streams.
struct TConsole {
    std::ostream& out;
    std::istream& in;
    bool inputIsTerminal = false; // "Press ENTER" waits for a line only then
};

// Prints one line and flushes it (progress lines must show while the walk runs).
void WriteLn(TConsole& console, std::string_view text = {});

// One target of "/s": an absolute path normalised with a trailing "/" (the root stays "/").
struct TTarget {
    std::string path;
    bool drive = false; // exactly the mount point of a drive: written as a drive record
    // A network target: its network path ("//server/share/folder/"), which the file records and the
    // messages show, while path is the folder walked below the share's mount point ("" when the
    // share is not mounted). Empty for a local target.
    std::string networkPath;

    // The mount point of a drive target: the path without its trailing "/" ("/" for the root).
    [[nodiscard]] std::string MountPoint() const;
    // What the messages and the file name the target by: its network path, else its path.
    [[nodiscard]] const std::string& Shown() const { return networkPath.empty() ? path : networkPath; }
};

// The longest string the exploration file can encode; a target whose path is longer is refused.
inline constexpr std::size_t kMaxTargetText = 65535;

// Makes typed absolute (relative to cwd, which has no trailing "/") and normalises it by its text:
// repeated "/" and "." drop out, ".." takes away the component before it (never above the root),
// and the result ends with "/". Symbolic links are not looked at. Empty when typed is empty.
[[nodiscard]] std::string NormaliseTarget(std::string_view typed, std::string_view cwd);

// A network path as typed: "//server/share..." or "\\\\server\\share...".
[[nodiscard]] bool IsNetworkPath(std::string_view typed);
// The target a network path names: the share mounted from it (platform::FindShareOfNetworkPath),
// walked at its mount point and named by the share's network path with the folders typed below it.
// A path that no mounted share holds keeps its normalised network path and an empty path.
[[nodiscard]] TTarget NetworkTarget(std::string_view typed,
                                    const std::vector<platform::TNetworkShare>& shares);

// The extension of the last component of a file name, from its last "." ("" when none).
[[nodiscard]] std::string FileExtension(std::string_view name);

// {now}: the local date and time in the locale's short date and long time form.
[[nodiscard]] std::string NowText();

// The numbered forms of a "/n" name: n = 0 is the name itself; n from 1 to kMaxNameNumber is the
// name without its last 4 characters (its ".txf"), n with at least three digits, and ".txf".
inline constexpr int kMaxNameNumber = 99999;
[[nodiscard]] std::string NumberedName(const std::string& name, int n);

// The first numbered form of name that no entry has now (a dangling link is one). Nothing is
// created: the file takes its name only when complete, passing to the next numbers should this
// one be taken meanwhile (SaveScans), so that an interrupted scan leaves no file behind.
struct TNumberedName {
    std::string name;
    int number = 0;
    bool exhausted = false; // every number from 0 to kMaxNameNumber is taken
};
[[nodiscard]] TNumberedName FirstFreeNumberedName(const std::string& name);

// A drive target still mounted as a drive; else its 1022 (gone) or 1023 (of no known kind) line.
bool CheckDrive(const std::string& mountPoint, TConsole& console);
// A folder target that names a folder (a link to one counts: the user named it); else its 2022 line,
// naming the folder as shown (path when empty).
bool CheckFolder(const std::string& path, TConsole& console, std::string_view shown = {});

// The whole program after its banner: arguments without the program name; gives the exit status.
int RunScanner(const std::vector<std::string>& args, TConsole& console);
// The same on a given mount table (ReadMounts' drives), which names the drives and network shares.
int RunScanner(const std::vector<std::string>& args, TConsole& console,
               const std::vector<platform::TMountEntry>& mounts);

} // namespace scanner
