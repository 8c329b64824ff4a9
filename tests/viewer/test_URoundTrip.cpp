// Files written by the desktop explorer's writer load into the tree they came from, and no
// random damage to valid files (with a correct checksum, so that the records are read) crashes
// the reader.
#include "TxfFixture.h"

#include "model/UItem.h"

#include "model/URecordCodec.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>

#include <map>
#include <random>
#include <tuple>

using namespace txftest;

namespace {

struct TFileFacts {
    std::int64_t size;
    double created, accessed, modified;
    std::uint32_t attributes;
    bool operator==(const TFileFacts&) const = default;
};

void CollectFiles(const model::TItem* item, std::map<std::string, TFileFacts>& out) {
    if (!item->IsFolder()) {
        out[item->NameString()] = {item->GetSize(), item->Created(), item->Accessed(), item->Modified(),
                                   item->Attributes()};
        return;
    }
    for (const model::TItem* child : static_cast<const model::TFolderItem*>(item)->Children())
        CollectFiles(child, out);
}

model::TFileItem* AddFile(model::TFolderItem* folder, const char* name, std::int64_t size, double date,
                          std::uint32_t attr) {
    auto* f = new model::TFileItem(name, folder);
    folder->AddChild(f);
    f->SetSize(size);
    f->SetCreated(date);
    f->SetAccessed(date + 0.25);
    f->SetModified(date + 0.5);
    f->SetAttributes(attr);
    return f;
}

// A desktop tree: a Linux drive with a folder, a letter drive, a manual exploration of "/" and a
// network share, every size width and every stored attribute.
struct TDesktopTree {
    model::TRootItem root{"My Tessalundrix"};
    TDesktopTree() {
        model::TComputerRootItem* computer = root.EnsureComputerRoot();
        auto* data = new model::TDriveItem("/data", model::kKindFixed, computer);
        computer->AddChild(data);
        data->SetExplored(true);
        auto* docs = new model::TFolderItem("docs", data);
        data->AddChild(docs);
        docs->SetExplored(true);
        docs->SetModified(100);
        AddFile(docs, "a.txt", 5, 200, model::kAttrArchive);
        AddFile(docs, "B.bin", 300, 300, model::kAttrReadOnly | model::kAttrHidden);
        AddFile(data, "zero", 0, 0, 0);
        auto* c = new model::TDriveItem('C', computer);
        computer->AddChild(c);
        c->SetExplored(true);
        AddFile(c, "big", 16777216, 400, model::kAttrSystem | model::kAttrNormal | model::kAttrTemporary);
        model::TManualRootItem* manuals = root.EnsureManualRoot();
        auto* manual = new model::TManualItem("/", model::kKindFixed, manuals);
        manuals->AddChild(manual);
        manual->SetExplored(true);
        AddFile(manual, "c", 70000, 500, model::kAttrCompressed | model::kAttrOffline);
        model::TNetworkRootItem* network = root.EnsureNetworkRoot();
        network->SetListed(true);
        auto* server = new model::TNetworkContainerItem("server", "//server", network);
        network->AddChild(server);
        server->SetListed(true);
        auto* share = new model::TNetworkDriveItem("//server/share", "/mnt/share", server);
        server->AddChild(share);
        share->SetExplored(true);
        AddFile(share, "d", -1, 600, 0);
        root.ComputeTotals();
        data->SetSpace(100, 1000);
    }
};

} // namespace

TEST(RoundTrip, DesktopSaveLoadsIntoTheSameTree) {
    TTempDir dir;
    TDesktopTree t;
    t.root.SetMarked(true);
    const std::string path = dir.File("desk.txf");
    ASSERT_EQ(t.root.SaveToFile(path).result, model::TSaveResult::Saved);

    TRecordingProgress progress;
    TLoaded l = Load(path, &progress);
    ASSERT_EQ(l.code, 0);
    EXPECT_EQ(progress.Max, 6);
    EXPECT_EQ(progress.Steps, 6);
    EXPECT_EQ(Dump(l.file), "desk.txf{[/]/data{docs{a.txt=5,B.bin=300},zero=0},[C]C:{big=16777216},"
                            "</>{c=70000},<//server/share/>{d=-1}}");

    std::map<std::string, TFileFacts> saved, loaded;
    CollectFiles(&t.root, saved);
    CollectFiles(l.file, loaded);
    EXPECT_EQ(saved, loaded);
    EXPECT_EQ(l.file->FileCount(), 6);
    EXPECT_EQ(l.file->GetSize(), 5 + 300 + 16777216 + 70000 - 1);
    EXPECT_EQ(l.file->FolderCount(), 1);

    auto* data = static_cast<viewer::TDriveItem*>(l.file->Child(0));
    EXPECT_EQ(data->GetPath(), "/data/");
    EXPECT_EQ(data->FreeSpace(), 100);
    EXPECT_EQ(data->TotalSpace(), 1000);
    EXPECT_TRUE(data->IsExplored());
    auto* docs = static_cast<model::TFolderItem*>(data->Child(0));
    EXPECT_EQ(docs->Child(0)->GetPath(), "/data/docs/a.txt");
    EXPECT_EQ(docs->Modified(), 100);
    EXPECT_EQ(l.file->Child(1)->GetPath(), "C:\\");
    EXPECT_EQ(static_cast<model::TFolderItem*>(l.file->Child(1))->Child(0)->GetPath(), "C:\\big");
    EXPECT_EQ(static_cast<model::TFolderItem*>(l.file->Child(2))->Child(0)->GetPath(), "/c");
    EXPECT_EQ(static_cast<model::TFolderItem*>(l.file->Child(3))->Child(0)->GetPath(), "//server/share/d");
}

