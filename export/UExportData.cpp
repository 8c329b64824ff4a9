#include "export/UExportData.h"

#include "export/UExportFile.h"
#include "export/UExportText.h"
#include "export/UOutExcel.h"
#include "export/UOutLotus.h"

#include "listing/UColumn.h"
#include "model/UConvertHelp.h"
#include "platform/PDates.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace exportdata {

namespace {

const char* const kLineEnd = "\r\n";

// k steps of 10^-d with "." and no grouping: the locale never changes a number in a file.
std::string PlainSteps(std::int64_t k, int d) {
    const bool negative = k < 0;
    const std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
    std::uint64_t scale = 1;
    for (int i = 0; i < d; ++i)
        scale *= 10;
    std::string out = negative ? "-" : "";
    out += std::to_string(m / scale);
    if (d > 0) {
        const std::string frac = std::to_string(m % scale);
        out += '.';
        out.append(static_cast<std::size_t>(d) - frac.size(), '0');
        out += frac;
    }
    return out;
}

// The value the size formatters show for a unit (whole units rounded up, below one unit two
// decimals rounded up), written plainly.
std::string PlainSize(std::int64_t bytes, int unit) {
    double divisor = 1;
    switch (unit) {
    case kUnitKB:
        divisor = 1024.0;
        break;
    case kUnitMB:
        divisor = 1048576.0;
        break;
    case kUnitGB:
        divisor = 1073741824.0;
        break;
    default:
        return std::to_string(bytes);
    }
    const double x = static_cast<double>(bytes) / divisor;
    return x >= 1 ? PlainSteps(model::RoundUpSteps(x, 0), 0) : PlainSteps(model::RoundUpSteps(x, 2), 2);
}

// A percentage with the one decimal the list shows, rounded the same way.
std::string PlainPercent(double value) {
    if (!std::isfinite(value)) return "0.0";
    const double k = std::nearbyint(value / 0.1);
    if (std::fabs(k) >= 9.2e18) return "0.0";
    return PlainSteps(static_cast<std::int64_t>(k), 1);
}

// A shown number reduced to "-", "." and digits, the locale's grouping dropped and its decimal
// mark read as ".".
std::string ReduceToDigits(const std::string& text) {
    const model::TFormatSettings& fs = model::FormatSettings();
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (!fs.thousandsSeparator.empty() &&
            text.compare(i, fs.thousandsSeparator.size(), fs.thousandsSeparator) == 0) {
            i += fs.thousandsSeparator.size();
        } else if (!fs.decimalSeparator.empty() &&
                   text.compare(i, fs.decimalSeparator.size(), fs.decimalSeparator) == 0) {
            out += '.';
            i += fs.decimalSeparator.size();
        } else {
            const char c = text[i++];
            if (c == '-' || c == '.' || (c >= '0' && c <= '9')) out += c;
        }
    }
    return out;
}

bool HasAny(const std::string& s, const char* chars) {
    return s.find_first_of(chars) != std::string::npos;
}

