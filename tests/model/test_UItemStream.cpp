// The items' records: golden record streams of the marking cases, whole-file saves (complete,
// cancelled, failed) and the read side of item tails in every format version.
#include "../TestFiles.h"
#include "model/UItem.h"
#include "model/URecordCodec.h"
#include "model/UTypeList.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

using namespace model;
namespace fs = std::filesystem;
using txtest::ReadFile;
using txtest::TempDir;

namespace {
using Bytes = std::vector<unsigned char>;

// ---- expected bytes, spelled out field by field ----
struct Expect {
    Bytes b;
    Expect& K(unsigned char v) { return b.push_back(v), *this; }
    Expect& S(const std::string& s) {
        if (s.size() < 127) {
            b.push_back(static_cast<unsigned char>(s.size()));
        } else {
            b.push_back(127);
            b.push_back(static_cast<unsigned char>(s.size()));
            b.push_back(static_cast<unsigned char>(s.size() >> 8));
        }
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Expect& I64(std::int64_t v) {
        for (int i = 0; i < 8; ++i)
            b.push_back(static_cast<unsigned char>(static_cast<std::uint64_t>(v) >> (8 * i)));
        return *this;
    }
    Expect& D(double d) {
        std::uint64_t v;
        std::memcpy(&v, &d, 8);
        return I64(static_cast<std::int64_t>(v));
    }
    // Explored flag, three dates, attribute byte.
    Expect& Body(unsigned char explored, double c, double a, double m, unsigned char attr) {
        return K(explored).D(c).D(a).D(m).K(attr);
    }
    Expect& End() { return K(99); }
};

Bytes Inflate(const std::string& z) {
    Bytes out(z.size() * 4 + 1024);
    uLongf size = 0;
    int rc;
    do {
        out.resize(out.size() * 2);
        size = static_cast<uLongf>(out.size());
        rc = uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(z.data()),
                        static_cast<uLong>(z.size()));
    } while (rc == Z_BUF_ERROR);
    EXPECT_EQ(rc, Z_OK);
    out.resize(size);
    return out;
}

// The record stream that the root writes.
Bytes Body(TRootItem& root) {
    TStringSink sink;
    TRecordWriter w(sink);
    root.SaveToStream(w);
    w.Finish();
    return Inflate(sink.Data);
}

std::string Hex(const Bytes& b) {
    std::ostringstream s;
    for (unsigned char c : b)
        s << std::hex << (c < 16 ? "0" : "") << int(c) << ' ';
    return s.str();
}

constexpr double kSave = 46000.5;    // the save time given to the root
constexpr double kManual = 45999.25; // when the manual exploration ran

TFileItem* AddFile(TFolderItem* folder, const std::string& name, std::int64_t size, double date,
                   std::uint32_t attr) {
    auto* f = new TFileItem(name, folder);
    f->SetSize(size);
    f->SetCreated(date);
    f->SetAccessed(date + 1);
    f->SetModified(date + 2);
    f->SetAttributes(attr);
    folder->AddChild(f);
    return f;
}

// root
//   My Computer: drive /data (docs/a.txt, b.bin), drive /empty (explored, no files)
//   My Manual Explorations: manual "/" (c)
//   Network Neighborhood: server: share //server/share at /mnt/share (d)
struct Tree {
    TRootItem root{"My Tessalundrix"};
    TDriveItem* data = nullptr;
    TDriveItem* empty = nullptr;
    TFolderItem* docs = nullptr;
    TFileItem *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    TManualItem* manual = nullptr;
    TNetworkDriveItem* share = nullptr;

