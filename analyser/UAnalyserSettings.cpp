#include "analyser/UAnalyserSettings.h"

#include "listing/UColumn.h"
#include "listing/UColumnStore.h"
#include "platform/PQtRegistry.h"

namespace analyser {

namespace {

// Ends a block of reading: a value missing or of another type.
struct TStop {};

std::int32_t Int(const platform::TRegistry& store, const char* name) {
    const auto r = store.ReadInteger(name);
    if (!r.Ok()) throw TStop{};
    return r.value;
}
bool Bool(const platform::TRegistry& store, const char* name) {
    return Int(store, name) != 0;
}

// A binary value into place: missing changes nothing; larger than place, or of another type, stops.
template <size_t N>
void Bytes(const platform::TRegistry& store, const char* name, std::array<std::uint8_t, N>& place) {
    if (!store.ValueExists(name)) return;
    const auto r = store.ReadBinary(name);
    if (!r.Ok() || r.value.size() > N) throw TStop{};
    std::copy(r.value.begin(), r.value.end(), place.begin());
}

} // namespace

TAnalyserSettings DefaultAnalyserSettings(int screenWidth, int screenHeight) {
    TAnalyserSettings s;
    s.Left = (screenWidth - s.Width) / 2;
    s.Top = (screenHeight - s.Height) / 2;
    return s;
}

void ClampAnalyserGeometry(TAnalyserSettings& s, int screenWidth, int screenHeight) {
    if (s.Left < 0) s.Left = 0;
    if (s.Top < 0) s.Top = 0;
    if (s.Width > screenWidth) s.Width = screenWidth;
    if (s.Height > screenHeight) s.Height = screenHeight;
    if (s.Top > screenHeight - s.Height) s.Top = screenHeight - s.Height;
    if (s.Left > screenWidth - s.Width) s.Left = screenWidth - s.Width;
}

void LoadAnalyserSettings(platform::TRegistry& store, TAnalyserSettings& s, const TColumnGroups& groups,
                          int dateCount, int extCount, int typeCount, int screenWidth, int screenHeight) {
    if (!store.OpenKey(kAnalyserKey, false)) return;
    try {
        std::array<std::uint8_t, 56> colors{};
        for (int i = 0; i < 14; ++i)
            for (int b = 0; b < 4; ++b)
                colors[static_cast<size_t>(4 * i + b)] =
                    static_cast<std::uint8_t>(s.Colors.Data[static_cast<size_t>(i)] >> (8 * b));
        Bytes(store, "Data Color", colors);
        for (int i = 0; i < 14; ++i) {
            std::uint32_t c = 0;
            for (int b = 0; b < 4; ++b)
                c |= static_cast<std::uint32_t>(colors[static_cast<size_t>(4 * i + b)]) << (8 * b);
            s.Colors.Data[static_cast<size_t>(i)] = c;
        }
        s.Colors.Background = static_cast<TChartColor>(Int(store, "Background Color"));
        s.Colors.Title = static_cast<TChartColor>(Int(store, "Title Color"));
        s.Colors.BackgroundGradient = Bool(store, "Background Gradient");
        s.Colors.DataGradient = Bool(store, "Data Gradient");

        int dateIndex = s.DateType;
        try {
            s.ShowPercent = Bool(store, "Show %");
            s.DateShowOther = Bool(store, "Date Show Other");
            s.ExtShowOther = Bool(store, "Ext Show Other");
            s.TypeShowOther = Bool(store, "Type Show Other");
            dateIndex = Int(store, "Date Type");
        } catch (const TStop&) {
        }
        if (dateIndex >= 0 && dateIndex < dateCount) s.DateType = dateIndex;
        try {
            const int v = Int(store, "Extension Report");
            if (v >= 0 && v < extCount) s.ExtReport = v;
        } catch (const TStop&) {
        }
        try {
            const int v = Int(store, "Type Report");
            if (v >= 0 && v < typeCount) s.TypeReport = v;
        } catch (const TStop&) {
        }

        Bytes(store, "Legend", s.Legend);
        Bytes(store, "3D", s.View3D);
        for (int n = 0; n < kSheetCount; ++n) {
            const std::string name = "Columns " + std::to_string(n);
            if (groups[static_cast<size_t>(n)] && store.DataSize(name) > 7)
                listing::LoadColumnLayout(store, name, *groups[static_cast<size_t>(n)]);
        }
        s.Width = Int(store, "Width");
        s.Height = Int(store, "Height");
        s.Top = Int(store, "Top");
        s.Left = Int(store, "Left");
    } catch (const TStop&) {
        // A bad value ends the reading; what was read stays in force.
    }
    ClampAnalyserGeometry(s, screenWidth, screenHeight);
    store.OpenKey("", true);
}

bool SaveAnalyserSettings(platform::TRegistry& store, const TAnalyserSettings& s,
                          const TColumnGroups& groups) {
    if (!store.OpenKey(kAnalyserKey, true)) return false;
    platform::TBytes colors;
    for (TChartColor c : s.Colors.Data)
        for (int b = 0; b < 4; ++b)
            colors.push_back(static_cast<std::uint8_t>(c >> (8 * b)));
    store.WriteBinary("Data Color", colors);
    store.WriteInteger("Background Color", static_cast<std::int32_t>(s.Colors.Background));
    store.WriteInteger("Title Color", static_cast<std::int32_t>(s.Colors.Title));
    store.WriteBool("Background Gradient", s.Colors.BackgroundGradient);
    store.WriteBool("Data Gradient", s.Colors.DataGradient);
    store.WriteBool("Show %", s.ShowPercent);
    store.WriteBool("Date Show Other", s.DateShowOther);
    store.WriteBool("Ext Show Other", s.ExtShowOther);
    store.WriteBool("Type Show Other", s.TypeShowOther);
    store.WriteInteger("Date Type", s.DateType);
    store.WriteInteger("Extension Report", s.ExtReport);
    store.WriteInteger("Type Report", s.TypeReport);
    store.WriteBinary("Legend", platform::TBytes(s.Legend.begin(), s.Legend.end()));
    store.WriteBinary("3D", platform::TBytes(s.View3D.begin(), s.View3D.end()));
    for (int n = 0; n < kSheetCount; ++n)
        if (groups[static_cast<size_t>(n)])
            listing::StoreColumnLayout(store, "Columns " + std::to_string(n),
                                       *groups[static_cast<size_t>(n)]);
    store.WriteInteger("Width", s.Width);
    store.WriteInteger("Height", s.Height);
    store.WriteInteger("Top", s.Top);
    store.WriteInteger("Left", s.Left);
    store.OpenKey("", true);
    return store.Flush();
}

void LoadAnalyserReports(platform::TRegistry& store, std::vector<std::string>& ext,
                         std::vector<std::string>& type) {
    ext.clear();
    type.clear();
    if (!store.OpenKey(kAnalyserReportKey, false)) return;
    auto readList = [&](const char* prefix, std::vector<std::string>& out) {
        for (int i = 0;; ++i) {
            const std::string name = prefix + std::to_string(i);
            if (!store.ValueExists(name)) return true;
            const auto r = store.ReadString(name);
            if (!r.Ok()) return false;
            out.push_back(r.value);
        }
    };
    if (readList("Ext", ext)) readList("Type", type);
    store.OpenKey("", true);
}

void SaveAnalyserReports(platform::TRegistry& store, const std::vector<std::string>& ext,
                         const std::vector<std::string>& type) {
    store.OpenKey("", true);
    store.DeleteKey(kAnalyserReportKey);
    if (!store.OpenKey(kAnalyserReportKey, true)) return;
    for (int i = static_cast<int>(ext.size()) - 1; i >= 0; --i)
        store.WriteString("Ext" + std::to_string(i), ext[static_cast<size_t>(i)]);
    for (int i = static_cast<int>(type.size()) - 1; i >= 0; --i)
        store.WriteString("Type" + std::to_string(i), type[static_cast<size_t>(i)]);
    store.OpenKey("", true);
    store.Flush();
}

} // namespace analyser
