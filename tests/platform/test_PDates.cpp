// Day counts since 1899-12-30.
#include "platform/PDates.h"

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
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(DateTimeFromUnix(0, 0), 0.0); // no stamp
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(86400, 0), 25570.0);
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(1700000000, 0), 25569.0 + 1700000000 / 86400.0);
    setenv("TZ", "CET-1", 1);
    tzset();
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(86400, 0), 25570.0 + 1.0 / 24);
    unsetenv("TZ");
    tzset();
}
