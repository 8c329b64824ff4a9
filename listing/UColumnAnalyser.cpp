// Cell texts and export values of analyser rows (column ids 50 to 72).
#include "listing/UColumn.h"

#include "analyser/UAnalyserData.h"
#include "model/UConvertHelp.h"

namespace listing {

using namespace analyser;

namespace {

const TAnalyserData* AsData(const TAnalyserBaseData* row) {
    return dynamic_cast<const TAnalyserData*>(row);
}

std::string Plural(std::int64_t n, const char* one, const char* many) {
    return " (" + std::to_string(n) + (n <= 1 ? one : many);
}

// The percentage behind an even id from 58 to 72.
double PercentOfRow(int id, const TAnalyserData& d) {
    switch (id) {
    case 58:
    case 62:
        return d.GetCountPercent1();
    case 60:
    case 64:
        return d.GetSizePercent1();
    case 66:
        return d.GetCountPercent2();
    case 68:
        return d.GetSizePercent2();
    case 70:
        return d.GetCountPercent3();
    case 72:
        return d.GetSizePercent3();
    default:
        return 0;
    }
}

// The count or size behind an odd id from 57 to 71; false for other ids.
bool NumberOfRow(int id, const TAnalyserData& d, std::int64_t& value, bool& isSize) {
    isSize = false;
    switch (id) {
    case 57:
    case 61:
        value = d.GetCount1();
        return true;
    case 59:
    case 63:
        value = d.GetSize1();
        isSize = true;
        return true;
    case 65:
        value = d.GetCount2();
        return true;
    case 67:
        value = d.GetSize2();
        isSize = true;
        return true;
    case 69:
        value = d.GetCount3();
        return true;
    case 71:
        value = d.GetSize3();
        isSize = true;
        return true;
    default:
        return false;
    }
}

} // namespace

std::string TColumnList::GetCellText(int id, const TAnalyserBaseData* row) const {
    if (!row) return {};
    if (IsSeparatorRow(row)) {
        if (id >= 50 && id <= 56) return std::string(20, '-');
        return std::string(id % 2 != 0 ? 20 : 15, '-');
    }
    const TAnalyserData* d = AsData(row);
    if (!d) return {};
    if (id >= 50 && id <= 56) {
        std::string text = d->Name();
        if (IsTotalRow(d) && (id == 54 || id == 55)) {
            const std::int64_t n = d->Group() ? d->Group()->RowCount() : 0;
            text += id == 54 ? Plural(n, " extension)", " extensions)") : Plural(n, " type)", " types)");
        }
        return text;
    }
    if (id < 57 || id > 72) return {};
    if (id % 2 == 0) return model::FormatFixed(PercentOfRow(id, *d), 1) + " %";
    std::int64_t value = 0;
    bool isSize = false;
    NumberOfRow(id, *d, value, isSize);
    return isSize ? FormatInUnit(value, AnalyserSpaceUnit, kUnitKB) : model::FormatBytes(value);
}

std::int64_t TColumnList::GetInt64Value(int id, const TAnalyserBaseData* row) const {
    const TAnalyserData* d = AsData(row);
    std::int64_t value = 0;
    bool isSize = false;
    return d && NumberOfRow(id, *d, value, isSize) ? value : -1;
}

double TColumnList::GetFloatValue(int id, const TAnalyserBaseData* row) const {
    const TAnalyserData* d = AsData(row);
    return d && id >= 58 && id <= 72 && id % 2 == 0 ? PercentOfRow(id, *d) : 0;
}

bool TColumnList::IsInt64Cell(int id, const TAnalyserBaseData* row) const {
    return AsData(row) && id >= 57 && id <= 71 && id % 2 != 0;
}

bool TColumnList::IsFloatCell(int id, const TAnalyserBaseData* row) const {
    return AsData(row) && id >= 58 && id <= 72 && id % 2 == 0;
}

} // namespace listing
