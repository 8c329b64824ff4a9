// Small pieces that the viewer main window's source files share (not part of its interface).
#pragma once

#include "model/UProgressManager.h"
#include "viewer/ULoadProgress.h"
#include "viewer/UItem.h"

namespace viewer::formparts {

// The reader's and the writer's steps go through the program's progress manager and its window.
class TManagerLoadProgress : public TLoadProgress {
public:
    void SetMax(std::int64_t n) override { model::ProgressManager().SetMax(n); }
    void Step() override { model::ProgressManager().Step(); }
    bool Cancelled() override { return model::ProgressManager().Cancelled(); }
    void Pump() override {
        if (model::TProgressView* form = model::ProgressManager().Form()) form->Pump();
    }
};

inline bool IsFileRootItem(const TItem* item) { return dynamic_cast<const TFileRootItem*>(item) != nullptr; }

} // namespace viewer::formparts
