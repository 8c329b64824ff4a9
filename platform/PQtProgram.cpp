#include "platform/PQtProgram.h"

#include "platform/PProgramIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>

namespace platform {

namespace {

QColor Rgb(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}
QPointF At(TIconPoint p) {
    return {p.x, p.y};
}

} // namespace

QImage ProgramIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = size / 48.0;
    p.scale(scale, scale);
    // No line thinner than a pixel, so the small sizes keep their outlines.
    auto pen = [scale](std::uint32_t rgb, double width, Qt::PenCapStyle cap = Qt::SquareCap) {
        return QPen(Rgb(rgb), std::max(width, 1 / scale), Qt::SolidLine, cap, Qt::MiterJoin);
    };
    QPolygonF folder;
    for (TIconPoint point : kIconFolder)
        folder << At(point);
    p.setPen(pen(kIconFolderLine, kIconFolderLineWidth));
    p.setBrush(Rgb(kIconFolderFill));
    p.drawPolygon(folder);
    p.setPen(pen(kIconLensLine, kIconLensLineWidth));
    p.setBrush(Rgb(kIconLensFill));
    p.drawEllipse(At(kIconLensCentre), kIconLensRadius, kIconLensRadius);
    p.setPen(pen(kIconLensLine, kIconHandleWidth, Qt::RoundCap));
    p.drawLine(At(kIconHandle[0]), At(kIconHandle[1]));
    p.end();
    return image;
}

void InitProgram(const QString& name, const QString& desktopFile) {
    QGuiApplication::setApplicationName(name);
    if (!desktopFile.isEmpty()) QGuiApplication::setDesktopFileName(desktopFile);
    QGuiApplication::setWindowIcon(ProgramWindowIcon());
}

QIcon ProgramWindowIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : kProgramIconSizes)
            i.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
        return i;
    }();
    return icon;
}

} // namespace platform
