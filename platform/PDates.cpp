#include "platform/PDates.h"

#include <cmath>

namespace platform {

namespace {

// Days from 0001-01-01 (proleptic Gregorian) for the civil date; the classic algorithm
// on 400-year eras, valid for every year we accept.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468; // days since 1970-01-01
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Smallest and largest day counts of years 1 to 9999.
const double kMinDate = -693593.0;         // 0001-01-01
const double kMaxDate = 2958466.0;         // 10000-01-01 (exclusive)

} // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return 0;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return 0;
    const double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                          static_cast<unsigned>(day))) +
                        kUnixEpochDays;
    const double fraction = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
    // Before 1899-12-30 the fraction counts away from zero, as in the Windows date type.
    return days >= 0 ? days + fraction : days - fraction;
}

bool DecodeDateTime(TDateTime value, TCalendar& out) {
    if (!std::isfinite(value) || value < kMinDate || value >= kMaxDate) return false;
    double whole = std::trunc(value);
    double fraction = std::fabs(value - whole);
    std::int64_t ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) { // a time that rounds to midnight belongs to the next day
        ms -= 86400000;
        whole += value >= 0 ? 1 : -1;
    }
    const std::int64_t dayNumber = static_cast<std::int64_t>(whole) - static_cast<std::int64_t>(kUnixEpochDays);
    CivilFromDays(dayNumber, out.year, out.month, out.day);
    if (out.year < 1 || out.year > 9999) return false;
    out.hour = static_cast<int>(ms / 3600000);
    out.minute = static_cast<int>(ms / 60000 % 60);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.millisecond = static_cast<int>(ms % 1000);
    out.dayOfWeek = static_cast<int>(((dayNumber % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday
    return true;
}

bool IsShowableDate(TDateTime value) {
    return value != 0 && std::isfinite(value) && value >= kMinDate && value < kMaxDate;
}

TDateTime DateTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return 0;
    const int year = local.tm_year + 1900;
    if (year < 1 || year > 9999) return 0;
    return EncodeDateTime(year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(nanoseconds / 1000000u));
}

TDateTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return DateTimeFromUnix(ts.tv_sec, static_cast<std::uint32_t>(ts.tv_nsec));
}

} // namespace platform
