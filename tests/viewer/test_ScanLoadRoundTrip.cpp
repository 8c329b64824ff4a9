// Files written by the console scanner load in the viewer into the tree the explorer builds from
// the same folder: names, sizes, dates, attributes and counts.
#include "model/UItem.h"
#include "viewer/UItem.h"

#include "../FixtureTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

const model::TFolderItem* Only(const model::TFolderItem& f) {
    EXPECT_EQ(f.ChildCount(), 1);
    return f.ChildCount() == 1 && f.Child(0)->IsFolder() ? static_cast<const model::TFolderItem*>(f.Child(0)) : nullptr;
}

// Walks both trees side by side; children are compared as sets by name (each side has its own order).
void ExpectSameTree(const model::TFolderItem& scanned, const model::TFolderItem& loaded, const std::string& where) {
    ASSERT_EQ(scanned.ChildCount(), loaded.ChildCount()) << where;
    for (const model::TItem* s : scanned.Children()) {
        const model::TItem* l = loaded.FindChild(s->Name());
        ASSERT_NE(l, nullptr) << where << s->Name();
        const std::string path = where + std::string(s->Name());
        EXPECT_EQ(s->IsFolder(), l->IsFolder()) << path;
        EXPECT_EQ(s->GetSize(), l->GetSize()) << path;
        EXPECT_EQ(s->GetFileCount(), l->GetFileCount()) << path;
        EXPECT_DOUBLE_EQ(s->Modified(), l->Modified()) << path;
        EXPECT_DOUBLE_EQ(s->Accessed(), l->Accessed()) << path;
        // The file keeps the attribute byte's bits; the directory bit is not stored.
        EXPECT_EQ(s->Attributes() & ~model::kAttrDirectory, l->Attributes()) << path;
        if (s->IsFolder())
            ExpectSameTree(*static_cast<const model::TFolderItem*>(s), *static_cast<const model::TFolderItem*>(l), path + "/");
    }
}

} // namespace

TEST(ScanLoadRoundTrip, TxscanFileLoadsIntoTheExploredTree) {
    txtest::TTempDir t;
    txtest::MakeFixtureTree(t);
    // Reading a folder may set its access time once (relatime): read them all before either walk.
    ASSERT_EQ(txtest::TTempDir::Run("ls -laR '" + t.Path() + "' > /dev/null 2>&1"), 0);
    txtest::TTempDir out;
    const std::string file = out.Path() + "scan.txf";
    const std::string command = std::string("'") + TXSCAN_PATH + "' /o '" + file + "' /s '" + t.Path() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    model::TManualItem explored(t.Path(), model::kKindFixed, nullptr);
    model::TFolderItem::ScanFolder(t.Path(), &explored);
    explored.ComputeTotals();

    viewer::TRootItem root;
    auto* loaded = new viewer::TFileRootItem(file, &root);
    root.AddChild(loaded);
    ASSERT_EQ(loaded->LoadFromFile(), viewer::kLoadOk);
    root.UpdateTotals();

    // The file holds one path record: the scanned folder with its full path.
    const model::TFolderItem* top = Only(*loaded);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetPath(), t.Path());
    EXPECT_EQ(loaded->GetFileCount(), explored.GetFileCount());
    EXPECT_EQ(loaded->GetSize(), explored.GetSize());
    ExpectSameTree(explored, *top, t.Path());
}
