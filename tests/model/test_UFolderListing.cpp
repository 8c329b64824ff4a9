// Folders listed and own icons looked up on workers: the caller's thread returns at once, the
// folder gets what Expand would have given it when the answer is run on that thread, and an item
// that left the tree, or a long operation that runs, keeps the answer from it.
#include "model/UFolderListing.h"
#include "model/UIconManager.h"
#include "model/URealIcons.h"
#include "model/UScanProgress.h"
#include "model/UTypeList.h"
#include "platform/PFileCalls.h"
#include "platform/PShell.h"
#include "platform/PWorkerThread.h"

#include "tests/FixtureTree.h"

#include <gtest/gtest.h>

#include <thread>

using namespace model;

namespace {

// Runs what the workers posted for this thread until cond holds (or five seconds pass).
template <class F> bool RunPostedUntil(F cond) {
    for (int i = 0; i < 2500; ++i) {
        platform::RunPosted();
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

std::vector<std::string> ChildNames(const TFolderItem& folder) {
    std::vector<std::string> names;
    for (const TItem* child : folder.Children())
        names.push_back(child->NameString());
    return names;
}

struct TClient : TFolderListing::TClient {
    std::vector<TFolderItem*> listed;
    void FolderListed(TFolderItem* folder) override { listed.push_back(folder); }
};

class FolderListing : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"b", "a", "a/x", "a/y", "c", "c/z", "c/z/deep"})
            FTree.Folder(f);
        FTree.File("file.txt", 5);
    }
    void TearDown() override {
        EXPECT_TRUE(platform::WaitForWorkerThreads(0, std::chrono::seconds(5)));
        platform::RunPosted();
    }
    txtest::TTempDir FTree;
};

} // namespace

TEST_F(FolderListing, AFolderWaitsThenGetsWhatExpandGivesAndItsSubfoldersFollow) {
    TManualItem expected(FTree.Path(), kKindFixed, nullptr);
    expected.Expand(false, true); // no listing installed: at once, as before
    ASSERT_EQ(ChildNames(expected), (std::vector<std::string>{"a", "b", "c"}));

    TClient client;
    TManualItem item(FTree.Path(), kKindFixed, nullptr);
    {
        TFolderListing listing(client);
        EXPECT_EQ(InstalledFolderListing(), &listing);
        item.Expand(false, true);
        EXPECT_FALSE(item.Listed()) << "nothing is read on the caller's thread";
        EXPECT_EQ(item.ChildCount(), 0);
        EXPECT_TRUE(listing.Waiting(&item));
        item.Expand(false, true); // asked again while it waits: nothing new
        ASSERT_TRUE(RunPostedUntil([&] { return listing.WaitingCount() == 0 && client.listed.size() == 4; }));
        EXPECT_TRUE(item.Listed());
        EXPECT_TRUE(item.ChildrenListed());
        EXPECT_EQ(ChildNames(item), ChildNames(expected));
        for (int i = 0; i < item.ChildCount(); ++i) {
            auto* got = static_cast<TFolderItem*>(item.Child(i));
            auto* want = static_cast<TFolderItem*>(expected.Child(i));
            EXPECT_TRUE(got->Listed()) << got->NameString();
            EXPECT_EQ(ChildNames(*got), ChildNames(*want)) << got->NameString();
            EXPECT_EQ(got->Modified(), want->Modified());
            EXPECT_EQ(got->Attributes(), want->Attributes());
        }
        EXPECT_EQ(client.listed.front(), &item) << "the folder first, then its subfolders";
    }
    EXPECT_EQ(InstalledFolderListing(), nullptr);
}

TEST_F(FolderListing, AFolderThatLeavesTheTreeMeanwhileTakesNothing) {
    TClient client;
    TManualItem root(FTree.Path(), kKindFixed, nullptr);
    root.Expand(false, false);
    auto* a = static_cast<TFolderItem*>(root.FindChild("a"));
    auto* c = static_cast<TFolderItem*>(root.FindChild("c"));
    ASSERT_TRUE(a && c);
    TFolderListing listing(client);
    a->Expand(false, false);
    c->Expand(false, false);
    ASSERT_TRUE(listing.Waiting(a));
    root.RemoveChild(a);
    delete a; // the answer for it finds nobody
    EXPECT_TRUE(listing.Waiting(c));
    EXPECT_EQ(listing.WaitingCount(), 1u);
    ASSERT_TRUE(RunPostedUntil([&] { return listing.WaitingCount() == 0; }));
    EXPECT_EQ(client.listed, (std::vector<TFolderItem*>{c}));
    EXPECT_EQ(ChildNames(*c), (std::vector<std::string>{"z"}));
}

