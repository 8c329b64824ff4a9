// Day counts since 1899-12-30.
#include "platform/PDates.h"

#include "tests/FixtureTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace platform;

TEST(Dates, EncodeKnownDays) {
    EXPECT_EQ(EncodeDateTime(1970, 1, 1), 25569.0);
    EXPECT_EQ(EncodeDateTime(1899, 12, 31), 1.0);
    EXPECT_EQ(EncodeDateTime(2000, 2, 29, 12), 36585.5);
    EXPECT_EQ(EncodeDateTime(2001, 2, 29), 0.0); // no such day
    EXPECT_EQ(EncodeDateTime(2000, 13, 1), 0.0);
    EXPECT_EQ(EncodeDateTime(0, 1, 1), 0.0);
}

TEST(Dates, DecodeRoundTrips) {
    TCalendar c;
    ASSERT_TRUE(DecodeDateTime(EncodeDateTime(2026, 12, 10, 23, 59, 59, 500), c));
    EXPECT_EQ(c.year, 2026);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 10);
    EXPECT_EQ(c.hour, 23);
    EXPECT_EQ(c.minute, 59);
    EXPECT_EQ(c.second, 59);
    EXPECT_EQ(c.millisecond, 500);
    EXPECT_EQ(c.dayOfWeek, 4); // a Thursday
    // A time that rounds to midnight belongs to the next day, never to hour 24.
    ASSERT_TRUE(DecodeDateTime(EncodeDateTime(2024, 2, 29) + 0.99999999999, c));
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(c.hour, 0);
}

TEST(Dates, ShowableDates) {
    EXPECT_FALSE(IsShowableDate(0));
    EXPECT_FALSE(IsShowableDate(NAN));
    EXPECT_FALSE(IsShowableDate(INFINITY));
    EXPECT_FALSE(IsShowableDate(1e9));
    EXPECT_TRUE(IsShowableDate(45000.25));
    TCalendar c;
    EXPECT_FALSE(DecodeDateTime(NAN, c));
    EXPECT_FALSE(DecodeDateTime(-1e9, c));
}

TEST(Dates, UnixStampsInLocalTime) {
    struct Case {
        const char* zone;
        std::int64_t seconds;
        std::uint32_t nanoseconds;
        double days;
    };
    const Case cases[] = {
        // The epoch is a time like any other, in every zone.
        {"UTC", 0, 0, 25569.0},
        {"CET-1", 0, 0, 25569.0 + 1.0 / 24},
        {"EST5", 0, 0, 25568.0 + 19.0 / 24}, // 1969-12-31 19:00
        {"UTC", 0, 500000000, 25569.0 + 0.5 / 86400},
        {"UTC", -1, 0, 25568.0 + 86399.0 / 86400},
        {"UTC", 86400, 0, 25570.0},
        {"UTC", 1700000000, 0, 25569.0 + 1700000000 / 86400.0},
        {"CET-1", 86400, 0, 25570.0 + 1.0 / 24},
    };
    for (const Case& c : cases) {
        txtest::TZone tz(c.zone);
        EXPECT_DOUBLE_EQ(DateTimeFromUnix(c.seconds, c.nanoseconds), c.days) << c.zone << " " << c.seconds;
    }
}
