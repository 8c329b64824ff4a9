// The Export Data dialog offscreen: its settings read and written, an export through the real
// progress window, the overwrite question, a cancel and a refused worksheet; and a screenshot.
#include "export/UExportDataForm.h"

#include "ExportFixture.h"
#include "ExportTestUtil.h"

#include "../mainwindow/ModalHelper.h"
#include "listing/UColumnsForm.h"
#include "model/UProgressForm.h"
#include "platform/PQtRegistry.h"
#include "tests/PlainText.h"
#include "tests/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace exportdata;

namespace {

// The dialog with the user's answers given in advance.
class TScriptedForm : public TExportDataForm {
public:
    QString Answer;        // the file name the save dialog gives
    bool Overwrite = true; // the answer to "Overwrite ... ?"
    int FileAsks = 0, OverwriteAsks = 0;
    std::vector<TExportMessage> Messages;

protected:
    QString AskFileName(int) override {
        ++FileAsks;
        return Answer;
    }
    bool AskOverwrite(const QString&) override {
        ++OverwriteAsks;
        return Overwrite;
    }
    void ShowMessage(const TExportMessage& m) override { Messages.push_back(m); }
};

// A listing that presses the progress window's Cancel while its second row is read.
class TCancellingListing : public exporttest::TTableListing {
public:
    std::string CellText(int c, int r) const override {
        if (r == 1 && c == 0)
            if (auto* form = qobject_cast<model::TProgressForm*>(QApplication::activeModalWidget()))
                form->CancelButton->click();
        return TTableListing::CellText(c, r);
    }
};

std::unique_ptr<TExportListing> Fixture() {
    return std::make_unique<exporttest::TTableListing>(exporttest::FixtureListing());
}

} // namespace

class TestExportDataForm : public QObject {
    Q_OBJECT
    QTemporaryDir FConfig;

private slots:
    void initTestCase() {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
    }
    void init() {
        QFile::remove(QString::fromStdString(platform::SettingsFileName(platform::kExplorerSettings)));
    }

    void controlsAndDefaults() {
        TExportDataForm form;
        form.Prepare(kListAnalyser, Fixture(), "Extensions", "/home/user/ **", false);
        form.LoadSettings();
        QCOMPARE(form.windowTitle(), QString("Export Data"));
        QCOMPARE(form.Label9->text(), QString("Extensions of"));
        QCOMPARE(form.Label10->text(), QString("/home/user/ **"));
        QCOMPARE(form.ComboBox1->count(), 5);
        QCOMPARE(form.ComboBox1->itemText(4), QString("Fixed column size (.txt)"));
        QCOMPARE(form.ComboBox1->currentIndex(), 0);
        QVERIFY(form.CheckBox1->isChecked() && form.CheckBox2->isChecked() && form.CheckBox3->isChecked());
        QVERIFY(!form.CheckBox4->isChecked() && !form.CheckBox5->isChecked());
        QVERIFY(form.RadioButton1->isChecked());
        QVERIFY(!form.CheckBox3->isEnabled()); // no totals in this list
        QVERIFY(form.Button1->isDefault());
        QCOMPARE(ExportFilter(kTypeFixed), QString("Fixed column size (*.txt)"));
        int helped = 0;
        model::SetHelpHandler([&](int context) { helped = context; });
        form.Button3->click();
        model::SetHelpHandler({});
        QCOMPARE(helped, 1011);
        QCOMPARE(ExportExtension(kTypeLotus), QString("wk1"));
    }

