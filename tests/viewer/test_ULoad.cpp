// The exploration-file reader: result codes and their precedence, every format version's
// encodings, malformed bodies (with a correct checksum, so that they get past it), nesting,
// dates that are not numbers, and cancelling.
#include "TxfFixture.h"

#include "model/URecordCodec.h"
#include "platform/PMemory.h"

#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>

using namespace txftest;
using viewer::TFileRootItem;

namespace {

// One drive with a folder and a file, as a description body.
const std::string kTree = R"("body":[{"t":"root","name":"r","count":1,"children":[
  {"t":"drive","name":"C:","letter":"C","free":10,"total":100,"children":[
    {"t":"folder","name":"Data","children":[{"t":"file","name":"a.txt","size":5}]}]}]}])";

std::string Desc(const std::string& header, const std::string& body = kTree) {
    return "{" + header + (header.empty() ? "" : ",") + body + "}";
}

std::int32_t CodeOf(const TTempDir& dir, const std::string& json) {
    const std::string path = Generate(dir, json);
    EXPECT_FALSE(path.empty()) << json;
    return Load(path).code;
}

const model::TItem* Only(const model::TItem* folder) {
    const auto* f = static_cast<const model::TFolderItem*>(folder);
    EXPECT_EQ(f->ChildCount(), 1) << Dump(f);
    return f->ChildCount() ? f->Child(0) : nullptr;
}

// The first file record inside a root, read from a file of the given version.
struct TOneFile {
    TLoaded loaded;
    const model::TItem* file = nullptr;
};
TOneFile LoadOneFile(const TTempDir& dir, int version, const std::string& fileRecord,
                     const std::string& extra = "") {
    TOneFile r;
    const std::string json = "{\"version\":" + std::to_string(version) + extra +
                             R"(,"body":[{"t":"root","children":[)" + fileRecord + "]}]}";
    r.loaded = Load(Generate(dir, json));
    EXPECT_EQ(r.loaded.code, 0) << json;
    if (r.loaded.code == 0 && r.loaded.file->ChildCount() == 1) r.file = r.loaded.file->Child(0);
    return r;
}

} // namespace

