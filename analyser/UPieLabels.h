// Where the marks of a pie go. Each label stands beside the pie on the side of its slice, in a
// column clear of the pie, as near the height of its slice's middle as the labels before it let
// it; labels never overlap, and a leader line runs from the slice's rim to its label. The screen,
// the bitmap and the metafile exports all draw through this one layout.
#pragma once

#include <vector>

namespace analyser {

struct TPiePoint {
    double x = 0, y = 0;
};

struct TPieBox {
    double left = 0, top = 0, width = 0, height = 0;
    [[nodiscard]] double Right() const { return left + width; }
    [[nodiscard]] double Bottom() const { return top + height; }
    // True when the two boxes share more than an edge.
    [[nodiscard]] bool Overlaps(const TPieBox& o) const {
        return left < o.Right() && o.left < Right() && top < o.Bottom() && o.top < Bottom();
    }
};

struct TPieShape {
    TPiePoint centre;      // of the top face
    double rx = 0, ry = 0; // radii of the top face (ry < rx in 3D)
    double depth = 0;      // 3D rim height below the top face; 0 when flat
    TPieBox area;          // where labels go: they stay inside it whenever they fit
};

struct TPieLabelSize {
    double midAngle = 0; // the slice's middle, degrees counter-clockwise from 3 o'clock
    double width = 0, height = 0;
};

struct TPieLabelPlace {
    TPiePoint anchor; // on the slice's rim
    TPiePoint elbow;  // where the leader turns toward the label
    TPieBox box;      // the label
};

// Label gap: the space between two labels, and between the pie and the label column.
inline constexpr double kPieLabelGap = 2, kPieLabelColumn = 16;

// The place of each label, in the order given. Labels overflow the area (still apart) only when
// more of them stand than both sides of the pie can hold.
[[nodiscard]] std::vector<TPieLabelPlace> LayoutPieLabels(const TPieShape& pie,
                                                          const std::vector<TPieLabelSize>& labels);

} // namespace analyser
