// Items that a command still needs when an answer it waits for comes later: each one that leaves
// the tree meanwhile becomes nullptr, so that the answer never reaches a freed item.
#pragma once

#include "model/UItem.h"

#include <vector>

namespace model {

class TWatchedItems : public TTreeListener {
public:
    explicit TWatchedItems(std::vector<TItem*> items) : FItems(std::move(items)) { AddTreeListener(this); }
    ~TWatchedItems() override { RemoveTreeListener(this); }
    TWatchedItems(const TWatchedItems&) = delete;
    TWatchedItems& operator=(const TWatchedItems&) = delete;

    // In the order given; nullptr for those that went.
    [[nodiscard]] const std::vector<TItem*>& Items() const { return FItems; }

    void ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) override {
        for (TItem*& item : FItems)
            if (item && GoesWith(item, folder, child)) item = nullptr;
    }

private:
    std::vector<TItem*> FItems;
};

} // namespace model
