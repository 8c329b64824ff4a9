#include "mainwindow/UMainSettings.h"

#include "listing/UColumn.h"
#include "model/UItem.h"
#include "platform/PMounts.h"

namespace mainwindow {

using namespace model;

std::vector<TSettingValue> TFrameSettings::FrameValues(const std::vector<TSettingValue>& afterToolbar) {
    std::vector<TSettingValue> values{{"Width", &width},
                                      {"Height", &height},
                                      {"Top", &top},
                                      {"Left", &left},
                                      {"ShowTreeView", nullptr, &showTreeView},
                                      {"ShowToolbar", nullptr, &showToolbar}};
    values.insert(values.end(), afterToolbar.begin(), afterToolbar.end());
    values.insert(values.end(), {{"ShowButtonLabel", nullptr, &showButtonLabel},
                                 {"ShowPath", nullptr, &showPath},
                                 {"ShowStatusBar", nullptr, &showStatusBar},
                                 {"ShowTips", nullptr, &showTips}});
    return values;
}

std::vector<TSettingValue> TFrameSettings::Values() {
    return FrameValues({});
}

std::vector<TSettingValue> TMainSettings::Values() {
    std::vector<TSettingValue> values = FrameValues({{"ShowMap", nullptr, &showMap}});
    values.insert(values.end(), {{"AskSave", nullptr, &askSave},
                                 {"UseLocalRealIcon", nullptr, &useLocalRealIcon},
                                 {"UseRemovableRealIcon", nullptr, &useRemovableRealIcon},
                                 {"UseNetworkRealIcon", nullptr, &useNetworkRealIcon}});
    return values;
}

void CentreWindow(TFrameSettings& s, int screenWidth, int screenHeight) {
    s.left = (screenWidth - s.width) / 2;
    s.top = (screenHeight - s.height) / 2;
}

TMainSettings DefaultMainSettings(int screenWidth, int screenHeight) {
    TMainSettings s;
    CentreWindow(s, screenWidth, screenHeight);
    return s;
}

namespace {
const char* const kColumns[3] = {"Columns 0", "Columns 1", "Columns 2"};
} // namespace

bool ReadSettings(TSettingsKey& key, TFrameSettings& s) {
    try {
        for (int g = 0; g < 3; ++g) {
            // A layout of 7 bytes or fewer cannot hold even its two counts: ignored.
            if (key.DataSize(kColumns[g]) > 7)
                s.columns[g] = listing::LayoutFromBytes(key.ReadBinary(kColumns[g]));
        }
        for (const TSettingValue& v : s.Values()) {
            if (v.integer)
                *v.integer = key.ReadInteger(v.name);
            else
                *v.boolean = key.ReadBool(v.name);
        }
    } catch (const ESettingsError&) {
        return false;
    }
    return true;
}

void ClampWindow(TFrameSettings& s, int screenWidth, int screenHeight) {
    if (s.left < 0) s.left = 0;
    if (s.top < 0) s.top = 0;
    if (s.width < kMinWidth) s.width = kMinWidth;
    if (s.height < kMinHeight) s.height = kMinHeight;
    if (s.width > screenWidth) s.width = screenWidth;
    if (s.height > screenHeight) s.height = screenHeight;
    if (s.top > screenHeight - s.height) s.top = screenHeight - s.height;
    if (s.left > screenWidth - s.width) s.left = screenWidth - s.width;
}

void WriteSettings(TSettingsKey& key, TFrameSettings& s) {
    for (int g = 0; g < 3; ++g)
        if (!s.columns[g].empty()) key.WriteBinary(kColumns[g], listing::LayoutToBytes(s.columns[g]));
    for (const TSettingValue& v : s.Values()) {
        if (v.integer)
            key.WriteInteger(v.name, *v.integer);
        else
            key.WriteBool(v.name, *v.boolean);
    }
}

std::optional<TPreferredEntry> ParsePreferredValue(std::string_view value) {
    if (value.size() < 2 || (value[0] != '1' && value[0] != '0')) return std::nullopt;
    return TPreferredEntry{value[0] == '1', std::string(value.substr(1))};
}

std::string FormatPreferredValue(const TPreferredEntry& entry) {
    return (entry.exploreAtStart ? "1" : "0") + entry.path;
}

std::vector<TPreferredEntry> ReadPreferredEntries(TSettingsKey& key) {
    std::vector<TPreferredEntry> entries;
    try {
        for (int n = 0;; ++n) {
            const std::string name = "Pref" + std::to_string(n);
            if (!key.ValueExists(name)) break;
            if (auto entry = ParsePreferredValue(key.ReadString(name))) entries.push_back(std::move(*entry));
        }
    } catch (const ESettingsError&) {
    }
    return entries;
}

void WritePreferredEntries(TSettingsKey& key, const std::vector<TPreferredEntry>& entries) {
    for (std::size_t n = 0; n < entries.size(); ++n)
        key.WriteString("Pref" + std::to_string(n), FormatPreferredValue(entries[n]));
}

namespace {
std::string WithoutTrailingSlash(std::string_view path) {
    std::string p(path);
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}
} // namespace

bool IsDriveRoot(std::string_view path, const std::vector<std::string>& mountPoints) {
    if (path.empty() || path[0] != '/' || (path.size() >= 2 && path[1] == '/')) return false;
    const std::string p = WithoutTrailingSlash(path);
    for (const std::string& mount : mountPoints)
        if (WithoutTrailingSlash(mount) == p) return true;
    return false;
}

std::vector<TPreferredEntry> PreferredEntriesOf(const TPreferredRootItem& root) {
    std::vector<TPreferredEntry> entries;
    for (const TItem* child : root.Children()) {
        if (auto* item = dynamic_cast<const TPreferredItem*>(child))
            entries.push_back({item->ExploreAtStart(), item->GetPath()});
        else if (auto* drive = dynamic_cast<const TPreferredDriveItem*>(child))
            entries.push_back({drive->ExploreAtStart(), drive->GetPath()});
    }
    return entries;
}

void BuildPreferredItems(TPreferredRootItem& root, const std::vector<TPreferredEntry>& entries,
                         const std::vector<std::string>& mountPoints,
                         const std::function<std::string(const std::string&)>& displayName) {
    root.Clear();
    for (const TPreferredEntry& entry : entries) {
        if (IsDriveRoot(entry.path, mountPoints)) {
            const std::string mount = WithoutTrailingSlash(entry.path);
            auto* drive = new TPreferredDriveItem(mount, platform::DriveKindOfPath(mount), &root);
            drive->SetExploreAtStart(entry.exploreAtStart);
            if (displayName) {
                const std::string name = displayName(mount);
                if (!name.empty()) drive->SetDisplayName(name);
            }
            root.AddChild(drive);
        } else {
            auto* item = new TPreferredItem(entry.path, &root);
            item->SetExploreAtStart(entry.exploreAtStart);
            root.AddChild(item);
        }
    }
}

} // namespace mainwindow