TEST(Reader, ResultCodesAndTheirPrecedence) {
    TTempDir dir;
    const struct {
        const char* header;
        std::int32_t code;
    } cases[] = {
        {R"("writer":3120)", 0},
        {R"("writer":3140)", 0},
        {R"("writer":3150)", 0},
        {R"("writer":3160)", 0},
        {R"("writer":3130)", -6},
        {R"("writer":3130,"version":4)", 0},
        {R"("writer":0,"version":1)", 0},
        {R"("magic1":1)", -2},
        {R"("magic2":1)", -2},
        {R"("magic1":1,"version":9)", -2},
        {R"("magic2":1,"major":2,"crc":1)", -2},
        {R"("major":2)", -3},
        {R"("version":0)", -3},
        {R"("version":6)", -3},
        {R"("version":4294967295)", -3},
        {R"("version":6,"crc":1)", -3},
        {R"("version":6,"writer":3130)", -3},
        {R"("writer":3130,"crc":1)", -6},
        {R"("crc":1)", -4},
        {R"("version":3,"crc":1)", -4},
        {R"("layout":0)", 0},
        {R"("compression":0)", 0},
        {R"("compression":1,"version":2)", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodeOf(dir, Desc(c.header)), c.code) << c.header;
}

TEST(Reader, ShortAndMissingFilesCannotBeRead) {
    TTempDir dir;
    const std::string path = Generate(dir, Desc(""));
    const std::vector<unsigned char> whole = ReadBytes(path);
    for (size_t keep : {size_t{0}, size_t{6}, size_t{62}, size_t{100}, size_t{127}}) {
        WriteBytes(path, {whole.begin(), whole.begin() + static_cast<long>(keep)});
        EXPECT_EQ(Load(path).code, -1) << keep;
    }
    EXPECT_EQ(Load(dir.File("missing.txf")).code, -1);
}

TEST(Reader, AnythingButARegularFileIsRefusedAtOnce) {
    // A fifo would block a plain open until a writer comes: the load must not wait for one.
    TTempDir dir;
    const std::string fifo = dir.File("pipe.txf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.File("folder.txf");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string sound = Generate(dir, Desc(""), "sound.txf");
    const std::string link = dir.File("link.txf");
    ASSERT_EQ(symlink(sound.c_str(), link.c_str()), 0);
    const struct {
        std::string path;
        std::int32_t code;
    } cases[] = {{fifo, -1}, {folder, -1}, {"/dev/null", -1}, {"/dev/zero", -1}, {link, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Load(c.path).code, c.code) << c.path;
}

TEST(Reader, EveryChangedBodyByteIsCaughtByTheChecksum) {
    TTempDir dir;
    const std::string path = Generate(dir, Desc(""));
    const std::vector<unsigned char> whole = ReadBytes(path);
    for (size_t i = 128; i < whole.size(); ++i) {
        std::vector<unsigned char> bad = whole;
        bad[i] ^= 0x01;
        WriteBytes(path, bad);
        TRecordingProgress progress;
        EXPECT_EQ(Load(path, &progress).code, -4) << i;
        EXPECT_EQ(progress.Steps, 0) << "no record is read before the checksum passes";
    }
}

TEST(Reader, LoadsTheTreeSortedWithDrivesFirst) {
    TTempDir dir;
    const std::string body = R"("body":[{"t":"root","name":"ignored","count":4,"children":[
      {"t":"path","name":"x","path":"C:\\Work","children":[{"t":"file","name":"b","size":1}]},
      {"t":"drive","name":"/home","letter":"/","free":1,"total":9,"children":[
        {"t":"file","name":"b.txt","size":2},{"t":"file","name":"A.txt","size":3},
        {"t":"folder","name":"z","explored":0,"children":[]}]},
      {"t":"drive","name":"D:","letter":"D","children":[{"t":"file","name":"c","size":4}]},
      {"t":"path","name":"y","path":"/srv/data/","children":[]}]}])";
    for (const char* header : {"", R"("compression":0)"}) {
        TLoaded l = Load(Generate(dir, Desc(header, body)));
        ASSERT_EQ(l.code, 0) << header;
        EXPECT_EQ(l.file->Name(), "t.txf");
        EXPECT_EQ(Dump(l.file),
                  "t.txf{[/]/home{z{},A.txt=3,b.txt=2},[D]D:{c=4},</srv/data/>{},<C:\\Work\\>{b=1}}");
        EXPECT_EQ(l.file->GetSize(), 10);
        EXPECT_EQ(l.file->FileCount(), 4);
        EXPECT_EQ(l.root->FileCount(), 4);
        auto* home = static_cast<model::TDriveItem*>(l.file->Child(0));
        EXPECT_EQ(home->GetPath(), "/home/");
        EXPECT_EQ(home->Child(1)->GetPath(), "/home/A.txt");
        EXPECT_EQ(home->UsedSpace(), 8);
        EXPECT_FALSE(static_cast<model::TFolderItem*>(home->Child(0))->IsExplored());
        EXPECT_EQ(l.file->Child(1)->GetPath(), "D:\\");
        EXPECT_EQ(static_cast<model::TFolderItem*>(l.file->Child(3))->Child(0)->GetPath(), "C:\\Work\\b");
    }
}

TEST(Reader, BodyThatIsNoRootLoadsEmpty) {
    TTempDir dir;
    TLoaded l = Load(Generate(
        dir, R"({"body":[{"t":"folder","name":"f","children":[{"t":"file","name":"a","size":1}]}]})"));
    ASSERT_EQ(l.code, 0);
    EXPECT_EQ(l.file->ChildCount(), 0);
    EXPECT_EQ(l.file->GetSize(), 0);
}

TEST(Reader, SizesAtEveryWidthBound) {
    TTempDir dir;
    const struct {
        std::int64_t size;
        int width; // -1: the smallest that holds it
    } cases[] = {
        {0, -1},
        {255, -1},
        {256, -1},
        {65535, -1},
        {65536, -1},
        {16777215, -1},
        {16777216, -1},
        {-1, -1},
        {std::numeric_limits<std::int64_t>::max(), -1},
        {std::numeric_limits<std::int64_t>::min(), -1},
        {5, 0x60},
        {5, 0x00},
        {5, 0x40},
    };
    for (int version : {1, 5}) {
        for (const auto& c : cases) {
            std::string rec = R"({"t":"file","name":"f","size":)" + std::to_string(c.size);
            if (c.width >= 0) rec += ",\"width\":" + std::to_string(c.width);
            rec += "}";
            TOneFile r = LoadOneFile(dir, version, rec);
            ASSERT_NE(r.file, nullptr) << rec;
            EXPECT_EQ(r.file->GetSize(), c.size) << rec << " v" << version;
        }
    }
}

