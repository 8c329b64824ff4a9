// The desktop's opener for window tests: records the paths and answers later, as xdg-open does.
#pragma once

#include "platform/PQtDesktopOpen.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <string>
#include <vector>

class TFakeOpener : public platform::TDesktopOpener {
public:
    std::vector<std::string> paths;
    bool opened = true; // the answer to give
    int answered = 0;
    bool Open(const std::string& path, QObject* context, std::function<void(bool)> done,
              std::string&) override {
        paths.push_back(path);
        // An answer still due when the opener goes (a test that failed early) never comes; one due
        // to a context that has gone is not given, as the real opener does.
        QTimer::singleShot(0, &FAlive, [this, guard = QPointer<QObject>(context), done] {
            if (guard) done(opened);
            ++answered;
        });
        return true;
    }

private:
    QObject FAlive;
};

// Installs an opener for a scope, and the program's own again when the scope ends (a failed check too).
class TOpenerInstalled {
public:
    explicit TOpenerInstalled(platform::TDesktopOpener& opener) { platform::SetDesktopOpener(&opener); }
    ~TOpenerInstalled() { platform::SetDesktopOpener(nullptr); }
    TOpenerInstalled(const TOpenerInstalled&) = delete;
    TOpenerInstalled& operator=(const TOpenerInstalled&) = delete;
};
