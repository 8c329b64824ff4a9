// The desktop opener against a stand-in xdg-open placed first on PATH: the path's bytes reach it
// unchanged, its status arrives on the event loop, a missing xdg-open is said at once, and nothing
// arrives for a context that is gone.
#include "platform/PQtDesktopOpen.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestDesktopOpen : public QObject {
    Q_OBJECT

    QTemporaryDir FBin;
    QByteArray FPath;

    QByteArray Log() const {
        QFile f(FBin.path() + "/log");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(FBin.isValid());
        QFile script(FBin.path() + "/xdg-open");
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Writes its argument as given, then ends with the status it is told.
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$TX_OPEN_LOG.part\"\nmv \"$TX_OPEN_LOG.part\" "
                     "\"$TX_OPEN_LOG\"\nexit ${TX_OPEN_STATUS:-0}\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        FPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(FBin.path()) + ":" + FPath);
        qputenv("TX_OPEN_LOG", QFile::encodeName(FBin.path() + "/log"));
    }
    void cleanupTestCase() { qputenv("PATH", FPath); }
    void init() { QFile::remove(FBin.path() + "/log"); }

    void theStatusTellsWhetherTheDesktopOpenedThePath() {
        struct {
            const char* status;
            bool opened;
        } cases[] = {{"0", true}, {"3", false}, {"4", false}};
        for (const auto& c : cases) {
            init();
            qputenv("TX_OPEN_STATUS", c.status);
            // A folder named in UTF-8 holding a name in Windows-1252: handed over byte for byte.
            const std::string path = "/srv/spaces and \xC3\xBCn\xC3\xAF"
                                     "code/caf\xE9";
            QObject context;
            int calls = 0;
            bool opened = !c.opened;
            std::string error;
            QVERIFY(platform::DesktopOpener().Open(
                path, &context,
                [&](bool ok) {
                    ++calls;
                    opened = ok;
                },
                error));
            QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 20000);
            QCOMPARE(opened, c.opened);
            QCOMPARE(Log(), QByteArray::fromStdString(path));
        }
        qunsetenv("TX_OPEN_STATUS");
    }

    void aMissingOpenerIsSaidAtOnce() {
        QTemporaryDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        QObject context;
        bool called = false;
        std::string error;
        const bool started = platform::DesktopOpener().Open(
            "/tmp", &context, [&](bool) { called = true; }, error);
        qputenv("PATH", QFile::encodeName(FBin.path()) + ":" + FPath);
        QVERIFY(!started);
        QCOMPARE(QString::fromStdString(error), QString("xdg-open is not installed"));
        QCoreApplication::processEvents();
        QVERIFY(!called);
    }

    void nothingArrivesForAContextThatIsGone() {
        auto context = std::make_unique<QObject>();
        bool called = false;
        std::string error;
        QVERIFY(platform::DesktopOpener().Open(
            "/tmp", context.get(), [&](bool) { called = true; }, error));
        context.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!Log().isEmpty(), 20000); // the opener did run
        QTest::qWait(200);
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestDesktopOpen)
#include "qtest_PQtDesktopOpen.moc"
