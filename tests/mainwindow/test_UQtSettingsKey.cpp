// The settings model on a real settings file in a temporary folder.
#include "mainwindow/UQtSettingsKey.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace mainwindow;
using platform::TRegistry;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string file = (dir.path() + "/TessalundrixPro3.1.conf").toStdString();
};

TEST_F(SettingsFile, NoFileLeavesTheDefaults) {
    TRegistry reg = TRegistry::AtFile(file);
    EXPECT_FALSE(reg.OpenKey("", false) && reg.ValueExists("Width"));
    TRegistrySettingsKey key(reg);
    TMainSettings s = DefaultMainSettings(1280, 1024);
    EXPECT_FALSE(ReadSettings(key, s));
    EXPECT_EQ(s.width, 816);
    EXPECT_TRUE(s.showTips);
}

TEST_F(SettingsFile, EverySettingAndTheLayoutsRoundTrip) {
    TMainSettings s = DefaultMainSettings(1280, 1024);
    s.columns = {std::vector<std::int32_t>{15, 7, 0, 200, 1, 90}, {10, 8, 0, 50}, {4, 4, 0, 120, 1, 80}};
    s.left = 12;
    s.top = 34;
    s.width = 900;
    s.height = 600;
    s.showToolbar = false;
    s.showStatusBar = false;
    s.showTips = false;
    s.useRemovableRealIcon = true;
    {
        TRegistry reg = TRegistry::AtFile(file);
        reg.OpenKey("", true);
        TRegistrySettingsKey key(reg);
        WriteSettings(key, s);
        reg.OpenKey(kPreferredKey, true);
        WritePreferredEntries(key, {{true, "/home/"}, {false, "/data/x/"}});
        ASSERT_TRUE(reg.Flush());
    }
    TRegistry reg = TRegistry::AtFile(file);
    ASSERT_TRUE(reg.OpenKey("", false));
    TRegistrySettingsKey key(reg);
    TMainSettings r = DefaultMainSettings(1280, 1024);
    EXPECT_TRUE(ReadSettings(key, r));
    EXPECT_EQ(r.columns, s.columns);
    EXPECT_EQ(r.left, 12);
    EXPECT_EQ(r.top, 34);
    EXPECT_EQ(r.width, 900);
    EXPECT_EQ(r.height, 600);
    EXPECT_FALSE(r.showToolbar);
    EXPECT_FALSE(r.showStatusBar);
    EXPECT_FALSE(r.showTips);
    EXPECT_TRUE(r.useRemovableRealIcon);
    ASSERT_TRUE(reg.OpenKey(kPreferredKey, false));
    const auto entries = ReadPreferredEntries(key);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1], (TPreferredEntry{false, "/data/x/"}));
}

TEST_F(SettingsFile, AMissingValueStopsReadingButTheClampsStillApply) {
    {
        TRegistry reg = TRegistry::AtFile(file);
        reg.OpenKey("", true);
        reg.WriteInteger("Width", 5000);
        reg.WriteInteger("Height", 100);
        reg.WriteInteger("Left", -40); // never reached: "Top" is missing
        reg.WriteBool("ShowTreeView", false);
        ASSERT_TRUE(reg.Flush());
    }
    TRegistry reg = TRegistry::AtFile(file);
    reg.OpenKey("", false);
    TRegistrySettingsKey key(reg);
    TMainSettings s = DefaultMainSettings(1280, 1024);
    EXPECT_FALSE(ReadSettings(key, s));
    EXPECT_TRUE(s.showTreeView);
    ClampWindow(s, 1280, 1024);
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.height, 200);
    EXPECT_GE(s.left, 0);
    EXPECT_LE(s.left + s.width, 1280);
    EXPECT_LE(s.top + s.height, 1024);
}

} // namespace
