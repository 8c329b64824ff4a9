// The main window's settings: defaults, the reading order that stops at a missing value, clamps,
// column layouts and the preferred list.
#include "mainwindow/UMainSettings.h"

#include "listing/UColumn.h"
#include "model/UItem.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <variant>

using namespace mainwindow;

namespace {

// A key in memory, typed like the store: integers, strings and binary blocks.
class TMemoryKey : public TSettingsKey {
public:
    using TValue = std::variant<std::int32_t, std::string, std::vector<std::uint8_t>>;
    std::map<std::string, TValue> values;
    std::vector<std::string> written; // names in the order they were written

    bool ValueExists(const std::string& name) override { return values.count(name) != 0; }
    int DataSize(const std::string& name) override {
        auto it = values.find(name);
        if (it == values.end() || !std::holds_alternative<std::vector<std::uint8_t>>(it->second)) return -1;
        return static_cast<int>(std::get<std::vector<std::uint8_t>>(it->second).size());
    }
    template <typename T> T Get(const std::string& name) {
        auto it = values.find(name);
        if (it == values.end() || !std::holds_alternative<T>(it->second)) throw ESettingsError(name);
        return std::get<T>(it->second);
    }
    std::int32_t ReadInteger(const std::string& name) override { return Get<std::int32_t>(name); }
    std::string ReadString(const std::string& name) override { return Get<std::string>(name); }
    std::vector<std::uint8_t> ReadBinary(const std::string& name) override {
        return Get<std::vector<std::uint8_t>>(name);
    }
    void WriteInteger(const std::string& name, std::int32_t v) override {
        values[name] = v;
        written.push_back(name);
    }
    void WriteString(const std::string& name, const std::string& v) override { values[name] = v; }
    void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& v) override {
        values[name] = v;
    }
};

TEST(MainSettings, DefaultsAreTheDesignedWindowCentred) {
    const TMainSettings s = DefaultMainSettings(1921, 1080);
    EXPECT_EQ(s.width, 816);
    EXPECT_EQ(s.height, 491);
    EXPECT_EQ(s.left, (1921 - 816) / 2);
    EXPECT_EQ(s.top, (1080 - 491) / 2);
    EXPECT_TRUE(s.showTreeView && s.showToolbar && s.showButtonLabel && s.showPath && s.showStatusBar);
    EXPECT_FALSE(s.showMap);
    EXPECT_TRUE(s.showTips && s.askSave && s.useLocalRealIcon);
    EXPECT_FALSE(s.useRemovableRealIcon || s.useNetworkRealIcon);
}

TEST(FrameSettings, TheViewersDefaultsAreItsDesignedWindowCentred) {
    TFrameSettings s(660, 440);
    CentreWindow(s, 1024, 768);
    EXPECT_EQ(std::make_tuple(s.left, s.top, s.width, s.height), std::make_tuple(182, 164, 660, 440));
}

// The stored order is the one an earlier run reads back, stopping at the first missing value: the
// explorer keeps "ShowMap" among the toggles and its options after them; the viewer stores the
// frame's values alone.
TEST(FrameSettings, EachProgramWritesItsValuesInTheirOrder) {
    const std::vector<std::string> bounds{"Width", "Height", "Top", "Left", "ShowTreeView", "ShowToolbar"};
    const std::vector<std::string> toggles{"ShowButtonLabel", "ShowPath", "ShowStatusBar", "ShowTips"};
    TMainSettings explorer;
    TFrameSettings viewer(660, 440);
    struct {
        const char* what;
        TFrameSettings* s;
        std::vector<std::string> names;
    } cases[] = {
        {"explorer", &explorer, {}},
        {"viewer", &viewer, {}},
    };
    cases[0].names = bounds;
    cases[0].names.push_back("ShowMap");
    cases[0].names.insert(cases[0].names.end(), toggles.begin(), toggles.end());
    for (const char* option : {"AskSave", "UseLocalRealIcon", "UseRemovableRealIcon", "UseNetworkRealIcon"})
        cases[0].names.push_back(option);
    cases[1].names = bounds;
    cases[1].names.insert(cases[1].names.end(), toggles.begin(), toggles.end());
    for (const auto& c : cases) {
        TMemoryKey key;
        WriteSettings(key, *c.s);
        EXPECT_EQ(key.written, c.names) << c.what;
    }
}

