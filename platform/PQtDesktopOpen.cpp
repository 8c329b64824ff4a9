#include "platform/PQtDesktopOpen.h"

#include "platform/PConsole.h"
#include "platform/PMounts.h"
#include "platform/PQtPost.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform {

namespace {

bool Succeeded(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Waits for one opener process through its pidfd, on the GUI thread's event loop. Owned by the
// caller's context: when that goes first, the process is still reaped, but nobody is told.
class TOpenWatch : public QObject {
public:
    TOpenWatch(pid_t pid, int pidfd, QObject* context, std::function<void(bool)> done)
        : QObject(context), FPid(pid), FPidFd(pidfd), FDone(std::move(done)),
          FNotifier(new QSocketNotifier(pidfd, QSocketNotifier::Read, this)) {
        connect(FNotifier, &QSocketNotifier::activated, this, &TOpenWatch::Ended);
    }
    ~TOpenWatch() override {
        if (FPid > 0) {
            const pid_t pid = FPid;
            std::thread([pid] {
                int status = 0;
                waitpid(pid, &status, 0);
            }).detach();
        }
        if (FPidFd >= 0) close(FPidFd);
    }

private:
    void Ended() {
        FNotifier->setEnabled(false);
        int status = 0;
        const pid_t got = waitpid(FPid, &status, WNOHANG);
        if (got == 0) { // not yet: the notifier said so too early
            FNotifier->setEnabled(true);
            return;
        }
        FPid = 0;
        const auto done = std::move(FDone);
        deleteLater();
        if (done) done(got == -1 || Succeeded(status)); // reaped elsewhere: nothing known, nothing said
    }

    pid_t FPid;
    int FPidFd;
    std::function<void(bool)> FDone;
    QSocketNotifier* FNotifier;
};

TDesktopOpener gXdgOpener; // the base class is the xdg-open opener
TDesktopOpener* gOpener = &gXdgOpener;

} // namespace

bool TDesktopOpener::Open(const std::string& path, QObject* context, std::function<void(bool)> done,
                          std::string& error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The opener reads nothing from the program; what it prints goes where the program's own output goes.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "xdg-open", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        error = rc == ENOENT ? "xdg-open is not installed" : std::strerror(rc);
        return false;
    }
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        new TOpenWatch(pid, pidfd, context, std::move(done));
        return true;
    }
    // A kernel without pidfd: a thread waits and hands the outcome to the GUI thread.
    QPointer<QObject> guard(context);
    std::thread([pid, guard, done = std::move(done)]() mutable {
        int status = 0;
        const bool opened = waitpid(pid, &status, 0) == -1 || Succeeded(status);
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [guard, done = std::move(done), opened] {
                    if (guard && done) done(opened);
                },
                Qt::QueuedConnection);
    }).detach();
    return true;
}

TDesktopOpener& DesktopOpener() {
    return *gOpener;
}

void SetDesktopOpener(TDesktopOpener* opener) {
    gOpener = opener ? opener : &gXdgOpener;
}

namespace {
void OpenPath(const std::string& path, bool folder, QObject* context,
              const std::function<void(TOpenOutcome)>& done) {
    if (path.empty()) {
        done(TOpenOutcome::Missing);
        return;
    }
    // What the path is, asked on a worker: a file system that does not answer in time makes it
    // one that cannot be accessed from here.
    auto opened = [path, folder, context, done](const TPathCheck& check) {
        if (!check.answered || check.kind == TPathKind::Missing ||
            (check.kind == TPathKind::Directory) != folder) {
            done(TOpenOutcome::Missing);
            return;
        }
        std::string error;
        auto told = [done](bool ok) { done(ok ? TOpenOutcome::Opened : TOpenOutcome::NotOpened); };
        if (!DesktopOpener().Open(path, context, told, error)) done(TOpenOutcome::NotOpened);
    };
    TellWithin<TPathCheck>(StartPathCheck(path, true, kSpaceTimeLimitMs), kSpaceTimeLimitMs, TPathCheck{},
                           context, opened);
}
} // namespace

void OpenFolder(const std::string& path, QObject* context, const std::function<void(TOpenOutcome)>& done) {
    OpenPath(path, true, context, done);
}

void OpenFile(const std::string& path, QObject* context, const std::function<void(TOpenOutcome)>& done) {
    OpenPath(path, false, context, done);
}

} // namespace platform
