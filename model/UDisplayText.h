// Text for the screen from the file system's bytes. A name is shown as UTF-8 when it is valid
// UTF-8, else read as Windows-1252 (what names written on Windows hold). A text that holds several
// names (a path, a message naming files) is read name by name, so that each name shows as the list
// shows it, whatever its neighbours hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace model {

// True when s is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
[[nodiscard]] bool IsValidUtf8(std::string_view s);
// Length of the well-formed UTF-8 sequence that starts at s[i] (1 to 4); 0 when none starts there.
[[nodiscard]] std::size_t Utf8SequenceAt(std::string_view s, std::size_t i);

// bytes as UTF-8: each part between the separators "/" and "\" and the line breaks (CR, LF) is
// taken as it is when it is valid UTF-8, else read as Windows-1252. A single name holds no "/",
// so it is read whole.
[[nodiscard]] std::string DisplayUtf8(std::string_view bytes);

} // namespace model
