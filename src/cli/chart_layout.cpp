#include "cli/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cli {

namespace {

using plot::point;

constexpr double STEP_PX = 3;      // between the places tried along a curve
constexpr double AREA_INSET = 2;   // a text keeps this far inside the plot area's frame

// The extent of a polygon's projection on an axis.
std::pair<double, double> projected(const std::vector<point>& poly, double ax, double ay) {
    double lo = INFINITY, hi = -INFINITY;
    for (const point& p : poly) {
        const double v = p.x * ax + p.y * ay;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    return {lo, hi};
}

// True when the normals of poly's edges separate it from other.
bool separated_by_edges(const std::vector<point>& poly, const std::vector<point>& other) {
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const point& a = poly[i];
        const point& b = poly[(i + 1) % poly.size()];
        if (a.x == b.x && a.y == b.y) continue;
        const auto [lo1, hi1] = projected(poly, a.y - b.y, b.x - a.x);
        const auto [lo2, hi2] = projected(other, a.y - b.y, b.x - a.x);
        if (hi1 < lo2 || hi2 < lo1) return true;
    }
    return false;
}

std::vector<point> corners(const quad& q) { return {q.begin(), q.end()}; }

// A text's box along its direction, centred on a point.
plot::label text_at(const plot::figure& fig, point centre, double ux, double uy, const std::string& text,
                    const std::string& color, double size) {
    return {plot::figure_of(fig, centre), plot::figure_of(fig, {centre.x + 10 * ux, centre.y + 10 * uy}), text, color,
            size};
}

}  // namespace

bool touching(const std::vector<point>& a, const std::vector<point>& b) {
    const auto [ax0, ax1] = projected(a, 1, 0);
    const auto [bx0, bx1] = projected(b, 1, 0);
    const auto [ay0, ay1] = projected(a, 0, 1);
    const auto [by0, by1] = projected(b, 0, 1);
    if (ax1 < bx0 || bx1 < ax0 || ay1 < by0 || by1 < ay0) return false;
    return !separated_by_edges(a, b) && !separated_by_edges(b, a);
}

void label_layout::keep_clear(const std::vector<point>& line) {
    for (std::size_t k = 1; k < line.size(); ++k)
        clear_.push_back({plot::page_of(fig_, line[k - 1]), plot::page_of(fig_, line[k])});
}

void label_layout::keep_free(point at, double margin) {
    const point c = plot::page_of(fig_, at);
    taken_.push_back({point{c.x - margin, c.y - margin}, point{c.x + margin, c.y - margin},
                      point{c.x + margin, c.y + margin}, point{c.x - margin, c.y + margin}});
}

bool label_layout::free(const quad& box, bool lines) const {
    const double left = plot::PAGE_WIDTH * plot::AREA_LEFT + AREA_INSET,
                 right = plot::PAGE_WIDTH * plot::AREA_RIGHT - AREA_INSET,
                 top = plot::PAGE_HEIGHT * (1 - plot::AREA_TOP) + AREA_INSET,
                 bottom = plot::PAGE_HEIGHT * (1 - plot::AREA_BOTTOM) - AREA_INSET;
    for (const point& p : box)
        if (!(p.x > left && p.x < right && p.y > top && p.y < bottom)) return false;
    const std::vector<point> mine = corners(box);
    for (const quad& q : taken_)
        if (touching(mine, corners(q))) return false;
    if (lines)
        for (const auto& s : clear_)
            if (touching(mine, {s[0], s[1]})) return false;
    return true;
}

int label_layout::crowding(const quad& box) const {
    const std::vector<point> mine = corners(box);
    int n = 0;
    for (const plot::curve& c : fig_.curves)
        for (const point& p : c.points)
            if (touching(mine, {plot::page_of(fig_, p)})) ++n;
    return n;
}

bool label_layout::place(const std::vector<plot::label>& candidates) {
    for (const bool lines : {true, false})
        for (const plot::label& l : candidates) {
            const quad box = plot::label_box(fig_, l);
            if (!free(box, lines)) continue;
            fig_.labels.push_back(l);
            taken_.push_back(box);
            return true;
        }
    return false;
}

bool label_layout::along(const std::vector<point>& part, const std::string& text, const std::string& color,
                         double height) {
    std::vector<point> px;
    std::vector<double> arc;
    for (const point& p : part) {
        const point q = plot::page_of(fig_, p);
        if (!std::isfinite(q.x) || !std::isfinite(q.y)) continue;
        arc.push_back(px.empty() ? 0 : arc.back() + std::hypot(q.x - px.back().x, q.y - px.back().y));
        px.push_back(q);
    }
    const auto at_arc = [&](double s) {
        const std::size_t k = std::min<std::size_t>(
            std::max<std::ptrdiff_t>(std::upper_bound(arc.begin(), arc.end(), s) - arc.begin(), 1), arc.size() - 1);
        const double t = arc[k] > arc[k - 1] ? (s - arc[k - 1]) / (arc[k] - arc[k - 1]) : 0;
        return point{px[k - 1].x + t * (px[k].x - px[k - 1].x), px[k - 1].y + t * (px[k].y - px[k - 1].y)};
    };
    if (px.size() < 2) return false;
    const double font = plot::LABEL_PX, half = 0.5 * plot::text_width(text, font) + plot::LABEL_MARGIN + 2;
    const double y_top = plot::PAGE_HEIGHT * (1 - plot::AREA_TOP), y_bottom = plot::PAGE_HEIGHT * (1 - plot::AREA_BOTTOM);
    const double target = y_bottom - height * (y_bottom - y_top);
    std::vector<std::pair<double, plot::label>> scored;
    for (double s = half; s + half <= arc.back(); s += STEP_PX) {
        const point a = at_arc(s - half), b = at_arc(s + half), c = at_arc(s);
        const double chord = std::hypot(b.x - a.x, b.y - a.y);
        if (chord < 1.9 * half) continue;  // a bend, or a gap in the curve
        double ux = (b.x - a.x) / chord, uy = (b.y - a.y) / chord;
        // Read left to right, or upwards along a steep curve.
        if (std::fabs(uy) > 0.9 ? uy > 0 : ux < 0) ux = -ux, uy = -uy;
        bool straight = true;
        for (std::size_t k = 0; k < px.size() && straight; ++k)
            if (arc[k] > s - half && arc[k] < s + half)
                straight = std::fabs((px[k].x - c.x) * uy - (px[k].y - c.y) * ux) < 0.3 * font;
        if (straight) scored.push_back({std::fabs(c.y - target), text_at(fig_, c, ux, uy, text, color, 1)});
    }
    std::stable_sort(scored.begin(), scored.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<plot::label> candidates;
    for (auto& s : scored) candidates.push_back(std::move(s.second));
    return place(candidates);
}

bool label_layout::beside(point at, const std::string& text, const std::string& color, double size) {
    const point p = plot::page_of(fig_, at);
    const double font = plot::LABEL_PX * size, w = plot::text_width(text, font);
    std::vector<plot::label> candidates;
    for (const double r : {7.0, 12.0, 18.0, 26.0, 36.0})
        for (const double deg : {0.0, 180.0, 45.0, 135.0, -45.0, -135.0, 90.0, -90.0}) {
            const double cx = std::cos(deg * std::numbers::pi / 180), cy = -std::sin(deg * std::numbers::pi / 180);
            const point c{p.x + cx * (r + 0.5 * w), p.y + cy * (r + 0.6 * font)};
            candidates.push_back(text_at(fig_, c, 1, 0, text, color, size));
        }
    return place(candidates);
}

}  // namespace cli
