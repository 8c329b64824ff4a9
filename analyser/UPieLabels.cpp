#include "analyser/UPieLabels.h"

#include <algorithm>
#include <cmath>

namespace analyser {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct TWork {
    int index;
    bool right;
    double sine, cosine;
    double ideal; // centre height wanted: level with the slice's middle just outside the rim
    double height;
    double y = 0; // centre height given
};

double Needed(const std::vector<TWork*>& side) {
    double h = 0;
    for (const TWork* w : side)
        h += w->height + kPieLabelGap;
    return side.empty() ? 0 : h - kPieLabelGap;
}

// Stacks one side's labels (sorted top to bottom) between top and bottom, each as near its ideal
// height as the others allow; a stack taller than the room is centred on it.
void Stack(std::vector<TWork*>& side, double top, double bottom) {
    if (side.empty()) return;
    const double needed = Needed(side);
    if (needed > bottom - top) {
        double y = (top + bottom) / 2 - needed / 2;
        for (TWork* w : side) {
            w->y = y + w->height / 2;
            y += w->height + kPieLabelGap;
        }
        return;
    }
    // Down from the top: each below its ideal or below the one above.
    double edge = top;
    for (TWork* w : side) {
        w->y = std::max(w->ideal, edge + w->height / 2);
        edge = w->y + w->height / 2 + kPieLabelGap;
    }
    // Up from the bottom: none past the bottom, each above the one below.
    edge = bottom;
    for (auto it = side.rbegin(); it != side.rend(); ++it) {
        TWork* w = *it;
        w->y = std::min(w->y, edge - w->height / 2);
        edge = w->y - w->height / 2 - kPieLabelGap;
    }
}

} // namespace

std::vector<TPieLabelPlace> LayoutPieLabels(const TPieShape& pie, const std::vector<TPieLabelSize>& labels) {
    const double cx = pie.centre.x, cy = pie.centre.y;
    std::vector<TWork> work;
    work.reserve(labels.size());
    for (size_t i = 0; i < labels.size(); ++i) {
        const double a = labels[i].midAngle * kPi / 180;
        const double s = std::sin(a), c = std::cos(a);
        // The lower half shows its rim below the top face: its labels go level with the rim.
        const double ideal = cy - (pie.ry + 10) * s + (s < 0 ? pie.depth : 0);
        work.push_back({static_cast<int>(i), c >= -1e-9, s, c, ideal, labels[i].height});
    }
    std::vector<TWork*> left, right;
    for (TWork& w : work)
        (w.right ? right : left).push_back(&w);
    // A side that cannot hold its labels hands the ones nearest the top or bottom to the other.
    const double room = pie.area.height;
    auto balance = [&](std::vector<TWork*>& from, std::vector<TWork*>& to, bool toRight) {
        while (Needed(from) > room && Needed(to) + kPieLabelGap + from.front()->height <= room) {
            auto it = std::max_element(from.begin(), from.end(), [](const TWork* a, const TWork* b) {
                return std::fabs(a->sine) < std::fabs(b->sine);
            });
            (*it)->right = toRight;
            to.push_back(*it);
            from.erase(it);
        }
    };
    if (!right.empty()) balance(right, left, false);
    if (!left.empty()) balance(left, right, true);
    auto byIdeal = [](const TWork* a, const TWork* b) {
        return a->ideal != b->ideal ? a->ideal < b->ideal : a->index < b->index;
    };
    std::sort(left.begin(), left.end(), byIdeal);
    std::sort(right.begin(), right.end(), byIdeal);
    Stack(left, pie.area.top, pie.area.top + pie.area.height);
    Stack(right, pie.area.top, pie.area.top + pie.area.height);

    std::vector<TPieLabelPlace> out(labels.size());
    for (const TWork& w : work) {
        TPieLabelPlace& p = out[static_cast<size_t>(w.index)];
        const double width = labels[static_cast<size_t>(w.index)].width;
        p.anchor = {cx + pie.rx * w.cosine, cy - pie.ry * w.sine + (w.sine < 0 ? pie.depth : 0)};
        const double columnX = w.right ? cx + pie.rx + kPieLabelColumn : cx - pie.rx - kPieLabelColumn;
        p.box = {w.right ? columnX : columnX - width, w.y - w.height / 2, width, w.height};
        // The leader turns where its last stretch runs level to the label without crossing the pie.
        const double dy = (w.y - cy - (w.y > cy ? pie.depth : 0)) / (pie.ry > 0 ? pie.ry : 1);
        const double halfWidth = std::fabs(dy) < 1 ? pie.rx * std::sqrt(1 - dy * dy) : 0;
        const double reach = std::min(pie.rx + kPieLabelColumn - 4,
                                      std::max((pie.rx + 8) * std::fabs(w.cosine), halfWidth + 6));
        p.elbow = {w.right ? cx + reach : cx - reach, w.y};
    }
    return out;
}

} // namespace analyser
