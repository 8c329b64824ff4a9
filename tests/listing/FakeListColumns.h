// A list view stand-in for column-group tests: columns in display order, with a drag that keeps
// the first column pinned as the real list view does.
#pragma once

#include "listing/UColumn.h"

#include <algorithm>
#include <string>
#include <vector>

namespace listing_test {

class TFakeListColumns : public listing::TListColumns {
public:
    struct Column {
        std::string caption;
        int width;
        int alignment;
        int tag;
    };
    std::vector<Column> columns; // creation order
    std::vector<int> order;      // display position -> creation index
    int sortColumn = -1;
    bool sortUp = true;
    int updates = 0;

    void BeginColumnUpdate() override { ++updates; }
    void EndColumnUpdate() override {}
    void ClearColumns() override {
        columns.clear();
        order.clear();
    }
    void AddColumn(const std::string& caption, int width, int alignment, int tag) override {
        order.push_back(static_cast<int>(columns.size()));
        columns.push_back({caption, width, alignment, tag});
    }
    int ColumnCount() const override { return static_cast<int>(columns.size()); }
    int ColumnTagAt(int position) const override { return columns[order[position]].tag; }
    int ColumnWidthAt(int position) const override { return columns[order[position]].width; }
    void SetSortColumn(int index) override { sortColumn = index; }
    int SortColumn() const override { return sortColumn; }
    void SetSortColumnUp(bool up) override { sortUp = up; }
    bool SortColumnUp() const override { return sortUp; }

    // The user drags the section at position from to position to; the first column snaps back.
    void Drag(int from, int to) {
        const int moved = order[from];
        order.erase(order.begin() + from);
        order.insert(order.begin() + to, moved);
        const auto zero = std::find(order.begin(), order.end(), 0);
        std::rotate(order.begin(), zero, zero + 1);
    }
    std::vector<int> Tags() const {
        std::vector<int> t;
        for (int p = 0; p < ColumnCount(); ++p)
            t.push_back(ColumnTagAt(p));
        return t;
    }
};

} // namespace listing_test
