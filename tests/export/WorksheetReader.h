// Reads the cells back out of the worksheets our writers make, record by record, so that tests can
// say "row 7 column 2 is the number 1.5" instead of comparing bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace exporttest {

struct TSheetCell {
    bool IsNumber = false;
    std::string Text; // Windows-1252 bytes
    double Number = 0;
    int Align = 0; // Excel: the attribute's alignment; Lotus: the prefix character
};

// (row, col), both 1-based.
using TSheet = std::map<std::pair<int, int>, TSheetCell>;

inline unsigned Word(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
inline double Double(const std::string& b, size_t at) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline TSheet ReadExcelSheet(const std::string& b) {
    TSheet sheet;
    for (size_t at = 0; at + 4 <= b.size();) {
        const unsigned op = Word(b, at), len = Word(b, at + 2);
        const size_t body = at + 4;
        if (op == 0x0004 || op == 0x0003) {
            TSheetCell cell;
            const int row = static_cast<int>(Word(b, body)) + 1,
                      col = static_cast<int>(Word(b, body + 2)) + 1;
            cell.Align = static_cast<unsigned char>(b[body + 6]);
            if (op == 0x0003) {
                cell.IsNumber = true;
                cell.Number = Double(b, body + 7);
            } else {
                cell.Text = b.substr(body + 8, static_cast<unsigned char>(b[body + 7]));
            }
            sheet[{row, col}] = cell;
        }
        at = body + len;
    }
    return sheet;
}

inline TSheet ReadLotusSheet(const std::string& b) {
    TSheet sheet;
    for (size_t at = 0; at + 4 <= b.size();) {
        const unsigned op = Word(b, at), len = Word(b, at + 2);
        const size_t body = at + 4;
        if (op == 0x000F || op == 0x000E) {
            TSheetCell cell;
            const int col = static_cast<int>(Word(b, body + 1)) + 1,
                      row = static_cast<int>(Word(b, body + 3)) + 1;
            if (op == 0x000E) {
                cell.IsNumber = true;
                cell.Number = Double(b, body + 5);
            } else {
                cell.Align = b[body + 5];
                cell.Text = b.substr(body + 6, len - 7);
            }
            sheet[{row, col}] = cell;
        }
        at = body + len;
    }
    return sheet;
}

} // namespace exporttest
