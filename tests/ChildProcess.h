// Runs part of a test in a child process of its own (to unshare a mount namespace, say): the body
// returns the child's exit status, or calls skip(why), which ends the child and hands why to the
// test, so that the test can skip with the true reason.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace txtest {

struct TChildResult {
    int status = -1;        // the child's exit status; -1 when it did not exit by itself
    std::string skipReason; // set when the child skipped
    [[nodiscard]] bool Skipped() const { return !skipReason.empty(); }
};

using TSkip = std::function<void(const std::string& why)>;

// body runs in the child after fork; it must neither return into the test's own code nor throw.
inline TChildResult RunInChild(const std::function<int(const TSkip& skip)>& body) {
    constexpr int kSkipped = 77;
    TChildResult result;
    int reason[2];
    if (::pipe(reason) != 0) return result;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(reason[0]);
        ::close(reason[1]);
        return result;
    }
    if (pid == 0) {
        ::close(reason[0]);
        const TSkip skip = [&](const std::string& why) {
            const std::string said = why.empty() ? "skipped" : why;
            (void)!::write(reason[1], said.data(), said.size());
            ::_exit(kSkipped);
        };
        ::_exit(body(skip));
    }
    ::close(reason[1]);
    std::string why;
    char buffer[512];
    for (ssize_t n; (n = ::read(reason[0], buffer, sizeof buffer)) > 0;)
        why.append(buffer, static_cast<std::size_t>(n));
    ::close(reason[0]);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return result;
    result.status = WEXITSTATUS(status);
    if (result.status == kSkipped) result.skipReason = why;
    return result;
}

} // namespace txtest
