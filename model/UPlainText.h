// Message boxes, labels and window titles that show names, paths and what a user typed as the
// plain text they are. Qt reads a text that looks like HTML as HTML in a label or a message box (a
// folder named "<b>bold<" holding "b>" turns ".../<b>bold</b>/..." bold, "a&amp;b" shows as
// "a&b"), and "[*]" in a window title as the place of the modified mark; a name may hold any of these.
#pragma once

#include <QMessageBox>
#include <QString>

class QLabel;
class QWidget;

namespace model {

// A modal message box of the system's own, owned by parent: text shows as it stands, its lines
// broken by "\n" or by the system's "\n\r". Returns the button pressed (Escape: the box's escape
// button, as QMessageBox decides).
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A label (owned by parent) whose text, now and later, shows as it stands.
[[nodiscard]] QLabel* NewPlainLabel(QWidget* parent = nullptr, const QString& text = {});

// Sets window's title so that the title bar shows title as it stands.
void SetPlainWindowTitle(QWidget& window, const QString& title);

} // namespace model
