#include "mainwindow/UAboutForm.h"

#include "listing/UProgramProfile.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#ifndef TX_VERSION
#define TX_VERSION "3.1"
#endif

namespace mainwindow {

namespace {

QString Purpose(const std::string& program) {
    if (program == "TXViewer")
        return "Opens Tessalundrix exploration files (.txf), written by Tessalundrix Pro, by this viewer "
               "or by the console scanner txscan, and shows them in the same tree, lists, File Lister, "
               "Analyser and exports as the explorer. Loaded items can be saved together into a new "
               "exploration file.";
    return "Explores the mounted file systems, folders and network shares of this computer and shows "
           "where the space goes: sizes, file and folder counts and dates of every folder, lists of "
           "files, charts and tables in the Analyser, exports to text and spreadsheet files, and "
           "exploration files (.txf) to look at later in Tessalundrix Viewer.";
}

} // namespace

QString ProgramVersion() {
    return QStringLiteral(TX_VERSION);
}

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner) {
    const listing::TProgramProfile& profile = listing::CurrentProfile();
    const QString title = QString::fromStdString(profile.title);
    setObjectName("AboutForm");
    setWindowTitle("About " + title);

    ProgramIcon = new QLabel(this);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon::fromTheme("drive-harddisk", style()->standardIcon(QStyle::SP_DriveHDIcon));
    QPixmap picture = icon.pixmap(48, 48);
    // A theme with small sizes only: the picture is enlarged rather than left tiny.
    if (!picture.isNull() && picture.width() < 48)
        picture = picture.scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ProgramIcon->setPixmap(picture);
    ProgramIcon->setAlignment(Qt::AlignTop);

    NameLabel =
        new QLabel("<b><big>" + title.toHtmlEscaped() + "</big></b><br>Version " + ProgramVersion(), this);
    NameLabel->setTextFormat(Qt::RichText);
    PurposeLabel = new QLabel(Purpose(profile.programName), this);
    PurposeLabel->setWordWrap(true);
    PurposeLabel->setMinimumWidth(340);
    auto* helpHint = new QLabel("Help > Contents describes every window and command.", this);
    helpHint->setWordWrap(true);

    OKButton = new QPushButton("OK", this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(NameLabel);
    texts->addSpacing(6);
    texts->addWidget(PurposeLabel);
    texts->addWidget(helpHint);
    auto* body = new QHBoxLayout;
    body->addWidget(ProgramIcon, 0, Qt::AlignTop);
    body->addSpacing(10);
    body->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    auto* top = new QVBoxLayout(this);
    top->addLayout(body);
    top->addSpacing(8);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace mainwindow
