#include "model/UDisplayText.h"

namespace model {

namespace {

// Code points of the bytes 0x80-0x9F in Windows-1252; 0 where the code page assigns nothing.
constexpr char32_t k1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendPart(std::string& out, std::string_view part) {
    if (IsValidUtf8(part)) {
        out += part;
        return;
    }
    for (const char ch : part) {
        const auto c = static_cast<unsigned char>(ch);
        const char32_t cp = Windows1252CodePoint(c);
        AppendUtf8(out, cp != 0 || c == 0 ? cp : char32_t(c)); // unassigned: the C1 control
    }
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\' || c == '\n' || c == '\r';
}

} // namespace

std::size_t DecodeUtf8At(std::string_view s, std::size_t i, char32_t& cp) {
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

std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
    char32_t cp;
    return DecodeUtf8At(s, i, cp);
}

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = Utf8SequenceAt(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
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

char32_t Windows1252CodePoint(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? k1252High[c - 0x80] : char32_t(c);
}

std::string DisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && !IsSeparator(bytes[i])) continue;
        AppendPart(out, bytes.substr(start, i - start));
        if (i < bytes.size()) out += bytes[i];
        start = i + 1;
    }
    return out;
}

} // namespace model
