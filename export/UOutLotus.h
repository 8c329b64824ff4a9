// Lotus 1-2-3 worksheets (WK1, ".wk1"): BOF, cells, EOF. In cell records the column comes before
// the row; both are 16-bit, 0-based. The format byte 0xFF is the sheet's default format.
//
//   BOF      0x0000  2       0x0404
//   COLW1    0x0008  3       col, width byte
//   LABEL    0x000F  n + 6   format, col, row, prefix + text (n bytes, text <= 239), zero byte
//   INTEGER  0x000D  7       format, col, row, signed 16-bit value
//   NUMBER   0x000E  13      format, col, row, double
//   EOF      0x0001  0
#pragma once

#include "export/UOutSpreadSheet.h"

namespace exportdata {

class TOutLotus : public TOutSpreadSheet {
public:
    // The rows a WK1 worksheet holds.
    static constexpr int kRowLimit = 8192;
    static constexpr std::size_t kMaxLabel = 239;

    [[nodiscard]] int RowLimit() const override { return kRowLimit; }
    void WriteHeader() override;
    void WriteTrailer() override;
    void SetColumnWidth(std::uint16_t col, std::uint8_t width) override;
    // Prefix: centre "^", right '"', anything else "'". Longer texts are cut to 239 bytes.
    void WriteLabel(std::uint16_t col, std::uint16_t row, std::string_view text, std::uint8_t align) override;
    void WriteInteger(std::uint16_t col, std::uint16_t row, std::int16_t value) override;
    void WriteNumber(std::uint16_t col, std::uint16_t row, double value) override;
    // Format byte ((type << 4) + decimals) | 0x80, type from 'F' 0, 'S' 1, 'C' 2, 'P' 3, ',' 4;
    // any other character gives the default 0xFF.
    void WriteFormattedNumber(std::uint16_t col, std::uint16_t row, double value, char formatChar,
                              std::uint8_t decimals) override;

private:
    void WriteCellStart(std::uint16_t opcode, std::uint16_t length, std::uint8_t format, std::uint16_t col,
                        std::uint16_t row);
};

} // namespace exportdata
