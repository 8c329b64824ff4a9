// Text conversions of the exports: the program's strings are UTF-8 (names that are no valid UTF-8
// are Windows-1252 bytes written on Windows); worksheets hold Windows-1252 and text files UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/UDisplayText.h"

namespace exportdata {

// True when s is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
using model::IsValidUtf8;

// s as Windows-1252 bytes: valid UTF-8 is decoded and every character that code page cannot hold
// becomes "?"; any other string is taken as Windows-1252 already (its five unassigned bytes become "?").
[[nodiscard]] std::string ToWindows1252(std::string_view s);

// s as UTF-8: valid UTF-8 stays as it is, anything else is decoded as Windows-1252.
[[nodiscard]] std::string ToUtf8(std::string_view s);

// Characters (code points) of a UTF-8 string; a byte that starts no valid sequence counts as one.
[[nodiscard]] std::size_t CharCount(std::string_view s);

} // namespace exportdata
