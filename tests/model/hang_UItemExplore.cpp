// Exploring a file system whose server stops answering: Cancel ends the exploration at once and
// leaves the item empty, and a hung share inside a folder never holds the exploration of that folder.
#include "model/UItem.h"
#include "model/UScanProgress.h"
#include "platform/PWorkerThread.h"

#include "tests/support/THangFs.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace model;
using txtest::THangFs;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<THangFs::TEntry> kTree = {THangFs::File("/a/one.txt", 1000), THangFs::File("/a/b/two.bin", 5000),
                                            THangFs::Folder("/a/empty"), THangFs::File("/top.txt", 3)};

// The exploring window without a window: Cancel is pressed while the exploration waits on a held call.
class TCancelWhenHeld : public TScanProgress {
public:
    TCancelWhenHeld(THangFs& fs, Clock::time_point* cancelledAt) : FFs(fs), FCancelledAt(cancelledAt) {}
    void PumpWhileWaiting() override {
        if (!Cancelled() && FFs.Held() >= 1) {
            *FCancelledAt = Clock::now();
            Cancel();
        }
    }

private:
    THangFs& FFs;
    Clock::time_point* FCancelledAt;
};

class TFactory {
public:
    explicit TFactory(THangFs& fs) {
        SetScanProgressFactory([&fs, this] { return std::make_unique<TCancelWhenHeld>(fs, &CancelledAt); });
    }
    ~TFactory() { SetScanProgressFactory(nullptr); }
    Clock::time_point CancelledAt{};
};

} // namespace

TEST(HeldExplore, CancelEndsTheExplorationAtOnceAndLeavesTheItemEmpty) {
    for (const auto& [calls, path] : {std::pair{unsigned{THangFs::kStat}, "/a/b/two.bin"},
                                      std::pair{unsigned{THangFs::kOpendir}, "/"}}) {
        THangFs fs(kTree);
        TX_REQUIRE_HANGFS(fs);
        ASSERT_TRUE(fs.Block(calls, path));
        {
            TFactory windows(fs);
            TManualItem item(fs.MountPoint(), kKindFixed, nullptr);
            EXPECT_FALSE(item.Explore()) << path;
            // Had it waited for the server it could not end before the Release below; the bound
            // says it ends promptly, with room for a loaded machine's scheduling.
            EXPECT_LT(Clock::now() - windows.CancelledAt, std::chrono::milliseconds(500)) << path;
            EXPECT_EQ(item.ChildCount(), 0) << path;
            EXPECT_FALSE(item.IsExplored()) << path;
        }
        EXPECT_TRUE(fs.Release());
        EXPECT_TRUE(platform::WaitForWorkerThreads(0, std::chrono::seconds(20))) << path;
    }
}

TEST(HeldExplore, AHungShareInsideIsAnEmptyFolderAndTheRestIsExplored) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(fs.Block(THangFs::kAll));
    const std::string parent = fs.MountPoint().substr(0, fs.MountPoint().rfind('/'));
    const std::string name = fs.MountPoint().substr(parent.size() + 1);
    TManualItem item(parent, kKindFixed, nullptr);
    ASSERT_TRUE(item.Explore());
    TItem* mount = item.FindChild(name);
    ASSERT_NE(mount, nullptr);
    ASSERT_TRUE(mount->IsFolder());
    EXPECT_EQ(static_cast<TFolderItem*>(mount)->ChildCount(), 0);
    EXPECT_EQ(fs.Held(), 0);
}
