// The programs' identity offscreen: dialog and message-box titles reach the window manager as the
// exact captions the windows give, with no program name appended.
#include "platform/PIconRegistry.h"
#include "platform/PProgramIcon.h"
#include "platform/PQtProgram.h"
#include "platform/PQtShell.h"

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

    void theIconIsThePictureTheViewerInstalls() {
        // Drawn from the shapes of the SVG document: the folder tile, the white lens, the handle.
        const QImage image = platform::ProgramWindowIcon().pixmap(48, 48).toImage();
        QCOMPARE(image.size(), QSize(48, 48));
        QCOMPARE(image.pixelColor(8, 38), QColor(0xe8, 0xb6, 0x4c)); // the folder
        QCOMPARE(image.pixelColor(40, 20), QColor(0xe8, 0xb6, 0x4c));
        QCOMPARE(image.pixelColor(22, 28), QColor(Qt::white));        // inside the lens
        QCOMPARE(image.pixelColor(32, 38), QColor(0x2b, 0x4f, 0x8c)); // the handle
        QCOMPARE(image.pixelColor(2, 2).alpha(), 0);                  // around it: nothing
        const std::string svg = platform::ProgramIconSvg();
        QVERIFY(svg.find("<path d=\"M4 12L20 12L24 16L44 16L44 42L4 42z\" fill=\"#e8b64c\"") !=
                std::string::npos);
        QVERIFY(svg.find("<circle cx=\"22\" cy=\"28\" r=\"8\" fill=\"#ffffff\" stroke=\"#2b4f8c\"") !=
                std::string::npos);
        // Small sizes are drawn for themselves, not scaled down from a large one.
        QCOMPARE(platform::ProgramWindowIcon().pixmap(16, 16).size(), QSize(16, 16));
        QVERIFY(platform::ProgramWindowIcon().availableSizes().contains(QSize(16, 16)));
    }

    void everyWindowAndTheShellTakeIt() {
        platform::InitProgram("TXViewer", "txviewer");
        const QImage program = platform::ProgramWindowIcon().pixmap(32, 32).toImage();
        QCOMPARE(QGuiApplication::windowIcon().pixmap(32, 32).toImage(), program);
        QDialog dialog;
        QCOMPARE(dialog.windowIcon().pixmap(32, 32).toImage(), program);
        platform::InstallQtShell();
        const int index = platform::Shell().ProgramIcon();
        QVERIFY(index >= 0);
        QCOMPARE(platform::IconRegistry().Icon(index).pixmap(32, 32).toImage(), program);
    }
};

QTEST_MAIN(TestProgram)
#include "qtest_PQtProgram.moc"
