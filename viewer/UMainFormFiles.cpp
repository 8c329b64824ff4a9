// The viewer's main window: loading, closing and saving files.
#include "viewer/UMainForm.h"
#include "viewer/UMainFormParts.h"

#include "model/UBusyCursor.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTreeWidget>

namespace viewer {

using namespace formparts;

void TMainForm::AskAndLoadFile() {
    const TFocusReturn focusBack(*this);
    std::string fileName;
    if (FHooks.openFileName) {
        fileName = FHooks.openFileName();
    } else {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({"Tessalundrix File (*.txf)", "All Files (*)"});
        dialog.setDefaultSuffix("txf");
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            fileName = dialog.selectedFiles().front().toStdString();
    }
    if (!fileName.empty()) LoadFileWithProgress(fileName);
}

void TMainForm::LoadFileWithProgress(const std::string& fileName) {
    if (!FRootItem) return;
    ClearListRows();
    TreeView->setUpdatesEnabled(false);
    TLoadOutcome outcome;
    TManagerLoadProgress sink;
    if (!RunWithFileProgress("Loading", fileName, -1,
                             [&] { outcome = LoadFileInto(*FRootItem, fileName, &sink); }))
        outcome.code = kLoadCancelled;
    if (outcome.file) {
        outcome.file->ResolveIcon();
        QTreeWidgetItem* node = NewNode(outcome.file, FRootNode);
        AddChildNodes(outcome.file, node);
    }
    TreeView->setUpdatesEnabled(true);
    if (!outcome.message.empty()) ShowMessage(outcome.message, "Error", QMessageBox::Critical);
    if (!FRootNode->isExpanded()) FRootNode->setExpanded(true);
    SelectNode(FRootNode);
}

void TMainForm::Close1Click() {
    ApplyPopupNode();
    const TFocus focus = Focus();
    const std::vector<TFileRootItem*> files = FilesToClose(focus, SelectedRows(), SelectedTreeItem());
    if (!files.empty()) CloseFiles(files);
}

void TMainForm::CloseFiles(const std::vector<TFileRootItem*>& files) {
    model::TBusyCursor busy;
    ClearListRows();
    TreeView->blockSignals(true);
    for (TFileRootItem* file : files) {
        if (!IsFileRootItem(file) || file->Parent() != FRootItem.get()) continue;
        CloseWindowsOfItem(file);
        if (QTreeWidgetItem* node = NodeOf(file)) DeleteNode(node);
        CloseFile(*FRootItem, file);
    }
    TreeView->blockSignals(false);
    FRootNode->setExpanded(true);
    TreeView->setCurrentItem(FRootNode);
    RefreshViews();
}

void TMainForm::SaveAllfilesin1files1Click() {
    RunSaveForm(false);
}

void TMainForm::Save1Click() {
    ApplyPopupNode();
    RunSaveForm(true);
}

void TMainForm::RunSaveForm(bool preselect) {
    if (!FRootItem) return;
    const TViewerInput in = Input();
    bool selectedOnly = preselect;
    if (!AskSaveChoice(FHooks.saveChoice, 1, preselect, SelectionCaption(in), selectedOnly)) return;
    if (selectedOnly)
        MarkForSave(*FRootItem, SelectionToSave(in));
    else
        MarkForSave(*FRootItem, {FRootItem.get()});
    SaveExploration();
}

void TMainForm::SaveExploration() {
    const std::int64_t count = FRootItem ? FRootItem->GetMarkedFileCount() : 0;
    if (count == 0) {
        if (FRootItem) FRootItem->ClearMark();
        ShowMessage("Nothing to save (you need to load first)", "Nothing to save", QMessageBox::Warning);
        return;
    }
    const std::string fileName = AskSaveFileName(FHooks.saveFileName);
    if (fileName.empty()) {
        FRootItem->ClearMark();
        return;
    }
    model::TSaveOutcome written;
    TManagerLoadProgress sink;
    const bool ran = RunWithFileProgress("Saving", fileName, -1, [&] {
        model::ProgressManager().SetMax(count);
        written = SaveMarked(*FRootItem, fileName, &sink);
    });
    FRootItem->ClearMark();
    if (!ran) return;
    if (written.result == model::TSaveResult::Failed)
        ShowMessage("An error as occured while saving.", "Error", QMessageBox::Critical);
    else if (written.result == model::TSaveResult::Cancelled)
        ShowMessage(written.message, written.caption, QMessageBox::Critical);
}

} // namespace viewer
