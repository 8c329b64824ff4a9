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

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
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
    return pixmap;
}

} // namespace

void InitProgram(const QString& name, const QString& desktopFile) {
    QGuiApplication::setApplicationName(name);
    if (!desktopFile.isEmpty()) QGuiApplication::setDesktopFileName(desktopFile);
    QGuiApplication::setWindowIcon(ProgramWindowIcon());
}

QIcon ProgramWindowIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            i.addPixmap(DrawIcon(size));
        return i;
    }();
    return icon;
}

} // namespace platform
