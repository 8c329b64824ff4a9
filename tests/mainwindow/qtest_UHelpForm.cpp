// The help window offscreen, on a folder of small pages made by the test: every dialog's Help
// button opens it at the page of its context number, one window serves every request, Back,
// Forward, Contents and Find work, a missing folder or page is said so, the window stays usable
// beside a modal dialog, the web pages go to the browser when one takes them and to the help window
// otherwise, and the About box names the program and its version.
#include "ModalHelper.h"
#include "analyser/UAnalyserCustomForm.h"
#include "analyser/UAnalyserForm.h"
#include "analyser/UExportChartForm.h"
#include "export/UExportDataForm.h"
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UAboutForm.h"
#include "mainwindow/UHelpForm.h"
#include "mainwindow/UManualScanForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/USaveForm.h"
#include "model/UHelpContext.h"
#include "platform/PQtShell.h"
#include "tests/PlainText.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <algorithm>
#include <functional>
#include <memory>

using namespace mainwindow;

namespace {

// A shell whose browser takes the pages or refuses them.
class TBrowserShell : public platform::TQtShell {
public:
    bool takes = false;
    std::vector<std::string> pages;
    bool OpenInBrowser(const std::string& page) override {
        pages.push_back(page);
        return takes;
    }
};

QPushButton* ButtonNamed(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

} // namespace

class TestHelpForm : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FPages;

    void WritePage(const QString& name, const QString& body) {
        QFile f(FPages + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("<html><head><title>" + name + "</title></head><body>" + body + "</body></html>").toUtf8());
    }

    THelpForm* Help() const { return THelpForm::Existing(); }

    // The help window is up, on page.
    void ExpectPage(const QString& page) {
        QVERIFY2(Help(), qPrintable(page));
        QVERIFY(Help()->isVisible());
        QCOMPARE(Help()->CurrentPage(), page);
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        qputenv("XDG_CONFIG_HOME", (FDir.path() + "/config").toUtf8());
        platform::InstallQtShell();
        listing::SetCurrentProfile(listing::ExplorerProfile());
        FPages = FDir.path() + "/help";
        QVERIFY(QDir().mkpath(FPages));
        WritePage("TessalundrixPro.htm", "<h1>Contents</h1><a href=\"faq.htm\">FAQ</a> needle");
        WritePage("TXViewer.htm", "<h1>Viewer contents</h1>");
        for (int context : model::HelpContexts())
            WritePage(QString::fromStdString(model::HelpPageOfContext(context)),
                      "<h1>Page of " + QString::number(context) + "</h1><p>needle and needle</p>");
        WritePage("faq.htm", "<h1>Questions</h1>");
        WritePage("support.htm", "<h1>Support</h1>");
        THelpForm::SetHelpFolder(FPages);
        InstallHelp();
    }

    void cleanup() {
        delete THelpForm::Existing();
        THelpForm::SetHelpFolder(FPages);
        listing::SetCurrentProfile(listing::ExplorerProfile());
        platform::InstallQtShell();
    }

    void cleanupTestCase() { model::SetHelpHandler(nullptr); }

    void everyDialogsHelpButtonOpensItsPage() {
        struct TCase {
            const char* dialog;
            std::function<std::unique_ptr<QWidget>()> make;
            const char* page;
        };
        const std::vector<TCase> cases = {
            {"Options", [] { return std::make_unique<TOptionsForm>(); }, "options.htm"},
            {"Save Exploration", [] { return std::make_unique<TSaveForm>(); }, "save.htm"},
            {"Manual Exploration", [] { return std::make_unique<TManualScanForm>(); }, "manual.htm"},
            {"Columns", [] { return std::make_unique<listing::TColumnsForm>(); }, "columns.htm"},
            {"Export Data", [] { return std::make_unique<exportdata::TExportDataForm>(); }, "export.htm"},
            {"Export Chart", [] { return std::make_unique<analyser::TExportChartForm>(); }, "export.htm"},
            {"Custom report", [] { return std::make_unique<analyser::TAnalyserCustomForm>(); },
             "customreport.htm"},
            {"Analyser", [] { return std::make_unique<analyser::TAnalyserForm>(); }, "analyser.htm"},
        };
        for (const TCase& c : cases) {
            std::unique_ptr<QWidget> dialog = c.make();
            QPushButton* help = ButtonNamed(dialog.get(), "&Help");
            QVERIFY2(help, c.dialog);
            QVERIFY2(help->isEnabled(), c.dialog);
            help->click();
            ExpectPage(c.page);
            delete THelpForm::Existing();
        }
    }

    void oneWindowServesEveryRequest() {
        model::ShowHelp(model::kHelpOptions);
        THelpForm* first = Help();
        ExpectPage("options.htm");
        first->showMinimized();
        model::ShowHelp(model::kHelpAnalyser);
        QCOMPARE(Help(), first);
        QVERIFY(!first->isMinimized());
        ExpectPage("analyser.htm");
        // A number without a page shows the contents.
        model::ShowHelp(4711);
        ExpectPage("TessalundrixPro.htm");
        QCOMPARE(Help()->windowTitle(), QString("Help - TessalundrixPro.htm"));
        // Closed, it goes; the next request makes it again.
        QVERIFY(Help()->close());
        QTRY_VERIFY(!Help());
        model::ShowHelp(model::kHelpSave);
        ExpectPage("save.htm");
    }

