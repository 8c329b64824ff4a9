// Acting on a modal window from a test: the action runs once a window of the given class is the
// active modal widget (polled, so it also waits for windows opened deep inside a command).
#pragma once

#include "listing/UColumnsForm.h"
#include "tests/Screenshot.h"

#include <QApplication>
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
