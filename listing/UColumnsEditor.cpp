#include "listing/UColumnsEditor.h"

#include <utility>

namespace listing {

TColumnsEditor::TColumnsEditor(TColumnGroup& group) : FGroup(&group) {
    Fill(false);
}

void TColumnsEditor::Fill(bool defaults) {
    FEntries.clear();
    const int visible = defaults ? FGroup->DefaultVisibleCount : FGroup->VisibleCount;
    for (int i = 0; i < FGroup->ColumnCount; ++i) {
        const TColumnItem* c = defaults ? FGroup->DefaultColumnAt(i) : FGroup->ColumnAt(i);
        if (!c) continue;
        FEntries.push_back({c->ID, c->Name, i < visible});
    }
    if (defaults) FGroup->DefaultEditWidths();
}

void TColumnsEditor::Select(int index) {
    FSelected = index >= 0 && index < static_cast<int>(FEntries.size()) ? index : -1;
}

TColumnsEditor::TButtons TColumnsEditor::Buttons() const {
    TButtons b;
    const int last = static_cast<int>(FEntries.size()) - 1;
    if (FSelected > 0) {
        const TEntry& e = FEntries[static_cast<std::size_t>(FSelected)];
        b.moveUp = FSelected != 1;
        b.moveDown = FSelected != last;
        b.show = !e.checked;
        b.hide = e.checked;
        b.width = true;
        b.widthValue = FGroup->GetEditWidth(e.id);
    } else {
        b.width = FSelected == 0;
        b.widthValue = FEntries.empty() ? 0 : FGroup->GetEditWidth(FEntries[0].id);
    }
    return b;
}

void TColumnsEditor::MoveUp() {
    // The naming column stays first: neither it nor the entry below it moves up.
    if (FSelected <= 1) return;
    std::swap(FEntries[static_cast<std::size_t>(FSelected)],
              FEntries[static_cast<std::size_t>(FSelected - 1)]);
    --FSelected;
}

void TColumnsEditor::MoveDown() {
    if (FSelected <= 0 || FSelected >= static_cast<int>(FEntries.size()) - 1) return;
    std::swap(FEntries[static_cast<std::size_t>(FSelected)],
              FEntries[static_cast<std::size_t>(FSelected + 1)]);
    ++FSelected;
}

void TColumnsEditor::Show() {
    if (FSelected > 0) FEntries[static_cast<std::size_t>(FSelected)].checked = true;
}

void TColumnsEditor::Hide() {
    if (FSelected > 0) FEntries[static_cast<std::size_t>(FSelected)].checked = false;
}

void TColumnsEditor::SetChecked(int index, bool checked) {
    if (index < 0 || index >= static_cast<int>(FEntries.size())) return;
    FSelected = index;
    FEntries[static_cast<std::size_t>(index)].checked = index == 0 ? true : checked;
}

void TColumnsEditor::Reset() {
    Fill(true);
    FSelected = -1;
}

void TColumnsEditor::SetWidth(int width) {
    if (FSelected >= 0) FGroup->SetEditWidth(FEntries[static_cast<std::size_t>(FSelected)].id, width);
}

void TColumnsEditor::Apply() {
    int position = 0;
    for (const TEntry& e : FEntries)
        if (e.checked) FGroup->SetColumnAt(position++, e.id);
    FGroup->SetVisibleCount(position);
    for (const TEntry& e : FEntries)
        if (!e.checked) FGroup->SetColumnAt(position++, e.id);
    FGroup->ApplyEditWidths();
}

} // namespace listing
