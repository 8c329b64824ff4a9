// The viewer's window and a folder of this computer whose server stops answering (the tests' FUSE
// file system): what the frame it shares with the explorer asks of the file system (the folder for
// the file manager, the target of a save) waits on a worker, and the window goes on answering.
#include "../mainwindow/HungWindow.h"
#include "../mainwindow/ModalHelper.h"
#include "../platform/FakeDesktopOpener.h"
#include "TxfFixture.h"

#include "listing/UColumn.h"
#include "model/UIconManager.h"
#include "model/UProgressForm.h"
#include "platform/PQtShell.h"
#include "viewer/UMainForm.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace viewer;
using txtest::THangFs;
using txtest::TWatchdog;

class TestViewerHungFolder : public QObject {
    Q_OBJECT

    QTemporaryDir FConfig;
    txftest::TTempDir FFiles;
    std::unique_ptr<THangFs> FFs;
    std::unique_ptr<TMainForm> FForm;
    std::vector<std::string> FMessages;

    // A file that holds the fixture's root as a folder of this computer, loaded in a new window.
    void Start() {
        FFs = std::make_unique<THangFs>(std::vector<THangFs::TEntry>{THangFs::File("/a/one.txt", 10)});
        if (!FFs->Mounted()) QSKIP(qPrintable("no hanging file system: " + QString::fromStdString(FFs->SkipReason())));
        const std::string desc = "{\"body\":[{\"t\":\"root\",\"name\":\"r\",\"children\":[{\"t\":\"path\","
                                 "\"name\":\"here\",\"path\":\"" +
                                 FFs->MountPoint() +
                                 "\",\"explored\":1,\"children\":[{\"t\":\"file\",\"name\":\"a.txt\","
                                 "\"size\":5}]}]}]}";
        const std::string file = txftest::Generate(FFiles, desc, "hung.txf");
        QVERIFY(!file.empty());
        FForm = std::make_unique<TMainForm>();
        FForm->SetArguments({QString::fromStdString(file)});
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption, int) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.saveChoice = [](bool, const std::string&, bool& selectedOnly) {
            selectedOnly = false;
            return true;
        };
        hooks.saveFileName = [this] { return FFs->Path("/a/saved.txf"); };
        hooks.startupTip = [] {};
        FForm->SetDialogHooks(hooks);
        FForm->ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        QTRY_VERIFY(FForm->StartupDone());
        QVERIFY(Folder());
    }

    [[nodiscard]] model::TFolderItem* Folder() const {
        auto* file = FForm->RootItem()->ChildCount() > 0 ? dynamic_cast<model::TFolderItem*>(FForm->RootItem()->Child(0))
                                                         : nullptr;
        return file && file->ChildCount() > 0 ? dynamic_cast<model::TFolderItem*>(file->Child(0)) : nullptr;
    }

    void AnswersWhileHeld(const char* what, const std::function<void()>& action, qint64* returnedAfter = nullptr) {
        txtest::AnswersWhileHeld(*FFs, what, action, returnedAfter);
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
        platform::InstallQtShell();
        model::IconManager().Init();
        viewer::InstallViewerProfile();
        (void)listing::ColumnCatalogue();
    }

    void cleanup() {
        FForm.reset();
        if (FFs) FFs->Release();
        FFs.reset();
    }

    void theFileManagerAsksTheFolderOnAWorker() {
        TFakeOpener opener;
        platform::SetDesktopOpener(&opener);
        Start();
        FForm->TreeView->setFocus();
        FForm->TreeView->setCurrentItem(FForm->NodeOf(Folder()));
        QVERIFY(FFs->Block(THangFs::kGetattr, "/"));
        {
            TWatchdog watchdog(*FFs, 8000);
            AnswersWhileHeld("the file manager", [&] { FForm->ExpToolButtonClick(); });
            QTRY_VERIFY(FFs->Held() >= 1);
            QVERIFY(opener.paths.empty());
            QVERIFY(FFs->Release());
            QTRY_COMPARE(opener.paths, std::vector<std::string>{FFs->MountPoint() + "/"});
        }
        QTRY_COMPARE(opener.answered, 1);
        QVERIFY(FMessages.empty());
        platform::SetDesktopOpener(nullptr);
    }

    void aSavesTargetIsAskedOnAWorker() {
        Start();
        QVERIFY(FFs->Block(THangFs::kStat, "/a"));
        TWatchdog watchdog(*FFs, 8000);
        WhenModal<model::TProgressForm>([this](model::TProgressForm*) {
            txtest::WhenHeld(*FFs, FForm.get(), [this] {
                AnswersWhileHeld("the save's window", [] {});
                QVERIFY(FFs->Release());
            });
        });
        AnswersWhileHeld("Save", [&] { FForm->SaveAllfilesin1files1Click(); });
        // The server answers: its file system takes no new file, as the save then says.
        QTRY_COMPARE(FMessages, std::vector<std::string>{"Error: An error as occured while saving."});
    }
};

QTEST_MAIN(TestViewerHungFolder)
#include "hang_qtest_UMainForm.moc"
