// The explorer's main window for a benchmark: offscreen unless a platform is named, its settings
// in a folder of its own, no tip of the day, shown and through its start-up work.
#pragma once

#include "listing/UProgramProfile.h"
#include "mainwindow/UMainForm.h"
#include "model/UIconManager.h"
#include "platform/PQtShell.h"

#include <QApplication>
#include <QTemporaryDir>

namespace bench {

// Before the application is made.
inline void UseOffscreenPlatform() {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
}

// Once the application is there: the desktop's services and the explorer's listing, then the window.
inline void StartMainForm(QApplication& app, mainwindow::TMainForm& form, const QTemporaryDir& settings) {
    platform::InstallQtShell();
    model::IconManager().Init();
    listing::SetCurrentProfile(listing::ExplorerProfile());
    form.SetSettingsFile((settings.path() + "/TessalundrixPro3.1.conf").toStdString());
    mainwindow::TMainForm::TDialogHooks hooks;
    hooks.startupTip = [] {}; // no modal tip in a measurement
    form.SetDialogHooks(hooks);
    form.ShowMainWindow();
    while (!form.StartupDone())
        app.processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace bench
