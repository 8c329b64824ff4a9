#include "model/UScanProgressForm.h"

#include "model/UBusyCursor.h"
#include "model/UConvertHelp.h"
#include "model/UDisplayText.h"
#include "model/UPlainText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace model {

QString DisplayName(const std::string& bytes) {
    return QString::fromStdString(DisplayUtf8(bytes));
}

TScanProgressForm::TScanProgressForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Exploring...");
    setFixedSize(585, 125);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(8, 8, 569, 72);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Panel1->setPalette(white);
    Label1 = new QLabel("Reading drive information. Please wait ...", Panel1);
    Label1->setGeometry(8, 6, 553, 16);
    FolderLabel = NewPlainLabel(Panel1);
    FolderLabel->setGeometry(8, 28, 553, 16);
    TotalLabel = new QLabel(Panel1);
    TotalLabel->setGeometry(8, 50, 553, 16);
    CancelButton = new QPushButton("&Cancel", this);
    CancelButton->setGeometry(255, 90, 75, 25);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &TScanProgressForm::CancelButtonClick);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TScanProgressForm::Timer1Timer);
}

void TScanProgressForm::Install(QWidget* owner) {
    QPointer<QWidget> parent(owner);
    SetScanProgressFactory([parent]() -> std::unique_ptr<TScanProgress> {
        return std::make_unique<TScanProgressForm>(parent.data());
    });
    SetBusyCursorHook([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void TScanProgressForm::Run(const std::function<void()>& callback) {
    FCallback = &callback;
    FStarted = false;
    CancelButton->setEnabled(true);
    exec();
    FCallback = nullptr;
}

void TScanProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FStarted && !Timer1->isActive()) Timer1->start();
}

void TScanProgressForm::Timer1Timer() {
    Timer1->stop();
    if (FStarted || Cancelled() || !FCallback) return;
    FStarted = true;
    CancelButton->setEnabled(true);
    setCursor(Qt::WaitCursor);
    Panel1->setCursor(Qt::WaitCursor);
    try {
        StartCallback(*FCallback);
    } catch (...) {
        unsetCursor();
        Panel1->unsetCursor();
        QDialog::done(0);
        throw;
    }
    unsetCursor();
    Panel1->unsetCursor();
    QDialog::done(0);
}

void TScanProgressForm::ShowCaption(const std::string& caption) {
    SetPlainWindowTitle(*this, DisplayName(caption));
}

void TScanProgressForm::ShowLabels() {
    // Before the exploration starts both lines are empty.
    FolderLabel->setText(Running() ? FittedPath(CurrentFolder()) : QString());
    TotalLabel->setText(Running() ? QString::fromStdString(TotalText()) : QString());
    FolderLabel->repaint();
    TotalLabel->repaint();
}

QString TScanProgressForm::FittedPath(const std::string& path) const {
    // The folder being read is the path's end: it must show, however narrow the font leaves the line.
    const QFontMetrics metrics(FolderLabel->font());
    const int room = FolderLabel->contentsRect().width();
    return QString::fromStdString(FitPath(path, [&](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text)) <= room;
    }));
}

void TScanProgressForm::Pump() {
    QCoreApplication::processEvents();
}

void TScanProgressForm::CancelBeforeStart() {
    Cancel();
    Timer1->stop();
    QDialog::done(0);
}

void TScanProgressForm::CancelButtonClick() {
    if (!FStarted) return CancelBeforeStart();
    Cancel();
    CancelButton->setEnabled(false);
    repaint();
}

void TScanProgressForm::reject() {
    if (Running()) return CancelButtonClick(); // closes when the exploration returns
    if (!FStarted) return CancelBeforeStart();
    QDialog::reject();
}

void TScanProgressForm::closeEvent(QCloseEvent* event) {
    if (Running()) {
        CancelButtonClick();
        event->ignore();
        return;
    }
    if (!FStarted) {
        event->ignore();
        CancelBeforeStart();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace model
