#include "model/UConvertHelp.h"

#include "model/UDisplayText.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <vector>

namespace model {

namespace {
TFormatSettings gSettings;

std::string Group(std::string digits) {
    const std::string& sep = gSettings.thousandsSeparator;
    if (sep.empty() || digits.size() <= 3) return digits;
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 * sep.size());
    const size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    out.append(digits, 0, lead);
    for (size_t i = lead; i < digits.size(); i += 3) {
        out += sep;
        out.append(digits, i, 3);
    }
    return out;
}

// k steps of 10^-d as text: the whole part grouped, then d decimals.
std::string FormatSteps(std::int64_t k, int d) {
    const bool negative = k < 0;
    // Work on the magnitude as unsigned so that the smallest int64 does not overflow.
    std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
    std::uint64_t scale = 1;
    for (int i = 0; i < d; ++i)
        scale *= 10;
    std::string out = negative ? "-" : "";
    out += Group(std::to_string(m / scale));
    if (d > 0) {
        std::string frac = std::to_string(m % scale);
        out += gSettings.decimalSeparator;
        out.append(static_cast<size_t>(d) - frac.size(), '0');
        out += frac;
    }
    return out;
}

const double kSteps[4] = {1.0, 0.1, 0.01, 0.001};
} // namespace

const TFormatSettings& FormatSettings() {
    return gSettings;
}
void SetFormatSettings(const TFormatSettings& settings) {
    gSettings = settings;
}

void InitFormatSettings() {
    const lconv* lc = std::localeconv();
    TFormatSettings s;
    if (lc && lc->thousands_sep && *lc->thousands_sep) s.thousandsSeparator = lc->thousands_sep;
    if (lc && lc->decimal_point && *lc->decimal_point) s.decimalSeparator = lc->decimal_point;
    if (s.thousandsSeparator == s.decimalSeparator)
        s.thousandsSeparator = s.decimalSeparator == "," ? "." : ",";
    gSettings = s;
}

std::string FormatNumber(std::int64_t value) {
    return FormatSteps(value, 0);
}

std::int64_t RoundUpSteps(double x, int decimals) {
    if (!std::isfinite(x)) return 0;
    const double step = kSteps[decimals];
    double k = std::nearbyint(x / step); // halves to even
    if (x - k * step > 0) k += 1;
    if (k >= 9.2e18) return INT64_MAX;
    if (k <= -9.2e18) return INT64_MIN;
    return static_cast<std::int64_t>(k);
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    const double k = std::nearbyint(value / kSteps[decimals]);
    if (std::fabs(k) >= 9.2e18) return FormatSteps(k < 0 ? INT64_MIN : INT64_MAX, decimals);
    return FormatSteps(static_cast<std::int64_t>(k), decimals);
}

std::string FormatBytes(std::int64_t count) {
    return FormatNumber(count);
}
std::string FormatKB(std::int64_t bytes) {
    return FormatSizeUnits(static_cast<double>(bytes) / 1024.0);
}
std::string FormatMB(std::int64_t bytes) {
    return FormatSizeUnits(static_cast<double>(bytes) / 1048576.0);
}
std::string FormatGB(std::int64_t bytes) {
    return FormatSizeUnits(static_cast<double>(bytes) / 1073741824.0);
}
std::string FormatGB3(std::int64_t bytes) {
    return FormatSize3(static_cast<double>(bytes) / 1073741824.0);
}

std::string FormatSizeUnits(double x) {
    if (x >= 1) return FormatSteps(RoundUpSteps(x, 0), 0);
    return FormatSteps(RoundUpSteps(x, 2), 2);
}

std::string FormatSize3(double x) {
    if (x < 10) return FormatSteps(RoundUpSteps(x, 2), 2);
    if (x < 100) return FormatSteps(RoundUpSteps(x, 1), 1);
    return FormatSteps(RoundUpSteps(x, 0), 0);
}

namespace {

// The length in bytes of the character at s[i]: a UTF-8 sequence is one character, any byte that
// does not start a valid sequence is one character on its own. A "/" is always a character of its
// own, so counting may start after any "/" and find the same characters as from the start.
size_t CharLength(std::string_view s, size_t i) {
    const size_t len = Utf8SequenceAt(s, i);
    return len == 0 ? 1 : len;
}

// The byte offset after the first count characters of s (s.size() when it has fewer).
size_t AfterChars(std::string_view s, size_t count) {
    size_t i = 0;
    for (; i < s.size() && count > 0; --count)
        i += CharLength(s, i);
    return i;
}

// The characters of s, counted no further than limit + 1.
size_t CharsUpTo(std::string_view s, size_t limit) {
    size_t count = 0;
    for (size_t i = 0; i < s.size() && count <= limit; ++count)
        i += CharLength(s, i);
    return count;
}

} // namespace

