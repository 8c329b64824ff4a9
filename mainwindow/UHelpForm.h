// The program's help window: the HTML pages shipped with the program, in a browser with Back,
// Forward, Contents and Find. One window per program, made at the first request and raised at the
// next; the Help buttons of every dialog reach it through model::ShowHelp once InstallHelp ran.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;

namespace mainwindow {

class THelpForm : public QMainWindow {
    Q_OBJECT
public:
    // The program's help window, made when there is none (it deletes itself when closed).
    static THelpForm& Instance();
    // The window when it exists, else nullptr.
    [[nodiscard]] static THelpForm* Existing();

    // The folder of the pages: the first of model::HelpFolderCandidates (the program's folder)
    // that holds the program's contents page, looked up once; empty when none does. Tests set it.
    [[nodiscard]] static QString HelpFolder();
    static void SetHelpFolder(const QString& folder);
    // The full path of a page of the help folder; empty when there is no help folder.
    [[nodiscard]] static QString PagePath(const QString& page);
    // The program's contents page ("TessalundrixPro.htm", "TXViewer.htm").
    [[nodiscard]] static QString ContentsPage();

    // Show a page (a file name of the help folder, optionally with "#anchor"), raise the window.
    void ShowPage(const QString& page);
    void ShowContext(int context); // the page of a context number; the contents for an unknown one
    void ShowContents();
    // The file name of the page shown ("analyser.htm"); empty when none.
    [[nodiscard]] QString CurrentPage() const;
    // Finds text from the cursor on, starting again at the top once; false when it is nowhere.
    bool FindText(const QString& text);

    QTextBrowser* Browser;
    QAction* BackAction;
    QAction* ForwardAction;
    QAction* ContentsAction;
    QAction* FindAction;
    QLineEdit* FindEdit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    THelpForm();
    // A modal dialog blocks every other window but its own: the help window joins the dialog that
    // asked for it and leaves it before the dialog goes.
    void FollowModal();
    void LeaveModal();
    void UpdateTitle();

    QPointer<QWidget> FModal;
    QLabel* FFindStatus;
};

// Makes the help window answer model::ShowHelp in this program.
void InstallHelp();

// The Help menu's web pages: the page in the desktop's web browser (platform shell), in the help
// window when no browser takes it.
void OpenHelpPageInBrowser(const QString& page);

} // namespace mainwindow
