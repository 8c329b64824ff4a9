#include "export/UOutExcel.h"

#include "export/UExportText.h"

namespace exportdata {

void TOutExcel::WriteHeader() {
    WriteWord(0x0009);
    WriteWord(4);
    WriteWord(0x0002);
    WriteWord(0x0010);
    WriteWord(0x0042);
    WriteWord(2);
    WriteWord(1252);
    // One font and four cell formats, one per horizontal alignment, so that the format index of a
    // cell equals its alignment code: readers that go by the formats (gnumeric, xlrd once formats
    // exist) see the same alignment as those that read the cell's own bits, and none drops a label.
    WriteWord(0x0031);
    WriteWord(10);
    WriteWord(200); // 10 points, in 1/20 point
    WriteWord(0);
    WriteByte(5);
    WriteChars("Arial");
    for (std::uint8_t align = 0; align < 4; ++align) {
        WriteWord(0x0043);
        WriteWord(4);
        WriteByte(0); // font 0
        WriteByte(0);
        WriteByte(0); // number format 0 (General), not locked
        WriteByte(align);
    }
}

void TOutExcel::WriteTrailer() {
    WriteWord(0x000A);
    WriteWord(0);
}

void TOutExcel::SetColumnWidth(std::uint16_t col, std::uint8_t width) {
    if (col < 1 || col > 256 || width < 1 || width > 72) return;
    WriteWord(0x0024);
    WriteWord(4);
    WriteByte(static_cast<std::uint8_t>(col - 1));
    WriteByte(static_cast<std::uint8_t>(col - 1));
    WriteWord(static_cast<std::uint16_t>(width * 256));
}

void TOutExcel::WriteLabel(std::uint16_t col, std::uint16_t row, std::string_view text, std::uint8_t align) {
    if (!CellInRange(col, row)) return;
    std::string bytes = ToWindows1252(text);
    if (bytes.size() > kMaxLabel) bytes.resize(kMaxLabel);
    const std::uint8_t a = align == kAlignCentre ? 2 : align == kAlignRight ? 3 : align == kAlignLeft ? 1 : 0;
    WriteWord(0x0004);
    WriteWord(static_cast<std::uint16_t>(bytes.size() + 8));
    WriteWord(static_cast<std::uint16_t>(row - 1));
    WriteWord(static_cast<std::uint16_t>(col - 1));
    WriteByte(a); // the format of that alignment
    WriteByte(0);
    WriteByte(a);
    WriteByte(static_cast<std::uint8_t>(bytes.size()));
    WriteChars(bytes);
}

void TOutExcel::WriteInteger(std::uint16_t col, std::uint16_t row, std::int16_t value) {
    WriteLabel(col, row, std::to_string(value), kAlignRight);
}

void TOutExcel::WriteNumber(std::uint16_t col, std::uint16_t row, double value) {
    if (!CellInRange(col, row)) return;
    WriteWord(0x0003);
    WriteWord(15);
    WriteWord(static_cast<std::uint16_t>(row - 1));
    WriteWord(static_cast<std::uint16_t>(col - 1));
    WriteByte(0x03);
    WriteByte(0);
    WriteByte(0x03);
    WriteDouble(value);
}

void TOutExcel::WriteFormattedNumber(std::uint16_t col, std::uint16_t row, double value, char, std::uint8_t) {
    WriteNumber(col, row, value);
}

} // namespace exportdata
