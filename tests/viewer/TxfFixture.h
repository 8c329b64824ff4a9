// Test helpers: exploration files made by txfgen.py from a JSON description, loaded into a viewer
// tree, and a compact text form of a loaded tree to compare with.
#pragma once

#include "viewer/UItem.h"
#include "viewer/ULoadProgress.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace txftest {

// A fresh folder under the system's temporary folder, removed with the object.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "txviewer-XXXXXX").string();
        FPath = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    [[nodiscard]] std::string File(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

// Runs the generator on the description; the file's path, or "" when the generator failed.
inline std::string Generate(const TTempDir& dir, const std::string& json, const std::string& name = "t.txf") {
    const std::string out = dir.File(name);
    const std::string cmd =
        std::string("'") + TX_PYTHON + "' '" + TX_SOURCE_DIR + "/tests/viewer/txfgen.py' '" + out + "'";
    FILE* p = popen(cmd.c_str(), "w");
    if (!p) return {};
    std::fwrite(json.data(), 1, json.size(), p);
    return pclose(p) == 0 ? out : std::string();
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The file with its stored body replaced (compressed first when compress), the checksum in the
// header made right again for the header's format version.
inline std::vector<unsigned char> WithBody(const std::vector<unsigned char>& file,
                                           const std::vector<unsigned char>& body, bool compress) {
    std::vector<unsigned char> stored = body;
    if (compress) {
        uLongf n = compressBound(static_cast<uLong>(body.size()));
        stored.resize(n);
        compress2(stored.data(), &n, body.data(), static_cast<uLong>(body.size()), 9);
        stored.resize(n);
    }
    std::vector<unsigned char> out;
    out.reserve(128 + stored.size());
    out.assign(file.begin(), file.begin() + 128);
    out.insert(out.end(), stored.begin(), stored.end());
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, stored.data(), static_cast<uInt>(stored.size())));
    const std::uint32_t version =
        out[62] | out[63] << 8 | out[64] << 16 | static_cast<std::uint32_t>(out[65]) << 24;
    const size_t at = version == 5 ? 74 : 66;
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<unsigned char>(crc >> (8 * i));
    return out;
}

// A viewer root with one loaded file, as the viewer's loading command leaves it.
struct TLoaded {
    std::unique_ptr<viewer::TRootItem> root = std::make_unique<viewer::TRootItem>();
    viewer::TFileRootItem* file = nullptr; // owned by root when code is 0
    std::int32_t code = 1;
};

inline TLoaded Load(const std::string& path, viewer::TLoadProgress* progress = nullptr) {
    TLoaded l;
    auto item = std::make_unique<viewer::TFileRootItem>(path, l.root.get());
    l.code = item->LoadFromFile(progress);
    if (l.code == 0) {
        l.file = item.release();
        l.root->AddChild(l.file);
        l.root->UpdateTotals();
    }
    return l;
}

// The tree below item as text: files "name=size", folders "name{...}", drives "[L]name{...}",
// folder roots "<path>{...}", children comma-separated in their order.
inline std::string Dump(const model::TItem* item) {
    std::string s;
    if (!item->IsFolder()) return std::string(item->Name()) + "=" + std::to_string(item->GetSize());
    const auto* f = static_cast<const model::TFolderItem*>(item);
    if (auto* d = dynamic_cast<const model::TDriveItem*>(f))
        s = "[" + std::string(1, d->Letter()) + "]" + std::string(f->Name());
    else if (auto* r = dynamic_cast<const viewer::TFolderRootItem*>(f))
        s = "<" + r->Path() + ">";
    else
        s = std::string(f->Name());
    s += "{";
    for (int i = 0; i < f->ChildCount(); ++i)
        s += (i ? "," : "") + Dump(f->Child(i));
    return s + "}";
}

// Counts what the reader reports and cancels at a chosen moment.
class TRecordingProgress : public viewer::TLoadProgress {
public:
    std::int64_t Max = -1;
    long Steps = 0, Pumps = 0, Asks = 0;
    long CancelAtAsk = -1; // Cancelled answers true from this ask on
    void SetMax(std::int64_t max) override { Max = max; }
    void Step() override { ++Steps; }
    void Pump() override { ++Pumps; }
    bool Cancelled() override { return ++Asks > CancelAtAsk && CancelAtAsk >= 0; }
};

} // namespace txftest
