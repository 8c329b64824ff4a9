// What a main window is told by the workers that list folders, look up icons and measure free
// space for it (model/UFolderListing.h, model/URealIcons.h, TDriveSpaces): it installs the three
// for its lifetime and hands their answers to the window's views.
#pragma once

#include "model/UFolderListing.h"
#include "model/URealIcons.h"

#include <string>

namespace model {
class TProgressForm;
}

namespace mainwindow {

class TMainFrameForm;

// Whether the folder a save writes fileName into answers, asked on a worker within the time limit
// of free space while the save's progress window goes on (and may be cancelled: false then). A
// folder that does not answer in time cannot be written to; one that answers (whatever it is)
// leaves the rest to the save.
[[nodiscard]] bool SaveTargetAnswers(const std::string& fileName, model::TProgressForm& window);

class TFileAnswers : public model::TFolderListing::TClient,
                     public model::TIconListener,
                     public model::TDriveSpaces {
public:
    explicit TFileAnswers(TMainFrameForm& form);
    ~TFileAnswers() override;
    TFileAnswers(const TFileAnswers&) = delete;
    TFileAnswers& operator=(const TFileAnswers&) = delete;

    [[nodiscard]] const model::TFolderListing& Listing() const { return FListing; }

    void FolderListed(model::TFolderItem* folder) override;
    void IconArrived(model::TItem* item) override;
    void Measure(const std::vector<model::TDriveItem*>& drives) override;

private:
    TMainFrameForm& FForm;
    model::TFolderListing FListing;
    model::TRealIcons FIcons;
};

} // namespace mainwindow
