// Acting on a modal window from a test: the action runs once a window of the given class is the
// active modal widget (polled, so it also waits for windows opened deep inside a command).
#pragma once

#include "export/UExportDataForm.h"
#include "listing/UColumnsForm.h"
#include "tests/Screenshot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <functional>

template <class T> void WhenModal(std::function<void(T*)> act, int triesLeft = 1000) {
    QTimer::singleShot(10, [act = std::move(act), triesLeft]() mutable {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(w);
            return;
        }
        if (triesLeft > 0) WhenModal<T>(std::move(act), triesLeft - 1);
    });
}

// A picture of a window for looking at it.
inline void Shot(QWidget* w, const QString& name) {
    txtest::SaveScreenshot(*w, name);
}

// Answers the next Customize Columns dialog by hiding the second column of its current tab.
inline void WhenColumnsAskedHideOne() {
    WhenModal<listing::TColumnsForm>([](listing::TColumnsForm* w) {
        listing::TColumnsForm::TTab& tab = w->Tab(w->PageControl()->currentIndex());
        tab.list->setCurrentRow(1);
        tab.hide->click();
        w->OKButton()->click();
    });
}

// What the Export Data dialog that command opens names, closed unused: its "... of" line, its
// subject, and whether it offers totals. shown is false when no dialog came.
struct TExportNames {
    bool shown = false;
    QString title, subject;
    bool totals = false;
};

inline TExportNames ExportNamesOf(QAction* command) {
    TExportNames names;
    WhenModal<exportdata::TExportDataForm>([&names](exportdata::TExportDataForm* w) {
        names = {true, w->Label9->text(), w->Label10->text(), w->CheckBox3->isEnabled()};
        w->reject();
    });
    command->trigger();
    return names;
}
