#include "model/UItem.h"

#include <gtest/gtest.h>

using namespace model;

TEST(ItemTree, FolderOwnsChildren) {
    TRootItem root("My Tessalundrix");
    auto* f = new TFolderItem("a", &root);
    root.AddChild(f);
    auto* file = new TFileItem("x.txt", f);
    file->SetSize(5);
    f->AddChild(file);
    root.ComputeTotals();
    EXPECT_EQ(root.GetSize(), 5);
}
