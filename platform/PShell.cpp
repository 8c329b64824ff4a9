#include "platform/PShell.h"

namespace platform {

int TShell::ExtensionIcon(const std::string&, bool, std::string& typeName) {
    typeName.clear();
    return -1;
}
int TShell::PathIcon(const std::string& path, bool open, std::string& typeName) {
    return PathTypeIcon(PathType(path), open, typeName);
}
std::string TShell::PathType(const std::string&) const {
    return {};
}
int TShell::PathTypeIcon(const std::string&, bool, std::string& typeName) {
    typeName.clear();
    return -1;
}
int TShell::ComputerIcon() { return -1; }
int TShell::NetworkIcon() { return -1; }
int TShell::ProgramIcon() { return -1; }
int TShell::DriveIcon(bool, bool) { return -1; }
std::string TShell::ComputerName() { return {}; }
std::string TShell::DriveDisplayName(const std::string& mountPoint) { return mountPoint; }
std::string TShell::MimeTypeName(const std::string&) { return {}; }
bool TShell::OpenInBrowser(const std::string&) { return false; }

namespace {
TShell gDefaultShell;
TShell* gShell = &gDefaultShell;
} // namespace

TShell& Shell() { return *gShell; }
void SetShell(TShell* shell) { gShell = shell ? shell : &gDefaultShell; }

} // namespace platform
