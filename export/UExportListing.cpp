#include "export/UExportListing.h"

#include "analyser/UAnalyserData.h"
#include "model/UItem.h"
#include "model/UProgressManager.h"

namespace exportdata {

TRowClass RowClassOf(const model::TItem*) {
    return TRowClass::Normal;
}

bool IsPartial(const model::TItem* item) {
    return listing::ExploreState(item) == listing::TExploreState::Partial;
}

TRowClass RowClassOf(const analyser::TAnalyserBaseData* row) {
    if (analyser::IsSeparatorRow(row)) return TRowClass::Separator;
    if (analyser::IsTotalRow(row)) return TRowClass::Total;
    return TRowClass::Normal;
}

bool IsPartial(const analyser::TAnalyserBaseData*) {
    return false;
}

void TManagerProgress::SetMax(std::int64_t max) {
    model::ProgressManager().SetMax(max);
}
void TManagerProgress::Step() {
    model::ProgressManager().Step();
}
bool TManagerProgress::Cancelled() {
    return model::ProgressManager().Cancelled();
}
void TManagerProgress::SetResult(int result) {
    model::ProgressManager().SetResult(result);
}

} // namespace exportdata
