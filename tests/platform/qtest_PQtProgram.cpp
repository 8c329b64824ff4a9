// The programs' identity offscreen: dialog and message-box titles reach the window manager as the
// exact captions the windows give, with no program name appended.
#include "platform/PQtProgram.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>

#include <dlfcn.h>

namespace {

// The title the xcb and Wayland platform plugins hand the window manager for a window title
// (QPlatformWindow::formatWindowTitle, with their separator). Qt exports it only as private API.
QString PlatformTitle(const QString& title) {
    using TFormat = QString (*)(const QString&, const QString&);
    static const auto format = reinterpret_cast<TFormat>(
        dlvsym(RTLD_DEFAULT, "_ZN15QPlatformWindow17formatWindowTitleERK7QStringS2_", "Qt_6_PRIVATE_API"));
    if (!format) return QStringLiteral("<formatWindowTitle not found>");
    return format(title, QString::fromUtf8(" \xe2\x80\x94 "));
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void titlesAreTheCaptionsGiven() {
        for (const auto& [name, desktop, mainTitle] :
             {std::tuple{"TessalundrixPro", "", "Tessalundrix Pro"},
              std::tuple{"TXViewer", "txviewer", "Tessalundrix Viewer"}}) {
            platform::InitProgram(name, desktop);
            QCOMPARE(QGuiApplication::applicationName(), QString(name));
            QMessageBox box(QMessageBox::Information, "Success", "File generated succesfully !");
            QCOMPARE(box.windowTitle(), QString("Success"));
            QCOMPARE(PlatformTitle(box.windowTitle()), QString("Success"));
            QDialog dialog;
            dialog.setWindowTitle("Export Chart");
            QCOMPARE(PlatformTitle(dialog.windowTitle()), QString("Export Chart"));
            QCOMPARE(PlatformTitle(mainTitle), QString(mainTitle));
        }
    }
};

QTEST_MAIN(TestProgram)
#include "qtest_PQtProgram.moc"