TEST(MainSettings, WrittenValuesReadBack) {
    TMainSettings s = DefaultMainSettings(1000, 800);
    s.columns[1] = {3, 2, 0, 120, 11, 80, 9, 60};
    s.width = 700;
    s.showMap = true;
    s.showPath = false;
    s.askSave = false;
    s.useNetworkRealIcon = true;
    TMemoryKey key;
    WriteSettings(key, s);
    EXPECT_FALSE(key.ValueExists("Columns 0")); // a built-in layout is not written
    EXPECT_EQ(key.values["ShowMap"], TMemoryKey::TValue(1));

    TMainSettings r = DefaultMainSettings(1000, 800);
    EXPECT_TRUE(ReadSettings(key, r));
    EXPECT_EQ(r.columns[1], s.columns[1]);
    EXPECT_TRUE(r.columns[0].empty());
    EXPECT_EQ(r.width, 700);
    EXPECT_TRUE(r.showMap);
    EXPECT_FALSE(r.showPath);
    EXPECT_FALSE(r.askSave);
    EXPECT_TRUE(r.useNetworkRealIcon);
}

TEST(MainSettings, SizeUnitsAreNeitherWrittenNorNeeded) {
    TMemoryKey key;
    TMainSettings defaults = DefaultMainSettings(1000, 800);
    WriteSettings(key, defaults);
    for (const char* unit : {"SizeUnit", "SpaceUnit", "AnalyserSpaceUnit"})
        EXPECT_FALSE(key.ValueExists(unit)) << unit;
    // A store written by an earlier version still holds them: they are read past, and a store
    // without them is read to its last value.
    TMainSettings r = DefaultMainSettings(1000, 800);
    EXPECT_TRUE(ReadSettings(key, r));
    key.values["SizeUnit"] = std::int32_t(2);
    key.values["SpaceUnit"] = std::string("not a number");
    EXPECT_TRUE(ReadSettings(key, r));
}

TEST(MainSettings, ReadingStopsAtAMissingValue) {
    TMainSettings s = DefaultMainSettings(1000, 800);
    s.showTreeView = false;
    s.showTips = false;
    s.useLocalRealIcon = false;
    TMemoryKey key;
    WriteSettings(key, s);
    key.values.erase("ShowTips");
    TMainSettings r = DefaultMainSettings(1000, 800);
    EXPECT_FALSE(ReadSettings(key, r));
    EXPECT_FALSE(r.showTreeView);    // read before the gap
    EXPECT_TRUE(r.showTips);         // the gap: default
    EXPECT_TRUE(r.useLocalRealIcon); // after the gap: default
}

TEST(MainSettings, AValueOfAnotherTypeStopsReadingToo) {
    TMemoryKey key;
    key.values["Width"] = std::int32_t(500);
    key.values["Height"] = std::string("tall");
    TMainSettings r = DefaultMainSettings(1000, 800);
    EXPECT_FALSE(ReadSettings(key, r));
    EXPECT_EQ(r.width, 500);
    EXPECT_EQ(r.height, 491);
}

TEST(MainSettings, ShortLayoutsAreIgnored) {
    TMemoryKey key;
    key.values["Columns 0"] = std::vector<std::uint8_t>(7, 1);
    key.values["Columns 2"] = listing::LayoutToBytes({1, 1, 0, 200});
    TMainSettings r = DefaultMainSettings(1000, 800);
    ReadSettings(key, r);
    EXPECT_TRUE(r.columns[0].empty());
    EXPECT_EQ(r.columns[2], (std::vector<std::int32_t>{1, 1, 0, 200}));
}

