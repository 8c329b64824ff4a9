#include "export/UOutSpreadSheet.h"

#include <cstring>

namespace exportdata {

bool TOutSpreadSheet::Open(const std::string& fileName) {
    if (!FFile.Create(fileName)) {
        FLastError = FFile.Error();
        return false;
    }
    FOpened = true;
    WriteHeader();
    return true;
}

void TOutSpreadSheet::Close() {
    if (!FOpened) return;
    WriteTrailer();
    FOpened = false;
    FFile.Close();
}

void TOutSpreadSheet::Commit() {
    Close();
    FFile.Commit();
}

void TOutSpreadSheet::Discard() {
    FOpened = false;
    FFile.Discard();
}

void TOutSpreadSheet::WriteByte(std::uint8_t b) {
    if (FOpened) FFile.WriteByte(b);
}

void TOutSpreadSheet::WriteWord(std::uint16_t w) {
    if (!FOpened) return;
    WriteByte(static_cast<std::uint8_t>(w & 0xFF));
    WriteByte(static_cast<std::uint8_t>(w >> 8));
}

void TOutSpreadSheet::WriteDouble(double d) {
    if (!FOpened) return;
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; ++i)
        WriteByte(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void TOutSpreadSheet::WriteChars(std::string_view bytes) {
    for (const char c : bytes)
        WriteByte(static_cast<std::uint8_t>(c));
}

} // namespace exportdata
