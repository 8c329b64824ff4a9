// Opening a file or folder with the desktop's default application (the file manager for a folder)
// through xdg-open, with the name's bytes handed over unchanged (a URL or a QString could not carry
// a name that is no UTF-8). xdg-open returns once the application has started (with no desktop of
// its own, once it has ended); any status but 0 means the desktop could not open the path: no
// application or file manager is set up, or it failed. The status is awaited without blocking.
#pragma once

#include <functional>
#include <string>

class QObject;

namespace platform {

class TDesktopOpener {
public:
    virtual ~TDesktopOpener() = default;
    // Starts opening path. done comes later, on the GUI thread, with true when the desktop opened
    // it; it never comes once context is destroyed. False at once, with error and without done,
    // when the opener cannot be started.
    virtual bool Open(const std::string& path, QObject* context, std::function<void(bool opened)> done,
                      std::string& error);
};

// What came of handing a path to the desktop: opened; no such folder or file here (gone, or a
// path of a file written on another computer); or there, but nothing on the desktop opened it
// (no application or file manager is set up, the opener is missing, or it failed).
enum class TOpenOutcome { Opened, Missing, NotOpened };

// Shows the folder at path in the file manager through the program's opener. done comes later, on
// the GUI thread: once a worker has found path no folder here (or its file system did not answer
// within the time limit of free space: it cannot be accessed), or the opener could not start, or
// the opener has answered; at once only for an empty path.
void OpenFolder(const std::string& path, QObject* context, const std::function<void(TOpenOutcome)>& done);
// Opens the file at path with the desktop's application for its type, told as OpenFolder tells.
void OpenFile(const std::string& path, QObject* context, const std::function<void(TOpenOutcome)>& done);

// The program's opener (xdg-open unless another is set); never null.
TDesktopOpener& DesktopOpener();
// Installs opener (not owned; it must outlive its use) or, with nullptr, the xdg-open one again.
void SetDesktopOpener(TDesktopOpener* opener);

} // namespace platform
