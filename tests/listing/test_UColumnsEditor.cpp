#include "listing/UColumnsEditor.h"
#include "listing/UProgramProfile.h"

#include <gtest/gtest.h>

using namespace listing;

namespace {

class ColumnsEditor : public ::testing::Test {
protected:
    TColumnGroup group{nullptr, 7, ExplorerProfile().mainGroups[0].ids, "&File/Folder View"};
    TColumnsEditor editor{group};
    std::vector<int> Ids() const {
        std::vector<int> v;
        for (const auto& e : editor.Entries())
            v.push_back(e.id);
        return v;
    }
};

} // namespace

TEST_F(ColumnsEditor, FillsFromTheCurrentLayout) {
    ASSERT_EQ(editor.Entries().size(), 15u);
    EXPECT_EQ(editor.Entries()[0].name, "Name");
    EXPECT_EQ(editor.Entries()[5].name, "Modified (calculated)");
    EXPECT_TRUE(editor.Entries()[6].checked);
    EXPECT_FALSE(editor.Entries()[7].checked);
    const auto b = editor.Buttons();
    EXPECT_FALSE(b.moveUp || b.moveDown || b.show || b.hide || b.width);
}

TEST_F(ColumnsEditor, NamingColumnCannotBeHiddenOrMovedButItsWidthChanges) {
    editor.SetChecked(0, false);
    EXPECT_TRUE(editor.Entries()[0].checked);
    EXPECT_EQ(editor.Selected(), 0);
    auto b = editor.Buttons();
    EXPECT_FALSE(b.moveUp || b.moveDown || b.show || b.hide);
    EXPECT_TRUE(b.width);
    EXPECT_EQ(b.widthValue, 150);
    editor.MoveDown();
    editor.Hide();
    EXPECT_EQ(Ids()[0], 0);
    EXPECT_TRUE(editor.Entries()[0].checked);
    editor.Select(1);
    EXPECT_FALSE(editor.Buttons().moveUp);
    editor.MoveUp();
    EXPECT_EQ(Ids()[0], 0);
    editor.Select(14);
    EXPECT_FALSE(editor.Buttons().moveDown);
    EXPECT_TRUE(editor.Buttons().moveUp);
}

TEST_F(ColumnsEditor, ShowAndHideFollowEveryCheckChange) {
    editor.Select(3);
    EXPECT_TRUE(editor.Buttons().hide);
    EXPECT_FALSE(editor.Buttons().show);
    editor.SetChecked(3, false); // the check box itself
    EXPECT_TRUE(editor.Buttons().show);
    EXPECT_FALSE(editor.Buttons().hide);
    editor.SetChecked(9, true); // another row's box: it becomes the selection
    EXPECT_EQ(editor.Selected(), 9);
    EXPECT_TRUE(editor.Buttons().hide);
    editor.Hide();
    EXPECT_TRUE(editor.Buttons().show);
    editor.Show();
    EXPECT_TRUE(editor.Buttons().hide);
}

TEST_F(ColumnsEditor, CheckedHiddenColumnBecomesTheLastVisible) {
    editor.SetChecked(11, true); // Extension, among the hidden ones
    editor.Apply();
    EXPECT_EQ(group.VisibleCount, 8);
    EXPECT_EQ(group.ColumnIdAt(7), 16);
    EXPECT_EQ(group.ColumnIdAt(8), 4);
    EXPECT_TRUE(group.Modified);
}

TEST_F(ColumnsEditor, MovesKeepCheckStates) {
    editor.Select(7); // Created, hidden
    editor.MoveUp();
    EXPECT_EQ(editor.Selected(), 6);
    EXPECT_EQ(Ids()[6], 4);
    EXPECT_FALSE(editor.Entries()[6].checked);
    editor.Apply();
    EXPECT_EQ(group.VisibleCount, 7);
    EXPECT_EQ(group.ColumnIdAt(5), 3);
    EXPECT_EQ(group.ColumnIdAt(6), 6); // Attributes stays visible, after Modified
    EXPECT_EQ(group.ColumnIdAt(7), 4);
}

TEST_F(ColumnsEditor, ResetRestoresDefaultsAndOnlyOkApplies) {
    group.SetColumnAt(1, 21);
    group.SetColumnAt(14, 1);
    group.SetVisibleCount(2);
    group.SetWidth(1, 33);
    group.ClearModified();
    group.ResetEditWidths();
    TColumnsEditor e(group);
    e.Select(1);
    e.Reset();
    EXPECT_EQ(e.Selected(), -1);
    EXPECT_EQ(e.Entries()[1].id, 1);
    EXPECT_EQ(group.GetEditWidth(1), 85);
    EXPECT_EQ(group.GetWidth(1), 33); // nothing reaches the group before OK
    EXPECT_FALSE(group.Modified);
    e.Apply();
    EXPECT_EQ(group.Order, group.DefaultOrder);
    EXPECT_EQ(group.VisibleCount, 7);
    EXPECT_EQ(group.GetWidth(1), 85);
}

TEST_F(ColumnsEditor, WidthAloneSetsModifiedAndNoChangeLeavesItClear) {
    group.ResetEditWidths();
    editor.Apply();
    EXPECT_FALSE(group.Modified);
    editor.Select(12); // a hidden column's width counts too
    editor.SetWidth(44);
    editor.Apply();
    EXPECT_TRUE(group.Modified);
    EXPECT_EQ(group.GetWidth(19), 44);
}
