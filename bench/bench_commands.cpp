// The item commands on a selection of 200,000 rows: the command state of the selection, the
// clipboard text of Copy Complete Path and the trash paths of a delete.
#include "mainwindow/UCommandState.h"
#include "mainwindow/UMainCommands.h"
#include "model/UItem.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace model;

namespace {
template <class F> double Ms(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char* argv[]) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200000;
    auto root = std::make_unique<TRootItem>("My Tessalundrix");
    TManualRootItem* manual = root->EnsureManualRoot();
    auto* folder = new TManualItem("/bench/big/", kKindFixed, manual);
    manual->AddChild(folder);
    std::vector<const TItem*> selection;
    for (int i = 0; i < rows; ++i) {
        auto* file = new TFileItem("file_" + std::to_string(i) + ".dat", folder);
        folder->AddChild(file);
        selection.push_back(file);
    }
    folder->SetExplored(true);

    mainwindow::TCommandInput in;
    in.focus = mainwindow::TFocus::List;
    in.listSelected = true;
    in.listItem = selection.front();
    in.listSelection = selection;
    std::size_t sink = 0;
    const double state = Ms([&] { sink += mainwindow::UpdateCommands(in).deleteOn; });
    const double copy = Ms(
        [&] { sink += mainwindow::CopyText(selection, true, mainwindow::TCopyKind::CompletePath).size(); });
    const double trash = Ms([&] { sink += mainwindow::TrashPaths(selection).size(); });
    std::printf("%d rows: command state %.2f ms, Copy Complete Path %.2f ms, trash paths %.2f ms (%zu)\n",
                rows, state, copy, trash, sink);
    return 0;
}
