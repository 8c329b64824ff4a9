// The exploring window: runs an exploration from a one-shot timer once shown, shows the folder
// being read and the running total of files and bytes, and carries the cancel flag that the
// exploration polls. Its state and throttling live in TScanProgress; this class only shows them.
#pragma once

#include "model/UScanProgress.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace model {

class TScanProgressForm : public QDialog, public TScanProgress {
    Q_OBJECT
public:
    explicit TScanProgressForm(QWidget* owner = nullptr);

    void Pump() override;

    // Makes every exploration open this window (owner: the windows' parent, may be nullptr), and
    // the model's busy work show the wait cursor.
    static void Install(QWidget* owner = nullptr);

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* FolderLabel;
    QLabel* TotalLabel;
    QPushButton* CancelButton;
    QTimer* Timer1;

public slots:
    void reject() override; // Escape

protected:
    void Run(const std::function<void()>& callback) override;
    void ShowCaption(const std::string& caption) override;
    void ShowLabels() override;
    // path as FolderLabel can show it whole in its font, its end always visible.
    [[nodiscard]] QString FittedPath(const std::string& path) const;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer1Timer();
    void CancelButtonClick();
    void CancelBeforeStart();

    const std::function<void()>* FCallback = nullptr;
    bool FStarted = false;
};

// A file-system name or path for the screen, name by name as DisplayUtf8 reads it.
QString DisplayName(const std::string& bytes);

} // namespace model
