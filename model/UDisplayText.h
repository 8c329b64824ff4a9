// Text for the screen from the file system's bytes. A name is shown as UTF-8 when it is valid
// UTF-8, else read as Windows-1252 (what names written on Windows hold). A text that holds several
// names (a path, a message naming files) is read name by name, so that each name shows as the list
// shows it, whatever its neighbours hold.
#pragma once

#include <string>
#include <string_view>

namespace model {

// bytes as UTF-8: each part between the separators "/" and "\" and the line breaks (CR, LF) is
// taken as it is when it is valid UTF-8, else read as Windows-1252. A single name holds no "/",
// so it is read whole.
[[nodiscard]] std::string DisplayUtf8(std::string_view bytes);

} // namespace model
