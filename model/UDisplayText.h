// Text for the screen from the file system's bytes. A name is shown as UTF-8 when it is valid
// UTF-8, else read as Windows-1252 (what names written on Windows hold). A text that holds several
// names (a path, a message naming files) is read name by name, so that each name shows as the list
// shows it, whatever its neighbours hold. Also the UTF-8 and Windows-1252 primitives every text
// conversion of the program uses (the exports' among them).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace model {

// Length of the well-formed UTF-8 sequence that starts at s[i] (1 to 4), with its code point in
// cp; 0 when none starts there (overlong forms, surrogates and code points above U+10FFFF are no
// UTF-8).
[[nodiscard]] std::size_t DecodeUtf8At(std::string_view s, std::size_t i, char32_t& cp);
// The same without the code point.
[[nodiscard]] std::size_t Utf8SequenceAt(std::string_view s, std::size_t i);
// True when s is well-formed UTF-8.
[[nodiscard]] bool IsValidUtf8(std::string_view s);
// Appends cp (up to U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// The code point of the Windows-1252 byte c; 0 for the five bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// the code page leaves unassigned.
[[nodiscard]] char32_t Windows1252CodePoint(unsigned char c);

// bytes as UTF-8: each part between the separators "/" and "\" and the line breaks (CR, LF) is
// taken as it is when it is valid UTF-8, else read as Windows-1252 (its unassigned bytes as the C1
// controls of the same value). A single name holds no "/", so it is read whole.
[[nodiscard]] std::string DisplayUtf8(std::string_view bytes);

} // namespace model
