#include "platform/PQtToolIcon.h"

#include <QPixmap>

namespace platform {

QIcon IconAtSize(const QIcon& icon, QSize size) {
    if (icon.isNull()) return icon;
    QIcon out;
    for (const QSize s : {size, size * 2}) {
        QPixmap pixmap = icon.pixmap(s);
        // A pixmap of a high-density screen counts in device pixels.
        pixmap.setDevicePixelRatio(1);
        if (pixmap.size() != s) pixmap = pixmap.scaled(s, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        out.addPixmap(pixmap);
    }
    return out;
}

QIcon ToolIcon(const char* themeName, QStyle::StandardPixmap fallback, const QStyle& style, QSize size) {
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (icon.isNull()) icon = style.standardIcon(fallback);
    return IconAtSize(icon, size);
}

} // namespace platform
