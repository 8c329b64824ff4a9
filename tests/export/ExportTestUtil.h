// Helpers of the export tests: a temporary folder that removes itself, and whole-file reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace exporttest {

class TTempDir {
public:
    TTempDir() {
        std::random_device random;
        FPath = std::filesystem::temp_directory_path() / ("tx_export_test_" + std::to_string(random()));
        std::filesystem::create_directories(FPath);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    [[nodiscard]] std::string File(const std::string& name) const { return (FPath / name).string(); }
    [[nodiscard]] const std::filesystem::path& Path() const { return FPath; }
    // Names of every entry in the folder (to see that no temporary file was left behind).
    [[nodiscard]] std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(FPath))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path FPath;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

} // namespace exporttest
