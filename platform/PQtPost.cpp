#include "platform/PQtPost.h"

#include <QCoreApplication>

namespace platform {

namespace {

// Lives on the GUI thread as a child of the application; its end uninstalls the poster, under
// the posting lock, so that no thread posts to it afterwards.
class TPostTarget : public QObject {
public:
    using QObject::QObject;
    ~TPostTarget() override { SetMainThreadPoster(nullptr); }
};

QPointer<TPostTarget> gTarget;

} // namespace

void InstallQtPoster() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || gTarget) return;
    auto* target = new TPostTarget(app);
    gTarget = target;
    SetMainThreadPoster([target](std::function<void()> fn) {
        QMetaObject::invokeMethod(target, std::move(fn), Qt::QueuedConnection);
    });
    // What was posted before there was a loop to run it.
    QMetaObject::invokeMethod(
        target, [] { RunPosted(); }, Qt::QueuedConnection);
}

} // namespace platform
