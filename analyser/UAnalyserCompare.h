// Orders of the analyser table rows: by key, by name, by count or size of a kind, each way up.
// Whatever the order, the ordinary rows come first, then the separator, then the TOTAL.
#pragma once

#include "analyser/UAnalyserData.h"

#include <vector>

namespace analyser {

// <0 when a sorts before b, >0 after, 0 when equal.
using TAnalyserCompare = int (*)(const TAnalyserBaseData* a, const TAnalyserBaseData* b);

// The place of the special rows: null first, then ordinary rows, the separator, the TOTAL.
// -2 when both are ordinary rows, which the caller then compares itself.
[[nodiscard]] int CompareAnalyserSpecialRows(const TAnalyserBaseData* a, const TAnalyserBaseData* b);

int CompareAnalyserByKey(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByKeyDesc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
// Upper-cased names, byte by byte; equal names give 0.
int CompareAnalyserByName(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByNameDesc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
// Counts and sizes; equal values fall back to the key ascending in both directions.
int CompareAnalyserByCount1(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByCount1Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserBySize1(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserBySize1Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByCount2(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByCount2Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserBySize2(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserBySize2Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByCount3(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserByCount3Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserBySize3(const TAnalyserBaseData* a, const TAnalyserBaseData* b);
int CompareAnalyserBySize3Desc(const TAnalyserBaseData* a, const TAnalyserBaseData* b);

// The comparison of a table's sort code (column id x 2, + 1 descending; columns 50-72);
// CompareAnalyserByKey for any other code.
[[nodiscard]] TAnalyserCompare AnalyserCompareOfSortCode(int sortCode);

// Sorts rows with compare; rows that compare equal keep their order.
void SortAnalyserRows(std::vector<TAnalyserBaseData*>& rows, TAnalyserCompare compare);

} // namespace analyser
