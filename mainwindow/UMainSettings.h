// The main windows' settings: what both programs store of their frame (column layouts, window
// geometry, view toggles, the tip of the day), the explorer's options and icon switches besides,
// and its preferred explorations under "Preferred". A plain model with its defaults, reading order
// and clamps; the store behind it is reached through TSettingsKey.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace model {
class TPreferredRootItem;
}

namespace mainwindow {

inline constexpr const char* kMainKey = "\\SOFTWARE\\Ombrelith\\TessalundrixPro3.1";
inline constexpr const char* kPreferredKey = "Preferred";

// Every read failure of the store: a value that is missing or of another type.
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One open key of the settings store. Reads throw ESettingsError when the value is missing or of
// another type; writes throw it when the store cannot be written.
class TSettingsKey {
public:
    virtual ~TSettingsKey() = default;
    [[nodiscard]] virtual bool ValueExists(const std::string& name) = 0;
    // Bytes held by a binary value; -1 when missing or not binary.
    [[nodiscard]] virtual int DataSize(const std::string& name) = 0;
    [[nodiscard]] virtual std::int32_t ReadInteger(const std::string& name) = 0;
    [[nodiscard]] virtual std::string ReadString(const std::string& name) = 0;
    [[nodiscard]] virtual std::vector<std::uint8_t> ReadBinary(const std::string& name) = 0;
    virtual void WriteInteger(const std::string& name, std::int32_t value) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& value) = 0;
    // Booleans are integers: any non-zero value reads as true, written 0 or 1.
    [[nodiscard]] bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
};

inline constexpr int kDesignWidth = 816;
inline constexpr int kDesignHeight = 491;
inline constexpr int kMinWidth = 400;
inline constexpr int kMinHeight = 200;

// One stored value and the field of a settings record it is read into and written from (exactly one
// of integer and boolean is set).
struct TSettingValue {
    const char* name;
    int* integer = nullptr;
    bool* boolean = nullptr;
};

// What both programs' main windows store: the layouts of the three views' column groups, the
// bounds, the View menu's toggles and the tip of the day's switch. A program with more to store
// derives from it and adds its values (Values).
struct TFrameSettings {
    TFrameSettings(int designWidth, int designHeight) : width(designWidth), height(designHeight) {}
    virtual ~TFrameSettings() = default;
    TFrameSettings(const TFrameSettings&) = default;
    TFrameSettings& operator=(const TFrameSettings&) = default;

    // Stored layouts of the groups, stored as "Columns 0" to "Columns 2" (empty: built-in).
    std::array<std::vector<std::int32_t>, 3> columns;
    int width;
    int height;
    int top = 0;
    int left = 0;
    bool showTreeView = true;
    bool showToolbar = true;
    bool showButtonLabel = true;
    bool showPath = true;
    bool showStatusBar = true;
    bool showTips = true;

    // The values after the layouts, in their stored order: "Width", "Height", "Top", "Left", the
    // toggles from "ShowTreeView" to "ShowStatusBar", "ShowTips".
    [[nodiscard]] virtual std::vector<TSettingValue> Values();

protected:
    // The frame's values with a program's own toggles after "ShowToolbar".
    [[nodiscard]] std::vector<TSettingValue> FrameValues(const std::vector<TSettingValue>& afterToolbar);
};

struct TMainSettings : TFrameSettings {
    TMainSettings() : TFrameSettings(kDesignWidth, kDesignHeight) {}
    bool showMap = false;
    bool askSave = true;
    bool useLocalRealIcon = true;
    bool useRemovableRealIcon = false;
    bool useNetworkRealIcon = false;
    // The Options dialog's size units are not settings: every run starts with the catalogue's
    // defaults, and the dialog changes them for that run only.

    // The frame's with "ShowMap" after "ShowToolbar", then "AskSave" and the three icon switches.
    [[nodiscard]] std::vector<TSettingValue> Values() override;
};

// The window at its size, centred on a screen of the given size (division toward zero).
void CentreWindow(TFrameSettings& s, int screenWidth, int screenHeight);
// The explorer's defaults: the designed size, centred.
[[nodiscard]] TMainSettings DefaultMainSettings(int screenWidth, int screenHeight);

// Reads the layouts, then the values in their stored order into s. Reading stops at the first
// value that is missing or of another type; what was read before stays. Returns false when it
// stopped early.
bool ReadSettings(TSettingsKey& key, TFrameSettings& s);

// Puts the window wholly on a screen of the given size: left and top at least 0, at least
// 400 x 200, at most the screen, and the far edges on the screen.
void ClampWindow(TFrameSettings& s, int screenWidth, int screenHeight);

// Writes every value in its stored order; the column layouts are written when not empty.
void WriteSettings(TSettingsKey& key, TFrameSettings& s);

// ---- preferred explorations ----

struct TPreferredEntry {
    bool exploreAtStart = false;
    std::string path;
    bool operator==(const TPreferredEntry&) const = default;
};

// "1" or "0" followed by the path; anything shorter than 2 characters or with another first
// character is no entry.
[[nodiscard]] std::optional<TPreferredEntry> ParsePreferredValue(std::string_view value);
[[nodiscard]] std::string FormatPreferredValue(const TPreferredEntry& entry);

// "Pref0", "Pref1", ... while they exist; malformed ones are skipped, and a value that is no string
// ends the list there.
[[nodiscard]] std::vector<TPreferredEntry> ReadPreferredEntries(TSettingsKey& key);
void WritePreferredEntries(TSettingsKey& key, const std::vector<TPreferredEntry>& entries);

// Where the drive roots of the stored list stood, mount points stand: a path names a whole drive
// when it is the mount point of a mounted file system (with or without its trailing "/").
[[nodiscard]] bool IsDriveRoot(std::string_view path, const std::vector<std::string>& mountPoints);

// The entries of the preferred container's children in order (preferred folders and drives only).
[[nodiscard]] std::vector<TPreferredEntry> PreferredEntriesOf(const model::TPreferredRootItem& root);

// Replaces the container's children by items made from entries: a whole drive where IsDriveRoot
// holds (named by displayName when it gives a name), a preferred folder otherwise. Totals are
// not updated here.
void BuildPreferredItems(model::TPreferredRootItem& root, const std::vector<TPreferredEntry>& entries,
                         const std::vector<std::string>& mountPoints,
                         const std::function<std::string(const std::string&)>& displayName);

} // namespace mainwindow