    Tree() {
        TComputerRootItem* computer = root.EnsureComputerRoot();
        data = new TDriveItem("/data", kKindFixed, computer);
        computer->AddChild(data);
        data->SetExplored(true);
        data->SetAttributes(0x10);
        docs = new TFolderItem("docs", data);
        data->AddChild(docs);
        docs->SetExplored(true);
        docs->SetCreated(100);
        docs->SetAccessed(101);
        docs->SetModified(102);
        docs->SetAttributes(0x10 | 0x2);
        a = AddFile(docs, "a.txt", 5, 200, 0x20);
        b = AddFile(data, "b.bin", 300, 300, 0x1);
        empty = new TDriveItem("/empty", kKindRemovable, computer);
        computer->AddChild(empty);
        empty->SetExplored(true);

        TManualRootItem* manuals = root.EnsureManualRoot();
        manual = new TManualItem("/", kKindFixed, manuals);
        manuals->AddChild(manual);
        manual->SetExplored(true);
        manual->SetCreated(kManual);
        c = AddFile(manual, "c", 70000, 400, 0);

        TNetworkRootItem* network = root.EnsureNetworkRoot();
        network->SetListed(true);
        auto* server = new TNetworkContainerItem("server", "//server", network);
        network->AddChild(server);
        server->SetListed(true);
        share = new TNetworkDriveItem("//server/share", "/mnt/share", server);
        server->AddChild(share);
        share->SetExplored(true);
        d = AddFile(share, "d", 16777216, 500, 0x4);

        root.ComputeTotals();
        data->SetSpace(100, 1000); // measured when explored; fixed here
        empty->SetSpace(7, 8);
        root.SetCreated(kSave);
    }
};

Expect RootHead(std::int64_t count, double created = kSave) {
    Expect e;
    e.K(1).S("My Tessalundrix").I64(count).Body(0, created, 0, 0, 0);
    return e;
}
Expect& FileRec(Expect& e, unsigned char kind, const std::string& name, Bytes size, double date,
                unsigned char attr) {
    e.K(kind).S(name);
    e.b.insert(e.b.end(), size.begin(), size.end());
    return e.D(date).D(date + 1).D(date + 2).K(attr);
}

// ---- whole-file helpers ----
// A progress window stand-in: counts steps, cancels after a number of them.
struct Progress : TProgressSink {
    int steps = 0;
    int cancelAfter = -1;
    void Step() override { ++steps; }
    bool Cancelled() override { return cancelAfter >= 0 && steps >= cancelAfter; }
};
} // namespace

TEST(ItemRecords, EverythingMarked) {
    Tree t;
    t.root.SetMarked(true);
    Expect e = RootHead(4);
    e.K(2).S("/data").K('/').I64(100).I64(1000).Body(1, kSave, 0, 0, 0);
    e.K(3).S("docs").Body(1, 100, 101, 102, 0x04);
    FileRec(e, 0x24, "a.txt", {5}, 200, 0x01).End();
    FileRec(e, 0x44, "b.bin", {0x2C, 0x01}, 300, 0x20).End();
    // The empty drive leaves no bytes at all.
    e.K(5).S("/").S("/").Body(1, kManual, 0, 0, 0);
    FileRec(e, 0x64, "c", {0x70, 0x11, 0x01}, 400, 0).End();
    e.K(5).S("share").S("//server/share").Body(1, kSave, 0, 0, 0);
    FileRec(e, 0x04, "d", {0, 0, 0, 1, 0, 0, 0, 0}, 500, 0x40).End();
    e.End();
    const Bytes body = Body(t.root);
    EXPECT_EQ(Hex(body), Hex(e.b));
    EXPECT_EQ(t.data->Created(), kSave) << "a written drive takes the save time";
    EXPECT_EQ(t.manual->Created(), kManual) << "a manual exploration keeps its own";
    EXPECT_EQ(t.root.GetMarkedFileCount(), 4);
    EXPECT_DOUBLE_EQ(t.data->Modified(), 0) << "the body holds the item's own dates";
}

