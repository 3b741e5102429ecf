#include "plot/figure.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "cli/speech.h"

namespace plot {

namespace {

using json = nlohmann::json;
using cli::text_id;
using cli::message_value;
using cli::say;
using cli::text_value;

constexpr int MAX_DEPTH = 6;  // figure, curves, a curve, its points, a point, a number

json point_json(const point& p) { return json::array({p.x, p.y}); }

json style_json(const line_style& s) { return {{"color", s.color}, {"width", s.width}, {"dashes", s.dashes}}; }

message_value count(std::size_t n) { return text_value(std::to_string(n)); }

std::string number_text(double v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// Reads a figure and checks each value on the way; where names the value
// ("curves[3].points[7]") for the message.
class reader {
public:
    figure read(const json& j) {
        figure f;
        object(j, say(text_id::expect_figure));
        f.title = text(j, "title");
        f.subtitle = text(j, "subtitle");
        f.source = text(j, "source");
        f.x_label = text(j, "x_label");
        f.y_label = text(j, "y_label");
        f.x_min = number(field(j, "x_min", ""), "x_min");
        f.x_max = number(field(j, "x_max", ""), "x_max");
        f.y_min = number(field(j, "y_min", ""), "y_min");
        f.y_max = number(field(j, "y_max", ""), "y_max");
        // The figure's values travel as the modes computed them, through a
        // unit conversion and back: half the width the modes ask for.
        if (!drawable_range(f.x_min, f.x_max, MIN_RELATIVE_WIDTH / 2) || !(f.y_min > 0) ||
            !drawable_range(f.y_min, f.y_max, MIN_RELATIVE_WIDTH / 2))
            throw invalid_figure(say(text_id::figure_axes,
                                     {text_value(number_text(f.x_min)), text_value(number_text(f.x_max)),
                                      text_value(number_text(f.y_min)), text_value(number_text(f.y_max))}));
        const json& curves = array(field(j, "curves", ""), "curves", MAX_CURVES);
        std::size_t total = 0;
        for (std::size_t i = 0; i < curves.size(); ++i) {
            const std::string at = "curves[" + std::to_string(i) + "]";
            object(curves[i], at);
            curve c{{}, style(field(curves[i], "style", at), at + ".style")};
            const json& pts = array(field(curves[i], "points", at), at + ".points", MAX_CURVE_POINTS);
            total += pts.size();
            if (total > MAX_POINTS) bad("curves", say(text_id::expect_points_total, {count(MAX_POINTS)}));
            for (std::size_t k = 0; k < pts.size(); ++k)
                c.points.push_back(point_of(pts[k], at + ".points[" + std::to_string(k) + "]"));
            f.curves.push_back(std::move(c));
        }
        const json& labels = array(field(j, "labels", ""), "labels", MAX_LABELS);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const std::string at = "labels[" + std::to_string(i) + "]";
            object(labels[i], at);
            const double size = number(field(labels[i], "size", at), at + ".size");
            if (!(size > 0 && size <= 5)) bad(at + ".size", say(text_id::expect_size));
            const double just = number(field(labels[i], "just", at), at + ".just");
            if (!(just >= 0 && just <= 1)) bad(at + ".just", say(text_id::expect_fraction));
            f.labels.push_back({point_of(field(labels[i], "at", at), at + ".at"),
                                point_of(field(labels[i], "towards", at), at + ".towards"), text(labels[i], "text", at),
                                color(field(labels[i], "color", at), at + ".color"), size, just,
                                boolean(field(labels[i], "boxed", at), at + ".boxed")});
        }
        const json& panels = array(field(j, "panels", ""), "panels", MAX_PANELS);
        for (std::size_t i = 0; i < panels.size(); ++i) {
            const std::string at = "panels[" + std::to_string(i) + "]";
            object(panels[i], at);
            f.panels.push_back({point_of(field(panels[i], "lo", at), at + ".lo"),
                                point_of(field(panels[i], "hi", at), at + ".hi")});
        }
        const json& markers = array(field(j, "markers", ""), "markers", MAX_MARKERS);
        for (std::size_t i = 0; i < markers.size(); ++i) {
            const std::string at = "markers[" + std::to_string(i) + "]";
            object(markers[i], at);
            f.markers.push_back({point_of(field(markers[i], "at", at), at + ".at"), text(markers[i], "text", at),
                                 color(field(markers[i], "color", at), at + ".color"),
                                 boolean(field(markers[i], "text_left", at), at + ".text_left")});
        }
        const json& legend = array(field(j, "legend", ""), "legend", MAX_LEGEND);
        for (std::size_t i = 0; i < legend.size(); ++i) {
            const std::string at = "legend[" + std::to_string(i) + "]";
            object(legend[i], at);
            f.legend.push_back({text(legend[i], "text", at), style(field(legend[i], "style", at), at + ".style")});
        }
        return f;
    }

private:
    [[noreturn]] static void bad(const std::string& where, const std::string& expected) {
        throw invalid_figure(say(text_id::figure_invalid, {text_value(where), text_value(expected)}));
    }

    static void object(const json& j, const std::string& where) {
        if (!j.is_object()) bad(where, say(text_id::expect_object));
    }

    static const json& field(const json& j, const char* key, const std::string& where) {
        const auto it = j.find(key);
        if (it == j.end()) bad(where.empty() ? std::string(key) : where + "." + key, say(text_id::expect_field));
        return *it;
    }

    static const json& array(const json& j, const std::string& where, std::size_t most) {
        if (!j.is_array()) bad(where, say(text_id::expect_array));
        if (j.size() > most) bad(where, say(text_id::expect_elements, {count(most)}));
        return j;
    }

    static double number(const json& j, const std::string& where) {
        if (!j.is_number() || !std::isfinite(j.get<double>())) bad(where, say(text_id::expect_number));
        return j.get<double>();
    }

    static bool boolean(const json& j, const std::string& where) {
        if (!j.is_boolean()) bad(where, say(text_id::expect_boolean));
        return j.get<bool>();
    }

    static std::string text(const json& j, const char* key, const std::string& where = "") {
        const std::string at = where.empty() ? std::string(key) : where + "." + key;
        const json& t = field(j, key, where);
        if (!t.is_string()) bad(at, say(text_id::expect_text));
        if (t.get_ref<const std::string&>().size() > MAX_TEXT_BYTES)
            bad(at, say(text_id::expect_text_length, {count(MAX_TEXT_BYTES)}));
        return t.get<std::string>();
    }

    // [x, y], y > 0 for the logarithmic axis.
    static point point_of(const json& j, const std::string& where) {
        if (!j.is_array() || j.size() != 2 || !j[0].is_number() || !j[1].is_number() ||
            !std::isfinite(j[0].get<double>()) || !(j[1].get<double>() > 0) || !std::isfinite(j[1].get<double>()))
            bad(where, say(text_id::expect_point));
        return {j[0].get<double>(), j[1].get<double>()};
    }

    static std::string color(const json& j, const std::string& where) {
        const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
        const std::string text = j.is_string() ? j.get<std::string>() : std::string();
        if (text.size() != 7 || text[0] != '#' || !std::all_of(text.begin() + 1, text.end(), hex))
            bad(where, say(text_id::expect_color));
        return text;
    }

    static line_style style(const json& j, const std::string& where) {
        object(j, where);
        const double width = number(field(j, "width", where), where + ".width");
        if (!(width > 0 && width <= 20)) bad(where + ".width", say(text_id::expect_width));
        const json& dashes = field(j, "dashes", where);
        if (!dashes.is_number_integer() || dashes.get<long long>() < 1 || dashes.get<long long>() > 8)
            bad(where + ".dashes", say(text_id::expect_dashes));
        return {color(field(j, "color", where), where + ".color"), width, static_cast<int>(dashes.get<long long>())};
    }
};

}  // namespace

bool drawable_range(double lo, double hi, double least_width) {
    return std::isfinite(lo) && std::isfinite(hi) && lo < hi && std::isfinite(hi - lo) &&
           hi - lo >= least_width * std::max(std::fabs(lo), std::fabs(hi));
}

point page_of(const figure& f, point p) {
    const double fx = (p.x - f.x_min) / (f.x_max - f.x_min);
    const double fy = std::log(p.y / f.y_min) / std::log(f.y_max / f.y_min);
    return {PAGE_WIDTH * (AREA_LEFT + fx * (AREA_RIGHT - AREA_LEFT)),
            PAGE_HEIGHT * (1 - AREA_BOTTOM - fy * (AREA_TOP - AREA_BOTTOM))};
}

point figure_of(const figure& f, point px) {
    const double fx = (px.x / PAGE_WIDTH - AREA_LEFT) / (AREA_RIGHT - AREA_LEFT);
    const double fy = (1 - AREA_BOTTOM - px.y / PAGE_HEIGHT) / (AREA_TOP - AREA_BOTTOM);
    return {f.x_min + fx * (f.x_max - f.x_min), f.y_min * std::pow(f.y_max / f.y_min, fy)};
}

double text_width(std::string_view text, double font_px) {
    // DejaVu Sans advances in em: digits, the usual signs, and letters on average.
    double em = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;
        if (c >= '0' && c <= '9') em += 0.636;
        else if (c == '.' || c == ',' || c == ' ' || c == ':') em += 0.318;
        else if (c == 0xE2 && text.substr(i, 3) == "\u2212") em += 0.838;  // the minus sign
        else if (c == 'i' || c == 'l' || c == 'j' || c == 'I') em += 0.28;
        else if (c == 'm' || c == 'w' || c == 'M' || c == 'W') em += 0.95;
        else em += 0.68;
    }
    return em * font_px;
}

