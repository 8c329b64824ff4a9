#include "model/UProgressForm.h"
#include "model/UProgressManager.h"
#include "tests/PlainText.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace model;

class TProgressFormTest : public QObject {
    Q_OBJECT
private slots:
    void runsTheWorkAndGivesItsResult_data() {
        QTest::addColumn<bool>("maxBeforeExecute");
        QTest::addColumn<int>("result");
        QTest::newRow("max after, done") << false << 1;
        QTest::newRow("max before, done") << true << 1;
        QTest::newRow("no result set") << false << -1;
    }
    void runsTheWorkAndGivesItsResult() {
        QFETCH(bool, maxBeforeExecute);
        QFETCH(int, result);
        TProgressForm form;
        form.SetCaptions("Saving...", "line one", "line two");
        ProgressManager().SetForm(&form);
        if (maxBeforeExecute) ProgressManager().SetMax(4);
        int gaugeMax = 0, gaugeValue = 0;
        const int got = form.Execute([&](TProgressForm& f) {
            QVERIFY(f.Running());
            if (!maxBeforeExecute) ProgressManager().SetMax(4);
            ProgressManager().Step();
            ProgressManager().Step();
            gaugeMax = f.Gauge1->maximum();
            gaugeValue = f.Gauge1->value();
            if (const QString dir = qEnvironmentVariable("TX_SCREENSHOT_DIR"); !dir.isEmpty())
                f.grab().save(dir + "/progress.png");
            if (result > 0) ProgressManager().SetResult(result);
        });
        ProgressManager().SetForm(nullptr);
        QCOMPARE(gaugeMax, 1000);
        QCOMPARE(gaugeValue, 500);
        QCOMPARE(got, result > 0 ? result : 2);
    }

    void itsLinesShowTheFileNameAsItStands() {
        // The lines name the file being written, which may be named like HTML.
        TProgressForm form;
        const QString line = "Saving file /data/<b>bold</b>/a&amp;b.txf...";
        form.SetCaptions("Saving file...", line, line);
        for (const QLabel* label : {form.Label1, form.Label2}) {
            QCOMPARE(label->text(), line);
            QVERIFY(txtest::ShowsPlain(*label));
        }
    }

    void cancelWhileRunning() {
        TProgressForm form;
        ProgressManager().SetForm(&form);
        int steps = 0;
        const int got = form.Execute([&](TProgressForm& f) {
            ProgressManager().SetMax(1000000);
            QTimer::singleShot(0, f.CancelButton, &QPushButton::click);
            while (!ProgressManager().Cancelled() && steps < 100000000) {
                ProgressManager().Step();
                ++steps;
                if (steps % 1000 == 0) f.Pump();
            }
            ProgressManager().SetResult(ProgressManager().Cancelled() ? 2 : 1);
        });
        ProgressManager().SetForm(nullptr);
        QCOMPARE(got, 2);
        QVERIFY(form.Cancelled());
        QVERIFY(!form.CancelButton->isEnabled());
        QVERIFY(steps < 100000000);
    }

    void cancelBeforeTheTimerNeverRunsTheWork() {
        TProgressForm form;
        bool ran = false;
        QTimer::singleShot(20, &form, [&form] { form.CancelButton->click(); });
        const int got = form.Execute([&](TProgressForm&) { ran = true; });
        QVERIFY(!ran);
        QCOMPARE(got, 2);
        QVERIFY(form.Cancelled());
    }
};

QTEST_MAIN(TProgressFormTest)
#include "qtest_UProgressForm.moc"