std::string Enclosed(const std::string& value) {
    std::string out = "\"";
    for (const char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string Repeat(char c, int n) {
    return std::string(static_cast<std::size_t>(n > 0 ? n : 0), c);
}

int Width(const std::string& s) {
    return static_cast<int>(CharCount(s));
}

} // namespace

TDataExporter::TDataExporter(const TExportListing& listing, TExportJob job, TExportProgress& progress,
                             TMessageSink show)
    : FListing(listing), FJob(std::move(job)), FProgress(progress), FShow(std::move(show)) {
    for (int i = 0; i < FListing.ColumnCount(); ++i)
        FColumns.push_back(FListing.Column(i));
}

std::string TDataExporter::Pad(const std::string& text, int width, int code) {
    const int d = width - Width(text);
    if (d <= 0) return text;
    if (code == 1) return Repeat(' ', d / 2) + text + Repeat(' ', d - d / 2);
    if (code == 2) return Repeat(' ', d) + text;
    return text + Repeat(' ', d);
}

std::string TDataExporter::QuoteCsv(const std::string& value, bool quoteAll, bool emptyQuoted) {
    if (value.empty()) return emptyQuoted ? "\"\"" : "";
    // A line break inside a bare value would split the record.
    if (quoteAll || HasAny(value, "\",\r\n")) return Enclosed(value);
    return value;
}

void TDataExporter::Show(const std::string& text, const char* caption, TMessageIcon icon) const {
    if (FShow) FShow({text, caption, icon});
}

void TDataExporter::ShowCreateError(int code) const {
    Show("Error " + std::to_string(code) + ": Unable to create the file !\n\rFilename: " + FJob.FileName,
         "Error", TMessageIcon::Error);
}

std::string TDataExporter::TitleDate() const {
    if (!FJob.DateTimeText.empty()) return FJob.DateTimeText;
    return listing::FormatDateTime(platform::Now());
}

bool TDataExporter::Exported(int row) const {
    if (!FJob.TotalsAvailable) return true;
    const TRowClass rc = FListing.RowClass(row);
    return rc == TRowClass::Normal || (rc == TRowClass::Total && FJob.Options.Totals);
}

std::string TDataExporter::FirstCell(int row) const {
    std::string text = FListing.CellText(0, row);
    if (FJob.Kind == kListMain && FListing.IsPartialFolder(row)) text += " **";
    return text;
}

std::string TDataExporter::UnitSuffix(const TExportColumn& column) const {
    if (column.Kind != kKindSize) return {};
    switch (FJob.Options.SizeUnit) {
    case kUnitKB:
        return " (KB)";
    case kUnitMB:
        return " (MB)";
    case kUnitGB:
        return " (GB)";
    default:
        return " (B)";
    }
}

std::string TDataExporter::TextValue(int column, int row) const {
    const TExportColumn& c = FColumns[static_cast<std::size_t>(column)];
    const bool fixed = FJob.Options.Type == kTypeFixed;
    switch (c.Kind) {
    case kKindSize: {
        if (!FListing.IsInt64Cell(column, row)) return {};
        const int unit = FJob.Options.SizeUnit;
        const std::int64_t n = FListing.Int64Value(column, row);
        if (!fixed) return PlainSize(n, unit);
        // A fixed-column file is read by people: sizes look as the list shows them.
        switch (unit) {
        case kUnitKB:
            return model::FormatKB(n) + " KB";
        case kUnitMB:
            return model::FormatMB(n) + " MB";
        case kUnitGB:
            return model::FormatGB(n) + " GB";
        default:
            return model::FormatBytes(n);
        }
    }
    case kKindCount:
        if (!FListing.IsInt64Cell(column, row)) return {};
        return fixed ? model::FormatBytes(FListing.Int64Value(column, row))
                     : std::to_string(FListing.Int64Value(column, row));
    case kKindPercent:
        if (FListing.IsFloatCell(column, row)) return PlainPercent(FListing.FloatValue(column, row));
        return ReduceToDigits(FListing.CellText(column, row));
    default:
        return ToUtf8(FListing.CellText(column, row));
    }
}

// A text as it goes into the line of the job's text type.
std::string TDataExporter::TextField(const std::string& value) const {
    const std::string text = ToUtf8(value);
    switch (FJob.Options.Type) {
    case kTypeCsv:
        return QuoteCsv(text, FJob.Options.QuoteAll, FJob.Options.EmptyQuoted);
    case kTypeTab:
        return HasAny(text, "\t\r\n") ? Enclosed(text) : text;
    default: {
        // Fixed columns: a line break or tab would break the layout.
        std::string out = text;
        for (char& c : out)
            if (c == '\t' || c == '\r' || c == '\n') c = '?';
        return out;
    }
    }
}

int TDataExporter::Run() {
    if (FJob.Options.Type == kTypeExcel || FJob.Options.Type == kTypeLotus) return RunSpreadSheet();
    return RunText();
}

int TDataExporter::RunText() {
    FProgress.SetResult(2);
    const TExportOptions& o = FJob.Options;
    const int type = o.Type;
    const std::string sep = type == kTypeCsv ? "," : type == kTypeTab ? "\t" : " ";
    const int columns = static_cast<int>(FColumns.size());
    const int rows = FListing.RowCount();

    std::vector<int> widths(static_cast<std::size_t>(columns), 0);
    bool cancelled = false;
    if (type == kTypeFixed) {
        FProgress.SetMax(std::max(2 * rows - 1, 0));
        for (int r = 0; r < rows && !cancelled; ++r) {
            // TOTAL rows are measured whatever the option, so the layout does not depend on it.
            if (!FJob.TotalsAvailable || FListing.RowClass(r) != TRowClass::Separator) {
                for (int c = 0; c < columns; ++c) {
                    const std::string text = TextField(c == 0 ? FirstCell(r) : TextValue(c, r));
                    widths[static_cast<std::size_t>(c)] =
                        std::max(widths[static_cast<std::size_t>(c)], Width(text));
                }
            }
            FProgress.Step();
            cancelled = FProgress.Cancelled();
        }
        for (int c = 0; c < columns; ++c)
            widths[static_cast<std::size_t>(c)] =
                std::max(widths[static_cast<std::size_t>(c)],
                         Width(TextField(FColumns[static_cast<std::size_t>(c)].Caption)));
    }
    if (cancelled) {
        Show(kMsgCancelled, "Cancel", TMessageIcon::Information);
        return 2;
    }

    TExportFile file;
    if (!file.Create(FJob.FileName)) {
        ShowCreateError(file.Error());
        return 2;
    }
    try {
        auto line = [&](const std::string& text) { file.Write(text + kLineEnd); };
        auto ruler = [&](char c) {
            std::string text;
            for (int i = 0; i < columns; ++i)
                text += (i ? sep : "") + Repeat(c, widths[static_cast<std::size_t>(i)]);
            line(text);
        };
        if (o.TitleLines) {
            std::string padding;
            if (type == kTypeCsv)
                for (int i = 1; i < columns; ++i)
                    padding += "," + QuoteCsv("", false, o.EmptyQuoted);
            line(TextField(TitleDate()) + padding);
            line(TextField(FJob.ListTitle + " of") + padding);
            line(TextField(FJob.ListSubject) + padding);
            line("");
        }
        if (o.ColumnHeaders) {
            std::string text;
            for (int i = 0; i < columns; ++i) {
                const TExportColumn& c = FColumns[static_cast<std::size_t>(i)];
                if (i) text += sep;
                if (type == kTypeFixed)
                    text += Pad(TextField(c.Caption), widths[static_cast<std::size_t>(i)],
                                AlignmentCode(c.Alignment));
                else
                    text += TextField(c.Caption + UnitSuffix(c));
            }
            line(text);
            if (type == kTypeFixed) ruler('=');
        }
        if (type != kTypeFixed) FProgress.SetMax(std::max(rows - 1, 0));
        for (int r = 0; r < rows && !cancelled; ++r) {
            if (FJob.TotalsAvailable && FListing.RowClass(r) == TRowClass::Separator) {
                if (type == kTypeFixed && o.Totals) ruler('-');
            } else if (Exported(r)) {
                std::string text;
                for (int i = 0; i < columns; ++i) {
                    const std::string field = TextField(i == 0 ? FirstCell(r) : TextValue(i, r));
                    if (i) text += sep;
                    text += type == kTypeFixed
                                ? Pad(field, widths[static_cast<std::size_t>(i)],
                                      AlignmentCode(FColumns[static_cast<std::size_t>(i)].Alignment))
                                : field;
                }
                line(text);
            }
            FProgress.Step();
            cancelled = FProgress.Cancelled();
        }
        if (cancelled) {
            file.Discard();
            Show(kMsgCancelled, "Cancel", TMessageIcon::Information);
            return 2;
        }
        file.Commit();
    } catch (const std::exception&) {
        file.Discard();
        Show(kMsgFileError, "Error", TMessageIcon::Error);
        return 2;
    }
    Show(kMsgSuccess, "Success", TMessageIcon::Information);
    FProgress.SetResult(1);
    return 1;
}

int TDataExporter::WorksheetRowsNeeded() const {
    int rows = (FJob.Options.TitleLines ? 4 : 0) + (FJob.Options.ColumnHeaders ? 2 : 0);
    for (int r = 0; r < FListing.RowCount(); ++r)
        if (Exported(r) || (FJob.TotalsAvailable && FListing.RowClass(r) == TRowClass::Separator)) ++rows;
    return rows;
}

std::optional<TExportMessage> TDataExporter::RowLimitRefusal() const {
    const int type = FJob.Options.Type;
    if (type != kTypeExcel && type != kTypeLotus) return std::nullopt;
    const bool excel = type == kTypeExcel;
    const int limit = excel ? TOutExcel::kRowLimit : TOutLotus::kRowLimit;
    if (WorksheetRowsNeeded() <= limit) return std::nullopt;
    return TExportMessage{
        std::string("The list is too long for a ") +
            (excel ? "Microsoft Excel worksheet, which holds 16,384 rows"
                   : "Lotus 123 worksheet, which holds 8,192 rows") +
            ".\n\rPlease export it as comma separated, tab separated or fixed column size text.",
        "Error", TMessageIcon::Error};
}

int TDataExporter::RunSpreadSheet() {
    FProgress.SetResult(2);
    if (FJob.FileName.empty()) return 2;
    if (const auto refusal = RowLimitRefusal()) {
        if (FShow) FShow(*refusal);
        return 2;
    }
    const TExportOptions& o = FJob.Options;
    std::unique_ptr<TOutSpreadSheet> writer;
    if (o.Type == kTypeExcel)
        writer = std::make_unique<TOutExcel>();
    else
        writer = std::make_unique<TOutLotus>();
    if (!writer->Open(FJob.FileName)) {
        ShowCreateError(writer->LastError());
        return 2;
    }
    const int columns = static_cast<int>(FColumns.size());
    const int rows = FListing.RowCount();
    bool cancelled = false;
    try {
        // The limit check above keeps every row within 16 bits.
        auto at = [](int n) { return static_cast<std::uint16_t>(n); };
        int r = 1;
        if (o.TitleLines) {
            writer->WriteLabel(1, 1, TitleDate(), kAlignDefault);
            writer->WriteLabel(1, 2, FJob.ListTitle + " of", kAlignDefault);
            writer->WriteLabel(1, 3, FJob.ListSubject, kAlignDefault);
            r = 5;
        }
        if (o.ColumnHeaders) {
            for (int i = 0; i < columns; ++i) {
                const TExportColumn& c = FColumns[static_cast<std::size_t>(i)];
                writer->WriteLabel(at(i + 1), at(r), c.Caption + UnitSuffix(c),
                                   static_cast<std::uint8_t>(AlignmentCode(c.Alignment)));
            }
            r += 2;
        }
        FProgress.SetMax(std::max(rows - 1, 0));
        for (int row = 0; row < rows && !cancelled; ++row) {
            if (FJob.TotalsAvailable && FListing.RowClass(row) == TRowClass::Separator) {
                ++r;
            } else if (Exported(row)) {
                writer->WriteLabel(
                    1, at(r), FirstCell(row),
                    static_cast<std::uint8_t>(AlignmentCode(FColumns.empty() ? 0 : FColumns[0].Alignment)));
                for (int i = 1; i < columns; ++i) {
                    const TExportColumn& c = FColumns[static_cast<std::size_t>(i)];
                    const std::uint16_t col = at(i + 1);
                    switch (c.Kind) {
                    case kKindSize:
                        if (FListing.IsInt64Cell(i, row)) {
                            const double n = static_cast<double>(FListing.Int64Value(i, row));
                            const double divisor = o.SizeUnit == kUnitKB   ? 1024.0
                                                   : o.SizeUnit == kUnitMB ? 1048576.0
                                                   : o.SizeUnit == kUnitGB ? 1073741824.0
                                                                           : 1.0;
                            writer->WriteNumber(col, at(r), n / divisor);
                        }
                        break;
                    case kKindCount:
                        if (FListing.IsInt64Cell(i, row))
                            writer->WriteNumber(col, at(r), static_cast<double>(FListing.Int64Value(i, row)));
                        break;
                    case kKindPercent:
                        if (FListing.IsFloatCell(i, row))
                            writer->WriteNumber(col, at(r), FListing.FloatValue(i, row));
                        break;
                    default:
                        writer->WriteLabel(col, at(r), FListing.CellText(i, row),
                                           static_cast<std::uint8_t>(AlignmentCode(c.Alignment)));
                    }
                }
                ++r;
            }
            FProgress.Step();
            cancelled = FProgress.Cancelled();
        }
        if (cancelled) {
            writer->Discard();
            Show(kMsgCancelled, "Cancel", TMessageIcon::Information);
            return 2;
        }
        writer->Commit();
    } catch (const std::exception&) {
        writer->Discard();
        Show(kMsgFileError, "Error", TMessageIcon::Error);
        return 2;
    }
    Show(kMsgSuccess, "Success", TMessageIcon::Information);
    FProgress.SetResult(1);
    return 1;
}

} // namespace exportdata
