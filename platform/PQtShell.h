// The shell on Linux: type names from the freedesktop MIME database, icons from the icon theme,
// registered in the icon registry. Needs a QGuiApplication for icons; type names work without one.
#pragma once

#include "platform/PShell.h"

#include <QMimeDatabase>

namespace platform {

class TQtShell : public TShell {
public:
    int ExtensionIcon(const std::string& extension, bool open, std::string& typeName) override;
    [[nodiscard]] std::string PathType(const std::string& path) const override;
    int PathTypeIcon(const std::string& type, bool open, std::string& typeName) override;
    int ComputerIcon() override;
    int NetworkIcon() override;
    int ProgramIcon() override;
    int DriveIcon(bool removable, bool remote) override;
    std::string ComputerName() override;
    std::string DriveDisplayName(const std::string& mountPoint) override;
    std::string MimeTypeName(const std::string& mimeType) override;
    bool OpenInBrowser(const std::string& page) override;

    // The type name of a MIME type, empty for the default type (which says nothing).
    static std::string TypeNameOf(const QMimeType& type);

private:
    int MimeIcon(const QMimeType& type);
    int FolderIcon(bool open);
    QMimeDatabase FDatabase;
};

// Installs one TQtShell as the program's shell (call once the QApplication exists).
void InstallQtShell();

} // namespace platform
