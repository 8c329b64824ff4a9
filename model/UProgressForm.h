// The modal gauge window that runs one long operation: shown, it starts the operation from a
// one-shot timer, shows its steps in thousandths and carries the cancel flag. The operation reaches
// it through ProgressManager (UProgressManager.h).
#pragma once

#include "model/UProgressManager.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QFrame;

namespace model {

class TProgressForm : public QDialog, public TProgressView {
    Q_OBJECT
public:
    using TCallback = std::function<void(TProgressForm&)>;
    // Modal results.
    static constexpr int kResultDone = 1;
    static constexpr int kResultCancelled = 2;

    explicit TProgressForm(QWidget* owner = nullptr);

    void SetCaptions(const QString& caption, const QString& line1, const QString& line2);
    // Shows the window modally, runs callback once it is shown, and gives the result the callback
    // set (kResultCancelled when it set none, or when the window was cancelled before it started).
    int Execute(TCallback callback);

    void SetGaugeMax(int max) override;
    void SetPosition(int position) override;
    void Pump() override;
    [[nodiscard]] bool Cancelled() const override { return FCancelled; }
    void SetResult(int result) override { FResult = result; }
    [[nodiscard]] bool Running() const { return FRunning; }

    QProgressBar* Gauge1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* CancelButton;
    QFrame* Panel1;
    QTimer* Timer1;

public slots:
    void reject() override; // Escape

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer1Timer();
    void CancelButtonClick();
    // A cancel before the timer ran ends the window without running the work.
    void CancelBeforeStart();

    TCallback FCallback;
    int FResult = kResultCancelled;
    bool FCancelled = false;
    bool FRunning = false;
    bool FStarted = false;
};

} // namespace model
