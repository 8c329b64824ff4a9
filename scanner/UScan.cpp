#include "scanner/UScan.h"

#include "model/URecordCodec.h"
#include "platform/PConsole.h"
#include "platform/PEnumerate.h"
#include "platform/PFileStream.h"
#include "platform/PMounts.h"

#include <exception>

namespace scanner {

namespace {

// The root's count field: a constant here (the desktop explorer stores its file count there).
constexpr std::int64_t kRootCount = 100000;

model::TItemTail TailOf(const platform::TEntry& e) {
    return {e.created, e.accessed, e.modified, e.attributes};
}

// What a scanned target's record carries: explored, the time its record starts, no attributes.
model::TItemTail ScanTail(platform::TDateTime when) {
    return {when, when, when, 0};
}

// Turns the walk into records. A write error stops the walk and is raised again once the walk has
// ended, so that the walk always closes what it opened.
class TRecordVisitor : public platform::TWalkVisitor {
public:
    explicit TRecordVisitor(model::TRecordWriter& out) : FOut(out) {}

    bool FolderBegin(const std::string&) override { return !FError; }
    void File(const platform::TEntry& e) override {
        Guard([&] { FOut.WriteFile(e.name, e.size, TailOf(e)); });
    }
    void Folder(const platform::TEntry& e) override {
        Guard([&] {
            FOut.WriteFolderHead(e.name);
            FOut.WriteFolderBody(true, TailOf(e));
        });
    }
    void FolderEnd(bool) override {
        Guard([&] { FOut.WriteEnd(); });
    }
    bool AfterEntry(std::uint64_t) override { return !FError; }

    void RaiseAnyError() const {
        if (FError) std::rethrow_exception(FError);
    }

private:
    template <typename F> void Guard(F&& write) {
        if (FError) return;
        try {
            write();
        } catch (...) {
            FError = std::current_exception();
        }
    }

    model::TRecordWriter& FOut;
    std::exception_ptr FError;
};

} // namespace

void ScanFolder(model::TRecordWriter& out, const std::string& path) {
    TRecordVisitor visitor(out);
    // Other threads read the folders while this one encodes what they read.
    platform::WalkTree(path, visitor);
    visitor.RaiseAnyError();
}

void ScanDrive(model::TRecordWriter& out, const TTarget& target, TConsole& console) {
    const std::string mountPoint = target.MountPoint();
    if (!CheckDrive(mountPoint, console)) return;
    WriteLn(console, NowText() + " - Scanning drive " + mountPoint + " ...");
    const platform::TDateTime when = platform::Now();
    const platform::TSpace space = platform::MeasureSpace(mountPoint);
    out.WriteDriveHead(mountPoint, '/', space.free, space.total);
    out.WriteFolderBody(true, ScanTail(when));
    ScanFolder(out, target.path);
}

void ScanPath(model::TRecordWriter& out, const TTarget& target, TConsole& console) {
    if (target.Shown().empty() || !CheckFolder(target.path, console, target.Shown())) return;
    WriteLn(console, NowText() + " - Scanning " + target.Shown() + " ...");
    const platform::TDateTime when = platform::Now();
    // The name is the last component: the text between the last two separators. A network
    // target is stored by its network path, walked at its mount point.
    const std::string stored = model::PathWithoutSeparator(target.Shown());
    out.WritePathHead(stored.substr(stored.rfind('/') + 1), stored);
    out.WriteFolderBody(true, ScanTail(when));
    ScanFolder(out, target.path);
}

void WriteRoot(model::TRecordWriter& out, const std::vector<TTarget>& targets, TConsole& console) {
    const platform::TDateTime when = platform::Now();
    out.WriteRootHead("Root", kRootCount);
    out.WriteFolderBody(true, ScanTail(when));
    for (const TTarget& target : targets) {
        if (target.drive)
            ScanDrive(out, target, console);
        else
            ScanPath(out, target, console);
    }
    out.WriteEnd();
}

bool SaveScans(const std::vector<TTarget>& targets, const TOutput& output, TConsole& console) {
    const std::string quoted = "\"" + output.name + "\"";
    const bool numbered = output.number >= 0;
    std::unique_ptr<model::TExplorationFileWriter> file;
    try {
        // Created and registered for removal at once, so that no interruption can leave it behind.
        platform::TInterruptBlock block;
        file = std::make_unique<model::TExplorationFileWriter>(
            output.name, model::txf::kWriterScanner,
            numbered ? platform::TSafeFile::TClaim::NewName : platform::TSafeFile::TClaim::Replace);
        platform::ArmInterruptCleanup(file->TemporaryPath(), {});
    } catch (const std::exception&) {
        WriteLn(console, NowText() + " - Fatal Error 1: Unable to create destination file " + quoted + ".");
        return false;
    }
    std::string saved = output.name;
    try {
        WriteRoot(file->Records(), targets, console);
        // Taking the name and the end of the removal duty happen as one step for an interruption.
        platform::TInterruptBlock block;
        if (numbered) {
            saved = file->CommitAsNew([&](int next) {
                const int n = output.number + next;
                return n > kMaxNameNumber ? std::string() : NumberedName(output.numbered, n);
            });
        } else {
            file->Commit();
        }
        platform::DisarmInterruptCleanup();
    } catch (const std::exception&) {
        file.reset(); // removes the temporary file
        platform::DisarmInterruptCleanup();
        WriteLn(console, NowText() + " - An error as occured and the file " + quoted + " was not created.");
        return false;
    }
    WriteLn(console, NowText() + " - Data successfully saved in file \"" + saved + "\"");
    return true;
}

} // namespace scanner
