// Save choice, marks, load extension and the close decision.
#include "mainwindow/UMainCommands.h"

#include "SampleTree.h"

#include <gtest/gtest.h>

using namespace mainwindow;
using namespace model;

namespace {

TEST(CloseDecision, YesClosesOnlyAfterASaveOrWithNothingToSave) {
    struct {
        TCloseAnswer answer;
        TSaveCommandOutcome outcome;
        bool closes;
    } cases[] = {
        {TCloseAnswer::NotAsked, TSaveCommandOutcome::Cancelled, true},
        {TCloseAnswer::No, TSaveCommandOutcome::Cancelled, true},
        {TCloseAnswer::Cancel, TSaveCommandOutcome::SavedAll, false},
        {TCloseAnswer::Yes, TSaveCommandOutcome::SavedAll, true},
        {TCloseAnswer::Yes, TSaveCommandOutcome::SavedSelected, true},
        {TCloseAnswer::Yes, TSaveCommandOutcome::NothingToSave, true},
        {TCloseAnswer::Yes, TSaveCommandOutcome::Cancelled, false},
        {TCloseAnswer::Yes, TSaveCommandOutcome::Failed, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MayClose(c.answer, c.outcome), c.closes) << int(c.answer) << " " << int(c.outcome);
}

TEST(SaveChoice, SelectionCaption) {
    TSampleTree t;
    EXPECT_EQ(SelectionCaption(TFocus::List, {t.file, t.file2, t.folderA, t.folderB}, t.drive),
              "4 items selected");
    EXPECT_EQ(SelectionCaption(TFocus::List, {t.folderA}, t.drive), "/mnt/x/a/");
    EXPECT_EQ(SelectionCaption(TFocus::List, {nullptr}, t.drive), "");
    EXPECT_EQ(SelectionCaption(TFocus::List, {}, t.drive), "");
    EXPECT_EQ(SelectionCaption(TFocus::Tree, {t.file}, t.drive), "/mnt/x/");
    EXPECT_EQ(SelectionCaption(TFocus::None, {t.file}, t.drive), "");
}

TEST(SaveChoice, MarkingTheSelectionClearsOldMarks) {
    TSampleTree t;
    t.folderB->SetMarked(true);
    MarkSelection(*t.root, TFocus::List, {nullptr, t.file}, t.folderA);
    EXPECT_FALSE(t.folderB->Marked());
    EXPECT_TRUE(t.file->IsMarked());
    EXPECT_FALSE(t.file2->IsMarked());
    EXPECT_EQ(t.root->GetMarkedFileCount(), 1);

    MarkSelection(*t.root, TFocus::Tree, {t.file}, t.folderA);
    EXPECT_FALSE(t.file->Marked());
    EXPECT_EQ(t.root->GetMarkedFileCount(), 2);

    // The "Unexplored" row alone marks nothing: there is nothing to save.
    MarkSelection(*t.root, TFocus::List, {nullptr}, t.folderA);
    EXPECT_EQ(t.root->GetMarkedFileCount(), 0);
}

TEST(LoadDialog, ExtensionIgnoresCase) {
    EXPECT_TRUE(HasExplorationExtension("/home/me/data.TxF"));
    EXPECT_TRUE(HasExplorationExtension("data.txf"));
    EXPECT_FALSE(HasExplorationExtension("data.txt"));
    EXPECT_FALSE(HasExplorationExtension("/home/me.txf/data"));
    EXPECT_FALSE(HasExplorationExtension("txf"));
}

} // namespace
