// The desktop opener against a stand-in xdg-open placed first on PATH: the path's bytes reach it
// unchanged, its status arrives on the event loop, a missing xdg-open is said at once, nothing
// arrives for a context that is gone, and folders and files tell a missing path from one the
// desktop did not open.
#include "platform/PQtDesktopOpen.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

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

    // A folder and a file are handed over only when they are what they are asked as; what comes
    // back tells a missing path from one that nothing on the desktop opened.
    void foldersAndFilesTellMissingFromNotOpened() {
        QTemporaryDir place;
        QVERIFY(place.isValid());
        const std::string folder = place.path().toStdString() + "/";
        const std::string file = place.path().toStdString() + "/a.txt";
        QFile f(QString::fromStdString(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        using platform::TOpenOutcome;
        using TOpen = void (*)(const std::string&, QObject*, const std::function<void(TOpenOutcome)>&);
        struct {
            TOpen open;
            std::string path;
            const char* status;
            TOpenOutcome outcome;
            bool handedOver;
        } cases[] = {
            {platform::OpenFolder, folder, "0", TOpenOutcome::Opened, true},
            {platform::OpenFolder, folder, "3", TOpenOutcome::NotOpened, true},
            {platform::OpenFolder, folder + "gone/", "0", TOpenOutcome::Missing, false},
            {platform::OpenFolder, file, "0", TOpenOutcome::Missing, false},
            {platform::OpenFile, file, "0", TOpenOutcome::Opened, true},
            {platform::OpenFile, file, "4", TOpenOutcome::NotOpened, true},
            {platform::OpenFile, file + ".gone", "0", TOpenOutcome::Missing, false},
            {platform::OpenFile, folder, "0", TOpenOutcome::Missing, false},
            {platform::OpenFile, "", "0", TOpenOutcome::Missing, false},
        };
        for (const auto& c : cases) {
            init();
            qputenv("TX_OPEN_STATUS", c.status);
            QObject context;
            std::vector<TOpenOutcome> told;
            c.open(c.path, &context, [&](TOpenOutcome o) { told.push_back(o); });
            QTRY_COMPARE_WITH_TIMEOUT(told.size(), std::size_t(1), 20000);
            QCOMPARE(told.front(), c.outcome);
            if (c.handedOver)
                QTRY_COMPARE_WITH_TIMEOUT(Log(), QByteArray::fromStdString(c.path), 20000);
            else
                QCOMPARE(Log(), QByteArray());
        }
        qunsetenv("TX_OPEN_STATUS");
        // No opener at all: nothing opened the file.
        QTemporaryDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        std::vector<TOpenOutcome> told;
        QObject context;
        platform::OpenFile(file, &context, [&](TOpenOutcome o) { told.push_back(o); });
        QTRY_COMPARE(told, std::vector<TOpenOutcome>{TOpenOutcome::NotOpened});
        qputenv("PATH", QFile::encodeName(FBin.path()) + ":" + FPath);
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