TEST(ItemRecords, FolderSavedOnItsOwn) {
    Tree t;
    t.docs->SetMarked(true);
    auto* sub = new TFolderItem("sub", t.docs);
    t.docs->AddChild(sub);
    sub->SetExplored(true);
    auto* unexplored = new TFolderItem("later", t.docs);
    t.docs->AddChild(unexplored);
    t.docs->SortChildren(); // folders first, as a real tree keeps them
    Expect e = RootHead(1);
    e.K(5).S("docs").S("/data/docs").Body(1, kSave, 101, 102, 0x04);
    e.K(3).S("sub").Body(1, 0, 0, 0, 0).End(); // an empty explored folder; the unexplored one is left out
    FileRec(e, 0x24, "a.txt", {5}, 200, 0x01).End();
    e.End();
    EXPECT_EQ(Hex(Body(t.root)), Hex(e.b));
    EXPECT_EQ(t.docs->Created(), kSave);
}

TEST(ItemRecords, LoneMarkedFilesGoUnderAPathRecordOfTheirFolder) {
    Tree t;
    t.b->SetMarked(true);
    t.a->SetMarked(true);
    t.c->SetMarked(true);
    Expect e = RootHead(3);
    // In the drive: its marked file first, then the folders below with marked content.
    e.K(5).S("/data").S("/data").Body(1, kSave, 0, 0, 0);
    FileRec(e, 0x44, "b.bin", {0x2C, 0x01}, 300, 0x20).End();
    e.K(5).S("docs").S("/data/docs").Body(1, kSave, 101, 102, 0x04);
    FileRec(e, 0x24, "a.txt", {5}, 200, 0x01).End();
    // The root folder keeps "/" as its path.
    e.K(5).S("/").S("/").Body(1, kSave, 0, 0, 0);
    FileRec(e, 0x64, "c", {0x70, 0x11, 0x01}, 400, 0).End();
    e.End();
    EXPECT_EQ(Hex(Body(t.root)), Hex(e.b));
    EXPECT_EQ(t.root.GetMarkedFileCount(), 3);
    EXPECT_EQ(t.docs->Created(), 100) << "a folder that only carries marked files is not changed";
}

TEST(ItemRecords, LoneFileOfAShareKeepsTheNetworkPath) {
    Tree t;
    t.d->SetMarked(true);
    Expect e = RootHead(1);
    e.K(5).S("share").S("//server/share").Body(1, kSave, 0, 0, 0);
    FileRec(e, 0x04, "d", {0, 0, 0, 1, 0, 0, 0, 0}, 500, 0x40).End();
    e.End();
    EXPECT_EQ(Hex(Body(t.root)), Hex(e.b));
}

TEST(ItemRecords, MarkedDriveWithoutFilesWritesNothing) {
    Tree t;
    t.empty->SetMarked(true);
    Expect e = RootHead(0);
    e.End();
    EXPECT_EQ(Hex(Body(t.root)), Hex(e.b));
}

TEST(ItemRecords, NothingExplored) {
    TRootItem root("My Tessalundrix");
    root.EnsureComputerRoot()->AddChild(new TDriveItem("/", kKindFixed, root.ComputerRoot()));
    root.EnsureManualRoot();
    root.SetCreated(kSave);
    root.SetMarked(true);
    Expect e = RootHead(0);
    e.End();
    EXPECT_EQ(Hex(Body(root)), Hex(e.b));
}

TEST(ItemRecords, NameLengths) {
    for (size_t length : {size_t{126}, size_t{127}, size_t{65535}}) {
        Tree t;
        const std::string name(length, 'q');
        t.a->SetName(name);
        t.docs->SetMarked(true);
        Expect e = RootHead(1);
        e.K(5).S("docs").S("/data/docs").Body(1, kSave, 101, 102, 0x04);
        const size_t at = e.b.size() + 1; // the file's name starts after its kind byte
        FileRec(e, 0x24, name, {5}, 200, 0x01).End();
        e.End();
        const Bytes body = Body(t.root);
        ASSERT_EQ(body, e.b) << "name of " << length << " bytes";
        const Bytes prefix(body.begin() + at, body.begin() + at + 3);
        if (length == 126) {
            EXPECT_EQ(prefix, (Bytes{126, 'q', 'q'}));
        } else if (length == 127) {
            EXPECT_EQ(prefix, (Bytes{127, 127, 0}));
        } else {
            EXPECT_EQ(prefix, (Bytes{127, 0xFF, 0xFF}));
        }
    }
}

