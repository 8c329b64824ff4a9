#include "export/UOutLotus.h"

#include "export/UExportText.h"

namespace exportdata {

void TOutLotus::WriteHeader() {
    WriteWord(0x0000);
    WriteWord(2);
    WriteWord(0x0404);
}

void TOutLotus::WriteTrailer() {
    WriteWord(0x0001);
    WriteWord(0);
}

void TOutLotus::SetColumnWidth(std::uint16_t col, std::uint8_t width) {
    if (col < 1 || col > 256 || width < 1 || width > 72) return;
    WriteWord(0x0008);
    WriteWord(3);
    WriteWord(static_cast<std::uint16_t>(col - 1));
    WriteByte(width);
}

void TOutLotus::WriteCellStart(std::uint16_t opcode, std::uint16_t length, std::uint8_t format,
                               std::uint16_t col, std::uint16_t row) {
    WriteWord(opcode);
    WriteWord(length);
    WriteByte(format);
    WriteWord(static_cast<std::uint16_t>(col - 1));
    WriteWord(static_cast<std::uint16_t>(row - 1));
}

void TOutLotus::WriteLabel(std::uint16_t col, std::uint16_t row, std::string_view text, std::uint8_t align) {
    if (!CellInRange(col, row)) return;
    std::string bytes = ToWindows1252(text);
    if (bytes.size() > kMaxLabel) bytes.resize(kMaxLabel);
    const char prefix = align == kAlignCentre ? '^' : align == kAlignRight ? '"' : '\'';
    WriteCellStart(0x000F, static_cast<std::uint16_t>(bytes.size() + 7), 0xFF, col, row);
    WriteByte(static_cast<std::uint8_t>(prefix));
    WriteChars(bytes);
    WriteByte(0);
}

void TOutLotus::WriteInteger(std::uint16_t col, std::uint16_t row, std::int16_t value) {
    if (!CellInRange(col, row)) return;
    WriteCellStart(0x000D, 7, 0xFF, col, row);
    WriteWord(static_cast<std::uint16_t>(value));
}

void TOutLotus::WriteNumber(std::uint16_t col, std::uint16_t row, double value) {
    WriteFormattedNumber(col, row, value, '\0', 0);
}

void TOutLotus::WriteFormattedNumber(std::uint16_t col, std::uint16_t row, double value, char formatChar,
                                     std::uint8_t decimals) {
    if (!CellInRange(col, row)) return;
    int type = -1;
    switch (formatChar) {
    case 'F':
        type = 0;
        break;
    case 'S':
        type = 1;
        break;
    case 'C':
        type = 2;
        break;
    case 'P':
        type = 3;
        break;
    case ',':
        type = 4;
        break;
    default:
        break;
    }
    const std::uint8_t format = type < 0 ? 0xFF : static_cast<std::uint8_t>(((type << 4) + decimals) | 0x80);
    WriteCellStart(0x000E, 13, format, col, row);
    WriteDouble(value);
}

} // namespace exportdata
