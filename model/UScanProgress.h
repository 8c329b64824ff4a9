// What an exploration sees of its progress window: the running totals, the current folder, the
// caption, the cancel flag and a message pump. The window (TScanProgressForm) fills its labels from
// this state; without a window (the console, the benchmarks, the tests) the plain class runs the
// work at once and never cancels, so the model needs no window to run.
#pragma once

#include "model/ULongOperation.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace model {

class TScanProgress {
public:
    using TClock = std::chrono::steady_clock;
    // Labels are refreshed at most this often, however fast folders pass.
    static constexpr std::chrono::microseconds kRefreshInterval{43200};

    virtual ~TScanProgress() = default;

    // Runs callback under this window: caption prefix "Exploring ", name shown in the caption.
    // Returns when the callback has returned, or at once when the window was cancelled before it
    // started the callback (Cancelled() then holds).
    void Execute(const std::string& name, std::function<void()> callback);
    // The same for the start-up batch, with the prefix "Auto-Exploring Preferred Item: ".
    void ExecutePreferred(const std::string& name, std::function<void()> callback);

    // Counts one file; gives the bytes found so far.
    std::int64_t AddFile(std::int64_t size);
    // The folder being read; the labels follow at most every kRefreshInterval.
    void SetFolder(const std::string& text);
    // SetFolder of the path shortened to 100 characters, its end kept, shortened only when the
    // labels are due (a scan passes a hundred thousand folders; the labels show a few dozen).
    void SetFolderPath(const std::string& path);
    void SetItemName(const std::string& name);
    [[nodiscard]] bool Cancelled() const { return FCancelled; }
    // Sets the cancel flag (the Cancel button, closing the window, a test).
    void Cancel() { FCancelled = true; }
    // Lets the window handle what is waiting (repaint, the Cancel button). Nothing without a window.
    virtual void Pump() {}
    // The same while the exploration waits for the file system (a folder still being read, a share
    // slow to answer), between the fixed points where it pumps.
    virtual void PumpWhileWaiting() { Pump(); }

    [[nodiscard]] std::int64_t FilesFound() const { return FFilesFound; }
    [[nodiscard]] std::int64_t BytesFound() const { return FBytesFound; }
    [[nodiscard]] const std::string& CurrentFolder() const { return FCurrentFolder; }
    [[nodiscard]] const std::string& ItemName() const { return FItemName; }
    [[nodiscard]] const std::string& CaptionPrefix() const { return FCaptionPrefix; }
    [[nodiscard]] bool Running() const { return FRunning; }
    // CaptionPrefix + ItemName + " ...".
    [[nodiscard]] std::string Caption() const;
    // "1,234 files     56,789 bytes".
    [[nodiscard]] std::string TotalText() const;

protected:
    // Shows the window and runs callback from it; the plain class runs it at once.
    virtual void Run(const std::function<void()>& callback);
    // Runs the callback as the window's start does: Running set around it, caption shown.
    void StartCallback(const std::function<void()>& callback);
    // Puts the caption and the labels on screen; the plain class has none.
    virtual void ShowCaption(const std::string& caption) {}
    virtual void ShowLabels() {}
    [[nodiscard]] virtual TClock::time_point Now() const { return TClock::now(); }
    void RefreshLabels();
    [[nodiscard]] bool RefreshDue() const { return Now() - FLastRefresh > kRefreshInterval; }

private:
    void Begin(const std::string& name, std::function<void()> callback, const char* prefix);

    std::string FItemName;
    std::string FCurrentFolder;
    std::string FCaptionPrefix = "Exploring ";
    std::int64_t FFilesFound = 0;
    std::int64_t FBytesFound = 0;
    TClock::time_point FLastRefresh{};
    bool FRunning = false;
    bool FCancelled = false;
};

// The exploring window while an exploration runs; nullptr otherwise. Its presence tells a nested
// exploration that it runs inside a batch.
inline TScanProgress* ScanProgressForm = nullptr;

// Makes the window an exploration opens; the default makes the plain, windowless one.
using TScanProgressFactory = std::function<std::unique_ptr<TScanProgress>()>;
void SetScanProgressFactory(TScanProgressFactory factory);
[[nodiscard]] std::unique_ptr<TScanProgress> NewScanProgress();

// Makes a window the global one for its lifetime, and clears the global whatever happens.
class TScanProgressScope {
public:
    TScanProgressScope() : FWindow(NewScanProgress()) { ScanProgressForm = FWindow.get(); }
    ~TScanProgressScope() {
        ScanProgressForm = nullptr;
        LongOperationEnded();
    }
    TScanProgressScope(const TScanProgressScope&) = delete;
    TScanProgressScope& operator=(const TScanProgressScope&) = delete;
    TScanProgress* operator->() const { return FWindow.get(); }

private:
    std::unique_ptr<TScanProgress> FWindow;
};

} // namespace model
