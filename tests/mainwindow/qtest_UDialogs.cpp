// The small dialogs of the main window offscreen: the manual exploration path dialog, the options
// dialog, the tip of the day with its stored position.
#include "ModalHelper.h"
#include "mainwindow/UManualScanForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UTipsForm.h"
#include "mainwindow/UTipsList.h"
#include "platform/PMounts.h"
#include "platform/PQtRegistry.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace mainwindow;

class TestDialogs : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string Conf() const { return (FDir.path() + "/tips.conf").toStdString(); }

    void StoreTipPos(int pos, bool store = true) {
        platform::TRegistry reg = platform::TRegistry::AtFile(Conf());
        reg.OpenKey("", true);
        if (store)
            reg.WriteInteger(kTipPosValue, pos);
        else
            reg.DeleteValue(kTipPosValue);
        QVERIFY(reg.Flush());
    }
    int StoredTipPos() {
        platform::TRegistry reg = platform::TRegistry::AtFile(Conf());
        reg.OpenKey("", false);
        return reg.ReadInteger(kTipPosValue).value;
    }

    // Runs the tip dialog, pressing "&Next Tip" nexts times, and gives the tip it showed last.
    QString RunTips(int nexts, bool* showTips = nullptr, bool untick = false) {
        TTipsForm form(nullptr, Conf());
        QString shown;
        WhenModal<TTipsForm>([&](TTipsForm* w) {
            for (int i = 0; i < nexts; ++i)
                w->Button1->click();
            shown = w->TipLabel->text();
            if (untick) w->ShowCheckBox->setChecked(false);
            w->Button2->click();
        });
        form.Execute(true, 0, 0, 800, 600);
        if (showTips) *showTips = form.GetShowTips();
        return shown;
    }

    static QString Tip(int n) {
        QString text = QString::fromUtf8(TipText(n).data(), int(TipText(n).size()));
        return text.replace("\n\r", "\n");
    }

