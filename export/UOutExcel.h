// Excel version 2 worksheets (BIFF2, ".xls"): BOF, CODEPAGE, FONT, 4 XF, cells, EOF. In cell records the row
// comes before the column; both are 16-bit, 0-based.
//
//   BOF       0x0009  4       version 0x0002, worksheet 0x0010
//   CODEPAGE  0x0042  2       1252, so that readers decode the labels as Windows-1252
//   FONT      0x0031  10      height 200 (10 points), attributes 0, name length 5, "Arial"
//   XF x 4    0x0043  4       font 0, 0, format 0, alignment A = 0 general, 1 left, 2 centre, 3 right
//   COLWIDTH  0x0024  4       first col byte, last col byte, width word (1/256 character)
//   LABEL     0x0004  n + 8   row, col, attributes A 00 A (format index, -, alignment), length byte
//                             n, n bytes (n <= 255)
//   NUMBER    0x0003  15      row, col, attributes 03 00 03, double
//   EOF       0x000A  0
#pragma once

#include "export/UOutSpreadSheet.h"

namespace exportdata {

class TOutExcel : public TOutSpreadSheet {
public:
    // The rows an Excel 2 worksheet holds.
    static constexpr int kRowLimit = 16384;
    static constexpr std::size_t kMaxLabel = 255;

    [[nodiscard]] int RowLimit() const override { return kRowLimit; }
    void WriteHeader() override;
    void WriteTrailer() override;
    void SetColumnWidth(std::uint16_t col, std::uint8_t width) override;
    // Alignment byte A: centre 2, right 3, left 1, other 0 (general). Longer texts are cut to 255 bytes.
    void WriteLabel(std::uint16_t col, std::uint16_t row, std::string_view text, std::uint8_t align) override;
    // The decimal text of the value as a right-aligned label.
    void WriteInteger(std::uint16_t col, std::uint16_t row, std::int16_t value) override;
    void WriteNumber(std::uint16_t col, std::uint16_t row, double value) override;
    // The format is not written: exactly WriteNumber.
    void WriteFormattedNumber(std::uint16_t col, std::uint16_t row, double value, char formatChar,
                              std::uint8_t decimals) override;
};

} // namespace exportdata
