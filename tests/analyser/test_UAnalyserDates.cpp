#include "analyser/UAnalyserData.h"

#include "platform/PDates.h"

#include "tests/FixtureTree.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

using namespace analyser;
using model::TFileItem;
using platform::EncodeDateTime;

namespace {

// Every date here is a day count built from calendar fields, so no time zone is involved.
const double kRef = EncodeDateTime(2024, 3, 15, 10);

struct TAgeGroups {
    TAnalyserDate0Group days;
    TAnalyserDate1Group weeks;
    TAnalyserDate2Group months;
    TAnalyserDate3Group halves;
    TAnalyserDate4Group years;
    TAnalyserDate5Group progressive;
    TAnalyserTimeGroup time;

    explicit TAgeGroups(double reference) {
        for (TAnalyserDateTimeGroup* g : All())
            g->SetReferenceDate(reference);
    }
    std::array<TAnalyserDateTimeGroup*, 7> All() {
        return {&days, &weeks, &months, &halves, &years, &progressive, &time};
    }
};

std::string RowOf(TAnalyserDataGroup& g, double created) {
    TFileItem f("f", nullptr);
    f.SetCreated(created);
    const int key = g.GetIndex(1, f);
    EXPECT_TRUE(g.Matches(1, key, f));
    return g.GetRow(key)->Name();
}

} // namespace

TEST(AnalyserDates, CaptionsAndRows) {
    TAgeGroups g(kRef);
    EXPECT_EQ(g.days.Caption(), "Date Range");
    EXPECT_EQ(g.progressive.Title(), "File Date Distribution");
    EXPECT_EQ(g.time.Caption(), "Time of day");
    EXPECT_EQ(g.time.Title(), "File Time Distribution");
    EXPECT_EQ(g.days.GetRestrictionCaption(0), "File Date Restriction - Creation Date");
    EXPECT_EQ(g.days.GetRestrictionCaption(6),
              "File Date Restriction - Creation, Last Write or Last Access Date");
    EXPECT_EQ(g.time.GetRestrictionCaption(5), "File Time Restriction - Last Write or Last Access Time");
    EXPECT_EQ(g.time.GetRestrictionColumn(0), 4);
    EXPECT_EQ(g.time.GetRestrictionColumn(1), 3);
    EXPECT_EQ(g.years.GetRestrictionColumn(2), 5);
    const int rows[7] = {8, 9, 13, 11, 6, 7, 24};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(g.All()[i]->RowCount(), rows[i]);
    EXPECT_EQ(g.time.GetRow(23)->Name(), "23h");
    EXPECT_EQ(g.halves.GetRow(9)->Name(), "54 to 60 months");
    EXPECT_EQ(g.days.RefYear(), 2024);
    EXPECT_EQ(g.days.RefMonth(), 3);
    EXPECT_EQ(g.days.RefDay(), 15);
}

