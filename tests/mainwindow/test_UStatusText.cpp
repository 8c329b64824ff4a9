// Status-bar texts over the item classes and for several rows.
#include "mainwindow/UStatusText.h"

#include "SampleTree.h"

#include <gtest/gtest.h>

using namespace mainwindow;
using namespace model;

namespace {

TEST(StatusTexts, OneItemByClass) {
    TSampleTree t;
    t.drive->SetListed(true);
    t.drive->SetSpace(4000, 9000);
    struct {
        const TItem* item;
        const char* name;
        const char* totals;
    } cases[] = {
        {nullptr, "", ""},
        {t.file, "File f.txt", "Total:   10 bytes"},
        {t.folderA, "Folder a", "Total:   2 files    1 folders    15 bytes"},
        {t.folderB, "Folder b", "Unexplored"},
        // Not explored itself, but holding an explored folder: every number carries the partial mark "** ".
        {t.drive, "Drive /mnt/x", "Total:   2**  files    2**  folders    15**  bytes    Free: 4,000 bytes"},
        // A server not listed itself but holding an explored share.
        {t.server, "srv", "Total:   0**  files    0**  folders    0**  bytes"},
        {t.preferredRoot, "My Preferred Explorations", ""},
        {t.manualItem, "Folder /work/", "Unexplored"},
        {t.root.get(), "My Tessalundrix", "Total:   2**  files    2**  folders    15**  bytes"},
    };
    for (const auto& c : cases) {
        const TStatusTexts s = StatusTexts(c.item);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.totals, c.totals) << c.name;
    }
}

TEST(StatusTexts, SeveralRows) {
    TSampleTree t;
    struct {
        std::vector<const TItem*> rows;
        const char* name;
        const char* totals;
    } cases[] = {
        {{t.file, t.file2}, "2 objects", "Total:   2 files    0 folders    15 bytes"},
        {{t.folderA, t.folderB}, "2 objects", "Total:   2**  files    1**  folders    15**  bytes"},
        // The "Unexplored" row counts for nothing.
        {{nullptr, t.folderB}, "1 objects", "Unexplored"},
        {{nullptr, t.file}, "1 objects", "Total:   1 files    0 folders    10 bytes"},
        // The count is grouped as every other number is.
        {std::vector<const TItem*>(1000, t.file), "1,000 objects",
         "Total:   1,000 files    0 folders    10,000 bytes"},
    };
    for (const auto& c : cases) {
        const TStatusTexts s = StatusTexts(c.rows);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.totals, c.totals) << c.name;
    }
}

} // namespace