std::array<point, 4> label_box(const figure& f, const label& l) {
    const point c = page_of(f, l.at), t = page_of(f, l.towards);
    double ux = t.x - c.x, uy = t.y - c.y;
    const double n = std::hypot(ux, uy);
    if (!(n > 0) || !std::isfinite(n)) ux = 1, uy = 0;
    else ux /= n, uy /= n;
    const double font = LABEL_PX * l.size, w = text_width(l.text, font);
    // Along the text from its start to its end, across it from its top to its
    // bottom (the font's ascent and descent about the middle of the capitals).
    const double a0 = -l.just * w - LABEL_MARGIN, a1 = (1 - l.just) * w + LABEL_MARGIN;
    const double b0 = -0.6 * font - LABEL_MARGIN_ACROSS, b1 = 0.64 * font + LABEL_MARGIN_ACROSS;
    const auto at = [&](double a, double b) { return point{c.x + a * ux - b * uy, c.y + a * uy + b * ux}; };
    return {at(a0, b0), at(a1, b0), at(a1, b1), at(a0, b1)};
}

json to_json(const figure& f) {
    json curves = json::array(), labels = json::array(), panels = json::array(), markers = json::array(),
         legend = json::array();
    for (const curve& c : f.curves) {
        json pts = json::array();
        for (const point& p : c.points) pts.push_back(point_json(p));
        curves.push_back({{"points", std::move(pts)}, {"style", style_json(c.style)}});
    }
    for (const label& l : f.labels)
        labels.push_back({{"at", point_json(l.at)}, {"towards", point_json(l.towards)}, {"text", l.text},
                          {"color", l.color}, {"size", l.size}, {"just", l.just}, {"boxed", l.boxed}});
    for (const panel& p : f.panels) panels.push_back({{"lo", point_json(p.lo)}, {"hi", point_json(p.hi)}});
    for (const marker& m : f.markers)
        markers.push_back({{"at", point_json(m.at)}, {"text", m.text}, {"color", m.color}, {"text_left", m.text_left}});
    for (const legend_entry& e : f.legend) legend.push_back({{"text", e.text}, {"style", style_json(e.style)}});
    return {{"title", f.title},   {"subtitle", f.subtitle}, {"source", f.source},
            {"x_label", f.x_label}, {"y_label", f.y_label},
            {"x_min", f.x_min},   {"x_max", f.x_max},       {"y_min", f.y_min},     {"y_max", f.y_max},
            {"curves", curves},   {"panels", panels},       {"labels", labels},     {"markers", markers},
            {"legend", legend}};
}

figure figure_from_json(std::string_view text) {
    if (text.size() > MAX_JSON_BYTES)
        throw invalid_figure(say(text_id::figure_too_large, {count(MAX_JSON_BYTES)}));
    json j;
    try {
        j = json::parse(text, [](int depth, json::parse_event_t, json&) {
            if (depth > MAX_DEPTH)
                throw invalid_figure(say(text_id::figure_too_deep, {count(MAX_DEPTH)}));
            return true;
        });
    } catch (const json::parse_error& e) {
        throw invalid_figure(say(text_id::figure_broken, {count(e.byte)}));
    } catch (const json::out_of_range&) {
        throw invalid_figure(say(text_id::figure_number_range));
    } catch (const json::exception&) {
        throw invalid_figure(say(text_id::figure_unreadable));
    }
    return reader().read(j);
}

}  // namespace plot
