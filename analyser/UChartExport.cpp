#include "analyser/UChartExport.h"

#include "analyser/UChartRender.h"
#include "platform/PSafeFile.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <stdexcept>

namespace analyser {

QImage ChartImage(const TChart& chart, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    RenderChart(chart, &p, QRect(QPoint(0, 0), size));
    p.end();
    return image;
}

QByteArray ChartMetafile(const TChart& chart, QSize size, TMetafileKind kind) {
    TMetafileDevice device(kind, size);
    QPainter p(&device);
    RenderChart(chart, &p, QRect(QPoint(0, 0), size));
    p.end();
    return device.Bytes();
}

QByteArray ChartFileBytes(const TChart& chart, QSize size, TChartFormat format) {
    switch (format) {
    case TChartFormat::Emf:
        return ChartMetafile(chart, size, TMetafileKind::Emf);
    case TChartFormat::Wmf:
        return ChartMetafile(chart, size, TMetafileKind::Wmf);
    case TChartFormat::Bitmap:
    default: {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!ChartImage(chart, size).save(&buffer, "BMP")) throw std::runtime_error("bitmap not encoded");
        return bytes;
    }
    }
}

void SaveChart(const TChart& chart, QSize size, TChartFormat format, const std::string& path) {
    const QByteArray bytes = ChartFileBytes(chart, size, format);
    platform::TSafeFile file(path);
    file.Stream().Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.Commit();
}

QMimeData* ChartMimeData(const TChart& chart, QSize size, TChartFormat format) {
    auto* data = new QMimeData;
    data->setImageData(ChartImage(chart, size));
    if (format == TChartFormat::Emf)
        data->setData(kEmfMimeType, ChartMetafile(chart, size, TMetafileKind::Emf));
    else if (format == TChartFormat::Wmf)
        data->setData(kWmfMimeType, ChartMetafile(chart, size, TMetafileKind::Wmf));
    return data;
}

void CopyChart(const TChart& chart, QSize size, TChartFormat format) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw std::runtime_error("no clipboard");
    clipboard->setMimeData(ChartMimeData(chart, size, format));
}

} // namespace analyser