TEST(Reader, NameEncodingsOfEveryVersion) {
    TTempDir dir;
    const std::string n3000(3000, 'n');
    const std::string n127(127, 'm');
    const std::string n200(200, 'k');
    const struct {
        int version;
        std::string name;
        const char* form;
    } cases[] = {
        {1, n3000, ""},   {2, n3000, ""},     {2, "", ""}, {3, n127, ""}, {3, "abc", ""}, {4, n3000, ""},
        {5, "x", "long"}, {5, n200, "short"}, {5, "", ""}, {3, n200, ""}, {1, "a.b", ""},
    };
    for (const auto& c : cases) {
        std::string rec = R"({"t":"file","name":")" + c.name + "\"";
        if (*c.form) rec += std::string(",\"name_form\":\"") + c.form + "\"";
        rec += "}";
        TOneFile r = LoadOneFile(dir, c.version, rec);
        ASSERT_NE(r.file, nullptr) << c.version << " " << c.name.size();
        EXPECT_EQ(r.file->Name(), c.name) << c.version << " " << c.name.size();
    }
    // A zero byte is a character like any other.
    TOneFile z = LoadOneFile(dir, 5, R"({"t":"file","name":{"hex":"610062"}})");
    ASSERT_NE(z.file, nullptr);
    EXPECT_EQ(z.file->Name(), std::string_view("a\0b", 3));
}

TEST(Reader, PackedAndDoubleDatesByVersion) {
    TTempDir dir;
    const std::string packed =
        R"({"t":"file","name":"f","dates":[{"packed":0},{"packed":174272},{"packed":131071}]})";
    for (int version : {1, 2, 3}) {
        TOneFile r = LoadOneFile(dir, version, packed);
        ASSERT_NE(r.file, nullptr);
        EXPECT_DOUBLE_EQ(r.file->Created(), 29000.0) << version;                       // 25 May 1979, 00:00
        EXPECT_DOUBLE_EQ(r.file->Accessed(), 29001.5) << version;                      // day 1, 43200 seconds
        EXPECT_DOUBLE_EQ(r.file->Modified(), 29000.0 + 131071.0 / 86400.0) << version; // more than a day
    }
    // Only some dates packed: the others are doubles.
    TOneFile mixed = LoadOneFile(dir, 3, R"({"t":"file","name":"f","dates":[1.25,{"packed":131072},3.5]})");
    ASSERT_NE(mixed.file, nullptr);
    EXPECT_DOUBLE_EQ(mixed.file->Created(), 1.25);
    EXPECT_DOUBLE_EQ(mixed.file->Accessed(), 29001.0);
    EXPECT_DOUBLE_EQ(mixed.file->Modified(), 3.5);
    // From version 4 on the bits mean nothing: three doubles follow whatever the kind byte says.
    for (int version : {4, 5}) {
        TOneFile r =
            LoadOneFile(dir, version, R"({"t":"file","name":"f","kind":188,"size":7,"dates":[1.5,2.5,3.5]})");
        ASSERT_NE(r.file, nullptr);
        EXPECT_EQ(r.file->GetSize(), 7);
        EXPECT_DOUBLE_EQ(r.file->Created(), 1.5);
        EXPECT_DOUBLE_EQ(r.file->Accessed(), 2.5);
        EXPECT_DOUBLE_EQ(r.file->Modified(), 3.5);
    }
    // Folder bodies follow the same rule (the bits sit in the folder's kind byte).
    TLoaded l = Load(Generate(dir, R"({"version":2,"body":[{"t":"root","children":[
        {"t":"path","path":"C:\\x","dates":[{"packed":131072},0,0],"children":[]}]}]})"));
    ASSERT_EQ(l.code, 0);
    EXPECT_DOUBLE_EQ(Only(l.file)->Created(), 29001.0);
}

TEST(Reader, DatesThatAreNotFiniteReadAsZero) {
    TTempDir dir;
    for (int version : {3, 5}) {
        TOneFile r = LoadOneFile(dir, version, R"({"t":"file","name":"f","dates":["nan","inf","-inf"]})");
        ASSERT_NE(r.file, nullptr);
        EXPECT_EQ(r.file->Created(), 0.0);
        EXPECT_EQ(r.file->Accessed(), 0.0);
        EXPECT_EQ(r.file->Modified(), 0.0);
    }
}

