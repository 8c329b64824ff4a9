// The tip-of-the-day texts and the arithmetic of the tip position and of the dialog's placement.
#pragma once

#include <string_view>

namespace mainwindow {

inline constexpr int kTipCount = 21;
inline constexpr const char* kTipPosValue = "TipPos"; // stored in the program's settings

// Tip n (1 to kTipCount); paragraphs are separated by LF CR. Out of range: tip 1.
[[nodiscard]] std::string_view TipText(int n);

// A stored position outside 1..kTipCount starts again at 1.
[[nodiscard]] int ValidTipPos(int pos);
// The tip after pos, back to 1 past the last (or below the first).
[[nodiscard]] int NextTipPos(int pos);

// The dialog's left or top: centred on the main window when it fits, else at the main window's
// edge (division toward zero, as the window's own arithmetic does it).
[[nodiscard]] int CentredOn(int mainStart, int mainExtent, int dialogExtent);

} // namespace mainwindow
