// The explorer's window on a drive whose server stops answering (the tests' FUSE file system, a
// fixed drive with real icons on): walking My Computer, cancelling, browsing what was explored,
// deleting, typing a path, saving, and a drive whose statfs alone does not answer. In each, the
// window's event loop answers a timer within 100 ms while the server holds the call, and once the
// server answers the window shows what it shows for a drive that answers.
#include "HungWindow.h"
#include "ModalHelper.h"
#include "export/UFileLister.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UMainForm.h"
#include "mainwindow/UManualScanForm.h"
#include "model/UIconManager.h"
#include "model/UProgressForm.h"
#include "model/UScanProgressForm.h"
#include "platform/PIconRegistry.h"
#include "platform/PMounts.h"
#include "platform/PQtShell.h"
#include "platform/PShell.h"
#include "tests/support/THangFs.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstring>
#include <memory>
#include <mutex>

using namespace mainwindow;
using namespace model;
using txtest::THangFs;
using txtest::TWatchdog;

namespace {

const std::vector<THangFs::TEntry> kTree = {THangFs::File("/a/b/one.txt", 10),
                                            THangFs::File("/a/two.txt", 20), THangFs::File("/a/data", 30),
                                            THangFs::File("/c/three.dat", 40), THangFs::File("/top.txt", 50)};

// A trash that takes everything, and remembers what.
class TTakeAllTrash : public exportdata::TFileTrash {
public:
    bool MoveToTrash(const std::string& path, std::string&) override {
        std::lock_guard hold(FLock);
        FMoved.push_back(path);
        return true;
    }
    std::vector<std::string> Moved() {
        std::lock_guard hold(FLock);
        return FMoved;
    }

private:
    std::mutex FLock;
    std::vector<std::string> FMoved;
};

// The rows shown ("Unexplored" for the placeholder), in name order: the list's order is its sort's.
QStringList RowNames(const TMainForm& form) {
    QStringList names;
    for (const TItem* item : form.ShownItems())
        names << (item ? QString::fromStdString(item->NameString()) : QString("Unexplored"));
    names.sort();
    return names;
}

QImage Image16(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class TestHungDrive : public QObject {
    Q_OBJECT

    QTemporaryDir FConfig;
    std::unique_ptr<THangFs> FFs;
    std::unique_ptr<TMainForm> FForm;
    std::vector<std::string> FMessages;
    TTakeAllTrash FTrash;

    // A new fixture and a window that lists it among its drives.
    void Start() {
        FForm.reset();
        FFs = std::make_unique<THangFs>(kTree);
        if (!FFs->Mounted())
            QSKIP(qPrintable("no hanging file system: " + QString::fromStdString(FFs->SkipReason())));
        FForm = std::make_unique<TMainForm>();
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.startupTip = [] {};
        hooks.closeAnswer = [] { return TCloseAnswer::No; };
        FForm->SetDialogHooks(hooks);
        FForm->SetTrash(&FTrash);
        TScanProgressForm::Install(FForm.get());
        FForm->ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        QTRY_VERIFY(FForm->StartupDone());
        FMessages.clear();
        QVERIFY(Drive());
    }

    [[nodiscard]] TDriveItem* Drive() const {
        TComputerRootItem* computer = FForm->RootItem()->ComputerRoot();
        const int index = computer ? computer->FindDrive(FFs->MountPoint()) : -1;
        return index < 0 ? nullptr : static_cast<TDriveItem*>(computer->Child(index));
    }

    void SelectInTree(TFolderItem* item) {
        FForm->TreeView->setFocus();
        QTreeWidgetItem* node = FForm->NodeOf(item);
        QVERIFY(node);
        FForm->TreeView->setCurrentItem(node);
    }

    // The drive explored while it answers.
    void ExploreDrive() {
        SelectInTree(Drive());
        FForm->RefreshExplore1Click();
        QTRY_VERIFY(Drive()->IsExplored());
    }

    void WhenHeld(std::function<void()> act) { txtest::WhenHeld(*FFs, FForm.get(), std::move(act)); }

    void AnswersWhileHeld(const char* what, const std::function<void()>& action, qint64* returnedAfter = nullptr) {
        txtest::AnswersWhileHeld(*FFs, what, action, returnedAfter);
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
        platform::InstallQtShell();
        IconManager().Init();
        listing::SetCurrentProfile(listing::ExplorerProfile());
    }

    void cleanup() {
        FForm.reset();
        if (FFs) FFs->Release();
        FFs.reset();
    }

    // Walking My Computer: selecting the drive, opening its node, exploring it.
    void walkingPastAHungDrive() {
        Start();
        QVERIFY(IconManager().UseRealIcons(Drive()->GetDriveKind()));
        QVERIFY(FFs->Block(THangFs::kOpendir | THangFs::kReaddir, "/"));
        TWatchdog watchdog(*FFs, 8000);
        AnswersWhileHeld("selecting the drive", [&] { SelectInTree(Drive()); });
        QTRY_VERIFY(FFs->Held() >= 1);
        QCOMPARE(RowNames(*FForm), QStringList()); // no rows yet
        Shot(FForm.get(), "hung_drive_waiting");
        AnswersWhileHeld("opening its node", [&] { FForm->NodeOf(Drive())->setExpanded(true); });
        WhenModal<TScanProgressForm>([](TScanProgressForm* w) { w->CancelButton->click(); });
        AnswersWhileHeld("exploring it (Ctrl+R) and cancelling", [&] { FForm->RefreshExplore1Click(); });
        QVERIFY(!Drive()->IsExplored());
        QVERIFY(FFs->Release());
        // What a drive that answers shows: the placeholder and the subfolders, the nodes with
        // expand buttons where they have subfolders.
        QTRY_COMPARE(RowNames(*FForm), QStringList({"Unexplored", "a", "c"}));
        QTreeWidgetItem* node = FForm->NodeOf(Drive());
        QCOMPARE(node->childCount(), 2);
        QTRY_COMPARE(node->child(0)->childCount(), 1); // a holds b
        QTRY_COMPARE(node->child(1)->childCount(), 0); // c nothing: no expand button once listed
        Shot(FForm.get(), "hung_drive_answered");
        QVERIFY(FMessages.empty());
    }

    // After Cancel the cleared drive is listed again without holding the window.
    void cancelWhileTheDriveHangs() {
        Start();
        SelectInTree(Drive());
        QTRY_COMPARE(RowNames(*FForm), QStringList({"Unexplored", "a", "c"}));
        QVERIFY(FFs->Block(THangFs::kAll));
        TWatchdog watchdog(*FFs, 8000);
        QElapsedTimer clock;
        qint64 cancelledAt = -1;
        WhenModal<TScanProgressForm>([&](TScanProgressForm* w) {
            WhenHeld([&, w] {
                cancelledAt = clock.elapsed();
                w->CancelButton->click();
            });
        });
        qint64 returned = -1;
        clock.start();
        AnswersWhileHeld(
            "exploring and cancelling", [&] { FForm->RefreshExplore1Click(); }, &returned);
        QVERIFY(cancelledAt >= 0);
        qInfo("back %lld ms after Cancel", returned - cancelledAt);
        QVERIFY2(returned - cancelledAt < 100, "the window was held after Cancel");
        QCOMPARE(RowNames(*FForm), QStringList()); // listed again: waiting
        AnswersWhileHeld("the window after Cancel", [] {});
        QVERIFY(FFs->Release());
        QTRY_COMPARE(RowNames(*FForm), QStringList({"Unexplored", "a", "c"}));
    }

    // Browsing what was explored: the rows come at once, their own icons when the server answers;
    // the File Lister too.
    void browsingAnExploredHungDrive() {
        Start();
        ExploreDrive();
        auto* a = static_cast<TFolderItem*>(Drive()->FindChild("a"));
        QVERIFY(a);
        FForm->NodeOf(Drive())->setExpanded(true);
        QVERIFY(FFs->Block(THangFs::kStat | THangFs::kOpen | THangFs::kRead));
        TWatchdog watchdog(*FFs, 8000);
        AnswersWhileHeld("showing a folder's files", [&] {
            SelectInTree(a);
            FForm->ListView->viewport()->repaint(); // the rows are painted: their icons are asked for
        });
        QCOMPARE(RowNames(*FForm), QStringList({"b", "data", "two.txt"}));
        QTRY_VERIFY(FFs->Held() >= 1);
        WhenModal<exportdata::TFileListerForm>([](exportdata::TFileListerForm* w) {
            const txtest::TCloseOnFailure closing(w);
            QTRY_COMPARE(w->Lister().RowCount(), 3);
            w->ListView->viewport()->repaint();
            w->close();
        });
        AnswersWhileHeld("the File Lister", [&] { FForm->FileToolButtonClick(); });
        QVERIFY(FFs->Release());
        // Each row takes the icon the shell gives the file itself.
        for (const char* name : {"data", "two.txt"}) {
            TItem* file = a->FindChild(name);
            std::string typeName;
            const QImage own = Image16(
                platform::IconRegistry().Icon(platform::Shell().PathIcon(file->GetPath(), false, typeName)));
            QTRY_COMPARE(Image16(platform::IconRegistry().Icon(file->IconIndex())), own);
        }
    }

    // Delete -> Yes: the check and the move wait on a worker; a check that does not answer within
    // the time limit is a file that cannot be accessed.
    void deletingOnAHungDrive() {
        Start();
        ExploreDrive();
        auto* a = static_cast<TFolderItem*>(Drive()->FindChild("a"));
        FForm->NodeOf(Drive())->setExpanded(true);
        SelectInTree(a);
        auto selectRow = [&](const char* name) {
            FForm->ListView->setFocus();
            const int row = FForm->FindListItem(a->FindChild(name));
            QVERIFY(row >= 0);
            FForm->ListView->selectionModel()->setCurrentIndex(FForm->ListView->model()->index(row, 0),
                                                               QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
        };
        selectRow("two.txt");
        QVERIFY(FFs->Block(THangFs::kStat, "/a/two.txt"));
        {
            TWatchdog watchdog(*FFs, 8000);
            WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
            AnswersWhileHeld("Delete -> Yes", [&] { FForm->Delete1Click(); });
            QVERIFY(a->FindChild("two.txt")); // still there while the server holds the check
            QTRY_VERIFY(FFs->Held() >= 1);
            QVERIFY(FFs->Release());
            QTRY_VERIFY(!a->FindChild("two.txt"));
        }
        QCOMPARE(FTrash.Moved(), std::vector<std::string>{FFs->Path("/a/two.txt")});
        QVERIFY(FMessages.empty());

        // Not answered within the limit: not moved, and said.
        selectRow("data");
        QVERIFY(FFs->Block(THangFs::kStat, "/a/data"));
        TWatchdog watchdog(*FFs, 8000);
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        AnswersWhileHeld("Delete -> Yes, no answer", [&] { FForm->Delete1Click(); });
        QTRY_COMPARE_WITH_TIMEOUT(FMessages.size(), std::size_t(1), platform::kSpaceTimeLimitMs + 3000);
        QCOMPARE(FMessages.front(), "Error: Some items could not be moved to the trash:\n\r" +
                                        FFs->Path("/a/data") + ": " + std::strerror(ETIMEDOUT));
        QVERIFY(a->FindChild("data"));
        QCOMPARE(FTrash.Moved().size(), std::size_t(1));
    }

    // Manual Exploration: the path check waits on a worker, the dialog goes on.
    void typingAPathOnAHungDrive() {
        Start();
        for (const bool answers : {true, false}) {
            const std::string folder = answers ? "/a" : "/c";
            QVERIFY(FFs->Block(THangFs::kStat, folder));
            TWatchdog watchdog(*FFs, 8000);
            TManualScanForm form;
            std::vector<std::string> messages;
            form.SetMessageHook([&](const std::string& text, const std::string& caption) {
                messages.push_back(caption + ": " + text);
            });
            WhenModal<TManualScanForm>([&](TManualScanForm* w) {
                const txtest::TCloseOnFailure closing(w);
                w->PathEdit->setText(QString::fromStdString(FFs->Path(folder)));
                AnswersWhileHeld("checking a typed path", [&] { w->Button1->click(); });
                QVERIFY(w->isVisible());
                Shot(w, answers ? "manual_checking" : "manual_checking_no_answer");
                if (answers) {
                    QVERIFY(FFs->Release());
                } else {
                    // No answer within the limit: the path cannot be found; the dialog stays.
                    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), std::size_t(1),
                                              platform::kSpaceTimeLimitMs + 3000);
                    QVERIFY(messages.front().starts_with("Invalid Path: Unable to find this path!"));
                    QVERIFY(w->isVisible());
                    w->Button2->click();
                }
            });
            const int result = form.Execute(false);
            QCOMPARE(result, int(answers ? QDialog::Accepted : QDialog::Rejected));
            if (answers) QCOMPARE(form.GetPathText(), FFs->Path(folder));
            QVERIFY(FFs->Release());
        }
    }

    // Save Exploration: the target's folder is asked on a worker under the save's window.
    void savingOnAHungDrive() {
        Start();
        ExploreDrive();
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.saveChoice = [](bool, const std::string&, bool& selectedOnly) {
            selectedOnly = false;
            return true;
        };
        hooks.saveFileName = [this] { return FFs->Path("/a/saved.txf"); };
        FForm->SetDialogHooks(hooks);
        QVERIFY(FFs->Block(THangFs::kStat, "/a"));
        TWatchdog watchdog(*FFs, 8000);
        WhenModal<TProgressForm>([this](TProgressForm*) {
            WhenHeld([this] {
                AnswersWhileHeld("the save's window", [] {});
                QVERIFY(FFs->Release());
            });
        });
        AnswersWhileHeld("Save Exploration", [&] { FForm->Saveas1Click(); });
        // The server answers: the file system takes no new file, as the save then says.
        QTRY_COMPARE(FMessages, std::vector<std::string>{"Error: An error as occured while saving."});
    }

    // A drive whose statfs alone does not answer is explored within the time limit.
    void exploringWhenOnlyTheStatfsHangs() {
        Start();
        QVERIFY(FFs->Block(THangFs::kStatfs));
        TWatchdog watchdog(*FFs, 20000);
        AnswersWhileHeld("selecting the drive", [&] { SelectInTree(Drive()); });
        QTRY_COMPARE(RowNames(*FForm), QStringList({"Unexplored", "a", "c"}));
        AnswersWhileHeld("exploring it", [&] { FForm->RefreshExplore1Click(); });
        QTRY_VERIFY_WITH_TIMEOUT(Drive()->IsExplored(), platform::kSpaceTimeLimitMs + 5000);
        QCOMPARE(Drive()->GetFileCount(), std::int64_t(5));
        QCOMPARE(RowNames(*FForm), QStringList({"a", "c", "top.txt"}));
        QVERIFY(FFs->Release());
    }
};

QTEST_MAIN(TestHungDrive)
#include "hang_qtest_UMainForm.moc"
