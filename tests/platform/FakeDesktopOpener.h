// The desktop's opener for window tests: records the paths and answers later, as xdg-open does.
#pragma once

#include "platform/PQtDesktopOpen.h"

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
        QTimer::singleShot(0, context, [this, done] {
            done(opened);
            ++answered;
        });
        return true;
    }
};
