#include "model/UScanProgress.h"

#include "model/UConvertHelp.h"

namespace model {

namespace {
TScanProgressFactory& Factory() {
    static TScanProgressFactory factory;
    return factory;
}
} // namespace

void SetScanProgressFactory(TScanProgressFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<TScanProgress> NewScanProgress() {
    if (Factory()) return Factory()();
    return std::make_unique<TScanProgress>();
}

void TScanProgress::Begin(const std::string& name, std::function<void()> callback, const char* prefix) {
    FItemName = name;
    FRunning = false;
    FCancelled = false;
    FFilesFound = FBytesFound = 0;
    FCurrentFolder.clear();
    FCaptionPrefix = prefix;
    ShowCaption(FCaptionPrefix);
    ShowLabels();
    FLastRefresh = Now();
    Run(callback);
}

void TScanProgress::Execute(const std::string& name, std::function<void()> callback) {
    Begin(name, std::move(callback), "Exploring ");
}

void TScanProgress::ExecutePreferred(const std::string& name, std::function<void()> callback) {
    Begin(name, std::move(callback), "Auto-Exploring Preferred Item: ");
}

void TScanProgress::Run(const std::function<void()>& callback) {
    StartCallback(callback);
}

void TScanProgress::StartCallback(const std::function<void()>& callback) {
    FRunning = true;
    ShowCaption(Caption());
    try {
        callback();
    } catch (...) {
        FRunning = false;
        throw;
    }
    FRunning = false;
}

std::int64_t TScanProgress::AddFile(std::int64_t size) {
    ++FFilesFound;
    FBytesFound += size;
    return FBytesFound;
}

void TScanProgress::SetFolder(const std::string& text) {
    FCurrentFolder = text;
    if (RefreshDue()) RefreshLabels();
}

void TScanProgress::SetFolderPath(const std::string& path) {
    if (RefreshDue()) SetFolder(ShortenPathKeepingEnd(path, 100));
}

void TScanProgress::SetItemName(const std::string& name) {
    FItemName = name;
    ShowCaption(Caption());
}

void TScanProgress::RefreshLabels() {
    ShowLabels();
    Pump();
    FLastRefresh = Now();
}

std::string TScanProgress::Caption() const {
    return FCaptionPrefix + FItemName + " ...";
}

std::string TScanProgress::TotalText() const {
    return FormatBytes(FFilesFound) + " files     " + FormatBytes(FBytesFound) + " bytes";
}

} // namespace model
