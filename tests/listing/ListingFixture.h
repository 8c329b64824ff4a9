// A small item tree for the listing tests: a computer with a listed and an unlisted drive, an
// explored folder, a partial and an unexplored folder, files, and a manual root.
#pragma once

#include "model/UItem.h"
#include "platform/PDates.h"

namespace listing_test {

using namespace model;

struct TTree {
    TRootItem root{"My Tessalundrix"};
    TComputerRootItem* computer = nullptr;
    TDriveItem* drive = nullptr;       // "/data", listed, 40 GiB of 100 GiB free
    TDriveItem* unlisted = nullptr;    // "/media/usb", never explored
    TFolderItem* explored = nullptr;   // /data/docs/ explored: a.txt (1000), readme (3000)
    TFolderItem* partial = nullptr;    // /data/part/ not explored, holds an explored folder
    TFolderItem* deep = nullptr;       // /data/part/deep/ explored, empty
    TFolderItem* unexplored = nullptr; // /data/none/
    TFileItem* a = nullptr;
    TFileItem* readme = nullptr;
    TManualRootItem* manual = nullptr;

    TTree() {
        computer = root.EnsureComputerRoot();
        drive = new TDriveItem("/data", kKindFixed, computer);
        computer->AddChild(drive);
        drive->SetListed(true);
        unlisted = new TDriveItem("/media/usb", kKindRemovable, computer);
        computer->AddChild(unlisted);

        explored = Folder("docs", drive, true);
        a = File("a.txt", explored, 1000);
        readme = File("readme", explored, 3000);
        partial = Folder("part", drive, false);
        deep = Folder("deep", partial, true);
        unexplored = Folder("none", drive, false);
        manual = root.EnsureManualRoot();
        root.ComputeTotals();
        drive->SetSpace(40LL << 30, 100LL << 30); // after the totals, which measure real drives
    }

    static TFolderItem* Folder(const char* name, TFolderItem* parent, bool isExplored) {
        auto* f = new TFolderItem(name, parent);
        parent->AddChild(f);
        f->SetExplored(isExplored);
        f->SetListed(isExplored);
        return f;
    }
    static TFileItem* File(const char* name, TFolderItem* parent, std::int64_t size) {
        auto* f = new TFileItem(name, parent);
        parent->AddChild(f);
        f->SetSize(size);
        return f;
    }
};

} // namespace listing_test