TEST(Reader, AttributesAsDwordInVersionOneAndPackedByteLater) {
    TTempDir dir;
    const std::uint32_t all = 0x1 | 0x2 | 0x4 | 0x20 | 0x80 | 0x100 | 0x800 | 0x1000;
    for (int version : {1, 2, 5}) {
        TOneFile r =
            LoadOneFile(dir, version, R"({"t":"file","name":"f","attr":)" + std::to_string(all) + "}");
        ASSERT_NE(r.file, nullptr);
        EXPECT_EQ(r.file->Attributes(), all) << version;
    }
    const struct {
        int bit;
        std::uint32_t windows;
    } bits[] = {{0x01, 0x20},   {0x02, 0x800}, {0x04, 0x2}, {0x08, 0x80},
                {0x10, 0x1000}, {0x20, 0x1},   {0x40, 0x4}, {0x80, 0x100}};
    for (const auto& b : bits) {
        TOneFile r =
            LoadOneFile(dir, 4, R"({"t":"file","name":"f","attrbyte":)" + std::to_string(b.bit) + "}");
        ASSERT_NE(r.file, nullptr);
        EXPECT_EQ(r.file->Attributes(), b.windows) << b.bit;
    }
}

TEST(Reader, KindsThatEndAListAndUnknownKinds) {
    TTempDir dir;
    for (int end : {0x63, 0xE3, 0x6B, 0x7B}) {
        const std::string json = R"({"body":[{"t":"root","children":[{"t":"folder","name":"f","end":)" +
                                 std::to_string(end) +
                                 R"(,"children":[{"t":"file","name":"a"}]},{"t":"file","name":"b"}]}]})";
        TLoaded l = Load(Generate(dir, json));
        ASSERT_EQ(l.code, 0) << end;
        EXPECT_EQ(Dump(l.file), "t.txf{f{a=0},b=0}") << end;
    }
    for (int kind : {0, 6, 7, 0x46}) {
        const std::string json = R"({"body":[{"t":"root","children":[{"t":"other","kind":)" +
                                 std::to_string(kind) +
                                 R"(,"name":"skipped"},{"t":"file","name":"b","size":3}]}]})";
        TLoaded l = Load(Generate(dir, json));
        ASSERT_EQ(l.code, 0) << kind;
        EXPECT_EQ(Dump(l.file), "t.txf{b=3}") << kind;
    }
}

TEST(Reader, BodiesThatEndEarlyCannotBeRead) {
    TTempDir dir;
    const std::string path = Generate(dir, Desc(R"("compression":0)"));
    const std::vector<unsigned char> raw = ReadBytes(path);
    const std::vector<unsigned char> records(raw.begin() + 128, raw.end());
    const std::vector<unsigned char> zipped = ReadBytes(Generate(dir, Desc(""), "z.txf"));
    ASSERT_EQ(Load(path).code, 0);
    const std::string cut = dir.File("cut.txf");
    for (size_t keep = 0; keep < records.size(); ++keep) {
        const std::vector<unsigned char> part(records.begin(), records.begin() + static_cast<long>(keep));
        WriteBytes(cut, WithBody(raw, part, false)); // raw body cut short
        EXPECT_EQ(Load(cut).code, -1) << "raw " << keep;
        WriteBytes(cut, WithBody(zipped, part, true)); // a whole zlib stream of cut records
        EXPECT_EQ(Load(cut).code, -1) << "inflated " << keep;
    }
    // The zlib stream itself cut short, at every byte (the checksum is right each time).
    const std::vector<unsigned char> stored(zipped.begin() + 128, zipped.end());
    for (size_t keep = 0; keep < stored.size(); ++keep) {
        WriteBytes(cut, WithBody(zipped, {stored.begin(), stored.begin() + static_cast<long>(keep)}, false));
        EXPECT_EQ(Load(cut).code, -1) << "stored " << keep;
    }
    // Not zlib at all; names and sizes that reach past the end.
    EXPECT_EQ(CodeOf(dir, R"({"storedhex":"00112233445566778899"})"), -1);
    EXPECT_EQ(CodeOf(dir, R"({"compression":0,"bodyhex":"0105414243"})"), -1);
    EXPECT_EQ(CodeOf(dir, R"({"bodyhex":"01007fffff41"})"), -1);
}

