// Opens the main window on an explored chain of folders 20,000 levels deep under My Manual
// Explorations, builds its tree nodes as an exploration does, then expands every level from the
// top down, and prints the time of each part. The argument gives another depth.
#include "BenchMainForm.h"

#include <QElapsedTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

using namespace model;

int main(int argc, char* argv[]) {
    bench::UseOffscreenPlatform();
    QApplication app(argc, argv);
    const int depth = argc > 1 ? std::atoi(argv[1]) : 20000;
    QTemporaryDir settings;
    mainwindow::TMainForm form;
    bench::StartMainForm(app, form, settings);

    // The chain as exploring leaves it: every folder explored and listed, one file in each.
    TManualRootItem* manual = form.RootItem()->ManualRoot();
    auto* top = new TManualItem("/bench/deep/", kKindFixed, manual);
    manual->AddChild(top);
    TFolderItem* folder = top;
    for (int level = 0; level <= depth; ++level) {
        auto* file = new TFileItem("f.txt", folder);
        file->SetSize(level + 1);
        folder->AddChild(file);
        folder->SetExplored(true);
        folder->SetListed(true);
        folder->SetChildrenListed(true);
        if (level == depth) break;
        auto* sub = new TFolderItem("d" + std::to_string(level), folder);
        folder->AddChild(sub);
        folder = sub;
    }
    form.RootItem()->ComputeTotals();

    QElapsedTimer timer;
    timer.start();
    form.TreeView->setUpdatesEnabled(false);
    form.AddChildNodes(manual, form.NodeOf(manual));
    form.TreeView->setUpdatesEnabled(true);
    app.processEvents();
    std::printf("tree nodes of a %d-deep chain: %.3f s\n", depth, timer.nsecsElapsed() / 1e9);

    timer.restart();
    int expanded = 0;
    for (QTreeWidgetItem* node = form.NodeOf(manual); node && node->childCount() > 0;) {
        node->setExpanded(true);
        ++expanded;
        // The folder child of the level (its file has no node).
        node = node->child(0);
    }
    app.processEvents();
    std::printf("expand every level (%d): %.3f s\n", expanded, timer.nsecsElapsed() / 1e9);
    form.hide();
    return 0;
}
