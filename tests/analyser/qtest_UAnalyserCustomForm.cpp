#include "analyser/UAnalyserCustomForm.h"
#include "analyser/UAnalyserCustomNewForm.h"
#include "model/UTypeList.h"
#include "tests/Screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <deque>

using namespace analyser;

namespace {

std::string D(std::initializer_list<const char*> tokens) {
    std::string s;
    for (const char* t : tokens)
        (s += t) += '\x01';
    return s;
}

// The editor with its message boxes and the New Report dialog answered by the test.
class TTestForm : public TAnalyserCustomForm {
public:
    QStringList Captions;
    QString LastText;
    QMessageBox::StandardButton Answer = QMessageBox::Yes;
    std::deque<std::string> Names; // answers of the New Report dialog; empty: cancelled

protected:
    QMessageBox::StandardButton ShowMessage(const QString& text, const QString& caption,
                                            QMessageBox::StandardButtons buttons) override {
        Captions << caption;
        LastText = text;
        return buttons.testFlag(Answer) ? Answer : QMessageBox::Ok;
    }
    bool AskNewReportName(std::string& name) override {
        if (Names.empty()) return false;
        name = Names.front();
        Names.pop_front();
        return true;
    }
};

QStringList Texts(QTreeWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts;
}

QStringList BoxTexts(QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

void SelectSource(TAnalyserCustomForm& f, const QString& text) {
    const auto found = f.SourceListView->findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    f.SourceListView->setCurrentItem(found.first());
}

void TypeManual(TAnalyserCustomForm& f, const QString& text) {
    f.ManualEdit->setFocus();
    f.ManualEdit->setText(text);
    QTest::keyClick(f.ManualEdit, Qt::Key_Return);
}

void Save(QWidget& w, const char* file) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(txtest::SaveScreenshot(w, file));
}

} // namespace

class TestAnalyserCustomForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const char* key : {".JPG", ".TXT", ".PNG", ".MP3", ".EXE", "none", ".jpg"})
            model::TypeList().IndexOfExtension(key);
        model::TypeList().IndexOfName("Text Document");
    }

    void ExecuteShowsTheSelectedReport() {
        TTestForm f;
        f.ClearReports();
        f.AddReportFromString(D({"A", ".TXT"}));
        f.AddReportFromString(D({"B", ".PNG", ".JPG"}));
        f.AddReportFromString("no end byte");
        QVERIFY(f.SelectReportByName("B"));
        QVERIFY(!f.SelectReportByName("C"));
        f.PrepareExecute(kExtensionReport);
        QCOMPARE(f.windowTitle(), QString("Customize Extension Report"));
        QCOMPARE(f.SourceListView->headerItem()->text(0), QString("Extension"));
        QCOMPARE(f.CusListView->headerItem()->text(0), QString("Extension"));
        QCOMPARE(BoxTexts(f.ReportBox), QStringList({"A", "B"}));
        QCOMPARE(f.ReportBox->currentText(), QString("B"));
        QCOMPARE(Texts(f.CusListView), QStringList({".PNG", ".JPG"}));
        QCOMPARE(f.CusTitleLabel->text(), QString("Custom Report List:   (2 items)"));
        QCOMPARE(f.CurrentReportName(), std::string("B"));
        // Extension keys of the type table, sorted, one per spelling, without name-only rows.
        QCOMPARE(Texts(f.SourceListView), QStringList({".EXE", ".jpg", ".MP3", ".PNG", ".TXT", "none"}));
        QCOMPARE(f.size(), QSize(473, 496));
    }

    void DefaultsWhenThereIsNoReport() {
        TTestForm f;
        f.SelectReport(0); // nothing to select yet
        f.PrepareExecute(kTypeReport);
        QCOMPARE(f.windowTitle(), QString("Customize Type Report"));
        QCOMPARE(f.SourceListView->headerItem()->text(0), QString("Type"));
        QCOMPARE(BoxTexts(f.ReportBox), QStringList({"Default"}));
        QCOMPARE(Texts(f.CusListView), QStringList({"executable", "shared library", "plain text document",
                                                    "HTML document", "WinHelp help file"}));
        QVERIFY(Texts(f.SourceListView).contains("Text Document"));
        QCOMPARE(f.GetReportString(0), DefaultReportDefinition(kTypeReport));
    }

    void AddFromTheAvailableListAndDuplicates() {
        TTestForm f;
        f.AddReportFromString(D({"R"}));
        f.PrepareExecute(kExtensionReport);
        QCOMPARE(f.CusTitleLabel->text(), QString("Custom Report List:   (0 item)"));
        QTest::mouseClick(f.Add1Button, Qt::LeftButton); // nothing selected: nothing happens
        QCOMPARE(f.CusListView->topLevelItemCount(), 0);
        SelectSource(f, ".TXT");
        QTest::mouseClick(f.Add1Button, Qt::LeftButton);
        QCOMPARE(Texts(f.CusListView), QStringList({".TXT"}));
        QCOMPARE(f.CusTitleLabel->text(), QString("Custom Report List:   (1 item)"));
        QTest::mouseClick(f.Add1Button, Qt::LeftButton);
        QCOMPARE(f.Captions, QStringList({"Duplicate"}));
        QCOMPARE(f.LastText, QString("This item is already in the list"));
        TypeManual(f, ".txt"); // becomes .TXT: a duplicate too
        QCOMPARE(f.Captions.size(), 2);
        QCOMPARE(f.CusListView->topLevelItemCount(), 1);
    }

    void ManualEntries() {
        TTestForm f;
        f.PrepareExecute(kExtensionReport);
        f.CusListView->clear();
        TypeManual(f, "jpg");
        TypeManual(f, "NONE");
        TypeManual(f, ".gz");
        QCOMPARE(f.ManualEdit->text(), QString());
        TypeManual(f, "   "); // blank: nothing, no message
        QCOMPARE(Texts(f.CusListView), QStringList({".JPG", "none", ".GZ"}));
        QVERIFY(f.Captions.isEmpty());
        TypeManual(f, "a\tb");
        QCOMPARE(f.Captions, QStringList({"Invalid item"}));
        QCOMPARE(f.CusListView->topLevelItemCount(), 3);
        f.PrepareExecute(kTypeReport);
        f.CusListView->clear();
        TypeManual(f, " my type ");
        QCOMPARE(Texts(f.CusListView), QStringList({" my type "})); // kept as typed
    }

    void MaximumReachedFromBothSources() {
        TTestForm f;
        f.AddReportFromString(D({"R"}));
        f.PrepareExecute(kExtensionReport);
        for (int i = 0; i < 10; ++i)
            TypeManual(f, QString("e%1").arg(i));
        QCOMPARE(f.CusListView->topLevelItemCount(), 10);
        QCOMPARE(f.CusTitleLabel->text(), QString("Custom Report List:   (10 items)"));
        TypeManual(f, "eleven");
        QCOMPARE(f.Captions, QStringList({"Maximum reached"}));
        QCOMPARE(f.ManualEdit->text(), QString("eleven")); // kept, to be added after a removal
        QVERIFY(
            f.LastText.startsWith("The Custom Report List is FULL.\n\rYou can add a maximum of 10 items"));
        SelectSource(f, ".MP3");
        QTest::mouseClick(f.Add1Button, Qt::LeftButton);
        QCOMPARE(f.Captions, QStringList({"Maximum reached", "Maximum reached"}));
        QCOMPARE(f.CusListView->topLevelItemCount(), 10);
        QTest::mouseClick(f.OkButton, Qt::LeftButton);
        QCOMPARE(f.result(), 1);
        QCOMPARE(f.GetReportString(0),
                 D({"R", ".E0", ".E1", ".E2", ".E3", ".E4", ".E5", ".E6", ".E7", ".E8", ".E9"}));
    }

    void RemoveSelectsANeighbour() {
        TTestForm f;
        f.AddReportFromString(D({"R", ".A", ".B", ".C"}));
        f.PrepareExecute(kExtensionReport);
        QTest::mouseClick(f.RemoveButton, Qt::LeftButton); // nothing selected
        QCOMPARE(f.CusListView->topLevelItemCount(), 3);
        f.CusListView->setCurrentItem(f.CusListView->topLevelItem(0));
        QTest::mouseClick(f.RemoveButton, Qt::LeftButton);
        QCOMPARE(f.CusListView->currentItem()->text(0), QString(".B")); // the one after it
        f.CusListView->setCurrentItem(f.CusListView->topLevelItem(1));
        QTest::mouseClick(f.RemoveButton, Qt::LeftButton);
        QCOMPARE(Texts(f.CusListView), QStringList({".B"}));
        QVERIFY(f.CusListView->currentItem()->isSelected()); // the one before the removed last
        QCOMPARE(f.CusTitleLabel->text(), QString("Custom Report List:   (1 item)"));
        QTest::mouseClick(f.RemoveButton, Qt::LeftButton);
        QCOMPARE(f.CusListView->topLevelItemCount(), 0);
        QVERIFY(f.CusListView->selectedItems().isEmpty());
    }

    void CreateReportsByName() {
        TTestForm f;
        f.AddReportFromString(D({"Default", ".A"}));
        f.PrepareExecute(kExtensionReport);
        TypeManual(f, "b"); // edit of Default, kept when another report is made
        f.Names = {"Mine"};
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        QCOMPARE(BoxTexts(f.ReportBox), QStringList({"Default", "Mine"}));
        QCOMPARE(f.ReportBox->currentText(), QString("Mine"));
        QCOMPARE(f.CusListView->topLevelItemCount(), 0);
        QCOMPARE(f.CurrentReportName(), std::string("Mine"));
        f.Names = {"Mine"};
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        QCOMPARE(f.Captions, QStringList({"Already exists"}));
        QCOMPARE(f.LastText, QString("This report name already exists. Please try again with another name."));
        f.Names = {"  "};
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        f.Names = {"x\x01y"};
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        QCOMPARE(f.Captions, QStringList({"Already exists", "Invalid name", "Invalid name"}));
        QTest::mouseClick(f.Button1, Qt::LeftButton); // cancelled
        QCOMPARE(f.ReportCount(), 2);
        // Back to Default through the box, as a user picks it.
        f.ReportBox->setCurrentIndex(0);
        emit f.ReportBox->activated(0);
        QCOMPARE(Texts(f.CusListView), QStringList({".A", ".B"}));
        QCOMPARE(f.GetReportString(1), D({"Mine"}));
    }

    void DeleteTheLastReportBringsBackTheDefault() {
        TTestForm f;
        f.AddReportFromString(D({"Only", ".X"}));
        f.PrepareExecute(kExtensionReport);
        f.Answer = QMessageBox::No;
        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QCOMPARE(f.Captions, QStringList({"Confirm Delete"}));
        QCOMPARE(f.LastText, QString("Are you sure that you want to delete\n\r\"Only\" report?"));
        QCOMPARE(f.ReportCount(), 1);
        f.Answer = QMessageBox::Yes;
        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QCOMPARE(BoxTexts(f.ReportBox), QStringList({"Default"}));
        QCOMPARE(f.ReportBox->currentIndex(), 0);
        QCOMPARE(Texts(f.CusListView), QStringList({".JPG", ".EXE", ".DLL", ".MP3", ".DOC"}));
        QCOMPARE(f.CurrentIndex(), 0);
        QCOMPARE(f.GetReportString(0), DefaultReportDefinition(kExtensionReport));
    }

    void DeleteKeepsTheOthers() {
        TTestForm f;
        f.AddReportFromString(D({"A", ".1"}));
        f.AddReportFromString(D({"B", ".2"}));
        f.AddReportFromString(D({"C", ".3"}));
        f.SelectReportByName("B");
        f.PrepareExecute(kExtensionReport);
        TypeManual(f, "lost"); // edits of the deleted report go with it
        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QCOMPARE(BoxTexts(f.ReportBox), QStringList({"A", "C"}));
        QCOMPARE(f.ReportBox->currentText(), QString("A"));
        QCOMPARE(Texts(f.CusListView), QStringList({".1"}));
        QCOMPARE(f.GetReportString(0), D({"A", ".1"}));
        QCOMPARE(f.GetReportString(1), D({"C", ".3"}));
    }

    void CancelChangesNothing() {
        TTestForm f;
        const std::string a = D({"A", ".TXT"});
        f.AddReportFromString(a);
        f.SelectReport(0);
        QTimer::singleShot(0, &f, [&f] {
            TypeManual(f, "new");
            QTest::mouseClick(f.CancelButton, Qt::LeftButton);
        });
        QCOMPARE(f.Execute(kExtensionReport), TAnalyserCustomForm::kResultCancel);
        QCOMPARE(f.ReportCount(), 1);
        QCOMPARE(f.GetReportString(0), a);
        QTimer::singleShot(0, &f, [&f] { f.reject(); }); // Escape or the window's close box
        QCOMPARE(f.Execute(kExtensionReport), TAnalyserCustomForm::kResultCancel);
    }

    void OkRoundTripsTheDefinitions() {
        const std::vector<std::string> definitions = {D({"Pics", ".JPG", ".PNG", "", "jpg"}), D({"Empty"}),
                                                      D({"\xc3\xa9t\xc3\xa9", "none"})};
        TTestForm f;
        for (const auto& d : definitions)
            f.AddReportFromString(d);
        f.SelectReportByName("Empty");
        QTimer::singleShot(0, &f, [&f] { QTest::mouseClick(f.OkButton, Qt::LeftButton); });
        QCOMPARE(f.Execute(kExtensionReport), TAnalyserCustomForm::kResultOk);
        QCOMPARE(f.ReportCount(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.GetReportString(i), definitions[static_cast<size_t>(i)]);
        QCOMPARE(f.ReportBox->itemText(2), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
        QCOMPARE(f.CurrentReportName(), std::string("Empty"));

        QTimer::singleShot(0, &f, [&f] {
            TypeManual(f, "zip");
            QTest::mouseClick(f.OkButton, Qt::LeftButton);
        });
        QCOMPARE(f.Execute(kExtensionReport), TAnalyserCustomForm::kResultOk);
        QCOMPARE(f.GetReportString(1), D({"Empty", ".ZIP"}));
    }

    void HelpAsksForItsPage() {
        TTestForm f;
        QSignalSpy spy(&f, &TAnalyserCustomForm::HelpRequested);
        QTest::mouseClick(f.Button3, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1016);
    }

    void NewReportDialog() {
        TAnalyserCustomNewForm n;
        QCOMPARE(n.windowTitle(), QString("New Report"));
        QCOMPARE(n.Label1->text(), QString("New Report Name:"));
        QCOMPARE(n.Edit1->maxLength(), 13);
        QVERIFY(n.OkButton->isDefault());
        QVERIFY(!n.OkButton->isEnabled()); // a blank name cannot be taken
        QWidget* focused = nullptr;
        QTimer::singleShot(0, &n, [&n, &focused] {
            focused = n.focusWidget();
            QTest::keyClicks(n.Edit1, "A very long report name");
            QTest::keyClick(n.Edit1, Qt::Key_Return);
        });
        QCOMPARE(n.exec(), 1);
        QCOMPARE(focused, static_cast<QWidget*>(n.Edit1));
        QCOMPARE(n.GetReportName(), std::string("A very long r"));
        QTimer::singleShot(0, &n, [&n] { QTest::mouseClick(n.CancelButton, Qt::LeftButton); });
        QCOMPARE(n.exec(), 2);
        n.Edit1->setText("   ");
        QVERIFY(!n.OkButton->isEnabled());
    }

    void Screenshots() {
        TTestForm f;
        f.AddReportFromString(D({"Pictures", ".JPG", ".PNG", ".GIF"}));
        f.AddReportFromString(D({"Music", ".MP3"}));
        f.PrepareExecute(kExtensionReport);
        f.SourceListView->setCurrentItem(f.SourceListView->topLevelItem(1));
        f.CusListView->setCurrentItem(f.CusListView->topLevelItem(0));
        Save(f, "analyser_custom_form");
        TAnalyserCustomNewForm n;
        n.Edit1->setText("Mine");
        Save(n, "analyser_custom_new_form");
    }
};

QTEST_MAIN(TestAnalyserCustomForm)
#include "qtest_UAnalyserCustomForm.moc"
