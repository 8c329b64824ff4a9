#include "mainwindow/UHelpForm.h"

#include "listing/UProgramProfile.h"
#include "model/UHelpContext.h"
#include "model/UPlainText.h"
#include "platform/PShell.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace mainwindow {

namespace {

QPointer<THelpForm>& TheWindow() {
    static QPointer<THelpForm> window;
    return window;
}

struct TFolderChoice {
    bool chosen = false;
    QString folder;
};

TFolderChoice& Folder() {
    static TFolderChoice choice;
    return choice;
}

QStringList Candidates() {
    QStringList folders;
    for (const std::string& f :
         model::HelpFolderCandidates(QCoreApplication::applicationDirPath().toStdString()))
        folders << QDir::cleanPath(QString::fromStdString(f));
    return folders;
}

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

THelpForm& THelpForm::Instance() {
    if (!TheWindow()) {
        TheWindow() = new THelpForm;
        // Centred on the screen of the window that asked, until the user moves it.
        const QWidget* active = QApplication::activeWindow();
        const QScreen* screen =
            active && active->screen() ? active->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect place = TheWindow()->frameGeometry();
            place.moveCenter(screen->availableGeometry().center());
            TheWindow()->move(place.topLeft());
        }
    }
    return *TheWindow();
}

THelpForm* THelpForm::Existing() {
    return TheWindow();
}

QString THelpForm::ContentsPage() {
    return QString::fromStdString(model::HelpContentsPage(listing::CurrentProfile().helpName));
}

QString THelpForm::HelpFolder() {
    TFolderChoice& choice = Folder();
    if (!choice.chosen) {
        choice.chosen = true;
        for (const QString& folder : Candidates())
            if (QFileInfo(folder + "/" + ContentsPage()).isFile()) {
                choice.folder = folder;
                break;
            }
    }
    return choice.folder;
}

void THelpForm::SetHelpFolder(const QString& folder) {
    Folder() = {true, folder};
}

QString THelpForm::PagePath(const QString& page) {
    const QString folder = HelpFolder();
    return folder.isEmpty() ? QString() : folder + "/" + page.section('#', 0, 0);
}