    void settingsReadAndWritten() {
        TExportOptions o;
        o.Type = kTypeFixed;
        o.TitleLines = false;
        o.Totals = false;
        o.QuoteAll = true;
        o.SizeUnit = kUnitGB;
        {
            TExportDataForm form;
            form.Prepare(kListMain, Fixture(), "Files", "/", false);
            form.SetOptions(o);
            form.SaveSettings(); // the disabled totals box is saved too
        }
        {
            platform::TRegistry store(platform::kExplorerSettings);
            QVERIFY(store.OpenKey("Export", false));
            QCOMPARE(store.ReadInteger("Type").value, 4);
            QCOMPARE(store.ReadInteger("Title").value, 0);
            QCOMPARE(store.ReadInteger("Totals").value, 0);
            QCOMPARE(store.ReadInteger("Quote").value, 1);
            QCOMPARE(store.ReadInteger("Size").value, 4);
        }
        TExportDataForm again;
        again.LoadSettings();
        const TExportOptions read = again.Options();
        QCOMPARE(read.Type, kTypeFixed);
        QVERIFY(!read.TitleLines && read.ColumnHeaders && !read.Totals && read.QuoteAll && !read.EmptyQuoted);
        QCOMPARE(read.SizeUnit, kUnitGB);
    }

    void settingsStopAtTheFirstBadValue() {
        {
            platform::TRegistry store(platform::kExplorerSettings);
            store.OpenKey("Export", true);
            store.WriteInteger("Type", 9); // out of range: the default stays
            store.WriteInteger("Title", 0);
            store.WriteString("Headers", "x"); // wrong type: reading ends here
            store.WriteInteger("Totals", 0);
            store.WriteInteger("Size", 3);
        }
        platform::TRegistry store(platform::kExplorerSettings);
        const TExportOptions o = LoadExportOptions(store);
        QCOMPARE(o.Type, kTypeExcel);
        QVERIFY(!o.TitleLines);
        QVERIFY(o.ColumnHeaders && o.Totals);
        QCOMPARE(o.SizeUnit, kUnitBytes);
        store.OpenKey("Export", true);
        store.WriteInteger("Headers", 1);
        store.WriteInteger("Quote", 0);
        store.WriteInteger("Empty", 1);
        store.WriteInteger("Size", 7); // any other value: bytes
        const TExportOptions all = LoadExportOptions(store);
        QVERIFY(!all.Totals && all.EmptyQuoted);
        QCOMPARE(all.SizeUnit, kUnitBytes);
    }

    void exportRunsInTheProgressWindow() {
        QTemporaryDir dir;
        TScriptedForm form;
        form.Prepare(kListMain, Fixture(), "Files", "/data/", true);
        form.ComboBox1->setCurrentIndex(kTypeCsv);
        form.Answer = dir.filePath("out.csv");
        form.Button1Click();
        QCOMPARE(form.result(), int(TExportDataForm::kResultDone));
        QCOMPARE(form.Messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(form.Messages[0].Caption), QString("Success"));
        QCOMPARE(QString::fromStdString(form.Messages[0].Text), QString("File generated succesfully !"));
        const std::string bytes = exporttest::ReadFile(form.Answer.toStdString());
        QVERIFY(bytes.find("\"report, final.txt\",1536,") != std::string::npos);
        QVERIFY(form.ComboBox1->isEnabled() && form.Button1->isEnabled());
        QCOMPARE(form.OverwriteAsks, 0);
    }

    void overwriteAnsweredNoKeepsTheFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.xls");
        exporttest::WriteFile(path.toStdString(), "old");
        TScriptedForm form;
        form.Prepare(kListMain, Fixture(), "Files", "/", false);
        form.Answer = path;
        form.Overwrite = false;
        form.Button1Click();
        QCOMPARE(form.OverwriteAsks, 1);
        QVERIFY(form.Messages.empty());
        QCOMPARE(form.result(), 0); // still open
        QCOMPARE(exporttest::ReadFile(path.toStdString()), std::string("old"));
        form.Overwrite = true;
        form.Button1Click();
        QCOMPARE(form.result(), int(TExportDataForm::kResultDone));
        QCOMPARE(exporttest::ReadFile(path.toStdString()).substr(0, 2), std::string("\x09\x00", 2));
    }

    // The listed folder "<b>bold<" holding "b>": "Name:" and the overwrite question show its path
    // as it stands.
    void namesThatLookLikeMarkupShowAsTheyStand() {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/" + txtest::kMarkupFolder + "/" + txtest::kMarkupInner;
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/" + txtest::kEntityName + ".xls";
        exporttest::WriteFile(path.toStdString(), "old");
        struct TFileNameOnly : TExportDataForm {
            QString Answer;
            QString AskFileName(int) override { return Answer; }
        } form;
        form.Prepare(kListMain, Fixture(), "Files", (folder + "/ **").toStdString(), false);
        QCOMPARE(form.Label10->text(), folder + "/ **");
        QVERIFY(txtest::ShowsPlain(*form.Label9) && txtest::ShowsPlain(*form.Label10));
        QVERIFY(txtest::SaveScreenshot(form, "export_markup_name"));
        form.Answer = path;
        QString question;
        bool plain = false;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            question = box->text();
            plain = txtest::ShowsPlain(*box);
            box->button(QMessageBox::No)->click();
        });
        form.Button1Click();
        QCOMPARE(question, "Overwrite " + path + " ?");
        QVERIFY(plain);
        QCOMPARE(exporttest::ReadFile(path.toStdString()), std::string("old"));
    }

    void cancelInTheProgressWindowKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.txt");
        exporttest::WriteFile(path.toStdString(), "old");
        auto listing = std::make_unique<TCancellingListing>();
        static_cast<exporttest::TTableListing&>(*listing) = exporttest::FixtureListing();
        TScriptedForm form;
        form.Prepare(kListMain, std::move(listing), "Files", "/", false);
        form.ComboBox1->setCurrentIndex(kTypeTab);
        form.Answer = path;
        form.Button1Click();
        QCOMPARE(form.Messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(form.Messages[0].Text), QString("Operation cancelled."));
        QCOMPARE(form.result(), int(TExportDataForm::kResultDone)); // a cancel closes the dialog
        QCOMPARE(exporttest::ReadFile(path.toStdString()), std::string("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void failureLeavesTheDialogOpen() {
        QTemporaryDir dir;
        TScriptedForm form;
        form.Prepare(kListMain, Fixture(), "Files", "/", false);
        form.Answer = dir.filePath("missing/out.xls");
        form.Button1Click();
        QCOMPARE(form.Messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(form.Messages[0].Caption), QString("Error"));
        QCOMPARE(form.result(), 0);
        QVERIFY(form.Button1->isEnabled());
    }

    void tooLongForAWorksheetIsRefusedFirst() {
        auto listing = std::make_unique<exporttest::TTableListing>();
        listing->Columns = {{0, "Name", 0, kKindText}};
        listing->Rows.assign(8192, exporttest::TRow{{{"x"}}});
        TScriptedForm form;
        form.Prepare(kListFileLister, std::move(listing), "File Lister listing", "/", false);
        form.ComboBox1->setCurrentIndex(kTypeLotus);
        form.Button1Click();
        QCOMPARE(form.FileAsks, 0);
        QCOMPARE(form.Messages.size(), size_t(1));
        QVERIFY(QString::fromStdString(form.Messages[0].Text).contains("8,192"));
    }

    void executeSavesTheOptionsWhenClosed() {
        TExportDataForm form;
        QTimer::singleShot(0, &form, [&form] {
            form.CheckBox5->setChecked(true);
            form.RadioButton3->setChecked(true);
            form.Button2->click();
        });
        QCOMPARE(form.Execute(kListMain, Fixture(), "Files", "/", true), int(TExportDataForm::kResultClosed));
        platform::TRegistry store(platform::kExplorerSettings);
        const TExportOptions o = LoadExportOptions(store);
        QVERIFY(o.EmptyQuoted);
        QCOMPARE(o.SizeUnit, kUnitMB);
    }

    void screenshot() {
        TExportDataForm form;
        form.Prepare(kListMain, Fixture(), "Folder Content", "/home/user/data/ **", true);
        form.LoadSettings();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(txtest::SaveScreenshot(form, "export-data-form"));
        form.PageControl1->setCurrentIndex(1);
        QVERIFY(txtest::SaveScreenshot(form, "export-data-form-options"));
        QVERIFY(form.width() >= 385 && form.height() >= 366);
    }
};

QTEST_MAIN(TestExportDataForm)
#include "qtest_UExportDataForm.moc"
