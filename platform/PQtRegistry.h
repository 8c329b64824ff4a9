// The settings store of each program: one file per program under $XDG_CONFIG_HOME/Ombrelith/
// ("TessalundrixPro3.1.conf", "TXViewer3.1.conf"), sub-keys as groups ("Analyser/Report").
//
// Values keep their type: a 32-bit integer, a string (bytes, UTF-8 on disk) or a binary block. A read
// tells a missing value from one of another type, so that a reader can stop at the first bad value.
// Writes go to the file when the store is flushed or destroyed; the file is replaced atomically
// (written aside, then renamed over the old one), so a crash never leaves half a settings file.
//
// File layout (one text file, readable by a person):
//   [Analyser/Report]          group = the sub-key; the program's own key has no header
//   Name=i:42                  integer
//   Name=s:text%0Awith%25      string, with '%', CR, LF and NUL written as %XX
//   Name=b:0a000000ff          binary, as hexadecimal
// Value and key names escape '%', '=', '[', ']', CR, LF and NUL the same way.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSettings;

namespace platform {

// Program names of the stores (the file is this name + ".conf").
inline constexpr const char* kExplorerSettings = "TessalundrixPro3.1";
inline constexpr const char* kViewerSettings = "TXViewer3.1";

enum class TRegStatus { Ok, Missing, WrongType };

template <class T> struct TRegRead {
    TRegStatus status = TRegStatus::Missing;
    T value{};
    [[nodiscard]] bool Ok() const { return status == TRegStatus::Ok; }
};

using TBytes = std::vector<std::uint8_t>;

class TRegistry {
public:
    // The store of a program, e.g. TRegistry(kExplorerSettings). The folder is looked up now
    // ($XDG_CONFIG_HOME, else ~/.config) and made when something is written.
    explicit TRegistry(std::string_view program);
    // A store kept in the given file (tests, tools).
    static TRegistry AtFile(const std::string& path);
    ~TRegistry(); // flushes
    TRegistry(TRegistry&&) noexcept;
    TRegistry& operator=(TRegistry&&) noexcept;
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    [[nodiscard]] const std::string& FileName() const { return FFileName; }

    // Makes key the current key ("" = the program's own key, "Analyser/Report" = a sub-key).
    // A key exists when it holds a value or a sub-key; without canCreate a missing key is refused
    // (false, the current key stays). With canCreate it is made on the first write.
    bool OpenKey(std::string_view key, bool canCreate);
    [[nodiscard]] bool KeyExists(std::string_view key) const;
    [[nodiscard]] const std::string& CurrentKey() const { return FKey; }

    // Values of the current key.
    [[nodiscard]] bool ValueExists(std::string_view name) const;
    [[nodiscard]] TRegRead<std::int32_t> ReadInteger(std::string_view name) const;
    // An integer read as a boolean: any non-zero value is true.
    [[nodiscard]] TRegRead<bool> ReadBool(std::string_view name) const;
    [[nodiscard]] TRegRead<std::string> ReadString(std::string_view name) const;
    [[nodiscard]] TRegRead<TBytes> ReadBinary(std::string_view name) const;
    // Bytes a value holds (strings: their length), or -1 when it is missing.
    [[nodiscard]] int DataSize(std::string_view name) const;

    void WriteInteger(std::string_view name, std::int32_t value);
    void WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteString(std::string_view name, std::string_view value);
    void WriteBinary(std::string_view name, const TBytes& value);
    void DeleteValue(std::string_view name);
    // Removes the key with its values and sub-keys.
    void DeleteKey(std::string_view key);

    // Writes pending changes now (atomically); false when the file could not be written.
    bool Flush();

private:
    explicit TRegistry(std::string fileName, int);
    [[nodiscard]] QString Path(std::string_view name) const;

    std::string FFileName;
    std::string FKey;
    std::unique_ptr<QSettings> FSettings;
};

// $XDG_CONFIG_HOME/Ombrelith/<program>.conf (XDG_CONFIG_HOME defaults to ~/.config).
[[nodiscard]] std::string SettingsFileName(std::string_view program);

} // namespace platform
