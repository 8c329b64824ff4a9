// How much memory the machine can still give without swapping: MemAvailable of /proc/meminfo.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// MemAvailable in bytes; nothing when the figure cannot be read.
[[nodiscard]] std::optional<std::uint64_t> AvailableMemory();
// The MemAvailable figure of a /proc/meminfo text, in bytes; nothing when it has none.
[[nodiscard]] std::optional<std::uint64_t> ParseAvailableMemory(std::string_view meminfo);

} // namespace platform