TEST(MainSettings, WindowIsClampedOntoTheScreen) {
    struct {
        int left, top, width, height;
        int eLeft, eTop, eWidth, eHeight;
    } cases[] = {
        {10, 10, 100, 100, 10, 10, 400, 200},      // too small
        {-50, -5, 816, 491, 0, 0, 816, 491},       // off the top left
        {0, 0, 3000, 2000, 0, 0, 1280, 1024},      // larger than the screen
        {1200, 900, 816, 491, 464, 533, 816, 491}, // off the bottom right
        {100, 100, 816, 491, 100, 100, 816, 491},  // already on the screen
    };
    for (const auto& c : cases) {
        TMainSettings s;
        s.left = c.left;
        s.top = c.top;
        s.width = c.width;
        s.height = c.height;
        ClampWindow(s, 1280, 1024);
        EXPECT_EQ(s.left, c.eLeft);
        EXPECT_EQ(s.top, c.eTop);
        EXPECT_EQ(s.width, c.eWidth);
        EXPECT_EQ(s.height, c.eHeight);
    }
}

TEST(PreferredList, ValuesParseAndFormat) {
    EXPECT_EQ(ParsePreferredValue("1/home/me/"), (TPreferredEntry{true, "/home/me/"}));
    EXPECT_EQ(ParsePreferredValue("0//srv/share/"), (TPreferredEntry{false, "//srv/share/"}));
    EXPECT_FALSE(ParsePreferredValue("1"));
    EXPECT_FALSE(ParsePreferredValue(""));
    EXPECT_FALSE(ParsePreferredValue("2/home/"));
    EXPECT_EQ(FormatPreferredValue({true, "/data/"}), "1/data/");
}

TEST(PreferredList, MalformedValuesAreSkippedAndTheListEndsAtAGap) {
    TMemoryKey key;
    key.values["Pref0"] = std::string("1");
    key.values["Pref1"] = std::string("0/data/");
    key.values["Pref2"] = std::string("1/srv/");
    key.values["Pref4"] = std::string("1/after-gap/");
    const auto entries = ReadPreferredEntries(key);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (TPreferredEntry{false, "/data/"}));
    EXPECT_EQ(entries[1], (TPreferredEntry{true, "/srv/"}));
}

TEST(PreferredList, AValueThatIsNoStringEndsTheList) {
    TMemoryKey key;
    key.values["Pref0"] = std::string("0/data/");
    key.values["Pref1"] = std::int32_t(3);
    key.values["Pref2"] = std::string("0/more/");
    EXPECT_EQ(ReadPreferredEntries(key).size(), 1u);
}

TEST(PreferredList, MountPointsStandForDriveRoots) {
    const std::vector<std::string> mounts{"/", "/home", "/media/usb"};
    EXPECT_TRUE(IsDriveRoot("/", mounts));
    EXPECT_TRUE(IsDriveRoot("/home/", mounts));
    EXPECT_TRUE(IsDriveRoot("/media/usb", mounts));
    EXPECT_FALSE(IsDriveRoot("/home/me/", mounts));
    EXPECT_FALSE(IsDriveRoot("//srv/share/", mounts));
    EXPECT_FALSE(IsDriveRoot("", mounts));
}

TEST(PreferredList, ItemsAreBuiltAndWrittenBackInOrder) {
    model::TRootItem root("My Tessalundrix");
    model::TPreferredRootItem* pref = root.EnsurePreferredRoot();
    const std::vector<TPreferredEntry> entries{
        {true, "/media/usb/"}, {false, "//srv/share/docs/"}, {false, "/data/"}};
    BuildPreferredItems(*pref, entries, {"/", "/media/usb"},
                        [](const std::string& mount) { return mount == "/media/usb" ? "USB stick" : ""; });
    ASSERT_EQ(pref->ChildCount(), 3);
    auto* drive = dynamic_cast<model::TPreferredDriveItem*>(pref->Child(0));
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->Name(), "USB stick");
    EXPECT_TRUE(drive->ExploreAtStart());
    EXPECT_EQ(drive->StateIndex(), 1);
    auto* folder = dynamic_cast<model::TPreferredItem*>(pref->Child(1));
    ASSERT_NE(folder, nullptr);
    EXPECT_FALSE(folder->ExploreAtStart());
    EXPECT_EQ(folder->StateIndex(), 2);
    EXPECT_EQ(PreferredEntriesOf(*pref), entries);

    TMemoryKey key;
    WritePreferredEntries(key, PreferredEntriesOf(*pref));
    EXPECT_EQ(key.values["Pref0"], TMemoryKey::TValue(std::string("1/media/usb/")));
    EXPECT_EQ(ReadPreferredEntries(key), entries);
}

} // namespace
