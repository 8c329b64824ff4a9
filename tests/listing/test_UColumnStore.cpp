#include "listing/UColumnStore.h"
#include "listing/UProgramProfile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace listing;

namespace {

TColumnGroup Group(int view) {
    const TColumnGroupDef& d = ExplorerProfile().mainGroups[static_cast<std::size_t>(view)];
    return TColumnGroup(nullptr, d.visible, d.ids, d.caption);
}

} // namespace

TEST(ColumnStore, LayoutsGoThroughTheSettingsStore) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/TessalundrixPro3.1.conf";
    {
        platform::TRegistry store = platform::TRegistry::AtFile(file);
        TColumnGroup drive = Group(1);
        drive.SetColumnAt(1, 14);
        drive.SetColumnAt(7, 11);
        drive.SetVisibleCount(3);
        StoreColumnLayout(store, "Columns 1", drive);
        StoreColumnLayout(store, "Columns 2", drive); // a 10-column layout under the 4-column view
        store.WriteBinary("Columns 0", {1, 2, 3, 4, 5, 6, 7});
        store.WriteString("Columns 9", "not binary");
        ASSERT_EQ(store.DataSize("Columns 1"), 4 * 22);
    }
    platform::TRegistry store = platform::TRegistry::AtFile(file);
    TColumnGroup drive = Group(1);
    ASSERT_TRUE(LoadColumnLayout(store, "Columns 1", drive));
    EXPECT_EQ(drive.ColumnIdAt(1), 14);
    EXPECT_EQ(drive.VisibleCount, 3);
    TColumnGroup normal = Group(2);
    EXPECT_FALSE(LoadColumnLayout(store, "Columns 2", normal));
    EXPECT_EQ(normal.Order, Group(2).Order);
    TColumnGroup folder = Group(0);
    EXPECT_FALSE(LoadColumnLayout(store, "Columns 0", folder)); // 7 bytes
    EXPECT_FALSE(LoadColumnLayout(store, "Columns 9", folder)); // a string
    EXPECT_FALSE(LoadColumnLayout(store, "Columns 5", folder)); // missing
    EXPECT_EQ(folder.Order, Group(0).Order);
}
