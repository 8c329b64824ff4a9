// The programs' own icon, on a 48 x 48 grid: a folder tile with a magnifier over it. The viewer
// installs it as SVG (its desktop entry and the exploration files); the windows, the root of the
// tree and the "Unexplored" row draw the same shapes (PQtProgram.h).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct TIconPoint {
    double x, y;
};

inline constexpr TIconPoint kIconFolder[] = {{4, 12}, {20, 12}, {24, 16}, {44, 16}, {44, 42}, {4, 42}};
inline constexpr std::uint32_t kIconFolderFill = 0xe8b64c, kIconFolderLine = 0x8a6414; // 0xRRGGBB
inline constexpr double kIconFolderLineWidth = 2;
inline constexpr TIconPoint kIconLensCentre = {22, 28};
inline constexpr double kIconLensRadius = 8;
inline constexpr std::uint32_t kIconLensFill = 0xffffff, kIconLensLine = 0x2b4f8c;
inline constexpr double kIconLensLineWidth = 3;
inline constexpr TIconPoint kIconHandle[] = {{28, 34}, {36, 42}}; // round caps, the lens colour
inline constexpr double kIconHandleWidth = 4;

// The pixel sizes the icon is drawn at: the windows' icon and the installed theme icons.
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon as an SVG document.
[[nodiscard]] std::string ProgramIconSvg();

} // namespace platform
