// Icons of tool buttons: the icon theme's icon of a name where the desktop has one, else the
// style's own, always drawn at the tool bar's icon size. Themes and styles offer some icons only
// at 16 pixels, which would leave those buttons with icons smaller than their neighbours'.
#pragma once

#include <QIcon>
#include <QSize>
#include <QStyle>

namespace platform {

// themeName: a freedesktop icon name ("go-up"); fallback: the style's icon when the theme has none.
[[nodiscard]] QIcon ToolIcon(const char* themeName, QStyle::StandardPixmap fallback, const QStyle& style,
                             QSize size);

// icon as pixmaps of exactly size (and twice that, for high-density screens): a smaller one is
// scaled up, a larger one down.
[[nodiscard]] QIcon IconAtSize(const QIcon& icon, QSize size);

} // namespace platform
