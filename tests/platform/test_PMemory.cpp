// The MemAvailable figure of /proc/meminfo.
#include "platform/PMemory.h"

#include <gtest/gtest.h>

using platform::ParseAvailableMemory;

TEST(Memory, AvailableFromMeminfoText) {
    const struct {
        const char* text;
        std::optional<std::uint64_t> bytes;
    } cases[] = {
        {"MemTotal:       24576000 kB\nMemFree:         1000 kB\nMemAvailable:   16000000 kB\n",
         16000000ull << 10},
        {"MemAvailable:0 kB\n", 0},
        {"MemAvailable:   12 kB", 12ull << 10}, // no final line break
        {"MemTotal: 5 kB\n", std::nullopt},
        {"XMemAvailable: 5 kB\n", std::nullopt},
        {"MemAvailable: kB\n", std::nullopt},
        {"MemAvailable: 99999999999999999999999 kB\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAvailableMemory(c.text), c.bytes) << c.text;
}

TEST(Memory, TheMachineTellsItsFigure) {
    const auto available = platform::AvailableMemory();
    ASSERT_TRUE(available.has_value());
    EXPECT_GT(*available, 0u);
}
