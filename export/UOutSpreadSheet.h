// The spreadsheet writers' base: owns the output file and the little-endian primitives; the
// worksheet formats (UOutExcel, UOutLotus) turn cells into records.
//
// Every record is: opcode (16 bits), body length (16 bits), body; numbers little-endian, doubles as
// their 8 IEEE bytes lowest first, texts as Windows-1252 bytes without length unless a record says so.
// Cells are 1-based for the caller (1 <= Col <= 256, Row >= 1) and 0-based in the records; a cell
// outside that range is skipped without notice, never written in part.
#pragma once

#include "export/UExportFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace exportdata {

// Label alignment codes of WriteLabel.
enum : std::uint8_t { kAlignDefault = 0, kAlignCentre = 1, kAlignRight = 2, kAlignLeft = 3 };

class TOutSpreadSheet {
public:
    TOutSpreadSheet() = default;
    TOutSpreadSheet(const TOutSpreadSheet&) = delete;
    TOutSpreadSheet& operator=(const TOutSpreadSheet&) = delete;
    // A file that was not committed is discarded: an existing target stays as it was.
    virtual ~TOutSpreadSheet() = default;

    // Creates the (temporary) output file and writes the header record. On failure: LastError is the
    // system's error number, nothing is written, false.
    bool Open(const std::string& fileName);
    // Writes the trailer record and closes the file (raises platform::TFileError); the target is not replaced
    // yet.
    void Close();
    // Puts the closed file in place of the target (raises platform::TFileError, the target then untouched).
    void Commit();
    // Drops the file written so far; the target stays as it was.
    void Discard();

    [[nodiscard]] bool Opened() const { return FOpened; }
    // The error of the last failed Open; 0 until one fails, never reset by a success.
    [[nodiscard]] int LastError() const { return FLastError; }
    // The most rows a worksheet of this format holds.
    [[nodiscard]] virtual int RowLimit() const { return 65535; }

    // The records; the base versions write nothing. Called only between Open and Close.
    virtual void WriteHeader() {}
    virtual void WriteTrailer() {}
    // Width in characters, 1..72.
    virtual void SetColumnWidth(std::uint16_t col, std::uint8_t width) {}
    // Text is the program's UTF-8; longer than a cell can hold, it is cut (see each format).
    virtual void WriteLabel(std::uint16_t col, std::uint16_t row, std::string_view text, std::uint8_t align) {
    }
    virtual void WriteInteger(std::uint16_t col, std::uint16_t row, std::int16_t value) {}
    virtual void WriteNumber(std::uint16_t col, std::uint16_t row, double value) {}
    virtual void WriteFormattedNumber(std::uint16_t col, std::uint16_t row, double value, char formatChar,
                                      std::uint8_t decimals) {}

protected:
    // Nothing is written while the file is not open; a refused byte raises platform::TFileError.
    void WriteByte(std::uint8_t b);
    void WriteWord(std::uint16_t w);
    void WriteDouble(double d);
    void WriteChars(std::string_view bytes);
    [[nodiscard]] static bool CellInRange(std::uint16_t col, std::uint16_t row) {
        return col >= 1 && col <= 256 && row >= 1;
    }

private:
    TExportFile FFile;
    bool FOpened = false;
    int FLastError = 0;
};

} // namespace exportdata