TEST(ItemRecords, PathLongerThanAStringCanHoldIsRefused) {
    Tree t;
    t.docs->SetName(std::string(65535, 'q')); // the name fits, "/data/" + name does not
    t.docs->SetMarked(true);
    TStringSink sink;
    TRecordWriter w(sink);
    EXPECT_THROW(t.root.SaveToStream(w), TRecordError);
    EXPECT_EQ(w.BytesWritten(), 0u) << "found by the counting pass, before any byte";
}

TEST(ItemRecords, ProgressStepsOncePerFileAndCancelStopsAtOnce) {
    Tree t;
    t.root.SetMarked(true);
    TStringSink sink;
    TRecordWriter w(sink);
    Progress p;
    w.SetProgress(&p);
    t.root.SaveToStream(w);
    EXPECT_EQ(p.steps, 4);

    Progress cancel;
    cancel.cancelAfter = 1;
    TStringSink sink2;
    TRecordWriter w2(sink2);
    w2.SetProgress(&cancel);
    t.root.SaveToStream(w2);
    EXPECT_EQ(cancel.steps, 1);
    EXPECT_EQ(w2.FileRecords(), 1u);
}

// ---- whole files ----

TEST(SaveToFile, WritesHeaderCrcCountAndBody) {
    TempDir dir;
    Tree t;
    t.b->SetMarked(true);
    t.docs->SetMarked(true);
    // Totals that say "no files" on a marked drive: counted by GetMarkedFileCount, never written.
    t.data->SetTotals(0, 0, 0);
    t.data->SetMarked(true);
    ASSERT_EQ(t.root.GetMarkedFileCount(), 2);
    Progress p;
    const fs::path target = dir.path / "x.txf";
    const TSaveOutcome outcome = t.root.SaveToFile(target.string(), &p);
    ASSERT_EQ(outcome.result, TSaveResult::Saved) << outcome.detail;
    EXPECT_TRUE(outcome.message.empty());
    const std::string file = ReadFile(target);
    ASSERT_GT(file.size(), 128u);
    THeaderBytes h;
    std::memcpy(h.data(), file.data(), 128);
    EXPECT_EQ(std::memcmp(h.data(), MakeHeader(txf::kWriterExplorer).data(), 74), 0);
    const THeaderFields f = DecodeHeader(h);
    const std::string rest = file.substr(128);
    EXPECT_EQ(f.crc, crc32(0, reinterpret_cast<const Bytef*>(rest.data()), static_cast<uInt>(rest.size())));
    EXPECT_EQ(f.fileCount, 0u) << "the count is what was written";
    const Bytes body = Inflate(rest);
    EXPECT_EQ(Hex(body), Hex(RootHead(0, t.root.Created()).End().b)) << "the root's count is 0 too";
    EXPECT_NE(t.root.Created(), kSave) << "the save time";
    EXPECT_EQ(dir.Entries(), 1u);
}

TEST(SaveToFile, CancelLeavesAnExistingTargetAsItWas) {
    TempDir dir;
    const fs::path target = dir.path / "kept.txf";
    const std::string old = "an earlier exploration";
    std::ofstream(target, std::ios::binary) << old;
    Tree t;
    t.root.SetMarked(true);
    Progress p;
    p.cancelAfter = 2;
    const TSaveOutcome outcome = t.root.SaveToFile(target.string(), &p);
    EXPECT_EQ(outcome.result, TSaveResult::Cancelled);
    EXPECT_EQ(outcome.message, "Operation cancelled. The file was not saved.");
    EXPECT_EQ(outcome.caption, "Cancel");
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(dir.Entries(), 1u) << "the temporary file is gone";

    const fs::path fresh = dir.path / "new.txf";
    EXPECT_EQ(t.root.SaveToFile(fresh.string(), &p).result, TSaveResult::Cancelled);
    EXPECT_FALSE(fs::exists(fresh));
}

