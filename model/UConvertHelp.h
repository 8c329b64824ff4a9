// Size and path formatting shared by every window and export, so that a size looks the same
// everywhere: the locale's thousands separator, fractional units rounded up, paths shortened in the middle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace model {

// The separators that "%.0n"-style numbers use. Read from the C library's locale by
// InitFormatSettings; a locale without a thousands separator (C, POSIX) groups with ",".
struct TFormatSettings {
    std::string thousandsSeparator = ",";
    std::string decimalSeparator = ".";
};
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);
// Takes the separators from the current C locale (call after setlocale).
void InitFormatSettings();

// A whole number with thousands separators: 1234567 gives 1,234,567.
[[nodiscard]] std::string FormatNumber(std::int64_t value);
// A value with the given decimals (0 to 3), thousands separators and the decimal separator.
[[nodiscard]] std::string FormatFixed(double value, int decimals);

[[nodiscard]] std::string FormatBytes(std::int64_t count);
[[nodiscard]] std::string FormatKB(std::int64_t bytes);
[[nodiscard]] std::string FormatMB(std::int64_t bytes);
[[nodiscard]] std::string FormatGB(std::int64_t bytes);
[[nodiscard]] std::string FormatGB3(std::int64_t bytes);
// x of 1 or more rounded up to a whole number; below 1 rounded up to two decimals.
[[nodiscard]] std::string FormatSizeUnits(double x);
// Three significant digits, rounded up.
[[nodiscard]] std::string FormatSize3(double x);

// x rounded up to d decimals (0 to 3), as a whole number of steps of 10^-d: 1.2 with d = 0 gives 2.
// Exact for any size a 64-bit count can hold.
[[nodiscard]] std::int64_t RoundUpSteps(double x, int decimals);

// The first n characters of s as shown (in UTF-8), followed by "..." when s shows more than n;
// a character is never cut apart.
[[nodiscard]] std::string ShortenName(std::string_view s, int n);

// s shortened to at most n characters by dropping folder names after the leading part ("/.../");
// counted and cut as shown, and given in UTF-8 (DisplayUtf8); a character is never cut apart.
[[nodiscard]] std::string ShortenPath(std::string_view s, int n);
// The same, but where ShortenPath would cut the end (a last name too long for n), the middle is
// cut ("..."), so that the end of the path still shows.
[[nodiscard]] std::string ShortenPathKeepingEnd(std::string_view s, int n);

// path (in UTF-8, DisplayUtf8) shortened until fits says it fits: first by dropping folder names
// after the leading part as ShortenPath does, then, when even the last name is too long, by
// cutting the middle ("..."), so that the end of the path always shows. For a label that shows
// what it can of a path in its font: fits is asked once for each folder name that goes, then a
// few times more, so the path should be shortened to a few hundred characters first.
[[nodiscard]] std::string FitPath(std::string_view path, const std::function<bool(const std::string&)>& fits);

} // namespace model
