#include "model/UScanProgressForm.h"

#include "model/UBusyCursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringDecoder>
#include <QTimer>

namespace model {

QString DisplayName(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    // Windows-1252: Latin-1 apart from 0x80..0x9F.
    static const char16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char c : bytes)
        out += c >= 0x80 && c < 0xA0 ? QChar(k80[c - 0x80]) : QChar(c);
    return out;
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
    FolderLabel = new QLabel(Panel1);
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
    setWindowTitle(DisplayName(caption));
}

void TScanProgressForm::ShowLabels() {
    // Before the exploration starts both lines are empty.
    FolderLabel->setText(Running() ? DisplayName(CurrentFolder()) : QString());
    TotalLabel->setText(Running() ? QString::fromStdString(TotalText()) : QString());
    FolderLabel->repaint();
    TotalLabel->repaint();
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
