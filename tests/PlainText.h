// Checks that a window shows a name as the plain text it is. Qt draws a label's or a message box's
// text as HTML when its format is rich, or automatic and the text looks like HTML
// (Qt::mightBeRichText): a folder named "<b>bold<" holding "b>" then shows ".../bold/..." in bold.
#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <QTextDocument>

namespace txtest {

// A folder name and a name inside it that together read as a tag, and a name holding an entity.
inline const char* const kMarkupFolder = "<b>bold<";
inline const char* const kMarkupInner = "b>";
inline const char* const kEntityName = "a&amp;b.txt";

// True when label draws its text as it stands.
inline bool ShowsPlain(const QLabel& label) {
    return label.textFormat() == Qt::PlainText ||
           (label.textFormat() == Qt::AutoText && !Qt::mightBeRichText(label.text()));
}

// True when box draws its text as it stands (and has any text at all).
inline bool ShowsPlain(const QMessageBox& box) {
    const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
    return label && !label->text().isEmpty() && ShowsPlain(*label);
}

} // namespace txtest