TEST(SaveToFile, FullDiskFailsAndLeavesTheTarget) {
    TempDir dir;
    const fs::path target = dir.path / "kept.txf";
    const std::string old(5000, 'k');
    std::ofstream(target, std::ios::binary) << old;
    Tree t;
    for (int i = 0; i < 3000; ++i)
        AddFile(t.docs, "file-" + std::to_string(i * 7919), i * 131, i, 0);
    t.root.SetMarked(true);
    // The system refuses every byte past 1000 of a file, as a full file system would.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const TSaveOutcome outcome = t.root.SaveToFile(target.string());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(outcome.result, TSaveResult::Failed);
    EXPECT_EQ(outcome.message, "An error as occured while saving.");
    EXPECT_EQ(outcome.caption, "Error");
    EXPECT_NE(outcome.detail.find("write"), std::string::npos) << outcome.detail;
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(dir.Entries(), 1u);
}

TEST(SaveToFile, TooLongNameFailsCleanly) {
    TempDir dir;
    const fs::path target = dir.path / "kept.txf";
    std::ofstream(target, std::ios::binary) << "old";
    Tree t;
    t.a->SetName(std::string(65536, 'z'));
    t.root.SetMarked(true);
    const TSaveOutcome outcome = t.root.SaveToFile(target.string());
    EXPECT_EQ(outcome.result, TSaveResult::Failed);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(dir.Entries(), 1u);
}

TEST(SaveToFile, MissingFolderFails) {
    Tree t;
    t.root.SetMarked(true);
    EXPECT_EQ(t.root.SaveToFile("/nonexistent-folder/x.txf").result, TSaveResult::Failed);
}

// ---- the read side ----

namespace {
struct Tail {
    std::uint8_t kind;
    std::uint32_t version;
    Bytes bytes;
    double created, accessed, modified;
    std::uint32_t attributes;
};
Bytes Dbl(double d) {
    return Expect().D(d).b;
}
Bytes Dw(std::uint32_t v) {
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}
Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes r;
    for (const Bytes& p : parts)
        r.insert(r.end(), p.begin(), p.end());
    return r;
}
} // namespace

TEST(ItemLoad, TailsOfEveryVersion) {
    const double day = 29000.0 + 1 + 3600.0 / 86400; // packed (1 << 17) | 3600
    const std::uint32_t packed = (1u << 17) | 3600;
    const std::vector<Tail> cases = {
        {0x24, 5, Join({Dbl(1.5), Dbl(2.5), Dbl(3.5), {0x21}}), 1.5, 2.5, 3.5, 0x20 | 0x1},
        {0x9C | 0x20, 4, Join({Dbl(1.5), Dbl(2.5), Dbl(3.5), {0x80}}), 1.5, 2.5, 3.5, 0x100},
        {0x9C | 0x20, 3, Join({Dw(packed), Dw(packed), Dw(0), {0x04}}), day, day, 29000.0, 0x2},
        {0x10 | 0x24, 3, Join({Dbl(1.5), Dw(packed), Dbl(3.5), {0x00}}), 1.5, day, 3.5, 0},
        {0x80 | 0x24, 2, Join({Dw(packed), Dbl(2.5), Dbl(3.5), {0x48}}), day, 2.5, 3.5, 0x80 | 0x4},
        {0x08 | 0x24, 1, Join({Dbl(1.5), Dbl(2.5), Dw(packed), Dw(0x1021)}), 1.5, 2.5, day, 0x1021},
    };
    for (const Tail& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version) + " kind " + std::to_string(c.kind));
        TFolderItem folder("f", nullptr);
        TMemorySource src(c.bytes.data(), c.bytes.size());
        TRecordReader in(src);
        folder.LoadFromStream(in, c.kind, c.version);
        EXPECT_DOUBLE_EQ(folder.Created(), c.created);
        EXPECT_DOUBLE_EQ(folder.Accessed(), c.accessed);
        EXPECT_DOUBLE_EQ(folder.Modified(), c.modified);
        EXPECT_EQ(folder.Attributes(), c.attributes);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(ItemLoad, FileRecordSizeTypeAndStep) {
    struct Case {
        std::uint8_t kind;
        Bytes size;
        std::int64_t expected;
    };
    for (const Case& c : std::vector<Case>{{0x24, {0xFF}, 255},
                                           {0x44, {0x00, 0x01}, 256},
                                           {0x64, {0x00, 0x00, 0x01}, 65536},
                                           {0x04, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -1}}) {
        const Bytes bytes = Join({c.size, Dbl(1), Dbl(2), Dbl(3), {0x01}});
        TFileItem file("Report.TxT", nullptr);
        TMemorySource src(bytes.data(), bytes.size());
        TRecordReader in(src);
        Progress p;
        in.SetProgress(&p);
        file.LoadFromStream(in, c.kind, 5);
        EXPECT_EQ(file.Size(), c.expected);
        EXPECT_DOUBLE_EQ(file.Modified(), 3);
        EXPECT_EQ(file.Attributes(), 0x20u);
        EXPECT_EQ(file.TypeIndex(), TypeList().IndexOfExtension(".TXT"));
        EXPECT_EQ(p.steps, 1);
    }
    TFileItem noExtension("README", nullptr);
    const Bytes bytes = Join({{0}, Dbl(1), Dbl(2), Dbl(3), {0}});
    TMemorySource src(bytes.data(), bytes.size());
    TRecordReader in(src);
    noExtension.LoadFromStream(in, 0x24, 5);
    EXPECT_EQ(noExtension.TypeIndex(), TypeList().IndexOfExtension("none"));
}

