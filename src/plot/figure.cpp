#include "plot/figure.h"

namespace plot {

namespace {

using json = nlohmann::json;

json point_json(const point& p) { return json::array({p.x, p.y}); }
point point_of(const json& j) { return {j.at(0).get<double>(), j.at(1).get<double>()}; }

json style_json(const line_style& s) { return {{"color", s.color}, {"width", s.width}, {"dashes", s.dashes}}; }
line_style style_of(const json& j) {
    return {j.at("color").get<std::string>(), j.at("width").get<double>(), j.at("dashes").get<int>()};
}

}  // namespace

json to_json(const figure& f) {
    json curves = json::array(), labels = json::array(), markers = json::array(), legend = json::array();
    for (const curve& c : f.curves) {
        json pts = json::array();
        for (const point& p : c.points) pts.push_back(point_json(p));
        curves.push_back({{"points", std::move(pts)}, {"style", style_json(c.style)}});
    }
    for (const label& l : f.labels)
        labels.push_back({{"at", point_json(l.at)}, {"towards", point_json(l.towards)}, {"text", l.text},
                          {"color", l.color}, {"size", l.size}});
    for (const marker& m : f.markers)
        markers.push_back({{"at", point_json(m.at)}, {"text", m.text}, {"color", m.color}, {"text_left", m.text_left}});
    for (const legend_entry& e : f.legend) legend.push_back({{"text", e.text}, {"style", style_json(e.style)}});
    return {{"title", f.title},   {"subtitle", f.subtitle}, {"source", f.source},
            {"x_label", f.x_label}, {"y_label", f.y_label},
            {"x_min", f.x_min},   {"x_max", f.x_max},       {"y_min", f.y_min},     {"y_max", f.y_max},
            {"curves", curves},   {"labels", labels},       {"markers", markers},   {"legend", legend}};
}

figure figure_from_json(const json& j) {
    figure f;
    f.title = j.at("title").get<std::string>();
    f.subtitle = j.at("subtitle").get<std::string>();
    f.source = j.at("source").get<std::string>();
    f.x_label = j.at("x_label").get<std::string>();
    f.y_label = j.at("y_label").get<std::string>();
    f.x_min = j.at("x_min").get<double>();
    f.x_max = j.at("x_max").get<double>();
    f.y_min = j.at("y_min").get<double>();
    f.y_max = j.at("y_max").get<double>();
    for (const json& c : j.at("curves")) {
        curve cv{{}, style_of(c.at("style"))};
        for (const json& p : c.at("points")) cv.points.push_back(point_of(p));
        f.curves.push_back(std::move(cv));
    }
    for (const json& l : j.at("labels"))
        f.labels.push_back({point_of(l.at("at")), point_of(l.at("towards")), l.at("text").get<std::string>(),
                            l.at("color").get<std::string>(), l.at("size").get<double>()});
    for (const json& m : j.at("markers"))
        f.markers.push_back({point_of(m.at("at")), m.at("text").get<std::string>(), m.at("color").get<std::string>(),
                             m.at("text_left").get<bool>()});
    for (const json& e : j.at("legend")) f.legend.push_back({e.at("text").get<std::string>(), style_of(e.at("style"))});
    return f;
}

}  // namespace plot
