// Exact bytes of every record of both worksheet writers, their guards and their file handling.
#include "export/UOutExcel.h"
#include "export/UOutLotus.h"

#include "ExportTestUtil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

using namespace exportdata;
using exporttest::Bytes;
using exporttest::TTempDir;
using B = std::vector<std::uint8_t>;

namespace {

const B kExcelHead = {0x09, 0x00, 0x04, 0x00, 0x02, 0x00, 0x10, 0x00,                             // BOF
                      0x42, 0x00, 0x02, 0x00, 0xE4, 0x04,                                         // CODEPAGE
                      0x31, 0x00, 0x0A, 0x00, 0xC8, 0x00, 0x00, 0x00, 5, 'A', 'r', 'i', 'a', 'l', // FONT
                      0x43, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00,  // XF general
                      0x43, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x01,  // XF left
                      0x43, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x02,  // XF centre
                      0x43, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x03}; // XF right
const B kExcelTail = {0x0A, 0x00, 0x00, 0x00};
const B kLotusHead = {0x00, 0x00, 0x02, 0x00, 0x04, 0x04};
const B kLotusTail = {0x01, 0x00, 0x00, 0x00};

// The bytes between header and trailer that the calls write; checks header and trailer too.
B Body(TOutSpreadSheet& writer, const B& head, const B& tail,
       const std::function<void(TOutSpreadSheet&)>& calls) {
    TTempDir dir;
    const std::string path = dir.File("sheet");
    EXPECT_TRUE(writer.Open(path));
    calls(writer);
    writer.Commit();
    const B all = Bytes(exporttest::ReadFile(path));
    if (all.size() < head.size() + tail.size()) {
        ADD_FAILURE() << "file too short: " << all.size();
        return {};
    }
    EXPECT_EQ(B(all.begin(), all.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(B(all.end() - static_cast<long>(tail.size()), all.end()), tail);
    return B(all.begin() + static_cast<long>(head.size()), all.end() - static_cast<long>(tail.size()));
}

B ExcelBody(const std::function<void(TOutSpreadSheet&)>& calls) {
    TOutExcel w;
    return Body(w, kExcelHead, kExcelTail, calls);
}
B LotusBody(const std::function<void(TOutSpreadSheet&)>& calls) {
    TOutLotus w;
    return Body(w, kLotusHead, kLotusTail, calls);
}

B Concat(std::initializer_list<B> parts) {
    B out;
    for (const B& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
const B k1_5 = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F};    // 1.5
const B kMinus2 = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0}; // -2.0

} // namespace

TEST(OutSpreadSheet, EmptyWorksheets) {
    TTempDir dir;
    TOutExcel excel;
    ASSERT_TRUE(excel.Open(dir.File("a.xls")));
    EXPECT_TRUE(excel.Opened());
    excel.Commit();
    EXPECT_FALSE(excel.Opened());
    EXPECT_EQ(Bytes(exporttest::ReadFile(dir.File("a.xls"))), Concat({kExcelHead, kExcelTail}));
    TOutLotus lotus;
    ASSERT_TRUE(lotus.Open(dir.File("a.wk1")));
    lotus.Commit();
    EXPECT_EQ(Bytes(exporttest::ReadFile(dir.File("a.wk1"))),
              (B{0x00, 0x00, 0x02, 0x00, 0x04, 0x04, 0x01, 0x00, 0x00, 0x00}));
}

struct TRecordCase {
    const char* name;
    std::function<void(TOutSpreadSheet&)> calls;
    B excel, lotus;
};

TEST(OutSpreadSheet, RecordsByteForByte) {
    const std::vector<TRecordCase> cases = {
        {"label right", [](TOutSpreadSheet& w) { w.WriteLabel(2, 3, "Ab", kAlignRight); },
         {0x04, 0x00, 0x0A, 0x00, 0x02, 0x00, 0x01, 0x00, 0x03, 0x00, 0x03, 0x02, 'A', 'b'},
         {0x0F, 0x00, 0x09, 0x00, 0xFF, 0x01, 0x00, 0x02, 0x00, '"', 'A', 'b', 0x00}},
        {"label centre", [](TOutSpreadSheet& w) { w.WriteLabel(1, 1, "x", kAlignCentre); },
         {0x04, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x01, 'x'},
         {0x0F, 0x00, 0x08, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, '^', 'x', 0x00}},
        {"label left", [](TOutSpreadSheet& w) { w.WriteLabel(1, 1, "x", kAlignLeft); },
         {0x04, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 'x'},
         {0x0F, 0x00, 0x08, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, '\'', 'x', 0x00}},
        {"label other alignment", [](TOutSpreadSheet& w) { w.WriteLabel(1, 1, "x", 7); },
         {0x04, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 'x'},
         {0x0F, 0x00, 0x08, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, '\'', 'x', 0x00}},
        {"empty label", [](TOutSpreadSheet& w) { w.WriteLabel(1, 1, "", kAlignDefault); },
         {0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
         {0x0F, 0x00, 0x07, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, '\'', 0x00}},
        {"number", [](TOutSpreadSheet& w) { w.WriteNumber(3, 2, 1.5); },
         Concat({{0x03, 0x00, 0x0F, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x03}, k1_5}),
         Concat({{0x0E, 0x00, 0x0D, 0x00, 0xFF, 0x02, 0x00, 0x01, 0x00}, k1_5})},
        {"integer", [](TOutSpreadSheet& w) { w.WriteInteger(1, 1, -5); },
         {0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03, 0x02, '-', '5'},
         {0x0D, 0x00, 0x07, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFB, 0xFF}},
        {"formatted P2", [](TOutSpreadSheet& w) { w.WriteFormattedNumber(1, 1, -2.0, 'P', 2); },
         Concat({{0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03}, kMinus2}),
         Concat({{0x0E, 0x00, 0x0D, 0x00, 0xB2, 0x00, 0x00, 0x00, 0x00}, kMinus2})},
        {"formatted X", [](TOutSpreadSheet& w) { w.WriteFormattedNumber(1, 1, -2.0, 'X', 2); },
         Concat({{0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03}, kMinus2}),
         Concat({{0x0E, 0x00, 0x0D, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}, kMinus2})},
        {"formatted F0, comma 15", [](TOutSpreadSheet& w) {
             w.WriteFormattedNumber(1, 1, 1.5, 'F', 0);
             w.WriteFormattedNumber(1, 1, 1.5, ',', 15);
         },
         Concat({{0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03}, k1_5,
                 {0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03}, k1_5}),
         Concat({{0x0E, 0x00, 0x0D, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00}, k1_5,
                 {0x0E, 0x00, 0x0D, 0x00, 0xCF, 0x00, 0x00, 0x00, 0x00}, k1_5})},
        {"formatted S and C", [](TOutSpreadSheet& w) {
             w.WriteFormattedNumber(1, 1, 1.5, 'S', 1);
             w.WriteFormattedNumber(1, 1, 1.5, 'C', 2);
         },
         Concat({{0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03}, k1_5,
                 {0x03, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x03}, k1_5}),
         Concat({{0x0E, 0x00, 0x0D, 0x00, 0x91, 0x00, 0x00, 0x00, 0x00}, k1_5,
                 {0x0E, 0x00, 0x0D, 0x00, 0xA2, 0x00, 0x00, 0x00, 0x00}, k1_5})},
        {"column width", [](TOutSpreadSheet& w) { w.SetColumnWidth(3, 10); },
         {0x24, 0x00, 0x04, 0x00, 0x02, 0x02, 0x00, 0x0A}, {0x08, 0x00, 0x03, 0x00, 0x02, 0x00, 0x0A}},
        {"column width guards", [](TOutSpreadSheet& w) {
             w.SetColumnWidth(1, 0);
             w.SetColumnWidth(1, 73);
             w.SetColumnWidth(0, 10);
             w.SetColumnWidth(257, 10);
             w.SetColumnWidth(256, 72);
         },
         {0x24, 0x00, 0x04, 0x00, 0xFF, 0xFF, 0x00, 0x48}, {0x08, 0x00, 0x03, 0x00, 0xFF, 0x00, 0x48}},
        {"cell guards: column 0 and 257, row 0", [](TOutSpreadSheet& w) {
             for (const std::uint16_t col : {0, 257}) {
                 w.WriteLabel(col, 1, "x", 0);
                 w.WriteNumber(col, 1, 1.5);
                 w.WriteInteger(col, 1, 1);
                 w.WriteFormattedNumber(col, 1, 1.5, 'F', 1);
             }
             w.WriteLabel(1, 0, "x", 0);
             w.WriteNumber(1, 0, 1.5);
             w.WriteInteger(1, 0, 1);
             w.WriteFormattedNumber(1, 0, 1.5, 'F', 1);
         },
         {}, {}},
        {"column 256 and row 65535", [](TOutSpreadSheet& w) { w.WriteNumber(256, 65535, 1.5); },
         Concat({{0x03, 0x00, 0x0F, 0x00, 0xFE, 0xFF, 0xFF, 0x00, 0x03, 0x00, 0x03}, k1_5}),
         Concat({{0x0E, 0x00, 0x0D, 0x00, 0xFF, 0xFF, 0x00, 0xFE, 0xFF}, k1_5})},
        {"Windows-1252 text", [](TOutSpreadSheet& w) { w.WriteLabel(1, 1, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 0); },
         {0x04, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0xE9, 0x80, '?'},
         {0x0F, 0x00, 0x0A, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, '\'', 0xE9, 0x80, '?', 0x00}},
        {"bytes that are no UTF-8 are Windows-1252 already", [](TOutSpreadSheet& w) { w.WriteLabel(1, 1, "\xE9\x81", 0); },
         {0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xE9, '?'},
         {0x0F, 0x00, 0x09, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, '\'', 0xE9, '?', 0x00}},
    };
    for (const TRecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExcelBody(c.calls), c.excel);
        EXPECT_EQ(LotusBody(c.calls), c.lotus);
    }
}

TEST(OutSpreadSheet, LabelsAtTheLengthLimits) {
    struct {
        std::size_t length;
        std::size_t excelKept, lotusKept;
    } cases[] = {{239, 239, 239}, {240, 240, 239}, {255, 255, 239}, {256, 255, 239}, {1000, 255, 239}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'a');
        auto write = [&](TOutSpreadSheet& w) { w.WriteLabel(1, 1, text, 0); };
        const B excel = ExcelBody(write);
        ASSERT_EQ(excel.size(), c.excelKept + 12);
        EXPECT_EQ(excel[2] | excel[3] << 8, static_cast<int>(c.excelKept + 8));
        EXPECT_EQ(excel[11], c.excelKept);
        const B lotus = LotusBody(write);
        ASSERT_EQ(lotus.size(), c.lotusKept + 11);
        EXPECT_EQ(lotus[2] | lotus[3] << 8, static_cast<int>(c.lotusKept + 7));
        EXPECT_EQ(lotus[9], '\'');
        EXPECT_EQ(lotus.back(), 0);
    }
    // The cut counts the encoded bytes: one "é" is one byte there.
    std::string accents;
    for (int i = 0; i < 300; ++i)
        accents += "\xC3\xA9";
    EXPECT_EQ(ExcelBody([&](TOutSpreadSheet& w) { w.WriteLabel(1, 1, accents, 0); }).size(), 255u + 12);
}

TEST(OutSpreadSheet, OpenFailureSetsLastError) {
    TTempDir dir;
    TOutExcel excel;
    EXPECT_EQ(excel.LastError(), 0);
    EXPECT_FALSE(excel.Open(dir.File("missing/a.xls")));
    EXPECT_EQ(excel.LastError(), ENOENT);
    EXPECT_FALSE(excel.Opened());
    // Nothing is written while closed, and a later success does not reset the error.
    excel.WriteLabel(1, 1, "x", 0);
    ASSERT_TRUE(excel.Open(dir.File("a.xls")));
    EXPECT_EQ(excel.LastError(), ENOENT);
    excel.Commit();
    EXPECT_EQ(exporttest::ReadFile(dir.File("a.xls")).size(), kExcelHead.size() + kExcelTail.size());
}

TEST(OutSpreadSheet, UncommittedFileLeavesTheTargetAlone) {
    TTempDir dir;
    const std::string path = dir.File("old.xls");
    exporttest::WriteFile(path, "old contents");
    {
        TOutLotus lotus;
        ASSERT_TRUE(lotus.Open(path));
        lotus.WriteLabel(1, 1, "new", 0);
        // The target, and the file being written where it has a name (an unnamed one is not listed).
        EXPECT_GE(dir.Entries().size(), 1u);
        EXPECT_LE(dir.Entries().size(), 2u);
        EXPECT_EQ(exporttest::ReadFile(path), "old contents");
    }
    {
        TOutExcel excel;
        ASSERT_TRUE(excel.Open(path));
        excel.Close();
        excel.Discard();
    }
    EXPECT_EQ(exporttest::ReadFile(path), "old contents");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.xls"});
}