TEST(ItemLoad, CutRecordRaises) {
    const Bytes bytes = Join({{0x00, 0x01}, Dbl(1), Dbl(2)});
    TFileItem file("x", nullptr);
    TMemorySource src(bytes.data(), bytes.size());
    TRecordReader in(src);
    EXPECT_THROW(file.LoadFromStream(in, 0x44, 5), TRecordTruncated);
}

TEST(ItemLoad, WrittenRecordsReadBack) {
    Tree t;
    t.root.SetMarked(true);
    const Bytes body = Body(t.root);
    TMemorySource src(body.data(), body.size());
    TRecordReader in(src);
    // Walk the stream as a reader does: kinds, names, the per-kind fields, tails.
    int files = 0, lists = 0, ends = 0;
    std::vector<std::string> names;
    while (!in.AtEnd()) {
        const std::uint8_t kind = in.ReadByte();
        if (txf::IsEndKind(kind)) {
            ++ends;
            continue;
        }
        names.push_back(in.ReadName(5));
        switch (kind & txf::kKindMask) {
        case txf::kKindRoot:
            in.ReadInt64();
            break;
        case txf::kKindDrive:
            in.ReadByte(), in.ReadInt64(), in.ReadInt64();
            break;
        case txf::kKindPath:
            names.back() += "|" + in.ReadName(5);
            break;
        default:
            break;
        }
        if ((kind & txf::kKindMask) == txf::kKindFile) {
            TFileItem f(names.back(), nullptr);
            f.LoadFromStream(in, kind, 5);
            ++files;
            if (names.back() == "d") {
                EXPECT_EQ(f.Size(), 16777216);
            }
            if (names.back() == "b.bin") {
                EXPECT_EQ(f.Attributes(), 0x1u);
            }
        } else {
            in.ReadByte();
            TFolderItem f(names.back(), nullptr);
            f.LoadFromStream(in, kind, 5);
            ++lists;
        }
    }
    EXPECT_EQ(files, 4);
    EXPECT_EQ(lists, ends);
    EXPECT_EQ(names, (std::vector<std::string>{"My Tessalundrix", "/data", "docs", "a.txt", "b.bin", "/|/",
                                               "c", "share|//server/share", "d"}));
}
