#include "model/UProgressForm.h"

#include "model/UPlainText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace model {

TProgressForm::TProgressForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Progress...");
    setFixedSize(409, 125);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, 409, 125);
    // The lines name the file being written.
    Label1 = NewPlainLabel(Panel1);
    Label1->setGeometry(12, 8, 385, 16);
    Label2 = NewPlainLabel(Panel1);
    Label2->setGeometry(12, 28, 385, 16);
    Gauge1 = new QProgressBar(Panel1);
    Gauge1->setGeometry(12, 52, 385, 20);
    Gauge1->setTextVisible(true);
    Gauge1->setFormat("%p%");
    Gauge1->setRange(0, TProgressManager::kGaugeMax);
    Gauge1->setValue(0);
    CancelButton = new QPushButton("&Cancel", Panel1);
    CancelButton->setGeometry(167, 86, 75, 25);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &TProgressForm::CancelButtonClick);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(150);
    connect(Timer1, &QTimer::timeout, this, &TProgressForm::Timer1Timer);
}

void TProgressForm::SetCaptions(const QString& caption, const QString& line1, const QString& line2) {
    setWindowTitle(caption);
    Label1->setText(line1);
    Label2->setText(line2);
}

int TProgressForm::Execute(TCallback callback) {
    // One range whether the operation's SetMax came before this call or comes after it.
    Gauge1->setRange(0, TProgressManager::kGaugeMax);
    FCallback = std::move(callback);
    FRunning = false;
    FStarted = false;
    FCancelled = false;
    FResult = kResultCancelled;
    CancelButton->setEnabled(true);
    return exec();
}

void TProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FStarted && !Timer1->isActive()) Timer1->start();
}

void TProgressForm::Timer1Timer() {
    Timer1->stop();
    if (FStarted || FCancelled) return;
    FStarted = true;
    FRunning = true;
    CancelButton->setEnabled(true);
    setCursor(Qt::WaitCursor);
    Panel1->setCursor(Qt::WaitCursor);
    try {
        if (FCallback) FCallback(*this);
    } catch (...) {
        FRunning = false;
        unsetCursor();
        Panel1->unsetCursor();
        done(kResultCancelled);
        throw;
    }
    unsetCursor();
    Panel1->unsetCursor();
    FRunning = false;
    done(FResult);
}

void TProgressForm::SetGaugeMax(int max) {
    Gauge1->setRange(0, max <= 0 ? 1 : max);
}

void TProgressForm::SetPosition(int position) {
    Gauge1->setValue(std::min(position, Gauge1->maximum()));
    Pump();
}

void TProgressForm::Pump() {
    QCoreApplication::processEvents();
}

void TProgressForm::CancelBeforeStart() {
    FCancelled = true;
    Timer1->stop();
    FResult = kResultCancelled;
    QDialog::done(kResultCancelled);
}

void TProgressForm::CancelButtonClick() {
    if (!FStarted) return CancelBeforeStart();
    FCancelled = true;
    CancelButton->setEnabled(false);
    repaint();
}

void TProgressForm::reject() {
    if (FRunning) return CancelButtonClick(); // the window closes when the work returns
    if (!FStarted) return CancelBeforeStart();
    QDialog::reject();
}

void TProgressForm::closeEvent(QCloseEvent* event) {
    if (FRunning) {
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
