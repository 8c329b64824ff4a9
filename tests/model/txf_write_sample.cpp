// Writes sample exploration files through the desktop explorer's save, for the independent reader
// (check_txf.py). Prints one line per file: its name and the record counts the tree was built with.
#include "model/UItem.h"

#include <cstdio>
#include <string>

using namespace model;

namespace {
TFileItem* AddFile(TFolderItem* folder, const std::string& name, std::int64_t size) {
    auto* f = new TFileItem(name, folder);
    f->SetSize(size);
    f->SetCreated(45000 + size % 1000);
    f->SetAttributes(size % 2 ? 0x20 : 0x1);
    folder->AddChild(f);
    return f;
}

struct Sample {
    TRootItem root{"My Tessalundrix"};
    TDriveItem* drive;
    TFolderItem* first = nullptr;
    TFileItem* lone = nullptr;
    Sample() {
        TComputerRootItem* computer = root.EnsureComputerRoot();
        drive = new TDriveItem("/data", kKindFixed, computer);
        computer->AddChild(drive);
        drive->SetExplored(true);
        for (int i = 0; i < 20; ++i) {
            auto* folder = new TFolderItem("folder" + std::to_string(i), drive);
            drive->AddChild(folder);
            folder->SetExplored(true);
            if (!first) first = folder;
            auto* sub = new TFolderItem("sub", folder);
            folder->AddChild(sub);
            sub->SetExplored(true);
            for (int j = 0; j < 250; ++j)
                AddFile(j % 2 ? sub : folder, "file" + std::to_string(j) + ".dat", j * 4099LL * (i + 1));
        }
        lone = AddFile(drive, "top.bin", 1LL << 40);
        TManualRootItem* manuals = root.EnsureManualRoot();
        auto* manual = new TManualItem("/", kKindFixed, manuals);
        manuals->AddChild(manual);
        manual->SetExplored(true);
        for (int j = 0; j < 3; ++j)
            AddFile(manual, "m" + std::to_string(j), j);
        root.ComputeTotals();
        drive->SetSpace(1 << 20, 1 << 30);
    }
};

bool Save(Sample& s, const std::string& dir, const char* name, const char* counts) {
    const TSaveOutcome outcome = s.root.SaveToFile(dir + "/" + name);
    if (outcome.result != TSaveResult::Saved) {
        std::fprintf(stderr, "%s: %s %s\n", name, outcome.message.c_str(), outcome.detail.c_str());
        return false;
    }
    std::printf("%s %s\n", name, counts);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: txf_write_sample folder\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    {
        Sample s;
        s.root.SetMarked(true);
        ok &= Save(s, dir, "all.txf", "files=5004 drives=1 folders=40 paths=1");
    }
    {
        Sample s;
        s.first->SetMarked(true);
        ok &= Save(s, dir, "folder.txf", "files=250 drives=0 folders=1 paths=1");
    }
    {
        Sample s;
        s.lone->SetMarked(true);
        s.first->Child(1)->SetMarked(true); // a file of folder0, beside its marked-less siblings
        ok &= Save(s, dir, "lone.txf", "files=2 drives=0 folders=0 paths=2");
    }
    {
        Sample s;
        ok &= Save(s, dir, "nothing.txf", "files=0 drives=0 folders=0 paths=0");
    }
    return ok ? 0 : 1;
}
