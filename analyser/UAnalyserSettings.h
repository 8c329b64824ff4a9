// What the analyser window keeps in the settings store: chart colours, the boxes and combos of its
// tabs, the legend and 3D switches, the column layouts of its nine tables and its geometry under
// "Analyser", and the custom report definitions under "Analyser/Report".
#pragma once

#include "analyser/UAnalyserReports.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
class TRegistry;
}
namespace listing {
class TColumnGroup;
}

namespace analyser {

inline constexpr const char* kAnalyserKey = "Analyser";
inline constexpr const char* kAnalyserReportKey = "Analyser/Report";
inline constexpr int kAnalyserWidth = 592;
inline constexpr int kAnalyserHeight = 467;
inline constexpr int kAnalyserMinHeight = 430;

struct TAnalyserSettings {
    TChartColors Colors;
    bool ShowPercent = true;
    bool DateShowOther = true;
    bool ExtShowOther = true;
    bool TypeShowOther = true;
    int DateType = 2; // "Months"
    int ExtReport = 0;
    int TypeReport = 0;
    std::array<std::uint8_t, kSheetCount> Legend{1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<std::uint8_t, kSheetCount> View3D{1, 0, 0, 0, 0, 0, 0, 0, 0};
    int Width = kAnalyserWidth;
    int Height = kAnalyserHeight;
    int Top = 0;
    int Left = 0;
};

using TColumnGroups = std::array<listing::TColumnGroup*, kSheetCount>;

// The defaults, the window centred on a screen of that size (divisions truncate toward zero).
[[nodiscard]] TAnalyserSettings DefaultAnalyserSettings(int screenWidth, int screenHeight);

// Keeps the window on the screen: no negative left or top, no larger than the screen, no part
// beyond its right or bottom edge.
void ClampAnalyserGeometry(TAnalyserSettings& s, int screenWidth, int screenHeight);

// Reads the "Analyser" key over s (which holds the defaults). A missing key changes nothing. A
// missing or mistyped number, or a binary value larger than its place, ends the reading there:
// what was read before stays, the rest keeps its default. The boxes and the stored combo
// indexes are read in blocks of their own, whose errors end only that block; a combo index is
// taken only when it is below its count. Column layouts (more than 7 bytes) go into the groups
// (null ones are skipped) where they fit. The geometry is kept on the screen.
void LoadAnalyserSettings(platform::TRegistry& store, TAnalyserSettings& s, const TColumnGroups& groups,
                          int dateCount, int extCount, int typeCount, int screenWidth, int screenHeight);
// Writes every value of the "Analyser" key, column layouts included; false when the store refused.
bool SaveAnalyserSettings(platform::TRegistry& store, const TAnalyserSettings& s,
                          const TColumnGroups& groups);

// The custom report definitions: "Ext0", "Ext1", ... then "Type0", ... until the first missing
// number; a value of another type ends the reading (what was read stays).
void LoadAnalyserReports(platform::TRegistry& store, std::vector<std::string>& ext,
                         std::vector<std::string>& type);
// Replaces the "Analyser/Report" key with the definitions, numbered from 0 without gaps.
void SaveAnalyserReports(platform::TRegistry& store, const std::vector<std::string>& ext,
                         const std::vector<std::string>& type);

} // namespace analyser
