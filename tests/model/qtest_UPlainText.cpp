// The plain-text widgets: a message box, a label and a window title show names that look like HTML
// or hold the title's modified mark as they stand; the message box keeps the system's line breaks,
// its buttons and its default button.
#include "model/UPlainText.h"

#include "tests/PlainText.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

using namespace model;

namespace {

// Names as a file system may hold them, each of which Qt would otherwise read as markup.
const char* const kNames[] = {"/data/<b>bold</b>/inside.txt", "<i>x", "a&amp;b <br> c", "<h1>big</h1>"};

} // namespace

class TPlainTextTest : public QObject {
    Q_OBJECT
private slots:
    void theNamesWouldOtherwiseBeMarkup() {
        // The cases are real: an ordinary label takes each of them for HTML.
        for (const char* name : kNames) {
            QLabel label(QString::fromUtf8(name));
            QVERIFY2(!txtest::ShowsPlain(label), name);
        }
    }

    void aMessageBoxShowsItsTextAsItStands() {
        for (const char* name : kNames) {
            const QString text = QString("Are you sure you want to move \"%1\" to the trash?\n\rSecond line")
                                     .arg(QString::fromUtf8(name));
            QString shown;
            bool plain = false;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                plain = txtest::ShowsPlain(*box);
                shown = box->text();
                defaultButton = box->standardButton(box->defaultButton());
                box->button(QMessageBox::Cancel)->click();
            });
            const QMessageBox::StandardButton pressed =
                ShowMessageBox(nullptr, QMessageBox::Warning, "Confirm Delete", text,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
            QVERIFY2(plain, name);
            QCOMPARE(shown, QString(text).replace("\n\r", "\n"));
            QCOMPARE(defaultButton, QMessageBox::No);
            QCOMPARE(pressed, QMessageBox::Cancel);
        }
    }

    void aLabelShowsItsTextAsItStandsLaterToo() {
        QWidget parent;
        QLabel* label = NewPlainLabel(&parent, QString::fromUtf8(kNames[0]));
        QCOMPARE(label->parent(), &parent);
        QCOMPARE(label->text(), QString::fromUtf8(kNames[0]));
        QVERIFY(txtest::ShowsPlain(*label));
        for (const char* name : kNames) {
            label->setText(QString::fromUtf8(name));
            QVERIFY2(txtest::ShowsPlain(*label), name);
        }
    }

    void aWindowTitleShowsTheModifiedMarkAsItStands() {
        for (const char* title :
             {"Analyser - /data/draft[*]/", "File Lister - /a[*][*]b[*]/", "[*]", "plain"}) {
            QWidget window;
            SetPlainWindowTitle(window, QString::fromUtf8(title));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.windowHandle()->title(), QString::fromUtf8(title));
            window.setWindowModified(true); // a modified window still shows the name, not a mark
            QCOMPARE(window.windowHandle()->title(), QString::fromUtf8(title));
        }
    }
};

QTEST_MAIN(TPlainTextTest)
#include "qtest_UPlainText.moc"