TEST(Reader, AnyDepthLoadsAndEveryWalkOfItIsSafe) {
    TTempDir dir;
    const auto chain = [&](int depth, int version) {
        return "{\"version\":" + std::to_string(version) +
               R"(,"body":[{"t":"root","children":[{"t":"chain","depth":)" + std::to_string(depth) +
               R"(,"leaf":{"t":"file","name":"deep","size":9}}]}]})";
    };
    // Deeper than any stack holds frames of a recursive walk; the writers write such trees.
    constexpr int kDepth = 200000;
    for (int version : {1, 5}) {
        TLoaded ok = Load(Generate(dir, chain(kDepth, version)));
        ASSERT_EQ(ok.code, 0) << version;
        EXPECT_EQ(ok.root->GetSize(), 9);
        EXPECT_EQ(ok.file->FolderCount(), kDepth);
        // The model's walks over it.
        ok.root->SetMarked(true);
        EXPECT_EQ(ok.root->GetMarkedFileCount(), 1);
        ok.root->ClearMark();
        EXPECT_EQ(ok.root->GetMarkedFileCount(), 0);
        EXPECT_TRUE(ok.root->HasExploredContent());
        EXPECT_FALSE(ok.root->HasMarkedDescendant());
        EXPECT_EQ(ok.file->Child(0)->GetModified(), 0);
        const model::TItem* leaf = ok.file;
        while (leaf->IsFolder())
            leaf = static_cast<const model::TFolderItem*>(leaf)->Child(0);
        EXPECT_TRUE(ok.file->ContainsItem(leaf->Parent()));
        EXPECT_FALSE(static_cast<const model::TFolderItem*>(leaf->Parent())->ContainsItem(ok.file));
        EXPECT_GT(leaf->GetPath().size(), 2 * static_cast<size_t>(kDepth));
        EXPECT_EQ(leaf->PathSeparator(), '/');
        // Saved again and read back whole; then the tree is destroyed with the root.
        ok.root->SetMarked(true);
        const std::string again = dir.File("again.txf");
        ASSERT_EQ(ok.root->SaveToFile(again).result, model::TSaveResult::Saved);
        ok.root->ClearMark();
        TLoaded back = Load(again);
        ASSERT_EQ(back.code, 0);
        EXPECT_EQ(back.file->FolderCount(), kDepth);
        EXPECT_EQ(back.root->GetSize(), 9);
    }
}

TEST(Reader, ProgressMaximumComesFromHeaderOrRootRecord) {
    TTempDir dir;
    for (int version : {1, 2, 3, 5}) {
        const std::string json =
            "{\"version\":" + std::to_string(version) +
            R"(,"count":77,"body":[{"t":"root","count":55,"children":[{"t":"file","name":"a"},{"t":"file","name":"b"}]}]})";
        TRecordingProgress progress;
        ASSERT_EQ(Load(Generate(dir, json), &progress).code, 0);
        EXPECT_EQ(progress.Max, version < 3 ? 55 : 77) << version;
        EXPECT_EQ(progress.Steps, 2);
    }
}

TEST(Reader, CancelGivesMinusFiveEvenWithFoldersOnly) {
    TTempDir dir;
    // Many folders and no file: no Step ever comes, yet the window is pumped and Cancel is heard.
    std::string children;
    for (int i = 0; i < 20000; ++i)
        children += std::string(i ? "," : "") + R"({"t":"folder","name":"f)" + std::to_string(i) + R"("})";
    const std::string path = Generate(dir, R"({"body":[{"t":"root","children":[)" + children + "]}]}");
    TRecordingProgress progress;
    progress.CancelAtAsk = 5000;
    EXPECT_EQ(Load(path, &progress).code, -5);
    EXPECT_EQ(progress.Steps, 0);
    EXPECT_GE(progress.Pumps, 10);
    EXPECT_LT(progress.Asks, 5100); // it stopped soon after the cancel

    TRecordingProgress never;
    TLoaded all = Load(path, &never);
    ASSERT_EQ(all.code, 0);
    EXPECT_EQ(all.file->ChildCount(), 20000);
    EXPECT_GE(never.Pumps, 20000 / 256);

    // A cancel at the very end still counts.
    TRecordingProgress last;
    last.CancelAtAsk = never.Asks - 1;
    EXPECT_EQ(Load(path, &last).code, -5);
}

TEST(Reader, FileOpenForWritingElsewhereIsStillReadable) {
    // Linux has no share-deny-write: a file another program has open loads like any other.
    TTempDir dir;
    const std::string path = Generate(dir, Desc(""));
    std::FILE* writer = std::fopen(path.c_str(), "ab");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(Load(path).code, 0);
    std::fclose(writer);
}

