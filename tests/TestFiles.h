// Small helpers of the file tests: a temporary folder removed with its content, a whole file read
// into a string, and a zlib stream inflated by zlib itself (the reference every writer is read by).
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace txtest {

namespace fs = std::filesystem;

struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "txtest.XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Entries in the folder (a temporary file left behind shows here).
    [[nodiscard]] size_t Entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(path), {}));
    }
    fs::path path;
};

inline std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The whole of one zlib stream inflated, its Adler-32 checked, nothing after it.
inline std::vector<unsigned char> InflateZlib(std::string_view z) {
    std::vector<unsigned char> out(1 << 16);
    z_stream s{};
    EXPECT_EQ(inflateInit(&s), Z_OK);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data()));
    s.avail_in = static_cast<uInt>(z.size());
    size_t used = 0;
    int rc;
    do {
        if (used == out.size()) out.resize(out.size() * 2);
        s.next_out = out.data() + used;
        s.avail_out = static_cast<uInt>(out.size() - used);
        rc = inflate(&s, Z_NO_FLUSH);
        used = out.size() - s.avail_out;
    } while (rc == Z_OK);
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(s.avail_in, 0u) << "one complete zlib stream, nothing after it";
    inflateEnd(&s);
    out.resize(used);
    return out;
}

} // namespace txtest
