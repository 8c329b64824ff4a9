#include "export/UExportText.h"

#include "model/UDisplayText.h"

#include <cstdint>

namespace exportdata {

namespace {

using model::AppendUtf8;
using model::DecodeUtf8At;
using model::Windows1252CodePoint;

char ToCodePage(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (unsigned c = 0x80; c < 0xA0; ++c)
        if (Windows1252CodePoint(static_cast<unsigned char>(c)) == cp) return static_cast<char>(c);
    return '?';
}

} // namespace

std::string ToWindows1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    if (IsValidUtf8(s)) {
        char32_t cp;
        for (std::size_t i = 0; i < s.size();) {
            i += DecodeUtf8At(s, i, cp);
            out += ToCodePage(cp);
        }
        return out;
    }
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        out += Windows1252CodePoint(c) == 0 && c != 0 ? '?' : ch;
    }
    return out;
}

std::string ToUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const char32_t cp = Windows1252CodePoint(c);
        AppendUtf8(out, cp != 0 || c == 0 ? cp : U'?');
    }
    return out;
}

std::size_t CharCount(std::string_view s) {
    std::size_t n = 0;
    char32_t cp;
    for (std::size_t i = 0; i < s.size(); ++n) {
        const std::size_t len = DecodeUtf8At(s, i, cp);
        i += len ? len : 1;
    }
    return n;
}

} // namespace exportdata
