#include "model/UPlainText.h"

#include <QLabel>
#include <QWidget>

namespace model {

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) {
    QString shown = text;
    shown.replace("\n\r", "\n");
    QMessageBox box(icon, caption, shown, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QLabel* NewPlainLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

void SetPlainWindowTitle(QWidget& window, const QString& title) {
    // Qt shows "[*][*]" as "[*]" and no other pair of brackets is read.
    QString escaped = title;
    escaped.replace("[*]", "[*][*]");
    window.setWindowTitle(escaped);
}

} // namespace model