TEST(AnalyserDates, AgeBucketsAgainstTheReference) {
    const struct {
        double date;
        int d, m, y;
        const char *days, *weeks, *months, *halves, *years, *progressive, *hour;
    } cases[] = {
        {EncodeDateTime(2024, 3, 15, 8), 0, 1, 1, "0 to 1 day", "0 to 1 week", "0 to 1 month",
         "0 to 6 months", "0 to 1 year", "0 to 24 hour", "8h"},
        {EncodeDateTime(2024, 3, 8, 12), 6, 1, 1, "6 to 7 days", "0 to 1 week", "0 to 1 month",
         "0 to 6 months", "0 to 1 year", "1 day to 1 week", "12h"},
        {EncodeDateTime(2024, 3, 8, 9), 7, 1, 1, "other", "1 to 2 weeks", "0 to 1 month", "0 to 6 months",
         "0 to 1 year", "1 week to 1 month", "9h"},
        {EncodeDateTime(2024, 2, 16), 28, 1, 1, "other", "4 to 5 weeks", "0 to 1 month", "0 to 6 months",
         "0 to 1 year", "1 week to 1 month", "0h"},
        {EncodeDateTime(2024, 2, 15), 29, 2, 1, "other", "4 to 5 weeks", "1 to 2 months", "0 to 6 months",
         "0 to 1 year", "1 to 3 months", "0h"},
        {EncodeDateTime(2023, 9, 15), 182, 7, 1, "other", "other", "6 to 7 months", "6 to 12 months",
         "0 to 1 year", "6 to 12 months", "0h"},
        {EncodeDateTime(2023, 3, 16), 365, 12, 1, "other", "other", "11 to 12 months", "6 to 12 months",
         "0 to 1 year", "6 to 12 months", "0h"},
        {EncodeDateTime(2023, 3, 15), 366, 13, 2, "other", "other", "other", "12 to 18 months",
         "1 to 2 years", "other", "0h"},
        {EncodeDateTime(2019, 3, 16), 1826, 60, 5, "other", "other", "other", "54 to 60 months",
         "4 to 5 years", "other", "0h"},
        {EncodeDateTime(2019, 3, 15), 1827, 61, 6, "other", "other", "other", "other", "other", "other",
         "0h"},
        // one day in the future: d = 0, nothing elapsed on the calendar
        {EncodeDateTime(2024, 3, 16, 9), 0, 0, 0, "0 to 1 day", "0 to 1 week", "other", "other", "other",
         "0 to 24 hour", "9h"},
        {EncodeDateTime(2024, 3, 17, 9), -1, 0, 0, "other", "other", "other", "other", "other",
         "0 to 24 hour", "9h"},
        {EncodeDateTime(2024, 3, 18, 11), -3, 0, 0, "other", "other", "other", "other", "other", "other",
         "11h"},
        // no date
        {0, 45366, 1491, 125, "other", "other", "other", "other", "other", "other", "0h"},
    };
    TAgeGroups g(kRef);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        EXPECT_EQ(g.days.DayNumber(c.date), c.d);
        EXPECT_EQ(g.days.MonthNumber(c.date), c.m);
        EXPECT_EQ(g.days.YearNumber(c.date), c.y);
        EXPECT_EQ(RowOf(g.days, c.date), c.days);
        EXPECT_EQ(RowOf(g.weeks, c.date), c.weeks);
        EXPECT_EQ(RowOf(g.months, c.date), c.months);
        EXPECT_EQ(RowOf(g.halves, c.date), c.halves);
        EXPECT_EQ(RowOf(g.years, c.date), c.years);
        EXPECT_EQ(RowOf(g.progressive, c.date), c.progressive);
        EXPECT_EQ(RowOf(g.time, c.date), c.hour);
    }
}

TEST(AnalyserDates, MonthEndsAndLeapDays) {
    const struct {
        double reference, date;
        int m, y;
    } cases[] = {
        {EncodeDateTime(2024, 3, 31), EncodeDateTime(2024, 2, 29), 2, 1}, // past the whole of February
        {EncodeDateTime(2024, 4, 30), EncodeDateTime(2024, 3, 31), 1, 1}, // the 30th is before the 31st
        {EncodeDateTime(2024, 5, 31), EncodeDateTime(2024, 4, 30), 2, 1},
        {EncodeDateTime(2024, 3, 1), EncodeDateTime(2024, 2, 29), 1, 1},
        {EncodeDateTime(2025, 2, 28), EncodeDateTime(2024, 2, 29), 12, 1}, // not yet a whole year
        {EncodeDateTime(2025, 3, 1), EncodeDateTime(2024, 2, 29), 13, 2},
        {EncodeDateTime(2024, 2, 29), EncodeDateTime(2020, 2, 29), 49, 5},
        {EncodeDateTime(2024, 1, 31), EncodeDateTime(2023, 12, 31), 2, 1}, // across the year end
        {EncodeDateTime(2024, 1, 1), EncodeDateTime(2023, 12, 31, 23), 1, 1},
    };
    for (const auto& c : cases) {
        TAnalyserDate2Group g;
        g.SetReferenceDate(c.reference);
        EXPECT_EQ(g.MonthNumber(c.date), c.m) << c.reference << " " << c.date;
        EXPECT_EQ(g.YearNumber(c.date), c.y) << c.reference << " " << c.date;
    }
}

