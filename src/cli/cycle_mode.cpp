// vantrel_cli cycle [FLUID] evap=T cond=T ... (or evap=T gc_out=T high=p):
// the vapour-compression cycle; and vantrel_cli diagram [FLUID] -o FILE.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <ostream>
#include <tuple>

#include <nlohmann/json.hpp>

#include "cli/arguments.h"
#include "cli/data_location.h"
#include "cli/diagram.h"
#include "cli/modes.h"
#include "cli/output.h"
#include "cli/properties.h"
#include "cli/speech.h"
#include "cli/values.h"
#include "cli/written.h"

namespace cli {

namespace {

struct cycle_key {
    const char* name;
    quantity q;
};

constexpr std::array<cycle_key, 9> CYCLE_KEYS{{
    {"evap", quantity::temperature},
    {"cond", quantity::temperature},
    {"gc_out", quantity::temperature},
    {"high", quantity::pressure},
    {"superheat", quantity::temperature_difference},
    {"subcool", quantity::temperature_difference},
    {"eta", quantity::fraction},
    {"vol_eff", quantity::fraction},
    {"capacity", quantity::power},
}};

// The cycle's keys, each at most once, as SI values.
std::map<std::string, double> cycle_values(const std::vector<key_value>& given, unit_system u) {
    std::map<std::string, double> v;
    for (const key_value& kv : given) {
        const auto it = std::find_if(CYCLE_KEYS.begin(), CYCLE_KEYS.end(), [&](const auto& k) { return kv.key == k.name; });
        if (it == CYCLE_KEYS.end())
            throw usage_error(say(text_id::cycle_unknown_key, {text_value(kv.key)}));
        if (v.count(kv.key) != 0) throw usage_error(say(text_id::cycle_key_twice, {text_value(kv.key)}));
        v[kv.key] = si_of(read_value(kv.key, kv.value, it->q, u), kv.key);
    }
    return v;
}

vantrel::glide_convention convention_of(const std::string& text) {
    if (text.empty() || text == "dew") return vantrel::glide_convention::dew;
    if (text == "midpoint") return vantrel::glide_convention::midpoint;
    throw usage_error(say(text_id::cycle_convention, {text_value(text)}));
}

vantrel::cycle_input cycle_input_of(const std::vector<key_value>& given, unit_system u, const std::string& convention) {
    std::map<std::string, double> v = cycle_values(given, u);
    const auto take = [&](const char* key) -> std::optional<double> {
        const auto it = v.find(key);
        return it == v.end() ? std::nullopt : std::optional(it->second);
    };
    vantrel::cycle_input in;
    if (!take("evap")) throw usage_error(say(text_id::cycle_evap_missing));
    const bool transcritical = take("gc_out") || take("high");
    if (transcritical ? !(take("gc_out") && take("high")) || take("cond") : !take("cond"))
        throw usage_error(say(text_id::cycle_high_side_choice));
    if (transcritical && take("subcool"))
        throw usage_error(say(text_id::cycle_subcool_transcritical));
    in.T_evap = *take("evap");
    in.T_cond = take("cond");
    in.T_gc_out = take("gc_out");
    in.p_high = take("high");
    in.superheat = take("superheat").value_or(0);
    in.subcool = take("subcool").value_or(0);
    in.eta = take("eta").value_or(1);
    in.vol_eff = take("vol_eff");
    in.capacity = take("capacity");
    in.convention = convention_of(convention);
    return in;
}

// A property of a point. Temperatures are as short as they read, the points
// at the inputs (evap + superheat, cond - subcool) at the numbers given.
cell point_cell(property p, const vantrel::state& s, unit_system u) {
    if (p == property::T) return tidy_from_si(vantrel::unit_of(quantity::temperature, u), s.T);
    return value_of(p, s, u);
}

record_set points_table(const std::string& fluid, const vantrel::cycle_result& r, unit_system u) {
    record_set set{fluid, {{"point", std::nullopt}}, {}};
    const std::vector<property> props = parse_properties("T,p,h,s,rho,x");
    for (const property p : props) set.columns.push_back(column_of(p));
    for (const auto& pt : r.points) {
        std::vector<cell> row{cell{pt.name}};
        for (const property p : props) row.push_back(point_cell(p, pt.s, u));
        set.rows.push_back(std::move(row));
    }
    return set;
}

using vantrel::figures_of;

void write_cycle_json(std::ostream& out, const std::string& fluid, const vantrel::cycle_result& r, unit_system u) {
    nlohmann::ordered_json units = nlohmann::ordered_json::object(), doc = nlohmann::ordered_json::object();
    for (const char* name : {"T", "p", "h", "s", "rho", "x"}) units[name] = std::string(unit_name(*vantrel::find_property(name)->q, u));
    const auto figures = figures_of(r);
    for (const auto& [name, q, value] : figures)
        if (value) units[name] = std::string(unit_name(q, u));
    doc["fluid"] = fluid;
    doc["units"] = units;
    if (const auto note = vantrel::convention_note(r)) doc["convention"] = say(*note);
    nlohmann::ordered_json points = nlohmann::ordered_json::array();
    for (const auto& pt : r.points) {
        nlohmann::ordered_json o{{"name", pt.name}};
        for (const char* name : {"T", "p", "h", "s", "rho", "x"}) {
            const cell c = point_cell(parse_properties(name)[0], pt.s, u);
            o[name] = std::holds_alternative<double>(c) ? nlohmann::ordered_json(unsigned_zero(std::get<double>(c)))
                                                        : nlohmann::ordered_json();
        }
        points.push_back(std::move(o));
    }
    doc["points"] = std::move(points);
    for (const auto& [name, q, value] : figures)
        if (value) doc[name] = unsigned_zero(from_si(q, u, *value));
    out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void write_cycle_table(std::ostream& out, const std::string& fluid, const vantrel::cycle_result& r, unit_system u) {
    write_records(out, points_table(fluid, r, u), output_format::table, u, false);
    out << '\n';
    const auto figures = figures_of(r);
    std::size_t width = 0;
    for (const auto& [name, q, value] : figures) width = std::max(width, std::string(name).size());
    for (const auto& [name, q, value] : figures) {
        if (!value) continue;
        const std::string_view unit = unit_name(q, u);
        out << name << std::string(width - std::string(name).size(), ' ') << "  " << rounded_text(from_si(q, u, *value));
        if (unit != "-") out << ' ' << unit;
        out << '\n';
    }
    if (const auto note = vantrel::convention_note(r)) out << '\n' << say(*note) << '\n';
}

// CSV: the points' table, an empty line, then the figures as rows of
// figure, value (exact) and unit; the convention's note, if any, last.
void write_cycle_csv(std::ostream& out, const std::string& fluid, const vantrel::cycle_result& r, unit_system u,
                     const csv_style& style) {
    write_records(out, points_table(fluid, r, u), output_format::csv, u, false, style);
    const char d = style.delimiter;
    std::string text = std::string("\nfigure") + d + "value" + d + "unit\n";
    for (const auto& [name, q, value] : figures_of(r)) {
        if (!value) continue;
        append_csv_field(text, name, d);
        text += d;
        append_csv_number(text, from_si(q, u, *value), style);
        text += d;
        append_csv_field(text, unit_name(q, u), d);
        text += '\n';
    }
    if (const auto note = vantrel::convention_note(r)) {
        text += '\n';
        append_csv_field(text, say(*note), d);
        text += '\n';
    }
    out << text;
}

// LO:HI of an axis in the units u: finite, LO < HI, wide enough to draw, and
// finite in SI units.
std::pair<double, double> range_of(const std::string& text, const char* option, quantity q, unit_system u) {
    const auto parts = split(text, ':');
    const std::string name(option);
    if (parts.size() != 2) throw usage_error(say(text_id::range_format, {text_value(name)}));
    const double lo = argument_number(parts[0], option), hi = argument_number(parts[1], option);
    if (!(lo < hi)) throw usage_error(say(text_id::range_order, {text_value(name)}));
    if (!std::isfinite(hi - lo))
        throw usage_error(say(text_id::range_width_beyond_double, {text_value(name), text_value(text)}));
    if (!plot::drawable_range(lo, hi))
        throw usage_error(say(text_id::range_too_narrow, {text_value(name), text_value(text)}));
    checked_si(q, u, lo, name);
    checked_si(q, u, hi, name);
    return {lo, hi};
}

void check_picture_name(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    if (ext != ".svg" && ext != ".png" && ext != ".pdf" && ext != ".json")
        throw usage_error(say(text_id::picture_name, {text_value(path)}));
}

// --scale: a number from 1 to 4, 1 when not given.
double picture_scale(const std::string& text) {
    if (text.empty()) return 1;
    const std::optional<double> v = vantrel::parse_number(text);
    if (!v || !(*v >= 1 && *v <= 4)) throw usage_error(say(text_id::picture_scale, {text_value(text)}));
    return *v;
}

}  // namespace

int run_cycle(const mode_options& o, std::ostream& out, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    const unit_system u = parse_units(o.units);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const output_format format = parse_format(o.format);
    const csv_style style = csv_style_of(o, format);
    const vantrel::cycle_input in = cycle_input_of(pos.given, u, o.convention);
    if (!o.diagram.empty()) check_picture_name(o.diagram);
    const double scale = picture_scale(o.scale);

    const vantrel::fluid f = vantrel::fluid::by_name(data_directory(o.data), pos.fluid, ref);
    const vantrel::cycle_result r = vantrel::vapour_compression(f, in);
    for (const vantrel::message& w : r.warnings) err << say(w) << '\n';
    if (format == output_format::json)
        write_cycle_json(out, f.info().agent, r, u);
    else if (format == output_format::csv)
        write_cycle_csv(out, f.info().agent, r, u, style);
    else
        write_cycle_table(out, f.info().agent, r, u);
    require_written(out, standard_output());  // before the picture, which takes its time
    if (!o.diagram.empty()) render(log_ph_diagram(f, {u, std::nullopt, std::nullopt, &r}), o.diagram, scale);
    return 0;
}

int run_diagram(const mode_options& o, std::ostream&, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    if (!pos.given.empty())
        throw usage_error(say(text_id::extra_argument, {text_value(pos.given[0].key + "=" + pos.given[0].value)}));
    const unit_system u = parse_units(o.units);
    const vantrel::reference_state ref = parse_reference(o.ref);
    check_picture_name(o.output);
    const double scale = picture_scale(o.scale);
    diagram_request req{u, std::nullopt, std::nullopt, nullptr};
    if (!o.p_range.empty()) req.p_range = range_of(o.p_range, "--p-range", quantity::pressure, u);
    if (!o.h_range.empty()) req.h_range = range_of(o.h_range, "--h-range", quantity::energy, u);
    if (req.p_range && !(req.p_range->first > 0)) throw usage_error(say(text_id::range_pressure_positive));
    std::vector<key_value> cycle_keys;
    for (const std::string& t : o.cycle) {
        const auto kv = split_key_value(t);
        if (!kv) throw usage_error(say(text_id::cycle_token, {text_value(t)}));
        cycle_keys.push_back(*kv);
    }
    const std::optional<vantrel::cycle_input> in =
        o.cycle.empty() ? std::nullopt : std::optional(cycle_input_of(cycle_keys, u, o.convention));

    const vantrel::fluid f = vantrel::fluid::by_name(data_directory(o.data), pos.fluid, ref);
    std::optional<vantrel::cycle_result> r;
    if (in) {
        r = vantrel::vapour_compression(f, *in);
        for (const vantrel::message& w : r->warnings) err << say(w) << '\n';
        req.cycle = &*r;
    }
    render(log_ph_diagram(f, req), o.output, scale);
    return 0;
}

}  // namespace cli