TEST(RoundTrip, RandomDamageNeverCrashes) {
    TTempDir dir;
    std::vector<std::vector<unsigned char>> seeds;
    {
        TDesktopTree t;
        t.root.SetMarked(true);
        ASSERT_EQ(t.root.SaveToFile(dir.File("seed.txf")).result, model::TSaveResult::Saved);
        seeds.push_back(ReadBytes(dir.File("seed.txf")));
    }
    const std::string nested = R"({"t":"folder","name":"f","children":[{"t":"file","name":"x.y","size":70000,
        "dates":[{"packed":5},1.5,{"packed":9}]},{"t":"other","kind":6,"name":"u"}]})";
    for (int version = 1; version <= 5; ++version)
        for (const char* compression : {"0", "4532"}) {
            const std::string json =
                "{\"version\":" + std::to_string(version) + ",\"compression\":" + compression +
                R"(,"body":[{"t":"root","count":2,"children":[{"t":"drive","name":"/m","letter":"/","children":[)" +
                nested + R"(]},{"t":"path","name":"p","path":"C:\\x","children":[)" + nested + "]}]}]}";
            seeds.push_back(ReadBytes(Generate(dir, json, "s.txf")));
            ASSERT_EQ(Load(dir.File("s.txf")).code, 0) << json;
        }

    std::mt19937 random(20261210);
    const std::string path = dir.File("fuzz.txf");
    int loaded = 0;
    const int rounds = 3000;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<unsigned char>& seed = seeds[random() % seeds.size()];
        const bool compressed = (seed[32] | seed[33] << 8) == 4532;
        std::vector<unsigned char> body(seed.begin() + 128, seed.end());
        if (compressed) { // damage the records, not only the zlib stream
            std::vector<unsigned char> plain(body.size() * 20 + 4096);
            uLongf n = plain.size();
            ASSERT_EQ(uncompress(plain.data(), &n, body.data(), static_cast<uLong>(body.size())), Z_OK);
            plain.resize(n);
            body = plain;
        }
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !body.empty(); ++e) {
            const size_t at = random() % body.size();
            switch (random() % 5) {
            case 0:
                body[at] ^= static_cast<unsigned char>(1u << (random() % 8));
                break;
            case 1:
                body[at] = static_cast<unsigned char>(random());
                break;
            case 2:
                body.resize(at);
                break;
            case 3:
                body.insert(body.begin() + static_cast<long>(at), static_cast<unsigned char>(random()));
                break;
            case 4:
                body[at] = (random() % 2) ? 0xFF : 0x7F;
                break; // long lengths, odd kinds
            }
        }
        WriteBytes(path, WithBody(seed, body, compressed && random() % 8 != 0));
        const TLoaded l = Load(path);
        EXPECT_TRUE(l.code == 0 || l.code == -1) << round << " gave " << l.code;
        loaded += l.code == 0;
    }
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, rounds);
}

#if !defined(__SANITIZE_ADDRESS__)
// Memory running out while the tree is built is a load failure, not a crash. (Not under ASan,
// whose shadow memory cannot live with an address-space limit.)
TEST(RoundTrip, RunningOutOfMemoryGivesMinusOne) {
    TTempDir dir;
    const std::string path = dir.File("many.txf");
    {
        model::TExplorationFileWriter w(path, model::txf::kWriterViewer);
        model::TRecordWriter& out = w.Records();
        out.WriteRootHead("r", 0);
        out.WriteFolderBody(false, {});
        out.WritePathHead("p", "/p");
        out.WriteFolderBody(true, {});
        for (int i = 0; i < 400000; ++i)
            out.WriteFile("file-with-a-longer-name-" + std::to_string(i), i, {});
        out.WriteEnd();
        out.WriteEnd();
        w.Commit();
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t now = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        const rlimit limit{now + (16u << 20), now + (16u << 20)};
        setrlimit(RLIMIT_AS, &limit);
        const int code = Load(path).code;
        _exit(code == -1 ? 0 : 10 + (code < 0 ? -code : 9));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the loading process crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Load(path).code, 0) << "the same file loads with memory to spare";
}
#endif
