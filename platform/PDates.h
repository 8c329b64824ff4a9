// Dates as the system holds them: local-time day counts since 30 December 1899 in a double
// (fraction = time of day; 0 = no date), converted once from what Linux gives.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

using TDateTime = double;

// Days between 1899-12-30 and 1970-01-01.
inline constexpr double kUnixEpochDays = 25569.0;

// Local-time day count of a Unix time stamp (seconds and nanoseconds since the epoch, UTC).
// Gives 0 when the time cannot be converted or falls outside the years 1 to 9999. The epoch
// itself is a time like any other (image builds stamp every file with it): a stamp the file
// system does not have is told by its caller, never by the value 0.
[[nodiscard]] TDateTime DateTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds = 0);

// Day count of calendar fields (no time zone involved); 0 when the fields are not a date.
[[nodiscard]] TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                       int second = 0, int millisecond = 0);

struct TCalendar {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 0; // 0 = Sunday
};
// Calendar fields of a day count; false when the value is not finite or outside years 1..9999.
bool DecodeDateTime(TDateTime value, TCalendar& out);

// True when the value is a date that can be shown (finite, years 1..9999, not 0).
[[nodiscard]] bool IsShowableDate(TDateTime value);

// The current local date and time.
[[nodiscard]] TDateTime Now();

} // namespace platform