std::string ShortenName(std::string_view s, int n) {
    std::string shown = DisplayUtf8(s);
    size_t end = 0;
    for (int k = 0; k < std::max(n, 0) && end < shown.size(); ++k)
        end += Utf8SequenceAt(shown, end);
    if (end >= shown.size()) return shown;
    shown.resize(end);
    return shown + "...";
}

namespace {

// Steps 2 to 4 of the shortening: s (as shown, longer than limit characters) with the folder names
// after its leading part dropped ("/.../") until it has limit characters or fewer. False when no
// such text exists: the last name leaves no room, or there is no folder name to drop.
bool DropFolderNames(std::string_view s, size_t limit, std::string& out) {
    // The last "/" not counting the last character (a "/" is a character of its own).
    size_t p = s.rfind('/');
    if (p != std::string_view::npos && p + 1 == s.size())
        p = p == 0 ? std::string_view::npos : s.rfind('/', p - 1);
    if (p == std::string_view::npos || p == 0) return false;
    const std::string_view tail = s.substr(p + 1);
    const size_t tailChars = CharsUpTo(tail, limit);
    if (tailChars + 5 >= limit) return false; // not even a one-character head fits
    const size_t headLimit = limit - 5 - tailChars;
    // The longest head that ends before a "/" (other than the first byte and p) and fits.
    size_t best = std::string_view::npos;
    size_t count = 0; // characters before i
    for (size_t i = 0; i < p && count <= headLimit; ++count) {
        if (s[i] == '/' && i > 0) best = i;
        i += CharLength(s, i);
    }
    if (best == std::string_view::npos) return false;
    out = std::string(s.substr(0, best)) + "/.../" + std::string(tail);
    return true;
}

// The first keep / 3 characters of s, "...", and its last keep - keep / 3 characters.
std::string CutMiddle(std::string_view s, size_t chars, size_t keep) {
    const size_t head = keep / 3;
    const size_t tailStart = AfterChars(s, chars - (keep - head));
    return std::string(s.substr(0, AfterChars(s, head))) + "..." + std::string(s.substr(tailStart));
}

// Looks only at what it keeps: the first n characters, and the last component from the end, so
// that a path of any length (an exploration 100,000 folders deep) costs no more than its ends.
// Counted and cut as shown: a cut in the raw bytes could turn a Windows-1252 name into valid UTF-8.
// Where no folder name can go, keepEnd cuts the middle instead of the end.
std::string Shorten(std::string_view path, int n, bool keepEnd) {
    const size_t limit = n < 0 ? 0 : static_cast<size_t>(n);
    // A character shown takes at most 4 bytes: the first limit characters lie in the first 4 * limit
    // bytes. A long path is decoded only from its first names that hold those bytes and its last
    // name, whole names each (a name is decoded on its own), which shorten as the whole path would.
    std::string ends;
    if (path.size() > 8 * limit + 2) {
        size_t last = path.rfind('/');
        if (last != std::string_view::npos && last + 1 == path.size())
            last = last == 0 ? std::string_view::npos : path.rfind('/', last - 1);
        const size_t headEnd = path.find('/', 4 * limit);
        if (last != std::string_view::npos && headEnd < last)
            ends = std::string(path.substr(0, headEnd)).append(path.substr(last));
    }
    const std::string shown = DisplayUtf8(ends.empty() ? path : std::string_view(ends));
    const std::string_view s = shown;
    if (CharsUpTo(s, limit) <= limit) return shown;
    std::string out;
    if (DropFolderNames(s, limit, out)) return out;
    if (n <= 3) return "...";
    if (keepEnd) return CutMiddle(s, CharsUpTo(s, s.size()), limit - 3);
    return std::string(s.substr(0, AfterChars(s, limit - 3))) + "...";
}

} // namespace

std::string ShortenPath(std::string_view path, int n) {
    return Shorten(path, n, false);
}

std::string ShortenPathKeepingEnd(std::string_view path, int n) {
    return Shorten(path, n, true);
}

std::string FitPath(std::string_view path, const std::function<bool(const std::string&)>& fits) {
    std::string text = DisplayUtf8(path);
    if (fits(text)) return text;
    // Fewer folder names first, as ShortenPath drops them: the last name stays whole.
    size_t chars = CharsUpTo(text, text.size());
    std::string candidate;
    while (chars > 0 && DropFolderNames(text, chars - 1, candidate)) {
        if (fits(candidate)) return candidate;
        chars = CharsUpTo(candidate, candidate.size());
        text = std::move(candidate);
    }
    // Even so too wide: cut the middle, so that both ends and most of the last name still show.
    // The most characters that fit, by halving (fewer characters never show wider).
    size_t fit = 0, over = chars;
    while (over - fit > 1) {
        const size_t keep = fit + (over - fit) / 2;
        if (fits(CutMiddle(text, chars, keep)))
            fit = keep;
        else
            over = keep;
    }
    return CutMiddle(text, chars, fit);
}

} // namespace model