THelpForm::THelpForm() : QMainWindow(nullptr) {
    setObjectName("HelpForm");
    setAttribute(Qt::WA_DeleteOnClose);
    // An open help window does not keep the program running once its main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 600);

    Browser = new QTextBrowser(this);
    Browser->setObjectName("Browser");
    Browser->setOpenExternalLinks(true);
    setCentralWidget(Browser);

    auto* bar = addToolBar("Help");
    bar->setObjectName("HelpToolBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    BackAction =
        bar->addAction(QIcon::fromTheme("go-previous", style()->standardIcon(QStyle::SP_ArrowBack)), "&Back");
    BackAction->setShortcut(QKeySequence::Back);
    ForwardAction = bar->addAction(
        QIcon::fromTheme("go-next", style()->standardIcon(QStyle::SP_ArrowForward)), "&Forward");
    ForwardAction->setShortcut(QKeySequence::Forward);
    ContentsAction = bar->addAction(
        QIcon::fromTheme("go-home", style()->standardIcon(QStyle::SP_DirHomeIcon)), "&Contents");
    bar->addSeparator();
    auto* findLabel = new QLabel("F&ind: ", bar);
    FindEdit = new QLineEdit(bar);
    FindEdit->setObjectName("FindEdit");
    FindEdit->setClearButtonEnabled(true);
    FindEdit->setMaximumWidth(220);
    findLabel->setBuddy(FindEdit);
    bar->addWidget(findLabel);
    bar->addWidget(FindEdit);
    FindAction = bar->addAction(
        QIcon::fromTheme("edit-find", style()->standardIcon(QStyle::SP_FileDialogContentsView)),
        "Find &Next");
    FindAction->setShortcut(QKeySequence::FindNext);
    auto* focusFind = new QAction(this);
    focusFind->setShortcut(QKeySequence::Find);
    addAction(focusFind);
    BackAction->setEnabled(false);
    ForwardAction->setEnabled(false);

    FFindStatus = model::NewPlainLabel(this); // it quotes what was typed
    statusBar()->addWidget(FFindStatus, 1);

    connect(BackAction, &QAction::triggered, Browser, &QTextBrowser::backward);
    connect(ForwardAction, &QAction::triggered, Browser, &QTextBrowser::forward);
    connect(ContentsAction, &QAction::triggered, this, &THelpForm::ShowContents);
    connect(Browser, &QTextBrowser::backwardAvailable, BackAction, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardAction, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::sourceChanged, this, &THelpForm::UpdateTitle);
    connect(FindEdit, &QLineEdit::returnPressed, this, [this] { FindText(FindEdit->text()); });
    connect(FindAction, &QAction::triggered, this, [this] { FindText(FindEdit->text()); });
    connect(focusFind, &QAction::triggered, this, [this] {
        FindEdit->setFocus(Qt::ShortcutFocusReason);
        FindEdit->selectAll();
    });
    UpdateTitle();
}

void THelpForm::UpdateTitle() {
    // The desktop adds the program's name.
    const QString page = Browser->documentTitle();
    setWindowTitle(page.isEmpty() ? QStringLiteral("Help") : "Help - " + page);
}

void THelpForm::ShowPage(const QString& page) {
    FollowModal();
    const QString folder = HelpFolder();
    const QString path = PagePath(page);
    FFindStatus->clear();
    if (folder.isEmpty()) {
        QString html = "<h2>The help pages were not found</h2><p>They are looked for in:</p><ul>";
        for (const QString& candidate : Candidates())
            html += "<li><tt>" + Escaped(candidate) + "</tt></li>";
        html += "</ul><p>Reinstall the program, or run it from its build folder.</p>";
        Browser->setHtml(html);
    } else if (!QFileInfo(path).isFile()) {
        Browser->setHtml("<h2>Page not found</h2><p>The page <tt>" + Escaped(page.section('#', 0, 0)) +
                         "</tt> is missing from <tt>" + Escaped(folder) + "</tt>.</p>");
    } else {
        QUrl url = QUrl::fromLocalFile(path);
        const QString anchor = page.section('#', 1);
        if (!anchor.isEmpty()) url.setFragment(anchor);
        Browser->setSource(url);
    }
    UpdateTitle();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void THelpForm::ShowContext(int context) {
    const std::string page = model::HelpPageOfContext(context);
    ShowPage(page.empty() ? ContentsPage() : QString::fromStdString(page));
}

void THelpForm::ShowContents() {
    ShowPage(ContentsPage());
}

QString THelpForm::CurrentPage() const {
    return Browser->source().isLocalFile() ? QFileInfo(Browser->source().toLocalFile()).fileName()
                                           : QString();
}

bool THelpForm::FindText(const QString& text) {
    if (text.isEmpty()) {
        FFindStatus->clear();
        return false;
    }
    bool found = Browser->find(text);
    if (!found) {
        // From the top once more, so that Find Next goes round the page.
        QTextCursor cursor = Browser->textCursor();
        cursor.movePosition(QTextCursor::Start);
        Browser->setTextCursor(cursor);
        found = Browser->find(text);
    }
    FFindStatus->setText(found ? QString() : "\"" + text + "\" is not on this page.");
    return found;
}

void THelpForm::FollowModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this) modal = nullptr;
    if (modal == FModal && parentWidget() == modal) return;
    LeaveModal();
    if (!modal) return;
    const bool shown = isVisible();
    const QRect place = geometry();
    setParent(modal, windowFlags() | Qt::Window);
    if (shown) {
        setGeometry(place);
        show();
    }
    FModal = modal;
    modal->installEventFilter(this);
}

void THelpForm::LeaveModal() {
    if (FModal) FModal->removeEventFilter(this);
    FModal = nullptr;
    if (!parentWidget()) return;
    const bool shown = isVisible();
    const QRect place = geometry();
    setParent(nullptr, windowFlags() | Qt::Window);
    if (shown) {
        setGeometry(place);
        show();
    }
}

bool THelpForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FModal && event->type() == QEvent::Hide) {
        // Out before the dialog goes (it may be destroyed as soon as it is hidden); then with the
        // dialog below it, when that one is modal too.
        LeaveModal();
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) FollowModal();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void InstallHelp() {
    model::SetHelpHandler([](int context) { THelpForm::Instance().ShowContext(context); });
}

void OpenHelpPageInBrowser(const QString& page) {
    const QString path = THelpForm::PagePath(page);
    if (!path.isEmpty() && QFileInfo(path).isFile() && platform::Shell().OpenInBrowser(path.toStdString()))
        return;
    THelpForm::Instance().ShowPage(page);
}

} // namespace mainwindow