private slots:
    void manualDialogRefusesAMissingPathAndKeepsAFolder() {
        TManualScanForm form;
        std::vector<std::string> messages;
        form.SetMessageHook([&](const std::string& text, const std::string& caption) {
            messages.push_back(caption + ": " + text);
        });
        const QString folder = FDir.path();
        WhenModal<TManualScanForm>([&](TManualScanForm* w) {
            QCOMPARE(w->windowTitle(), QString("Manual Exploration"));
            QCOMPARE(w->Button1->text(), QString("E&xplore"));
            QVERIFY(!w->AutoCheckBox->isVisible());
            QVERIFY(w->PathEdit->text().isEmpty());
            Shot(w, "manual_scan");
            w->PathEdit->setText(folder + "/missing");
            w->Button1->click();
            QTRY_COMPARE(messages.size(), std::size_t(1)); // checked on a worker
            QVERIFY(w->isVisible()); // an invalid path keeps the dialog open
            QTest::keyClicks(w->PathEdit, "x");
            w->PathEdit->setText(folder);
            w->Button1->click();
        });
        QCOMPARE(form.Execute(false), int(QDialog::Accepted));
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY(messages.front().starts_with("Invalid Path: Unable to find this path!"));
        QCOMPARE(QString::fromStdString(form.GetPathText()), folder);
        QVERIFY(!form.IsDriveRoot());
    }

    void preferredDialogOffersAutoExploreAndTakesTheRoot() {
        TManualScanForm form;
        WhenModal<TManualScanForm>([&](TManualScanForm* w) {
            QCOMPARE(w->windowTitle(), QString("New Preferred Exploration"));
            QCOMPARE(w->Button1->text(), QString("&Add"));
            QVERIFY(w->AutoCheckBox->isVisible());
            QVERIFY(w->AutoCheckBox->isChecked());
            Shot(w, "preferred_scan");
            w->AutoCheckBox->setChecked(false);
            w->PathEdit->setText("/");
            w->Button1->click();
        });
        QCOMPARE(form.Execute(true), int(QDialog::Accepted));
        QCOMPARE(form.GetPathText(), std::string("/"));
        // The root is a drive where it is a mount point (not in a chroot).
        bool rootMounted = false;
        for (const platform::TMountEntry& m : platform::ReadMounts())
            rootMounted = rootMounted || m.mountPoint == "/";
        QCOMPARE(form.IsDriveRoot(), rootMounted);
        QVERIFY(!form.GetAutoExplore());
    }

    void manualDialogCancels() {
        TManualScanForm form;
        WhenModal<TManualScanForm>([](TManualScanForm* w) { w->Button2->click(); });
        QCOMPARE(form.Execute(false), int(QDialog::Rejected));
    }

    void optionsRoundTrip() {
        TOptionsForm form;
        form.SetGeneralOptions(false, true);
        form.SetSizeUnits(7, 0, 7);
        form.SetIconModes(true, false, true);
        WhenModal<TOptionsForm>([](TOptionsForm* w) {
            QCOMPARE(w->PageControl1->currentWidget(), w->TabSheet2);
            QCOMPARE(w->PageControl1->count(), 3);
            QVERIFY(w->SaveCheckBox->isVisible());
            Shot(w, "options_general");
            w->PageControl1->setCurrentWidget(w->TabSheet1);
            Shot(w, "options_size");
            w->PageControl1->setCurrentWidget(w->TabSheet3);
            Shot(w, "options_icons");
            w->Button1->click();
        });
        QCOMPARE(form.Execute(0), int(QDialog::Accepted));
        QVERIFY(!form.GetShowTips());
        QVERIFY(form.GetAskSave());
        QCOMPARE(form.GetListSizeUnit(), 1); // 7 shows as kilobytes here
        QCOMPARE(form.GetAnalyserSizeUnit(), 0);
        QCOMPARE(form.GetDriveSizeUnit(), 3); // and as gigabytes here
        QVERIFY(form.GetLocalRealIcon());
        QVERIFY(!form.GetRemovableRealIcon());
        QVERIFY(form.GetNetworkRealIcon());
    }

    void optionsOfTheViewerHaveNoSaveQuestionNorIcons() {
        TOptionsForm form;
        WhenModal<TOptionsForm>([](TOptionsForm* w) {
            QVERIFY(!w->SaveCheckBox->isVisible());
            QCOMPARE(w->PageControl1->indexOf(w->TabSheet3), -1);
            w->Button2->click();
        });
        QCOMPARE(form.Execute(1), int(QDialog::Rejected));
        TOptionsForm noNetwork;
        WhenModal<TOptionsForm>([](TOptionsForm* w) {
            w->PageControl1->setCurrentWidget(w->TabSheet3);
            QVERIFY(!w->GroupBox7->isVisible());
            w->Button2->click();
        });
        noNetwork.Execute(2);
    }

    void tipPositionIsStoredForNextTime_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("nexts");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("next");
        QTest::newRow("21 shows 21, stores 1") << 21 << true << 0 << 21 << 1;
        QTest::newRow("next on 21 shows 1") << 21 << true << 1 << 1 << 2;
        QTest::newRow("0 shows 1") << 0 << true << 0 << 1 << 2;
        QTest::newRow("22 shows 1") << 22 << true << 0 << 1 << 2;
        QTest::newRow("missing shows 1") << 0 << false << 0 << 1 << 2;
        QTest::newRow("two nexts from 5 store 8") << 5 << true << 2 << 7 << 8;
    }
    void tipPositionIsStoredForNextTime() {
        QFETCH(int, stored);
        QFETCH(bool, present);
        QFETCH(int, nexts);
        QFETCH(int, shown);
        QFETCH(int, next);
        StoreTipPos(stored, present);
        QCOMPARE(RunTips(nexts), Tip(shown));
        QCOMPARE(StoredTipPos(), next);
    }

    void tipDialogTellsTheShowTipsChoice() {
        bool showTips = true;
        RunTips(0, &showTips, true);
        QVERIFY(!showTips);
    }

    void tipDialogLooks() {
        StoreTipPos(6);
        TTipsForm form(nullptr, Conf());
        WhenModal<TTipsForm>([](TTipsForm* w) {
            Shot(w, "tips");
            // Larger than the main window: at its corner.
            QCOMPARE(w->pos(), QPoint(40, 30));
            w->Button2->click();
        });
        form.Execute(true, 40, 30, 100, 100);
    }
};

QTEST_MAIN(TestDialogs)
#include "qtest_UDialogs.moc"