TEST_F(FolderListing, AnAnswerWaitsForTheLongOperationThatRuns) {
    TClient client;
    TManualItem item(FTree.Path(), kKindFixed, nullptr);
    TFolderListing listing(client);
    {
        TScanProgressScope exploring; // an exploration's window is open
        item.Expand(false, false);
        ASSERT_TRUE(platform::WaitForWorkerThreads(0, std::chrono::seconds(5)));
        platform::RunPosted();
        EXPECT_FALSE(item.Listed()) << "nothing changes under a running exploration";
        EXPECT_TRUE(listing.Waiting(&item));
    }
    ASSERT_TRUE(RunPostedUntil([&] { return item.Listed(); }));
    EXPECT_EQ(ChildNames(item), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(FolderListing, AFolderExploredMeanwhileKeepsWhatTheExplorationFound) {
    TClient client;
    TManualItem item(FTree.Path(), kKindFixed, nullptr);
    TFolderListing listing(client);
    item.Expand(false, false);
    item.Explore(); // listed and explored at once (the exploration makes no listing request)
    ASSERT_TRUE(item.IsExplored());
    const std::vector<std::string> explored = ChildNames(item);
    ASSERT_TRUE(RunPostedUntil([&] { return listing.WaitingCount() == 0; }));
    EXPECT_EQ(ChildNames(item), explored) << "the files are still there";
    EXPECT_TRUE(item.IsExplored());
}

namespace {

// A shell that tells files apart by their last letter, and counts who asks.
class TLetterShell : public platform::TShell {
public:
    std::string PathType(const std::string& path) const override {
        asked.push_back(std::this_thread::get_id());
        const std::size_t last = path.find_last_not_of('/');
        return last == std::string::npos ? "" : "type/" + path.substr(last, 1);
    }
    int PathTypeIcon(const std::string& type, bool open, std::string& typeName) override {
        typeName = type;
        return type.empty() ? -1 : 100 + type.back() - 'a' + (open ? 50 : 0);
    }
    mutable std::vector<std::thread::id> asked;
};

struct TIconsTold : TIconListener {
    std::vector<TItem*> items;
    TIconsTold() { AddIconListener(this); }
    ~TIconsTold() override { RemoveIconListener(this); }
    void IconArrived(TItem* item) override { items.push_back(item); }
};

} // namespace

TEST(RealIcons, AnItemShowsTheIconOfItsKindUntilItsOwnComes) {
    TLetterShell shell;
    platform::SetShell(&shell);
    const bool local = IconManager().RealIconsLocal;
    IconManager().RealIconsLocal = true;
    {
        TManualItem top("/tmp/some/folder", kKindFixed, nullptr);
        auto* file = new TFileItem("notes.b", &top);
        top.AddChild(file);
        TIconsTold told;
        TRealIcons icons;
        file->ResolveIcon();
        EXPECT_EQ(file->IconIndex(), TypeList().IconIndex(file->TypeIndex())) << "its type's icon first";
        top.ResolveIcon();
        EXPECT_EQ(top.IconIndex(), IconManager().FolderIcon);
        EXPECT_EQ(icons.WaitingCount(), 2u);
        ASSERT_TRUE(RunPostedUntil([&] { return icons.WaitingCount() == 0; }));
        EXPECT_EQ(file->IconIndex(), 101);
        EXPECT_EQ(top.IconIndex(), 100 + 'r' - 'a');
        EXPECT_EQ(top.OpenIconIndex(), 150 + 'r' - 'a');
        EXPECT_EQ(told.items.size(), 2u);
        for (const std::thread::id& id : shell.asked)
            EXPECT_NE(id, std::this_thread::get_id()) << "the file is asked about on a worker";

        // One that leaves the tree first takes nothing.
        auto* gone = new TFileItem("old.c", &top);
        top.AddChild(gone);
        gone->ResolveIcon();
        top.RemoveChild(gone);
        delete gone;
        EXPECT_EQ(icons.WaitingCount(), 0u);
        ASSERT_TRUE(platform::WaitForWorkerThreads(0, std::chrono::seconds(5)));
        platform::RunPosted();
        EXPECT_EQ(told.items.size(), 2u);
    }
    IconManager().RealIconsLocal = local;
    platform::SetShell(nullptr);
}
