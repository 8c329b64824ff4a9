// Pictures of windows that a test keeps for a look. ctest gives every test TX_SCREENSHOT_DIR, a
// folder of the build tree; a test run on its own without it keeps none.
#pragma once

#include <QString>
#include <QWidget>

namespace txtest {

// The folder the pictures go to; empty when none is kept.
inline QString ScreenshotDir() { return qEnvironmentVariable("TX_SCREENSHOT_DIR"); }

// Saves a picture of w as name + ".png"; true when it was saved or none is kept.
inline bool SaveScreenshot(QWidget& w, const QString& name) {
    const QString dir = ScreenshotDir();
    return dir.isEmpty() || w.grab().save(dir + "/" + name + ".png");
}

} // namespace txtest
