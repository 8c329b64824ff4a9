// Opens the main window on an explored tree whose largest folder holds 200,000 files and prints the
// time to show that folder's list and to sort it by each of its columns, both ways.
#include "BenchMainForm.h"

#include "listing/KPLListView.h"
#include "listing/UColumn.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeWidget>

#include <cstdio>
#include <random>

using namespace model;

int main(int argc, char* argv[]) {
    bench::UseOffscreenPlatform();
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 200000;
    QTemporaryDir settings;
    mainwindow::TMainForm form;
    bench::StartMainForm(app, form, settings);

    // An explored folder of generated files under My Manual Explorations: names, sizes, dates and
    // extensions spread as in a real download folder.
    TManualRootItem* manual = form.RootItem()->ManualRoot();
    auto* big = new TManualItem("/bench/big/", kKindFixed, manual);
    manual->AddChild(big);
    std::mt19937_64 random(42);
    const char* extensions[] = {".txt", ".jpg", ".png", ".pdf", ".zip", ".cpp", ".h", ".mp3", ""};
    for (int i = 0; i < files; ++i) {
        const std::string name =
            "file" + std::to_string(random() % 1000000) + "_" + std::to_string(i) + extensions[random() % 9];
        auto* file = new TFileItem(name, big);
        file->SetSize(std::int64_t(random() % 100000000));
        const double day = 40000 + double(random() % 8000) + double(random() % 86400) / 86400.0;
        file->SetModified(day);
        file->SetCreated(day - 10);
        file->SetAccessed(day + 1);
        file->SetAttributes(i % 50 == 0 ? kAttrHidden : kAttrNormal);
        big->AddChild(file);
    }
    big->SetExplored(true);
    big->SetListed(true);
    big->SetChildrenListed(true);
    form.RootItem()->ComputeTotals();
    form.AddChildNodes(manual, form.NodeOf(manual));
    QTreeWidgetItem* node = form.NodeOf(big);
    if (!node) {
        std::fprintf(stderr, "no node for the folder\n");
        return 1;
    }
    app.processEvents();

    QElapsedTimer timer;
    timer.start();
    form.TreeView->setCurrentItem(node);
    form.ListView->viewport()->repaint();
    app.processEvents();
    std::printf("show list of %d files: %.3f s\n", files, timer.nsecsElapsed() / 1e9);

    // Every column of the File/Folder View, the hidden ones shown too.
    form.Group(0)->SetVisibleCount(-1);
    form.ApplyColumnGroup();
    app.processEvents();
    const int columns = form.ListView->ColumnCount();
    for (int column = 0; column < columns; ++column) {
        const int id = form.ListView->ColumnTag(column);
        const listing::TColumnItem* c = listing::ColumnCatalogue().FindColumn(id);
        for (const char* direction : {"ascending", "descending"}) {
            timer.restart();
            form.ListViewColumnClick(column);
            form.ListView->viewport()->repaint();
            app.processEvents();
            std::printf("sort by %-16s %-10s (code %2d): %.3f s\n", c ? c->Caption.c_str() : "?", direction,
                        form.SortCode(), timer.nsecsElapsed() / 1e9);
        }
    }
    form.hide();
    return 0;
}
