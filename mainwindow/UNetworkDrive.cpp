#include "mainwindow/UNetworkDrive.h"

namespace mainwindow {

bool IsShareAddress(std::string_view address) {
    const std::size_t colon = address.find("://");
    if (colon == std::string_view::npos || colon == 0 || colon + 3 >= address.size()) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = address[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && c >= '0' && c <= '9') ||
                        (i > 0 && (c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

std::vector<std::string> MapDriveCommand(const std::string& address) {
    return {"gio", "mount", address};
}

std::vector<std::string> DisconnectCommand(const std::string& mountPoint, bool hasGio) {
    if (hasGio) return {"gio", "mount", "-u", mountPoint};
    return {"umount", mountPoint};
}

std::string ShareCaption(const platform::TNetworkShare& share) {
    return share.uncPath + "  on  " + share.mountPoint;
}

} // namespace mainwindow