TEST(AnalyserDates, DatesThatAreNoCalendarDateAreOther) {
    TAgeGroups g(kRef);
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e9, 1e9}) {
        EXPECT_EQ(RowOf(g.days, bad), "other");
        EXPECT_EQ(RowOf(g.weeks, bad), "other");
        EXPECT_EQ(RowOf(g.months, bad), "other");
        EXPECT_EQ(RowOf(g.halves, bad), "other");
        EXPECT_EQ(RowOf(g.years, bad), "other");
        EXPECT_EQ(RowOf(g.progressive, bad), "other");
        EXPECT_EQ(RowOf(g.time, bad), "0h");
    }
}

TEST(AnalyserDates, HourOfDay) {
    const double day = EncodeDateTime(2024, 3, 14);
    const struct {
        double date;
        int hour;
    } cases[] = {
        {day, 0},
        {EncodeDateTime(2024, 3, 14, 11), 11}, // no 10h from a value a hair below 11:00
        {day + 11.0 / 24.0 - 1e-10, 11},       // rounds to the millisecond
        {EncodeDateTime(2024, 3, 14, 23, 59, 59, 999), 23},
        {day + 86399999.6 / 86400000.0, 0},   // rounds to midnight: hour 0 of the next day
        {EncodeDateTime(1899, 12, 29, 6), 6}, // before day 0, fraction counts away from zero
        {0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TAnalyserTimeGroup::HourOf(c.date), c.hour) << c.date;
}

TEST(AnalyserDates, EachKindByItsOwnDate) {
    TFileItem f("f", nullptr);
    f.SetCreated(EncodeDateTime(2024, 3, 15, 1));
    f.SetModified(EncodeDateTime(2024, 3, 10, 2));
    f.SetAccessed(EncodeDateTime(2020, 1, 1, 3));
    f.SetSize(7);
    TAgeGroups g(kRef);
    for (TAnalyserDateTimeGroup* group : g.All())
        group->AddItem(f);
    EXPECT_EQ(g.days.GetRow(0)->GetCount1(), 1);
    EXPECT_EQ(g.days.GetRow(5)->GetCount2(), 1);
    EXPECT_EQ(g.days.GetRow(7)->GetCount3(), 1);
    EXPECT_EQ(g.days.GetRow(7)->GetSize3(), 7);
    EXPECT_EQ(g.days.GetRow(0)->GetCount2(), 0);
    EXPECT_EQ(g.time.GetRow(1)->GetCount1(), 1);
    EXPECT_EQ(g.time.GetRow(2)->GetCount2(), 1);
    EXPECT_EQ(g.time.GetRow(3)->GetCount3(), 1);
    for (TAnalyserDateTimeGroup* group : g.All()) {
        EXPECT_EQ(group->Total()->GetCount1(), 1);
        EXPECT_EQ(group->Total()->GetCount2(), 1);
        EXPECT_EQ(group->Total()->GetCount3(), 1);
    }
    g.days.Reset();
    EXPECT_EQ(g.days.RowCount(), 8);
    EXPECT_EQ(g.days.Total()->GetCount3(), 0);
}

TEST(AnalyserDates, AFileStampedAtTheEpochCountsAtItsDate) {
    txtest::TZone zone("Europe/Berlin"); // the epoch is 01:00 there
    TFileItem file("epoch.txt", nullptr);
    file.SetModified(platform::DateTimeFromUnix(0));
    file.SetAccessed(platform::DateTimeFromUnix(0));
    TAgeGroups g(EncodeDateTime(1970, 1, 3, 12));
    for (TAnalyserDateTimeGroup* group : g.All())
        group->AddItem(file);
    for (int kind : {2, 3}) { // last write, last access
        const auto rowOf = [&](TAnalyserDataGroup& group) {
            return group.GetRow(group.GetIndex(kind, file))->Name();
        };
        EXPECT_EQ(rowOf(g.days), "2 to 3 days") << kind;
        EXPECT_EQ(rowOf(g.years), "0 to 1 year") << kind;
        EXPECT_EQ(rowOf(g.progressive), "1 day to 1 week") << kind;
        EXPECT_EQ(rowOf(g.time), "1h") << kind;
    }
    EXPECT_EQ(g.days.GetRow(2)->GetCount2(), 1);
    EXPECT_EQ(g.time.GetRow(1)->GetCount3(), 1);
}
