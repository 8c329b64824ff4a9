// The exploration-file reader: header checks in file order, the checksum of the stored body, then
// the record stream (raw or zlib) into the viewer's items. The encodings are URecordCodec's.
//
// A file comes from outside and is never trusted to be well formed, even with a correct checksum:
// every read is bounded by the data (a cut body raises TRecordTruncated), nesting costs no stack
// (one loop with a stack of its own), and every failure becomes a result code.
#include "viewer/UItem.h"

#include "model/UCRCFileStream.h"
#include "model/UParallelZlib.h"
#include "model/URecordCodec.h"
#include "platform/PMemory.h"
#include "viewer/ULoadProgress.h"

#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace viewer {

using model::TRecordReader;
namespace txf = model::txf;

void LoadFolderHead(model::TFolderItem& folder, TRecordReader& in, std::uint8_t kind,
                    std::uint32_t formatVersion) {
    folder.SetExplored(in.ReadByte() != 0);
    folder.model::TItem::LoadFromStream(in, kind, formatVersion);
}

void TDriveItem::LoadFromStream(TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) {
    const auto letter = static_cast<char>(in.ReadByte());
    const std::int64_t freeBytes = in.ReadInt64();
    const std::int64_t totalBytes = in.ReadInt64();
    SetLetter(letter);
    SetSpace(freeBytes, totalBytes);
    if (letter == '/') SetMountPoint(NameString()); // a Linux drive: its name is its mount point
    LoadFolderHead(*this, in, kind, formatVersion);
}

void TFolderRootItem::LoadFromStream(TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) {
    SetPath(model::TItem::ReadName(in, formatVersion));
    LoadFolderHead(*this, in, kind, formatVersion);
}

namespace {
// How often the window is pumped, in records of any kind.
constexpr unsigned kPumpEvery = 256;

TLoadProgress& NoProgress() {
    static TLoadProgress none;
    return none;
}

// The share of the machine's available memory that one load may fill with items.
constexpr std::uint64_t kBudgetShare = 2; // one half

template <class T> void Complete(model::TFolderItem* folder) {
    static_cast<T*>(folder)->StoreExploredContent();
}

TLoadProgress& ProgressOf(const TRecordReader& in) {
    // The reader's sink is always a TLoadProgress: LoadFromFile sets it, and so must any caller.
    auto* p = dynamic_cast<TLoadProgress*>(in.Progress());
    return p ? *p : NoProgress();
}
} // namespace

std::uint64_t TFileRootItem::ItemCost(std::uint8_t kind, std::string_view name) {
    // The pooled object with its name before it, and its pointer in the folder's child list
    // (which may stand half empty while it grows).
    constexpr std::uint64_t kSlot = 2 * sizeof(void*);
    const std::uint64_t inlineName = model::NamePrefixBytes(name);
    const std::uint64_t ownName = 16 + model::NameHeaderBytes(name.size()) + name.size() + 7; // name block
    switch (kind & txf::kKindMask) {
    case txf::kKindFile:
        return sizeof(viewer::TFileItem) + inlineName + kSlot;
    case txf::kKindFolder:
        return sizeof(viewer::TFolderItem) + inlineName + kSlot;
    case txf::kKindDrive:
        return sizeof(viewer::TDriveItem) + ownName + name.size() + kSlot; // and its mount point
    case txf::kKindPath:
        return sizeof(viewer::TFolderRootItem) + ownName + 2 * name.size() + 2 + kSlot; // and its path
    default:
        return 0;
    }
}

void TFileRootItem::LoadFromStream(TRecordReader& in, std::uint8_t, std::uint32_t formatVersion) {
    TLoadProgress& progress = ProgressOf(in);
    const std::uint8_t rootKind = in.ReadByte();
    if ((rootKind & txf::kKindMask) != txf::kKindRoot) return; // no root record: an empty file
    (void)model::TItem::ReadName(in, formatVersion);           // the item keeps its file name
    const std::int64_t count = in.ReadInt64();
    if (formatVersion < 3) progress.SetMax(count);
    LoadFolderHead(*this, in, rootKind, formatVersion);

    // The folders whose end byte is still to come, each with what it stores once complete.
    struct TOpen {
        model::TFolderItem* folder;
        void (*complete)(model::TFolderItem*);
    };
    std::vector<TOpen> open{{this, nullptr}};
    open.reserve(64);
    unsigned records = 0;
    while (!open.empty()) {
        model::TFolderItem* folder = open.back().folder;
        const std::uint8_t kind = in.ReadByte();
        if (txf::IsEndKind(kind)) {
            folder->SortChildren(viewer::CompareItems, viewer::SortKey);
            folder->ShrinkChildren();
            if (open.back().complete) open.back().complete(folder); // every child answers at once by now
            open.pop_back();
            continue;
        }
        const std::string name = model::TItem::ReadName(in, formatVersion);
        // Refused before the item is made: a few kilobytes of zlib can hold millions of records.
        FMemoryUsed += ItemCost(kind, name);
        if (FMemoryBudget != 0 && FMemoryUsed > FMemoryBudget) throw std::bad_alloc();
        model::TItem* child = nullptr;
        switch (kind & txf::kKindMask) {
        case txf::kKindDrive:
            child = new viewer::TDriveItem(name, folder);
            break;
        case txf::kKindFolder:
            child = model::NewItem<viewer::TFolderItem>(name, folder);
            break;
        case txf::kKindFile:
            child = model::NewItem<viewer::TFileItem>(name, folder);
            break;
        case txf::kKindPath:
            child = new viewer::TFolderRootItem(name, folder);
            break;
        default:
            break; // an unknown kind costs only its name
        }
        if (child) {
            std::unique_ptr<model::TItem> owned(child); // freed should the child list fail to grow
            folder->AddChild(child);                    // owned from here on, whatever the record does
            owned.release();
            if (child->IsFolder()) {
                auto* sub = static_cast<model::TFolderItem*>(child);
                switch (kind & txf::kKindMask) {
                case txf::kKindDrive:
                    sub->LoadFromStream(in, kind, formatVersion);
                    open.push_back({sub, Complete<viewer::TDriveItem>});
                    break;
                case txf::kKindPath:
                    sub->LoadFromStream(in, kind, formatVersion);
                    open.push_back({sub, Complete<viewer::TFolderRootItem>});
                    break;
                default:
                    LoadFolderHead(*sub, in, kind, formatVersion);
                    open.push_back({sub, Complete<viewer::TFolderItem>});
                    break;
                }
            } else {
                child->LoadFromStream(in, kind, formatVersion);
            }
        }
        if (++records % kPumpEvery == 0) progress.Pump();
        if (progress.Cancelled()) return; // the partial tree is the caller's to destroy
    }
}

