#include "platform/PIconRegistry.h"

namespace platform {

int TIconRegistry::Add(const QString& key, const QIcon& icon) {
    if (auto it = FByKey.find(key); it != FByKey.end()) return it->second;
    if (icon.isNull()) return -1;
    if (Count() >= kMaxIcons) return 0; // the first icon registered stands in for the rest
    FIcons.push_back(icon);
    const int index = Count() - 1;
    FByKey.emplace(key, index);
    return index;
}

int TIconRegistry::Find(const QString& key) const {
    auto it = FByKey.find(key);
    return it == FByKey.end() ? -1 : it->second;
}

QIcon TIconRegistry::Icon(int index) const {
    if (index < 0 || index >= Count()) return {};
    return FIcons[static_cast<size_t>(index)];
}

TIconRegistry& IconRegistry() {
    static TIconRegistry registry;
    return registry;
}

} // namespace platform
