#include "platform/PConsole.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

std::string CurrentDirectory() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(std::strlen(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return {};
    char text[256];
    const std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

TPathKind PathKindOf(const std::string& path, bool followLink) {
    struct stat st {};
    if ((followLink ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) != 0) return TPathKind::Missing;
    return S_ISDIR(st.st_mode) ? TPathKind::Directory : TPathKind::Other;
}

namespace {

// Paths longer than this are not guarded; the scanner's output names are far shorter.
constexpr std::size_t kGuardedPathMax = 8192;
// The signals whose default action ends the process and that a user or a session sends.
constexpr int kGuarded[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
char gFirst[kGuardedPathMax];
char gSecond[kGuardedPathMax];
volatile std::sig_atomic_t gArmed = 0;

extern "C" void OnInterrupt(int signal) {
    if (gArmed) {
        if (gFirst[0] != '\0') unlink(gFirst);
        if (gSecond[0] != '\0') unlink(gSecond);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void CopyGuarded(char* into, const std::string& path) {
    const std::size_t n = path.size() < kGuardedPathMax ? path.size() : 0;
    std::memcpy(into, path.data(), n);
    into[n] = '\0';
}

} // namespace

void InstallInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The others are blocked while one runs, so the files are removed once.
    for (int signal : kGuarded)
        sigaddset(&action.sa_mask, signal);
    for (int signal : kGuarded)
        sigaction(signal, &action, nullptr);
    // A console that went away must not end the run: the file is still written, and only the
    // progress lines are lost.
    std::signal(SIGPIPE, SIG_IGN);
}

void ArmInterruptCleanup(const std::string& first, const std::string& second) {
    gArmed = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    CopyGuarded(gFirst, first);
    CopyGuarded(gSecond, second);
    // The handler must see the paths complete before it sees the flag.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    gArmed = 1;
}

void DisarmInterruptCleanup() {
    gArmed = 0;
}

static_assert(sizeof(sigset_t) <= sizeof(unsigned long[16]), "the saved mask must hold a sigset_t");

TInterruptBlock::TInterruptBlock() {
    sigset_t block;
    sigemptyset(&block);
    for (int signal : kGuarded)
        sigaddset(&block, signal);
    sigprocmask(SIG_BLOCK, &block, reinterpret_cast<sigset_t*>(FSaved));
}

TInterruptBlock::~TInterruptBlock() {
    sigprocmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(FSaved), nullptr);
}

} // namespace platform
