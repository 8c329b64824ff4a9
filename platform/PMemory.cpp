#include "platform/PMemory.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace platform {

std::optional<std::uint64_t> ParseAvailableMemory(std::string_view meminfo) {
    constexpr std::string_view key = "MemAvailable:";
    std::size_t at = 0;
    while (at < meminfo.size()) {
        const std::size_t end = std::min(meminfo.find('\n', at), meminfo.size());
        std::string_view line = meminfo.substr(at, end - at);
        at = end + 1;
        if (line.substr(0, key.size()) != key) continue;
        line.remove_prefix(key.size());
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        std::uint64_t kb = 0;
        std::size_t digits = 0;
        for (; digits < line.size() && line[digits] >= '0' && line[digits] <= '9'; ++digits) {
            if (kb > (UINT64_MAX >> 10) / 10) return std::nullopt; // beyond any machine
            kb = kb * 10 + static_cast<std::uint64_t>(line[digits] - '0');
        }
        if (digits == 0) return std::nullopt;
        return kb << 10; // the figure is in kB (KiB)
    }
    return std::nullopt;
}

std::optional<std::uint64_t> AvailableMemory() {
    const int fd = ::open("/proc/meminfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text(8192, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    return ParseAvailableMemory(text);
}

} // namespace platform
