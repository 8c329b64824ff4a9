#include "analyser/UAnalyserCompare.h"

#include "model/UItem.h"

#include <algorithm>

namespace analyser {

int CompareAnalyserSpecialRows(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    if (a == nullptr) return -1;
    if (b == nullptr) return 1;
    const bool aTotal = IsTotalRow(a), bTotal = IsTotalRow(b);
    if (IsSeparatorRow(a)) return bTotal ? -1 : IsSeparatorRow(b) ? 0 : 1;
    if (IsSeparatorRow(b)) return aTotal ? 1 : -1;
    if (aTotal) return bTotal ? 0 : 1;
    if (bTotal) return -1;
    return -2;
}

namespace {

int Sign(std::int64_t a, std::int64_t b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

int KeyOrder(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return Sign(a->Key(), b->Key());
}

// The upper-cased names as zero-terminated byte strings: the first differing byte decides.
int NameOrder(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    const std::string& x = a->Name();
    const std::string& y = b->Name();
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
        const int cx = static_cast<unsigned char>(model::UpperAscii(x[i]));
        const int cy = static_cast<unsigned char>(model::UpperAscii(y[i]));
        if (cx != cy) return cx - cy;
    }
    if (x.size() == y.size()) return 0;
    return x.size() < y.size() ? -static_cast<unsigned char>(model::UpperAscii(y[n]))
                               : static_cast<unsigned char>(model::UpperAscii(x[n]));
}

using TGetter = std::int64_t (TAnalyserData::*)() const;

std::int64_t Value(const TAnalyserBaseData* row, TGetter getter) {
    const auto* data = dynamic_cast<const TAnalyserData*>(row);
    return data ? (data->*getter)() : 0;
}

template <TGetter getter, bool descending>
int ByValue(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    const int special = CompareAnalyserSpecialRows(a, b);
    if (special != -2) return special;
    const int c = Sign(Value(a, getter), Value(b, getter));
    if (c != 0) return descending ? -c : c;
    return KeyOrder(a, b);
}

} // namespace

int CompareAnalyserByKey(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    const int special = CompareAnalyserSpecialRows(a, b);
    return special != -2 ? special : KeyOrder(a, b);
}

int CompareAnalyserByKeyDesc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    const int special = CompareAnalyserSpecialRows(a, b);
    return special != -2 ? special : KeyOrder(b, a);
}

int CompareAnalyserByName(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    const int special = CompareAnalyserSpecialRows(a, b);
    return special != -2 ? special : NameOrder(a, b);
}

int CompareAnalyserByNameDesc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    const int special = CompareAnalyserSpecialRows(a, b);
    return special != -2 ? special : NameOrder(b, a);
}

int CompareAnalyserByCount1(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetCount1, false>(a, b);
}
int CompareAnalyserByCount1Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetCount1, true>(a, b);
}
int CompareAnalyserBySize1(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetSize1, false>(a, b);
}
int CompareAnalyserBySize1Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetSize1, true>(a, b);
}
int CompareAnalyserByCount2(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetCount2, false>(a, b);
}
int CompareAnalyserByCount2Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetCount2, true>(a, b);
}
int CompareAnalyserBySize2(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetSize2, false>(a, b);
}
int CompareAnalyserBySize2Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetSize2, true>(a, b);
}
int CompareAnalyserByCount3(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetCount3, false>(a, b);
}
int CompareAnalyserByCount3Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetCount3, true>(a, b);
}
int CompareAnalyserBySize3(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetSize3, false>(a, b);
}
int CompareAnalyserBySize3Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b) {
    return ByValue<&TAnalyserData::GetSize3, true>(a, b);
}

TAnalyserCompare AnalyserCompareOfSortCode(int sortCode) {
    const bool descending = (sortCode & 1) != 0;
    switch (sortCode / 2) {
    case 50:
    case 51:
    case 52:
    case 53:
        return descending ? CompareAnalyserByKeyDesc : CompareAnalyserByKey;
    case 54:
    case 55:
    case 56:
        return descending ? CompareAnalyserByNameDesc : CompareAnalyserByName;
    case 57:
    case 58:
    case 61:
    case 62:
        return descending ? CompareAnalyserByCount1Desc : CompareAnalyserByCount1;
    case 59:
    case 60:
    case 63:
    case 64:
        return descending ? CompareAnalyserBySize1Desc : CompareAnalyserBySize1;
    case 65:
    case 66:
        return descending ? CompareAnalyserByCount2Desc : CompareAnalyserByCount2;
    case 67:
    case 68:
        return descending ? CompareAnalyserBySize2Desc : CompareAnalyserBySize2;
    case 69:
    case 70:
        return descending ? CompareAnalyserByCount3Desc : CompareAnalyserByCount3;
    case 71:
    case 72:
        return descending ? CompareAnalyserBySize3Desc : CompareAnalyserBySize3;
    default:
        return CompareAnalyserByKey;
    }
}

void SortAnalyserRows(std::vector<TAnalyserBaseData*>& rows, TAnalyserCompare compare) {
    std::stable_sort(
        rows.begin(), rows.end(),
        [compare](const TAnalyserBaseData* a, const TAnalyserBaseData* b) { return compare(a, b) < 0; });
}

} // namespace analyser
