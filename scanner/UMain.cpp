#include "scanner/UMain.h"

#include "platform/PConsole.h"
#include "platform/PMounts.h"
#include "platform/PWorkerThread.h"
#include "scanner/UScan.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>

namespace scanner {

void WriteLn(TConsole& console, std::string_view text) {
    console.out << text << '\n';
    console.out.flush();
}

namespace {

// ShowUsage and ShowError end the program; RunScanner turns this into its exit status.
struct TScannerExit {
    int status;
};

std::string Upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

[[noreturn]] void ShowUsage(TConsole& console) {
    static const char* const kPage1[] = {
        "",
        "  Usage:",
        "",
        "    txscan [OutputOptions] ScanOptions",
        "",
        "  OutputOptions: (Select only ONE option /o or /n)",
        "",
        "    /o FileName.txf  : Destination file where the scans will be saved",
        "                       If the file exists it will be overwritten",
        "    /n FileName.txf  : Destination file where the scans will be saved",
        "                       If the file exists it will not be overwritten",
        "                       A number will be appended to FileName instead.",
        "",
        "    Note: if no option is specified, a filename will be generated",
        "",
        "  ScanOptions:",
        "",
        "    /s drive         : scan a specific drive",
        "    /s local path    : scan a specific local path",
        "    /s network path  : scan a specific network path (UNC)",
        "",
    };
    static const char* const kPage2[] = {
        "",
        "  Example:",
        "",
        "    txscan /o /tmp/test.txf /s / /s /home /s \"/home/me/test 1\" /s //Computer1/Share1",
        "",
        "      This example will scan drive /, drive /home, local path /home/me/test 1 and",
        "      network path //Computer1/Share1 and will save result in file /tmp/test.txf",
        "",
        "Note: If there is spaces in your path name, include the complete path between \" \"",
    };
    for (const char* line : kPage1)
        WriteLn(console, line);
    console.out << "Press ENTER for next page ...";
    console.out.flush();
    if (console.inputIsTerminal) {
        std::string line;
        std::getline(console.in, line);
    }
    for (const char* line : kPage2)
        WriteLn(console, line);
    throw TScannerExit{kExitWritten};
}

[[noreturn]] void ShowError(TConsole& console, int code, std::string_view argument = {}) {
    const std::string quoted = "\"" + std::string(argument) + "\"";
    std::string text;
    switch (code) {
    case 1:
        text = "Error: Invalid Parameters " + quoted;
        break;
    case 2:
        text = "Error: Invalid drive or path " + quoted;
        break;
    case 3:
        text = "Error: Invalid FileName " + quoted;
        break;
    case 4:
        text = "Error: Not enough parameters";
        break;
    case 5:
        text = "Error: Duplicate parameters " + quoted;
        break;
    case 6:
        text = "Error: /o cannot be used with /n";
        break;
    default:
        text = "Error: Unable to create a filename";
        break;
    }
    const std::string dashes(std::min<std::size_t>(text.size(), 79), '-');
    WriteLn(console, dashes);
    WriteLn(console, text);
    WriteLn(console, dashes);
    WriteLn(console);
    WriteLn(console, "Type txscan /H for help or usage.");
    throw TScannerExit{kExitCommandLine};
}

bool IsHelp(std::string_view arg) {
    if (arg == "/?" || arg == "?") return true;
    const std::string up = Upper(arg);
    return up == "/H" || up == "H" || up == "-H" || up == "--HELP";
}

enum class TOption { None, Output, NoOverwrite, Target };

TOption OptionOf(std::string_view arg) {
    const std::string up = Upper(arg);
    if (up == "/O" || up == "-O") return TOption::Output;
    if (up == "/N" || up == "-N") return TOption::NoOverwrite;
    if (up == "/S" || up == "-S") return TOption::Target;
    return TOption::None;
}

// The value of "/o" or "/n": ".txf" when it has no extension; any other extension is code 3, and
// so is a value that names no file (empty, or a folder ending in "/"), which would otherwise make
// the hidden file ".txf".
std::string OutputNameOf(TConsole& console, const std::string& value) {
    if (value.empty() || value.back() == '/') ShowError(console, 3, value);
    const std::string ext = FileExtension(value);
    if (ext.empty()) return value + ".txf";
    if (Upper(ext) != ".TXF") {
        WriteLn(console, "Invalid file extension: " + ext);
        WriteLn(console, "Must be .txf");
        ShowError(console, 3, value);
    }
    return value;
}

// Removes the targets that do not exist, from the last to the first.
void CheckTargets(std::vector<TTarget>& targets, TConsole& console) {
    for (std::size_t i = targets.size(); i-- > 0;) {
        const TTarget& t = targets[i];
        const bool ok =
            t.drive ? CheckDrive(t.MountPoint(), console) : CheckFolder(t.path, console, t.Shown());
        if (!ok) targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

int Run(const std::vector<std::string>& args, TConsole& console,
        const std::vector<platform::TMountEntry>& mounts) {
    WriteLn(console, "txscan - Tessalundrix Command Line Scanner v3.1");
    if (args.empty() || (args.size() == 1 && IsHelp(args[0]))) ShowUsage(console);
    if (args.size() < 2) ShowError(console, 4);

    std::string outputName, noOverwriteName;
    std::vector<TTarget> targets;
    const std::string cwd = platform::CurrentDirectory();
    // The shares are read only for a network target: listing them looks into the gvfs mount.
    std::optional<std::vector<platform::TNetworkShare>> shares;
    TOption kind = TOption::None;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i % 2 == 0) {
            kind = OptionOf(arg);
            switch (kind) {
            case TOption::None:
                ShowError(console, 1, arg);
            case TOption::Output:
                if (!outputName.empty()) ShowError(console, 5, arg);
                if (!noOverwriteName.empty()) ShowError(console, 6);
                break;
            case TOption::NoOverwrite:
                if (!noOverwriteName.empty()) ShowError(console, 5, arg);
                if (!outputName.empty()) ShowError(console, 6);
                break;
            case TOption::Target:
                break;
            }
            continue;
        }
        if (kind == TOption::Output) {
            outputName = OutputNameOf(console, arg);
        } else if (kind == TOption::NoOverwrite) {
            noOverwriteName = OutputNameOf(console, arg);
        } else {
            TTarget target;
            if (IsNetworkPath(arg)) {
                // A server and a share at the least: "//a/b" has five characters.
                if (arg.size() < 5) ShowError(console, 2, arg);
                if (!shares) shares = platform::NetworkShares(mounts);
                target = NetworkTarget(arg, *shares);
            } else {
                // A relative target needs the current folder; without it the target cannot be named.
                if (arg.empty() || (arg[0] != '/' && cwd.empty())) ShowError(console, 2, arg);
                target.path = NormaliseTarget(arg, cwd);
                const std::string mountPoint = target.MountPoint();
                target.drive = std::any_of(mounts.begin(), mounts.end(), [&](const platform::TMountEntry& m) {
                    return m.mountPoint == mountPoint;
                });
            }
            const std::string& stored = target.Shown();
            if (stored.size() - (stored.size() > 1 ? 1 : 0) > kMaxTargetText) ShowError(console, 2, arg);
            // Names are case-sensitive here: only the same normalised path is a duplicate.
            const bool seen = std::any_of(targets.begin(), targets.end(), [&](const TTarget& t) {
                return t.path == target.path && t.networkPath == target.networkPath;
            });
            if (!seen) targets.push_back(std::move(target));
        }
    }

    if (outputName.empty() && noOverwriteName.empty())
        noOverwriteName = "TXSCAN" + platform::LocalTimeText("%y%m%d%H%M%S") + ".txf";
    TOutput output{outputName};
    if (!noOverwriteName.empty()) {
        const TNumberedName first = FirstFreeNumberedName(noOverwriteName);
        if (first.exhausted) ShowError(console, 7);
        output = {first.name, first.number, noOverwriteName};
    }

    CheckTargets(targets, console);
    if (targets.empty()) {
        WriteLn(console, NowText() + " - Nothing to do!!!");
        return kExitNothingWritten;
    }
    return SaveScans(targets, output, console) ? kExitWritten : kExitNothingWritten;
}

} // namespace

bool CheckDrive(const std::string& mountPoint, TConsole& console) {
    const std::vector<platform::TMountEntry> mounts = platform::ReadMounts();
    const auto it = std::find_if(mounts.begin(), mounts.end(),
                                 [&](const platform::TMountEntry& m) { return m.mountPoint == mountPoint; });
    if (it == mounts.end()) {
        WriteLn(console, NowText() + " - Error 1022: Drive " + mountPoint + " does not exists. Skipped.");
        return false;
    }
    if (it->kind == platform::kDriveUnknown) {
        WriteLn(console, NowText() + " - Error 1023: Drive " + mountPoint + " does not exists. Skipped.");
        return false;
    }
    return true;
}

bool CheckFolder(const std::string& path, TConsole& console, std::string_view shown) {
    // The folder the user named is looked through when it is a link (the walk below it never is).
    // Asked on a worker: a share that does not answer holds it, never the thread that takes Ctrl+C.
    if (!path.empty() && platform::CallOnWorker<platform::TPathKind>([path] {
                             return platform::PathKindOf(path, true);
                         }) == platform::TPathKind::Directory)
        return true;
    WriteLn(console, NowText() + " - Error 2022: Folder " + std::string(shown.empty() ? path : shown) +
                         " does not exists or cannot be accessed. Skipped.");
    return false;
}

bool IsNetworkPath(std::string_view typed) {
    return typed.size() >= 2 &&
           ((typed[0] == '/' && typed[1] == '/') || (typed[0] == '\\' && typed[1] == '\\'));
}

TTarget NetworkTarget(std::string_view typed, const std::vector<platform::TNetworkShare>& shares) {
    std::string text(typed.substr(2));
    if (typed[0] == '\\') std::replace(text.begin(), text.end(), '\\', '/');
    TTarget target;
    // "//srv/share/x" normalised as the absolute path "/srv/share/x", then given its second "/".
    target.networkPath = "/" + NormaliseTarget("/" + text, "/");
    std::string rest;
    const platform::TNetworkShare* share =
        platform::FindShareOfNetworkPath(shares, target.networkPath, &rest);
    if (!share) return target;
    // Named as the mount table names the share, whatever case was typed.
    target.networkPath = share->uncPath + "/" + (rest.empty() ? "" : rest + "/");
    target.path =
        (share->mountPoint == "/" ? "" : share->mountPoint) + "/" + (rest.empty() ? "" : rest + "/");
    return target;
}

std::string TTarget::MountPoint() const {
    return path.size() > 1 ? path.substr(0, path.size() - 1) : path;
}

std::string NormaliseTarget(std::string_view typed, std::string_view cwd) {
    if (typed.empty()) return {};
    std::string joined;
    if (typed[0] != '/') {
        joined.assign(cwd);
        joined += '/';
    }
    joined += typed;
    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string result = "/";
    for (std::string_view part : parts) {
        result += part;
        result += '/';
    }
    return result;
}

std::string FileExtension(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return std::string(name.substr(dot));
}

std::string NowText() {
    return platform::LocalTimeText("%x %X");
}

std::string NumberedName(const std::string& name, int n) {
    if (n == 0) return name;
    std::string number = std::to_string(n);
    if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
    return name.substr(0, name.size() >= 4 ? name.size() - 4 : 0) + number + ".txf";
}

TNumberedName FirstFreeNumberedName(const std::string& name) {
    TNumberedName result;
    for (int n = 0; n <= kMaxNameNumber; ++n) {
        result.name = NumberedName(name, n);
        result.number = n;
        if (platform::PathKindOf(result.name, false) == platform::TPathKind::Missing) return result;
    }
    result.exhausted = true;
    return result;
}

int RunScanner(const std::vector<std::string>& args, TConsole& console) {
    return RunScanner(args, console, platform::ReadMounts());
}

int RunScanner(const std::vector<std::string>& args, TConsole& console,
               const std::vector<platform::TMountEntry>& mounts) {
    try {
        return Run(args, console, mounts);
    } catch (const TScannerExit& exit) {
        return exit.status;
    }
}

} // namespace scanner
