// Mapping and disconnecting network shares: the command lines and the choice of shares, apart from
// the window. The programs run through a runner that tests replace, so no test mounts anything.
#pragma once

#include "platform/PMounts.h"

#include <string>
#include <string_view>
#include <vector>

namespace mainwindow {

// Runs external programs for the network commands.
class TProgramRunner {
public:
    virtual ~TProgramRunner() = default;
    // True when the program can be found on the search path.
    [[nodiscard]] virtual bool Has(const std::string& program) = 0;
    // Runs argv (argv[0] the program) to its end; the exit code (-1: it could not be started) and
    // what it wrote to its standard error.
    virtual int Run(const std::vector<std::string>& argv, std::string& errors) = 0;
};

// A share address names a protocol ("smb://server/share", "sftp://host/path", ...).
[[nodiscard]] bool IsShareAddress(std::string_view address);

// gio mount ADDRESS.
[[nodiscard]] std::vector<std::string> MapDriveCommand(const std::string& address);
// gio mount -u MOUNTPOINT where gio exists, else umount MOUNTPOINT.
[[nodiscard]] std::vector<std::string> DisconnectCommand(const std::string& mountPoint, bool hasGio);

// The line the disconnect list shows for a share: its network path and where it is mounted.
[[nodiscard]] std::string ShareCaption(const platform::TNetworkShare& share);

inline constexpr const char* kNoGioMessage =
    "The gio program was not found: network shares cannot be mounted.\n\r\n\rInstall the package "
    "libglib2.0-bin to map drives.";

} // namespace mainwindow
