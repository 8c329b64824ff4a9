// The main-window frame told what workers read for it: folders listed and items' own icons.
#include "listing/KPLListView.h"
#include "mainwindow/UFileAnswers.h"
#include "mainwindow/UMainFrameForm.h"
#include "model/UProgressForm.h"
#include "model/UWatchedItems.h"
#include "platform/PMounts.h"
#include "platform/PQtPost.h"

#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>

namespace mainwindow {

TFileAnswers::TFileAnswers(TMainFrameForm& form) : FForm(form), FListing(*this) {
    model::AddIconListener(this);
    model::SetDriveSpaces(this);
}

TFileAnswers::~TFileAnswers() {
    model::SetDriveSpaces(nullptr);
    model::RemoveIconListener(this);
}

void TFileAnswers::Measure(const std::vector<model::TDriveItem*>& drives) {
    for (model::TDriveItem* drive : drives) {
        auto watched = std::make_shared<model::TWatchedItems>(std::vector<model::TItem*>{drive});
        TMainFrameForm* form = &FForm;
        // Within the time limit: a drive that does not answer shows no figures (-1), as before.
        platform::TellWithin<platform::TSpace>(
            platform::StartSpaceMeasure(drive->GetPath()), platform::kSpaceTimeLimitMs, platform::TSpace{},
            &FForm, [watched, form](const platform::TSpace& space) {
                auto* measured = static_cast<model::TDriveItem*>(watched->Items().front());
                if (!measured) return;
                measured->SetSpace(space.free, space.total);
                form->ListView->viewport()->update();
                form->UpdateStatusBar();
            });
    }
}

void TFileAnswers::FolderListed(model::TFolderItem* folder) {
    FForm.ShowListedFolder(folder);
}

void TFileAnswers::IconArrived(model::TItem* item) {
    FForm.ShowArrivedIcon(item);
}

bool SaveTargetAnswers(const std::string& fileName, model::TProgressForm& window) {
    const std::size_t slash = fileName.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : fileName.substr(0, slash + 1);
    // Shared with the answer, which may come after this has returned.
    struct TWait {
        QEventLoop loop;
        platform::TPathCheck check;
        bool told = false;
    };
    auto wait = std::make_shared<TWait>();
    platform::TellWithin<platform::TPathCheck>(
        platform::StartPathCheck(folder, true, platform::kSpaceTimeLimitMs), platform::kSpaceTimeLimitMs, {},
        &window, [wait](const platform::TPathCheck& check) {
            wait->check = check;
            wait->told = true;
            wait->loop.quit();
        });
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, &window, [&window, wait] {
        if (window.Cancelled()) wait->loop.quit();
    });
    cancel.start(40);
    if (!wait->told) wait->loop.exec();
    // A folder that answered goes on to the save, which says itself what it cannot write.
    return wait->told && wait->check.answered && !window.Cancelled();
}

void TMainFrameForm::AnswerFileCallsLater() {
    platform::InstallQtPoster();
    if (!FFileAnswers) FFileAnswers = std::make_unique<TFileAnswers>(*this);
}

bool TMainFrameForm::WaitsForListing(const model::TFolderItem* item) const {
    return FFileAnswers && FFileAnswers->Listing().Waiting(item);
}

void TMainFrameForm::ShowListedFolder(model::TFolderItem* folder) {
    if (QTreeWidgetItem* node = NodeOf(folder)) {
        const bool expanded = node->isExpanded();
        TreeView->setUpdatesEnabled(false);
        DeleteNodeChildren(node);
        AddChildNodes(folder, node);
        TreeView->setUpdatesEnabled(true);
        // An expanded node that had only its expand button open keeps it open on what came.
        if (expanded && !node->isExpanded()) node->setExpanded(true);
    }
    if (folder == SelectedTreeItem()) RefreshViews();
}

void TMainFrameForm::ShowArrivedIcon(model::TItem* item) {
    ListView->viewport()->update();
    if (!item->IsFolder()) return;
    auto* folder = static_cast<model::TFolderItem*>(item);
    if (QTreeWidgetItem* node = NodeOf(folder)) UpdateNodeImages(node);
    if (folder == SelectedTreeItem()) UpdatePathBar(folder);
}

} // namespace mainwindow
