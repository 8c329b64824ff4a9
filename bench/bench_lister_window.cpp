// The File Lister's window beside the Analyser's window on one exploration file, as the viewer opens
// them, on a real display. Run it under Xvfb, never offscreen: a window that shows progress during
// its work pays in the display connection, which the offscreen platform does not have.
//
//   bench_lister_window FILE.txf [RUNS=5]
//       Both windows in turn (one unmeasured round first), each timed from its opening to the
//       process going idle; prints the median of each and the median of the per-round ratios.
//   bench_lister_window FILE.txf --lister | --analyser
//       One window once, then exit (for timing whole processes).
//   bench_lister_window FILE.txf --stop [RUNS=5] [DELAY_MS=10]
//       The File Lister's "&Stop" clicked DELAY_MS into the walk, by a mouse press and release that
//       the display server makes up (its test extension, from a second connection); prints the
//       median time from the release leaving this process to the button's click being handled
//       inside the walk (the walk ends there: a stop is tested at each of its points, and the
//       levels it stands in end within 30 files each).
//
// Settings go to a folder of their own. Needs DISPLAY (e.g. Xvfb :7 -screen 0 1280x1024x24 &).
#include "analyser/UAnalyserForm.h"
#include "export/UFileLister.h"
#include "export/UFileListerForm.h"
#include "listing/UColumn.h"
#include "model/UIconManager.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtShell.h"
#include "viewer/UMainForm.h"
#include "viewer/UViewerFiles.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QPushButton>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using TClock = std::chrono::steady_clock;

namespace {

double Ms(TClock::time_point from, TClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Handles events until nothing is left, the display server included.
void Drain() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (int round = 0; round < 2; ++round) {
        while (dispatcher->processEvents(QEventLoop::AllEvents)) {
        }
        QGuiApplication::sync();
    }
}

// The time from opening a window (open gives it) to the process going idle; then it goes.
template <class Open> double WindowTime(Open open) {
    const TClock::time_point start = TClock::now();
    QWidget* window = open();
    Drain();
    const double ms = Ms(start, TClock::now());
    window->close();
    delete window;
    Drain();
    return ms;
}

// The File Lister as the viewer opens it (modeless, all files), until its listing is shown.
double ListerWindow(model::TFolderItem* folder, model::TRootItem* root) {
    return WindowTime([&] {
        auto* form = new exportdata::TFileListerForm(nullptr);
        form->Execute(folder, root, exportdata::kListerAll, nullptr, {}, true);
        while (form->Timer1->isActive() || form->Lister().Busy())
            QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
        return form;
    });
}

// The Analyser as the viewer opens it (modeless), until its reports are shown.
double AnalyserWindow(model::TFolderItem* folder, model::TRootItem* root) {
    return WindowTime([&] {
        auto* form = new analyser::TAnalyserForm(nullptr, platform::kViewerSettings);
        if (form->ShowAnalyser(folder, root, true) != 1) {
            std::fprintf(stderr, "the analyser did not open\n");
            std::exit(1);
        }
        return form;
    });
}

// Clicks a point of the screen as the mouse would, through the display server's test extension
// on a connection of its own: move, press, a short hold, release. Records when the release left.
// (The hold is short: the walk takes less than 0.1 s once it no longer waits on the display.)
class TClicker {
public:
    TClicker() : FConnection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(FConnection)) {
            std::fprintf(stderr, "no display connection for the clicks\n");
            std::exit(1);
        }
        FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
    }
    ~TClicker() { xcb_disconnect(FConnection); }

    TClock::time_point Click(int x, int y) {
        Fake(XCB_MOTION_NOTIFY, 0, x, y);
        Fake(XCB_BUTTON_PRESS, 1, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const TClock::time_point released = TClock::now();
        Fake(XCB_BUTTON_RELEASE, 1, 0, 0);
        return released;
    }

private:
    void Fake(std::uint8_t type, std::uint8_t detail, int x, int y) {
        xcb_test_fake_input(FConnection, type, detail, XCB_CURRENT_TIME,
                            type == XCB_MOTION_NOTIFY ? FRoot : XCB_NONE, static_cast<std::int16_t>(x),
                            static_cast<std::int16_t>(y), 0);
        // A round trip: the server has made the event when the answer comes (without it, the
        // virtual server may keep an event back until the next one).
        std::free(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
    }

    xcb_connection_t* FConnection;
    xcb_window_t FRoot = 0;
};

// Counts the mouse releases that reach the application's windows.
class TReleaseCounter : public QObject {
public:
    int seen = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease && object->isWindowType()) ++seen;
        return false;
    }
};

struct TStopRun {
    double ms = -1;          // release sent -> click handled
    bool stopped = false;    // the walk was stopped (not over before the click)
    std::int64_t listed = 0; // files listed when the walk ended
};