TEST(Reader, ItemsAreTheViewersAndKnowTheirExploredContent) {
    TTempDir dir;
    TLoaded l = Load(
        Generate(dir, R"({"body":[{"t":"root","children":[{"t":"path","path":"/p","explored":0,"children":[
        {"t":"folder","name":"outer","explored":0,"children":[{"t":"folder","name":"inner","explored":1,
          "children":[{"t":"file","name":"f","dates":[0,0,20]}]}]},
        {"t":"folder","name":"bare","explored":0,"dates":[0,0,5],"children":[{"t":"file","name":"g","dates":[0,0,30]}]},
        {"t":"drive","name":"D:","letter":"D","explored":0,"children":[]}]}]}]})"));
    ASSERT_EQ(l.code, 0);
    auto* path = dynamic_cast<viewer::TFolderRootItem*>(l.file->Child(0));
    ASSERT_NE(path, nullptr);
    auto* drive = dynamic_cast<viewer::TDriveItem*>(path->Child(0));
    auto* bare = dynamic_cast<viewer::TFolderItem*>(path->Child(1));
    auto* outer = dynamic_cast<viewer::TFolderItem*>(path->Child(2));
    ASSERT_TRUE(drive && bare && outer);
    EXPECT_NE(dynamic_cast<viewer::TFileItem*>(
                  outer->Child(0) ? static_cast<model::TFolderItem*>(outer->Child(0))->Child(0) : nullptr),
              nullptr);
    EXPECT_TRUE(outer->HasExploredContent());
    EXPECT_FALSE(bare->HasExploredContent());
    EXPECT_FALSE(drive->HasExploredContent());
    EXPECT_TRUE(path->HasExploredContent());
    EXPECT_EQ(outer->GetModified(), 20);
    EXPECT_EQ(bare->GetModified(), 5);
    EXPECT_EQ(path->FolderCount(), 2); // outer and inner
}

namespace {
// A bomb: a small file whose records expand to files files of one folder (the project's writer).
std::string WriteManyFiles(const TTempDir& dir, const std::string& name, int files) {
    const std::string path = dir.File(name);
    model::TExplorationFileWriter w(path, model::txf::kWriterScanner);
    model::TRecordWriter& out = w.Records();
    out.WriteRootHead("Root", 0);
    out.WriteFolderBody(true, {});
    out.WritePathHead("p", "/p");
    out.WriteFolderBody(true, {});
    for (int i = 0; i < files; ++i)
        out.WriteFile("f", 1, {});
    out.WriteEnd();
    out.WriteEnd();
    w.Commit();
    return path;
}

std::int32_t LoadWithBudget(const std::string& path, std::uint64_t budget) {
    viewer::TRootItem root;
    TFileRootItem item(path, &root);
    item.SetMemoryBudget(budget);
    const std::int32_t code = item.LoadFromFile();
    EXPECT_EQ(item.MemoryBudget(), budget); // the budget given stays for the next load
    return code;
}
} // namespace

TEST(Reader, ItemsBeyondTheMemoryBudgetStopTheLoad) {
    TTempDir dir;
    constexpr int kFiles = 1000000;
    const std::string bomb = WriteManyFiles(dir, "bomb.txf", kFiles);
    EXPECT_LT(std::filesystem::file_size(bomb), 200000u) << "a small file";
    const std::uint64_t cost = 2 * TFileRootItem::ItemCost(model::txf::kKindPath, "p") / 2 +
                               kFiles * TFileRootItem::ItemCost(model::txf::kKindFile, "f");
    const struct {
        std::uint64_t budget;
        std::int32_t code;
    } cases[] = {{16u << 20, -1}, {cost - 1, -1}, {cost, 0}, {cost + 1000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LoadWithBudget(bomb, c.budget), c.code) << c.budget;
    // Without a budget of its own a load takes half of what the machine has available: a real
    // file of that size loads, with the same message code as an allocation failure otherwise.
    EXPECT_EQ(Load(bomb).code, 0);
    const auto available = platform::AvailableMemory();
    ASSERT_TRUE(available.has_value());
    EXPECT_EQ(LoadWithBudget(bomb, *available / 2 > cost ? *available / 2 : cost), 0);
    EXPECT_EQ(viewer::LoadErrorReason(-1), "Unable to open the file");
}
