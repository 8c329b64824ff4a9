// A chart out of the program: as a picture, a bitmap file, an enhanced or Windows metafile file,
// or on the clipboard. Files are written beside the target and renamed over it once complete.
#pragma once

#include "analyser/UChart.h"
#include "analyser/UChartMetafile.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <string>

class QMimeData;

namespace analyser {

// The forms of an exported chart, in the order of the export dialog's choices.
enum class TChartFormat { Bitmap = 0, Emf = 1, Wmf = 2 };

// Clipboard types of the metafile forms.
inline constexpr const char* kEmfMimeType = "image/x-emf";
inline constexpr const char* kWmfMimeType = "image/x-wmf";

[[nodiscard]] QImage ChartImage(const TChart& chart, QSize size);
[[nodiscard]] QByteArray ChartMetafile(const TChart& chart, QSize size, TMetafileKind kind);
// The file's bytes in a format (BMP, EMF or WMF).
[[nodiscard]] QByteArray ChartFileBytes(const TChart& chart, QSize size, TChartFormat format);
// Writes the file; raises std::runtime_error (platform::TFileError for the file) on failure,
// leaving an existing file as it was.
void SaveChart(const TChart& chart, QSize size, TChartFormat format, const std::string& path);
// The clipboard's content: always the picture; for a metafile form its bytes as well. The
// caller owns the result.
[[nodiscard]] QMimeData* ChartMimeData(const TChart& chart, QSize size, TChartFormat format);
// Puts ChartMimeData on the clipboard; raises std::runtime_error when there is no clipboard.
void CopyChart(const TChart& chart, QSize size, TChartFormat format);

} // namespace analyser
