// What the model asks of the desktop shell: type names, icons and display names. The model sees
// only this interface; the Qt build installs an implementation on the MIME database and the icon
// theme, and programs without a desktop (the console scanner, the benchmarks) keep the default,
// which knows no type names and no icons.
#pragma once

#include <string>

namespace platform {

class TShell {
public:
    virtual ~TShell() = default;

    // Type name and icon of a file named by its extension only (upper case, no dot; empty for none).
    // Gives the icon index, or -1; typeName is the shell's description, empty when it has none.
    virtual int ExtensionIcon(const std::string& extension, bool open, std::string& typeName);
    // Icon and type name of the object at path (its own icon, read from the file where the shell does).
    // The same as PathTypeIcon (PathType (path), ...).
    virtual int PathIcon(const std::string& path, bool open, std::string& typeName);
    // The two halves of PathIcon, so that the file system is asked on a worker: what the object at
    // path is ("" when the shell cannot tell), from any thread; then its icon and type name, on
    // the GUI thread, without a call into the file system.
    [[nodiscard]] virtual std::string PathType(const std::string& path) const;
    virtual int PathTypeIcon(const std::string& type, bool open, std::string& typeName);
    // Icons of the special containers and of the running program; -1 when unknown.
    virtual int ComputerIcon();
    virtual int NetworkIcon();
    virtual int ProgramIcon();
    virtual int DriveIcon(bool removable, bool remote);
    // Display name of the computer container ("" when the shell has none).
    virtual std::string ComputerName();
    // Display name of a drive given its mount point ("" when the shell has none).
    virtual std::string DriveDisplayName(const std::string& mountPoint);
    // The type name the shell gives files of a MIME type ("text/plain"); "" when it has none.
    virtual std::string MimeTypeName(const std::string& mimeType);
    // Shows a local page (an HTML file) in the desktop's web browser; false when no browser took it.
    virtual bool OpenInBrowser(const std::string& page);
};

// The installed shell; never null (the default shell until another is installed).
TShell& Shell();
// Installs shell (not owned; it must outlive its use) or, with nullptr, the default again.
void SetShell(TShell* shell);

} // namespace platform