    void backForwardContentsAndFind() {
        THelpForm& help = THelpForm::Instance();
        help.ShowContext(model::kHelpColumns);
        QVERIFY(!help.BackAction->isEnabled());
        help.ContentsAction->trigger();
        ExpectPage("TessalundrixPro.htm");
        QVERIFY(help.BackAction->isEnabled());
        help.BackAction->trigger();
        ExpectPage("columns.htm");
        QVERIFY(help.ForwardAction->isEnabled());
        help.ForwardAction->trigger();
        ExpectPage("TessalundrixPro.htm");
        // A click on a link of the page leads on.
        QTextCursor link = help.Browser->document()->find("FAQ");
        QVERIFY(!link.isNull());
        link.setPosition(link.selectionStart() + 1);
        const QPoint at = help.Browser->cursorRect(link).center();
        QTest::mouseClick(help.Browser->viewport(), Qt::LeftButton, {}, at);
        ExpectPage("faq.htm");

        help.ShowContext(model::kHelpColumns);
        QVERIFY(help.FindText("needle"));
        QCOMPARE(help.Browser->textCursor().selectedText(), QString("needle"));
        const int first = help.Browser->textCursor().position();
        QVERIFY(help.FindText("needle"));
        QVERIFY(help.Browser->textCursor().position() > first);
        // Past the last one, Find Next starts again at the top.
        QVERIFY(help.FindText("needle"));
        QCOMPARE(help.Browser->textCursor().position(), first);
        QVERIFY(!help.FindText("haystack"));
        // What was typed is quoted as it stands, markup or not.
        QVERIFY(!help.FindText("<b>haystack"));
        const QList<QLabel*> labels = help.statusBar()->findChildren<QLabel*>();
        const auto status = std::find_if(labels.begin(), labels.end(), [](const QLabel* l) {
            return l->text() == "\"<b>haystack\" is not on this page.";
        });
        QVERIFY(status != labels.end());
        QVERIFY(txtest::ShowsPlain(**status));
        help.FindEdit->setText("Page of");
        QTest::keyClick(help.FindEdit, Qt::Key_Return);
        QCOMPARE(help.Browser->textCursor().selectedText(), QString("Page of"));
    }

    void theViewerOpensItsOwnContents() {
        listing::SetCurrentProfile(listing::ViewerProfile());
        QCOMPARE(THelpForm::ContentsPage(), QString("TXViewer.htm"));
        THelpForm::Instance().ShowContents();
        ExpectPage("TXViewer.htm");
        QCOMPARE(Help()->windowTitle(), QString("Help - TXViewer.htm"));
    }

    void aMissingFolderOrPageIsSaidSo() {
        THelpForm::SetHelpFolder(QString());
        model::ShowHelp(model::kHelpOptions);
        QVERIFY(Help() && Help()->isVisible());
        QVERIFY(Help()->Browser->toPlainText().contains("The help pages were not found"));
        QVERIFY(Help()->Browser->toPlainText().contains("share/tessalundrix/help"));

        THelpForm::SetHelpFolder(FPages);
        QFile::rename(FPages + "/manual.htm", FPages + "/manual.away");
        model::ShowHelp(model::kHelpManual);
        QVERIFY(Help()->Browser->toPlainText().contains("manual.htm is missing"));
        QFile::rename(FPages + "/manual.away", FPages + "/manual.htm");
    }

    void theWindowStaysUsableBesideAModalDialog() {
        TOptionsForm options;
        QPointer<QWidget> parentWhileOpen;
        bool typed = false;
        WhenModal<TOptionsForm>([&](TOptionsForm* dialog) {
            dialog->Button3->click();
            // It joins the modal dialog, which blocks every other window.
            parentWhileOpen = Help() ? Help()->parentWidget() : nullptr;
            if (Help()) {
                QTest::keyClicks(Help()->FindEdit, "needle");
                typed = Help()->FindEdit->text() == "needle";
            }
            dialog->Button2->click();
        });
        options.Execute(0);
        QCOMPARE(parentWhileOpen.data(), static_cast<QWidget*>(&options));
        QVERIFY(typed);
        // The dialog has closed: the window is a window of its own again, still showing the page.
        ExpectPage("options.htm");
        QVERIFY(!Help()->parentWidget());
    }

    void webPagesGoToTheBrowserElseToTheHelpWindow() {
        TBrowserShell shell;
        platform::SetShell(&shell);
        shell.takes = true;
        OpenHelpPageInBrowser(model::kHelpFaqPage);
        QVERIFY(!Help());
        QCOMPARE(shell.pages, (std::vector<std::string>{(FPages + "/faq.htm").toStdString()}));

        shell.takes = false;
        OpenHelpPageInBrowser(model::kHelpSupportPage);
        ExpectPage("support.htm");
        platform::InstallQtShell();
    }

    void aboutNamesTheProgramAndItsVersion() {
        for (bool viewer : {false, true}) {
            listing::SetCurrentProfile(viewer ? listing::ViewerProfile() : listing::ExplorerProfile());
            TAboutForm about;
            const QString name = viewer ? "Tessalundrix Viewer" : "Tessalundrix Pro";
            QCOMPARE(about.windowTitle(), "About " + name);
            QVERIFY(about.NameLabel->text().contains(name));
            QVERIFY(about.NameLabel->text().contains("Version 3.1"));
            QVERIFY(!about.PurposeLabel->text().isEmpty());
            QVERIFY(!about.ProgramIcon->pixmap().isNull());
            WhenModal<TAboutForm>([](TAboutForm* w) { w->OKButton->click(); });
            QCOMPARE(about.exec(), int(QDialog::Accepted));
        }
    }
};

QTEST_MAIN(TestHelpForm)
#include "qtest_UHelpForm.moc"
