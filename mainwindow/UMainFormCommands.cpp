// The main window's commands of browsing, exploring, saving and loading.
#include "mainwindow/UMainForm.h"

#include "listing/KPLListView.h"
#include "mainwindow/UQtShellOpen.h"
#include "mainwindow/USaveForm.h"
#include "model/UConvertHelp.h"
#include "model/UProgressForm.h"
#include "model/UProgressManager.h"
#include "model/URecordCodec.h"
#include "model/UScanProgress.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTreeWidget>

namespace mainwindow {

using namespace model;

namespace {
// The writer's steps and cancel test go through the program's progress manager and its window.
class TManagerProgress : public TProgressSink {
public:
    void SetMax(std::int64_t n) override { ProgressManager().SetMax(n); }
    void Step() override { ProgressManager().Step(); }
    bool Cancelled() override { return ProgressManager().Cancelled(); }
};
} // namespace

// ---- explore and refresh ----

void TMainForm::RefreshExplore1Click() {
    ApplyPopupNode();
    const TFocusReturn focusBack(*this);
    if (Focus() == TFocus::List) {
        const std::vector<TItem*> rows = SelectedRows();
        if (rows.size() > 1) {
            if (QTreeWidgetItem* selected = TreeView->currentItem()) selected->setExpanded(true);
            FExploreNode = TreeView->currentItem();
            FExploreList.clear();
            bool fileMet = false;
            for (TItem* row : rows) {
                if (!row) continue;
                if (!row->IsFolder()) {
                    fileMet = true;
                    break;
                }
                FExploreList.push_back(row);
            }
            if (fileMet) {
                // A file among the rows: the whole folder is explored again.
                if (QTreeWidgetItem* selected = TreeView->currentItem(); selected && ItemOfNode(selected)) {
                    ReExploreNode(selected);
                    if (QTreeWidgetItem* again = TreeView->currentItem()) again->setExpanded(true);
                }
            } else {
                TScanProgressScope window;
                window->Execute("", [this] { ExploreSelectedFolders(); });
            }
            FExploreList.clear();
            if (FExploreNode) SelectNode(FExploreNode);
            FExploreNode = nullptr;
            UpdatePreferredRootState();
            return;
        }
        if (rows.size() == 1 && rows.front() && rows.front()->IsFolder()) {
            if (QTreeWidgetItem* selected = TreeView->currentItem(); selected && !selected->isExpanded())
                selected->setExpanded(true);
            if (QTreeWidgetItem* child = FindChildNode(rows.front())) SelectNode(child);
        }
    }
    QTreeWidgetItem* node = TreeView->currentItem();
    if (TFolderItem* item = ItemOfNode(node)) {
        ReExploreNode(node);
        if (QTreeWidgetItem* again = NodeOf(item)) again->setExpanded(true);
    }
    UpdatePreferredRootState();
}

void TMainForm::ExploreSelectedFolders() {
    for (TItem* item : FExploreList) {
        if (!FExploreNode) break;
        SelectNode(FExploreNode);
        QTreeWidgetItem* child = FindChildNode(item);
        if (!child) continue;
        SelectNode(child);
        ReExploreNode(child);
        if (ScanProgressForm && ScanProgressForm->Cancelled()) break;
    }
}

void TMainForm::UpdatePreferredRootState() {
    TPreferredRootItem* pref = FRootItem ? FRootItem->PreferredRoot() : nullptr;
    if (!pref) return;
    if (pref->ChildCount() == 0) {
        pref->SetExplored(false);
        return;
    }
    for (const TItem* child : pref->Children())
        if (child->IsFolder() && !static_cast<const TFolderItem*>(child)->IsExplored()) return;
    pref->SetExplored(true);
}

// ---- open, up, collapse ----

void TMainForm::Open1Click() {
    ApplyPopupNode();
    const TFocus focus = Focus();
    if (focus == TFocus::List)
        ListViewDblClick();
    else if (focus == TFocus::Tree && TreeView->currentItem())
        OpenTreeNode(!TreeView->currentItem()->isExpanded());
}

// ---- save ----

void TMainForm::Saveas1Click() {
    RunSaveForm(false);
}

void TMainForm::SaveAs2Click() {
    ApplyPopupNode();
    RunSaveForm(true);
}

TSaveCommandOutcome TMainForm::RunSaveForm(bool preselect) {
    if (!FRootItem) return TSaveCommandOutcome::NothingToSave;
    const std::vector<TItem*> rows = SelectedRows();
    const std::string selection =
        SelectionCaption(Focus(), std::vector<const TItem*>(rows.begin(), rows.end()), SelectedTreeItem());
    bool selectedOnly = false;
    if (!AskSaveChoice(FHooks.saveChoice, 0, preselect, selection, selectedOnly))
        return TSaveCommandOutcome::Cancelled;
    if (selectedOnly) {
        // The popup's node, when it was one, is the tree selection now.
        ApplyPopupNode();
        MarkSelection(*FRootItem, Focus(), SelectedRows(), SelectedTreeItem());
    } else {
        FRootItem->ClearMark();
        FRootItem->SetMarked(true);
    }
    return SaveExploration();
}

TSaveCommandOutcome TMainForm::SaveExploration() {
    const std::int64_t count = FRootItem->GetMarkedFileCount();
    const bool whole = FRootItem->Marked();
    TSaveCommandOutcome outcome = TSaveCommandOutcome::NothingToSave;
    if (count > 0) {
        const std::string fileName = AskSaveFileName(FHooks.saveFileName);
        if (fileName.empty()) {
            outcome = TSaveCommandOutcome::Cancelled;
        } else {
            TManagerProgress sink;
            model::TSaveOutcome written;
            const bool ran = RunWithFileProgress("Saving", fileName, count, [&] {
                ProgressManager().SetMax(FRootItem->GetMarkedFileCount());
                written = FRootItem->SaveToFile(fileName, &sink);
            });
            if (!ran || written.result == TSaveResult::Cancelled) {
                outcome = TSaveCommandOutcome::Cancelled;
            } else if (written.result == TSaveResult::Failed) {
                outcome = TSaveCommandOutcome::Failed;
                ShowMessage(written.message.empty() ? "An error as occured while saving." : written.message,
                            written.caption.empty() ? "Error" : written.caption, QMessageBox::Critical);
            } else {
                outcome = whole ? TSaveCommandOutcome::SavedAll : TSaveCommandOutcome::SavedSelected;
                // Only a save of the whole tree leaves nothing unsaved.
                if (whole) FModified = false;
            }
        }
    }
    FRootItem->ClearMark();
    if (count == 0)
        ShowMessage("Nothing to save (you need to explore first)", "Nothing to save", QMessageBox::Warning);
    return outcome;
}

// ---- load ----

void TMainForm::Load1Click() {
    for (;;) {
        const QString file = QFileDialog::getOpenFileName(this, "Load data file in TXViewer", QString(),
                                                          "Tessalundrix file (*.txf)");
        if (file.isEmpty()) return;
        if (!HasExplorationExtension(file.toStdString())) {
            ShowMessage("File extension must be .txf", "Filename Error", QMessageBox::Critical);
            continue;
        }
        if (!OpenExplorationFile(file.toStdString()))
            ShowMessage("No program was found to open " + file.toStdString(), "Error", QMessageBox::Critical);
        return;
    }
}

} // namespace mainwindow
