// How the options dialog shows the size units: which of a group's four buttons (0 bytes, 1 KB,
// 2 MB, 3 GB) a stored unit code checks, list and analyser groups falling back to KB, the drive
// group to GB.
#pragma once

namespace mainwindow {

[[nodiscard]] inline int ListUnitButton(int code) {
    return code == 0 || code == 2 || code == 3 ? code : 1;
}
[[nodiscard]] inline int DriveUnitButton(int code) {
    return code >= 0 && code <= 2 ? code : 3;
}

} // namespace mainwindow
