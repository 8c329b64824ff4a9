// The project's icon registry, in place of the system small image list: every icon the views show
// has one index, handed out once per distinct key and valid for the run.
#pragma once

#include <QIcon>
#include <QString>

#include <unordered_map>
#include <vector>

namespace platform {

class TIconRegistry {
public:
    // Items keep icon indexes in 16 bits: past this many icons, Add answers the fallback index.
    static constexpr int kMaxIcons = 32000;

    // The index of the icon known by key; icon is registered under it when the key is new.
    // A null icon is not registered: -1.
    int Add(const QString& key, const QIcon& icon);
    // The index already given to key, or -1.
    [[nodiscard]] int Find(const QString& key) const;
    // The icon of an index; a null icon when out of range.
    [[nodiscard]] QIcon Icon(int index) const;
    [[nodiscard]] int Count() const { return static_cast<int>(FIcons.size()); }

private:
    std::vector<QIcon> FIcons;
    std::unordered_map<QString, int> FByKey;
};

// The one registry of the program.
TIconRegistry& IconRegistry();

} // namespace platform