// The File Lister opened, its Stop clicked delay into the walk.
TStopRun StopRun(model::TFolderItem* folder, model::TRootItem* root, int delayMs) {
    TStopRun run;
    // Clicks on one spot that come quicker than this make a double click.
    const TClock::time_point apart =
        TClock::now() +
        std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
    while (TClock::now() < apart) {
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    TReleaseCounter releases;
    QCoreApplication::instance()->installEventFilter(&releases);
    auto* form = new exportdata::TFileListerForm(nullptr);
    exportdata::TFileLister& lister = form->Lister();

    std::mutex mutex;
    std::condition_variable walkStarted;
    bool started = false;
    int x = 0, y = 0;
    // The walk's first status ("0/N") comes just before its first file.
    auto progress = lister.ProgressChanged;
    lister.ProgressChanged = [&, progress] {
        if (!started) {
            const QPoint centre = form->Button1->mapToGlobal(form->Button1->rect().center());
            x = centre.x();
            y = centre.y();
            std::lock_guard lock(mutex);
            started = true;
            walkStarted.notify_one();
        }
        progress();
    };
    // After the window's own handler, which asks the walk to stop.
    TClock::time_point handled{};
    QObject::connect(form->Button1, &QPushButton::clicked, form, [&handled] { handled = TClock::now(); });

    TClock::time_point released{};
    std::thread clicker([&] {
        TClicker mouse;
        {
            std::unique_lock lock(mutex);
            walkStarted.wait(lock, [&] { return started; });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        released = mouse.Click(x, y);
    });

    form->Execute(folder, root, exportdata::kListerAll, nullptr, {}, true);
    while (form->Timer1->isActive() || lister.Busy())
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
    clicker.join();
    // The release may come after the walk: it must reach the window before the window goes, or
    // the application would take the button as still held at the next click.
    const TClock::time_point waitUntil = TClock::now() + std::chrono::seconds(2);
    while (releases.seen == 0 && TClock::now() < waitUntil)
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents);
    Drain();
    run.stopped = lister.StopRequested();
    run.listed = lister.ListedCount();
    if (handled != TClock::time_point{}) run.ms = Ms(released, handled);
    form->close();
    delete form;
    Drain();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.txf [RUNS] | --lister | --analyser | --stop [RUNS] [DELAY_MS]\n",
                     argv[0]);
        return 2;
    }
    if (std::getenv("DISPLAY") == nullptr || qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        std::fprintf(stderr, "needs a display (run it under Xvfb)\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QApplication app(argc, argv);
    platform::InstallQtShell();
    model::IconManager().Init();
    viewer::InstallViewerProfile();
    (void)listing::ColumnCatalogue();

    const std::string mode = argc > 2 ? argv[2] : "";
    viewer::TRootItem root;
    const viewer::TLoadOutcome loaded = viewer::LoadFileInto(root, argv[1], nullptr);
    if (loaded.code != viewer::kLoadOk) {
        std::fprintf(stderr, "%s: %s\n", argv[1], loaded.message.c_str());
        return 1;
    }
    model::TFolderItem* folder = loaded.file;

    if (mode == "--lister") {
        std::printf("File Lister window: %.0f ms\n", ListerWindow(folder, &root));
        return 0;
    }
    if (mode == "--analyser") {
        std::printf("Analyser window: %.0f ms\n", AnalyserWindow(folder, &root));
        return 0;
    }
    if (mode == "--stop") {
        const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
        const int delay = argc > 4 ? std::max(0, std::atoi(argv[4])) : 10;
        ListerWindow(folder, &root); // types resolved, caches warm
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            const TStopRun run = StopRun(folder, &root, delay);
            std::printf("run %d: Stop to the walk's answer %.2f ms, %lld files listed%s\n", i + 1, run.ms,
                        static_cast<long long>(run.listed), run.stopped ? "" : " (the walk ended first)");
            if (run.ms >= 0 && run.stopped) ms.push_back(run.ms);
        }
        std::printf("%lld files: Stop answered in %.2f ms (median of %zu)\n",
                    static_cast<long long>(folder->GetFileCount()), Median(ms), ms.size());
        return 0;
    }

    const int runs = mode.empty() ? 5 : std::max(1, std::atoi(mode.c_str()));
    ListerWindow(folder, &root);
    AnalyserWindow(folder, &root);
    std::vector<double> lister, analyser, ratio;
    for (int i = 0; i < runs; ++i) {
        lister.push_back(ListerWindow(folder, &root));
        analyser.push_back(AnalyserWindow(folder, &root));
        ratio.push_back(lister.back() / analyser.back());
        std::printf("round %d: File Lister %.0f ms, Analyser %.0f ms\n", i + 1, lister.back(),
                    analyser.back());
    }
    std::printf(
        "%lld files, medians of %d: File Lister window %.0f ms, Analyser window %.0f ms, ratio %.2f\n",
        static_cast<long long>(folder->GetFileCount()), runs, Median(lister), Median(analyser),
        Median(ratio));
    return 0;
}
