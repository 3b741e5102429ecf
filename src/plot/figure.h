// A figure as data: axes, curves, labels, markers and a legend, in the units
// of its axes. The command line computes it; vantrel_plot draws it. Between
// the two it travels as JSON.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace plot {

struct point {
    double x = 0, y = 0;
};

struct line_style {
    std::string color = "#000000";  // #rrggbb
    double width = 1;
    int dashes = 1;  // PLplot's line styles: 1 solid, 2 short dashes, 3 long dashes, ...
};

struct curve {
    std::vector<point> points;
    line_style style;
};

// A text at (x, y), written along the direction towards (x2, y2) (horizontal
// where the two coincide). The anchor is at the middle of its height and, along
// it, at the fraction just of its width (0 its start, 0.5 its middle, 1 its end).
// A boxed text sits on a white box of its size plus margins.
struct label {
    point at, towards;
    std::string text;
    std::string color = "#000000";
    double size = 1;  // font size in LABEL_PX
    double just = 0.5;
    bool boxed = true;
};

// A white rectangle framed in grey between two corners, under the labels.
struct panel {
    point lo, hi;
};

struct marker {
    point at;
    std::string text;  // written beside it, to the right (or to the left)
    std::string color = "#000000";
    bool text_left = false;
};

struct legend_entry {
    std::string text;
    line_style style;
};

struct figure {
    std::string title, subtitle, source;  // source: a small line under the subtitle
    std::string x_label, y_label;
    double x_min = 0, x_max = 1, y_min = 1, y_max = 10;  // y on a logarithmic axis
    std::vector<curve> curves;
    std::vector<panel> panels;
    std::vector<label> labels;
    std::vector<marker> markers;
    std::vector<legend_entry> legend;
};

// The page: pixels for SVG and PNG (times the PNG's scale), points for PDF.
constexpr int PAGE_WIDTH = 1200, PAGE_HEIGHT = 850;
// The plot area on the page, as fractions of its width and height from the
// lower left corner.
constexpr double AREA_LEFT = 0.08, AREA_RIGHT = 0.79, AREA_BOTTOM = 0.08, AREA_TOP = 0.87;

// The font size of a label of size 1 and the margins of its box along the
// text and across it, in page pixels. (The wide ones part a minus sign from
// the line the text continues.)
constexpr double LABEL_PX = 12, LABEL_MARGIN = 4, LABEL_MARGIN_ACROSS = 1.5;

// Page pixels (x to the right, y downwards from the page's top) of a point
// in the figure's units, and back.
point page_of(const figure& f, point p);
point figure_of(const figure& f, point px);

// The advance of a text in DejaVu Sans at a font size in pixels: what the
// layout reserves for it.
double text_width(std::string_view text, double font_px);

// The corners of a label's box (its text and margin) in page pixels, in order
// around it.
std::array<point, 4> label_box(const figure& f, const label& l);

// The least width of an axis's range: this fraction of the larger magnitude
// of its ends. A narrower one is beyond what the drawing can divide.
constexpr double MIN_RELATIVE_WIDTH = 1e-6;

// Finite ends, lo < hi, and a finite width of at least least_width times
// max(|lo|, |hi|).
bool drawable_range(double lo, double hi, double least_width = MIN_RELATIVE_WIDTH);

// What vantrel_plot takes, at most: bytes of JSON, curves, points of a curve
// and of the figure, labels, panels, markers, legend entries and bytes of a text.
constexpr std::size_t MAX_JSON_BYTES = 16 << 20, MAX_CURVES = 2000, MAX_CURVE_POINTS = 20000,
                      MAX_POINTS = 1000000, MAX_LABELS = 2000, MAX_PANELS = 20, MAX_MARKERS = 200,
                      MAX_LEGEND = 50, MAX_TEXT_BYTES = 1000;

// A figure that cannot be drawn: its one-line message.
struct invalid_figure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

nlohmann::json to_json(const figure& f);

// The figure of a JSON text, every value checked against the limits above:
// an invalid_figure naming what is wrong otherwise.
figure figure_from_json(std::string_view text);

// vantrel_plot's exit status when the picture could not be written; its line
// is then PICTURE_NOT_WRITTEN and the system's reason.
constexpr int PICTURE_WRITE_FAILED = 3;
constexpr std::string_view PICTURE_NOT_WRITTEN = "Не удалось записать рисунок: ";

}  // namespace plot
