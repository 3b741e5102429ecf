// Where the texts of a chart go: along their curves or beside their points,
// inside the plot area, never on another text, a marked point or a panel,
// and off the lines to keep clear (the dome, the cycle) wherever the curve
// leaves room for that. Geometry in page pixels (plot::page_of).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "plot/figure.h"

namespace cli {

using quad = std::array<plot::point, 4>;

// Convex polygons (a segment as two points) that share a point.
bool touching(const std::vector<plot::point>& a, const std::vector<plot::point>& b);

class label_layout {
public:
    explicit label_layout(plot::figure& fig) : fig_(fig) {}

    // A line (in the figure's units) that texts should not cross.
    void keep_clear(const std::vector<plot::point>& line);
    // A point (in the figure's units) no text may cover, with a margin in pixels.
    void keep_free(plot::point at, double margin);
    // A rectangle in page pixels no text may cover.
    void block(const quad& box) { taken_.push_back(box); }

    // A text along the part of a curve (in the figure's units), as near as
    // it finds room to the height given as a fraction of the plot area from
    // its bottom; false when there is none.
    bool along(const std::vector<plot::point>& part, const std::string& text, const std::string& color, double height);
    // A horizontal text beside a point; false when there is no room.
    bool beside(plot::point at, const std::string& text, const std::string& color, double size);

    // Inside the plot area and clear of everything taken (and of the lines
    // to keep clear, when lines is set).
    bool free(const quad& box, bool lines) const;
    // How many points of the figure's curves lie in a rectangle.
    int crowding(const quad& box) const;

private:
    bool place(const std::vector<plot::label>& candidates);

    plot::figure& fig_;
    std::vector<quad> taken_;
    std::vector<std::array<plot::point, 2>> clear_;
};

}  // namespace cli
