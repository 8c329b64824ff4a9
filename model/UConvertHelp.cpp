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
    for (int i = 0; i < d; ++i) scale *= 10;
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

const TFormatSettings& FormatSettings() { return gSettings; }
void SetFormatSettings(const TFormatSettings& settings) { gSettings = settings; }

void InitFormatSettings() {
    const lconv* lc = std::localeconv();
    TFormatSettings s;
    if (lc && lc->thousands_sep && *lc->thousands_sep) s.thousandsSeparator = lc->thousands_sep;
    if (lc && lc->decimal_point && *lc->decimal_point) s.decimalSeparator = lc->decimal_point;
    if (s.thousandsSeparator == s.decimalSeparator) s.thousandsSeparator = s.decimalSeparator == "," ? "." : ",";
    gSettings = s;
}

std::string FormatNumber(std::int64_t value) { return FormatSteps(value, 0); }

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

std::string FormatBytes(std::int64_t count) { return FormatNumber(count); }
std::string FormatKB(std::int64_t bytes) { return FormatSizeUnits(static_cast<double>(bytes) / 1024.0); }
std::string FormatMB(std::int64_t bytes) { return FormatSizeUnits(static_cast<double>(bytes) / 1048576.0); }
std::string FormatGB(std::int64_t bytes) { return FormatSizeUnits(static_cast<double>(bytes) / 1073741824.0); }
std::string FormatGB3(std::int64_t bytes) { return FormatSize3(static_cast<double>(bytes) / 1073741824.0); }

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

// Byte offsets where characters start, plus the end: a UTF-8 sequence is one character,
// any byte that does not start a valid sequence is one character on its own.
std::vector<size_t> CharStarts(std::string_view s) {
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < s.size()) {
        starts.push_back(i);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (len > 1) {
            if (i + len > s.size()) len = 1;
            else
                for (size_t j = 1; j < len; ++j)
                    if ((static_cast<unsigned char>(s[i + j]) & 0xC0) != 0x80) { len = 1; break; }
        }
        i += len;
    }
    starts.push_back(s.size());
    return starts;
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

std::string ShortenPath(std::string_view path, int n) {
    // Counted and cut as shown: a cut could otherwise turn a Windows-1252 name into valid UTF-8.
    const std::string shown = DisplayUtf8(path);
    const std::string_view s = shown;
    const std::vector<size_t> starts = CharStarts(s);
    const int length = static_cast<int>(starts.size()) - 1;
    if (length <= n) return std::string(s);
    auto cut = [&] {
        if (n <= 3) return std::string("...");
        return std::string(s.substr(0, starts[static_cast<size_t>(n - 3)])) + "...";
    };
    auto chars = [&](size_t byteFrom, size_t byteTo) { // characters in s[byteFrom, byteTo)
        int count = 0;
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            if (starts[i] >= byteFrom && starts[i] < byteTo) ++count;
        return count;
    };
    // The last "/" not counting the last character.
    const size_t lastChar = starts[static_cast<size_t>(length - 1)];
    const size_t p = s.substr(0, lastChar).rfind('/');
    if (p == std::string_view::npos || p == 0) return cut();
    const std::string_view tail = s.substr(p + 1);
    std::string_view head = s.substr(0, p);
    const int tailChars = chars(p + 1, s.size());
    for (;;) {
        const size_t q = head.rfind('/');
        if (q == std::string_view::npos || q == 0) return cut();
        head = head.substr(0, q);
        const int candidate = chars(0, head.size()) + 5 + tailChars;
        if (candidate <= n) return std::string(head) + "/.../" + std::string(tail);
    }
}

} // namespace model
