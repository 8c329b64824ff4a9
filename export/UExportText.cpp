#include "export/UExportText.h"

#include <cstdint>

namespace exportdata {

namespace {

// Code points of the bytes 0x80-0x9F in Windows-1252; 0 where the code page assigns nothing.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Length of the well-formed UTF-8 sequence at s[i], with its code point; 0 when there is none.
std::size_t DecodeAt(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if ((c & 0xE0) == 0xC0)
        len = 2, cp = c & 0x1F, min = 0x80;
    else if ((c & 0xF0) == 0xE0)
        len = 3, cp = c & 0x0F, min = 0x800;
    else if ((c & 0xF8) == 0xF0)
        len = 4, cp = c & 0x07, min = 0x10000;
    else
        return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char ToCodePage(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] == cp) return static_cast<char>(0x80 + k);
    return '?';
}

} // namespace

bool IsValidUtf8(std::string_view s) {
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = DecodeAt(s, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string ToWindows1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    if (IsValidUtf8(s)) {
        char32_t cp;
        for (std::size_t i = 0; i < s.size();) {
            i += DecodeAt(s, i, cp);
            out += ToCodePage(cp);
        }
        return out;
    }
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        out += c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] == 0 ? '?' : ch;
    }
    return out;
}

std::string ToUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c < 0xA0)
            AppendUtf8(out, kHigh[c - 0x80] ? kHigh[c - 0x80] : U'?');
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::size_t CharCount(std::string_view s) {
    std::size_t n = 0;
    char32_t cp;
    for (std::size_t i = 0; i < s.size(); ++n) {
        const std::size_t len = DecodeAt(s, i, cp);
        i += len ? len : 1;
    }
    return n;
}

} // namespace exportdata
