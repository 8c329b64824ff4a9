// The exploration-file association (see the header).
#include "viewer/UFileAssociation.h"

#include "platform/PProgramIcon.h"
#include "platform/PSafeFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace viewer {

namespace fs = std::filesystem;

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

bool ReadWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

// A folder's path as the file system resolves it, without a trailing "/", for comparing.
std::string FolderKey(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(path), ec);
    if (ec) p = fs::path(path).lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Writes text to path unless it holds exactly that already; true when it was written. With
// onlyIfPresent a missing file stays missing.
bool WriteIfDifferent(const std::string& path, const std::string& text, TAssociationResult& result,
                      bool onlyIfPresent = false) {
    std::string current;
    const bool present = ReadWhole(path, current);
    if (present && current == text) return false;
    if (!present && onlyIfPresent) return false;
    try {
        std::error_code ec;
        fs::create_directories(fs::path(path).parent_path(), ec);
        platform::TSafeFile file(path);
        file.Stream().Write(text.data(), text.size());
        file.Commit();
        result.written.push_back(path);
        return true;
    } catch (const std::exception&) {
        result.failed.push_back(path); // the other files still go on
        return false;
    }
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

TAssociationPlaces UserAssociationPlaces() {
    const std::string home = EnvOr("HOME", ".");
    TAssociationPlaces places{
        EnvOr("XDG_DATA_HOME", home + "/.local/share"), EnvOr("XDG_CONFIG_HOME", home + "/.config"), {}};
    std::istringstream dirs(EnvOr("XDG_DATA_DIRS", "/usr/local/share/:/usr/share/"));
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty()) places.dataDirs.push_back(dir);
    return places;
}

std::string InstalledDataDir(const std::string& programPath) {
    return FolderKey((fs::path(programPath).parent_path() / TX_DATA_INSTALL_RELATIVE).string());
}

std::string InstalledAssociationDir(const std::string& programPath, const TAssociationPlaces& places) {
    const std::string own = InstalledDataDir(programPath);
    if (!IsFile(own + "/mime/packages/" + kMimePackageName) ||
        !IsFile(own + "/applications/" + kDesktopFileName))
        return {};
    // Installed files count only where the desktop looks for them.
    std::vector<std::string> searched{places.dataHome};
    searched.insert(searched.end(), places.dataDirs.begin(), places.dataDirs.end());
    for (const std::string& dir : searched)
        if (!dir.empty() && FolderKey(dir) == own) return own;
    return {};
}

TToolRunner SystemToolRunner() {
    return [](const std::string& program, const std::vector<std::string>& args) {
        if (std::system(("command -v " + ShellQuote(program) + " >/dev/null 2>&1").c_str()) != 0)
            return false;
        std::string cmd = ShellQuote(program);
        for (const std::string& a : args)
            cmd += " " + ShellQuote(a);
        return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0;
    };
}

std::string MimePackageText() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           std::string(kMimeType) +
           "\">\n"
           "    <comment>Tessalundrix data file</comment>\n"
           "    <icon name=\"" +
           std::string(kMimeIconName) +
           "\"/>\n"
           "    <glob pattern=\"*.txf\"/>\n"
           "    <magic priority=\"50\">\n"
           "      <match type=\"little32\" value=\"0x25AE8\" offset=\"0\"/>\n"
           "    </magic>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string QuoteExecArgument(const std::string& argument) {
    // Inside the quotes ", `, $ and \ take a backslash; the value's own escape doubles each one.
    std::string q = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$') q += "\\\\";
        if (c == '\\') q += "\\\\\\";
        if (c == '%') q += '%'; // a literal % is written %%
        q += c;
    }
    return q + "\"";
}

std::string DesktopEntryText(const std::string& programPath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tessalundrix Viewer\n"
           "Comment=Tessalundrix data file\n"
           "Exec=" +
           QuoteExecArgument(programPath) +
           " %f\n"
           "Icon=" +
           std::string(kProgramIconName) +
           "\n"
           "MimeType=" +
           kMimeType +
           ";\n"
           "Terminal=false\n"
           "Categories=Utility;\n";
}

std::string IconText() {
    return platform::ProgramIconSvg();
}

std::string WithDefaultApplication(const std::string& text) {
    std::istringstream in(text);
    std::string line, out, section;
    bool inDefaults = false, sawDefaults = false, added = false;
    const std::string key = std::string(kMimeType) + "=";
    const std::string entry = key + kDesktopFileName + ";\n";
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            if (inDefaults && !added) {
                out += entry;
                added = true;
            }
            inDefaults = line == "[Default Applications]";
            sawDefaults = sawDefaults || inDefaults;
        } else if (inDefaults && line.rfind(key, 0) == 0 && line.size() > key.size()) {
            return {}; // the user has a default already
        }
        out += line + "\n";
    }
    if (inDefaults && !added) {
        out += entry;
        added = true;
    }
    if (!sawDefaults) {
        if (!out.empty() && out.substr(out.size() - 2) != "\n\n") out += "\n";
        out += "[Default Applications]\n" + entry;
    }
    return out;
}

TAssociationResult RegisterFileAssociation(const std::string& programPath, const TAssociationPlaces& places,
                                           const TToolRunner& run) {
    TAssociationResult result;
    const std::string data = places.dataHome;
    const std::string installed = InstalledAssociationDir(programPath, places);
    // Installed in the data home itself: those are the installed files, left as they are.
    if (!installed.empty() && installed == FolderKey(data)) return result;
    // Installed elsewhere: a file of the user's own hides the installed one, so it is kept current.
    const bool onlyPresent = !installed.empty();
    bool mime =
        WriteIfDifferent(data + "/mime/packages/" + kMimePackageName, MimePackageText(), result, onlyPresent);
    bool desktop = WriteIfDifferent(data + "/applications/" + kDesktopFileName, DesktopEntryText(programPath),
                                    result, onlyPresent);
    bool icons = WriteIfDifferent(data + "/icons/hicolor/scalable/apps/" + kProgramIconName + ".svg",
                                  IconText(), result, onlyPresent);
    icons = WriteIfDifferent(data + "/icons/hicolor/scalable/mimetypes/" + kMimeIconName + ".svg", IconText(),
                             result, onlyPresent) ||
            icons;

    if (installed.empty()) { // the installed desktop entry names the type itself
        const std::string list = places.configHome + "/mimeapps.list";
        std::string current;
        ReadWhole(list, current);
        const std::string wanted = WithDefaultApplication(current);
        if (!wanted.empty()) desktop = WriteIfDifferent(list, wanted, result) || desktop;
    }

    if ((mime || desktop || icons) && run) {
        result.toolsRun = true;
        run("update-mime-database", {data + "/mime"});
        run("update-desktop-database", {data + "/applications"});
    }
    return result;
}

} // namespace viewer
