// The save-choice dialog: its two wordings, the preselection and the answer it gives.
#include "mainwindow/USaveForm.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using mainwindow::TSaveForm;

class TestSaveForm : public QObject {
    Q_OBJECT

    // Runs Execute and presses button once the dialog is up.
    static int Run(TSaveForm& form, int mode, bool preselect, const QString& text, QPushButton* button) {
        QTimer::singleShot(0, button, &QPushButton::click);
        return form.Execute(mode, preselect, text);
    }

private slots:
    void explorerWordingAllItemsByDefault() {
        TSaveForm form;
        QCOMPARE(Run(form, 0, false, "/data/", form.Button1), int(QDialog::Accepted));
        QCOMPARE(form.windowTitle(), QString("Save Exploration"));
        QCOMPARE(form.GroupBox1->title(), QString("Save Exploration"));
        QCOMPARE(form.RadioButton1->text(), QString("All Explored Items"));
        QVERIFY(!form.SaveSelectedOnly());
        QCOMPARE(form.Edit1->text(), QString("/data/"));
        QVERIFY(form.Edit1->isReadOnly());
    }

    void preselectedSelectionAndCancel() {
        TSaveForm form;
        QCOMPARE(Run(form, 0, true, "4 items selected", form.Button2), int(QDialog::Rejected));
        QVERIFY(form.SaveSelectedOnly());
    }

    void viewerWording() {
        TSaveForm form;
        Run(form, 1, false, "", form.Button1);
        QCOMPARE(form.windowTitle(), QString("Save"));
        QCOMPARE(form.GroupBox1->title(), QString("Save"));
        QCOMPARE(form.RadioButton1->text(), QString("All Loaded Items"));
    }
};

QTEST_MAIN(TestSaveForm)
#include "qtest_USaveForm.moc"