namespace {
// Up to count bytes from the start of the file; fewer only when the file is shorter.
std::size_t ReadUpTo(model::TCRCFileStream& file, unsigned char* data, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = file.Read(data + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

bool KnownWriter(std::uint32_t writer) {
    return writer == txf::kWriterExplorer || writer == txf::kWriterViewer || writer == txf::kWriterScanner ||
           writer == txf::kWriterLater;
}

// The header checks in file order: the first that fails decides; a field the file is too short
// to hold is a read error. 0 when the header is sound.
std::int32_t CheckHeader(const model::THeaderFields& h, std::size_t have) {
    const auto missing = [have](std::size_t end) { return have < end; };
    if (missing(4)) return kLoadUnreadable;
    if (h.magic1 != txf::kMagic1) return kLoadBadMagic;
    if (missing(8)) return kLoadUnreadable;
    if (h.magic2 != txf::kMagic2) return kLoadBadMagic;
    if (missing(txf::kOffsetMajorVersion + 4)) return kLoadUnreadable;
    if (h.majorVersion != txf::kMajorVersion) return kLoadBadVersion;
    if (missing(txf::kOffsetFormatVersion + 4)) return kLoadUnreadable;
    if (h.formatVersion < 1 || h.formatVersion > 5) return kLoadBadVersion;
    if (h.formatVersion == 5 && !KnownWriter(h.writerVersion)) return kLoadUnsupportedWriter;
    if (missing(txf::kHeaderSize)) return kLoadUnreadable;
    return kLoadOk;
}
} // namespace

std::int32_t TFileRootItem::LoadFromFile(TLoadProgress* progress) {
    TLoadProgress& p = progress ? *progress : NoProgress();
    const std::uint64_t givenBudget = FMemoryBudget;
    if (FMemoryBudget == 0) {
        const auto available = platform::AvailableMemory();
        FMemoryBudget = available ? std::max<std::uint64_t>(*available / kBudgetShare, 1) : 0;
    }
    FMemoryUsed = 0;
    struct TRestore {
        std::uint64_t& budget;
        std::uint64_t given;
        ~TRestore() { budget = given; }
    } restore{FMemoryBudget, givenBudget};
    try {
        model::TCRCFileStream file(FFilePath, model::TFileMode::Read);
        model::THeaderBytes bytes{};
        const std::size_t have = ReadUpTo(file, bytes.data(), bytes.size());
        const model::THeaderFields header = model::DecodeHeader(bytes);
        if (const std::int32_t code = CheckHeader(header, have); code != kLoadOk) return code;
        const auto version = static_cast<std::uint32_t>(header.formatVersion);
        if (version >= 3) p.SetMax(static_cast<std::int64_t>(header.fileCount));

        // The whole stored body is checked before any record is interpreted.
        if (file.ComputeRestCRC() != header.crc) return kLoadBadCrc;
        file.Seek(static_cast<std::int64_t>(txf::kHeaderSize));

        // Inflated on a second thread while this one decodes the records and builds the items.
        std::optional<model::TInflateAheadSource> inflate;
        model::TByteSource* body = &file;
        if (header.compression == txf::kCompressionZlib) body = &inflate.emplace(file);
        TRecordReader in(*body);
        in.SetProgress(&p);
        LoadFromStream(in, 0, version);
        // A compressed body must also end as a zlib stream: asking for one more byte reads the
        // stream to its end and raises when the compressed data stops before it.
        if (inflate && !p.Cancelled()) (void)in.AtEnd();
    } catch (const std::bad_alloc&) {
        return kLoadUnreadable; // out of memory, or the items would have taken more than the budget
    } catch (const std::exception&) {
        return kLoadUnreadable; // file errors, damaged or cut bodies, nesting too deep
    }
    return p.Cancelled() ? kLoadCancelled : kLoadOk;
}

} // namespace viewer
