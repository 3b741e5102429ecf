// vantrel_cli sat [FLUID] T=FROM:TO:STEP | p=FROM:TO:STEP | T=V | p=V: a
// saturation table.
#include <array>
#include <charconv>
#include <cmath>
#include <ostream>

#include "cli/arguments.h"
#include "cli/data_location.h"
#include "cli/modes.h"
#include "cli/output.h"
#include "cli/speech.h"
#include "cli/values.h"

namespace cli {

namespace {

constexpr std::size_t MAX_POINTS = 100000;

// The points of a table in one unit: the one FROM, TO and STEP name, or the
// system's.
struct table_points {
    std::vector<double> values;
    given_value unit;  // the unit, with no number
};

// FROM, TO and STEP in one unit; each may name it.
std::array<given_value, 3> range_parts(const key_value& kv, const std::vector<std::string_view>& parts, quantity q,
                                       unit_system u) {
    std::array<given_value, 3> v;
    for (std::size_t i = 0; i < 3; ++i) v[i] = read_value(kv.key, parts[i], q, u);
    const given_value* named = nullptr;
    for (const given_value& g : v) {
        if (g.named && named != nullptr && g.unit != named->unit)
            throw usage_error(say(message_id::sat_range_units, {text_value(kv.key + "=" + kv.value)}));
        if (g.named) named = &g;
    }
    if (named != nullptr)
        for (given_value& g : v) g.unit = named->unit, g.named = true;
    return v;
}

// FROM:TO:STEP or a single value: point i is FROM + i STEP, and TO itself
// where it lies within 1e-9 STEP of a point.
table_points points_of(const key_value& kv, quantity q, unit_system u) {
    const std::vector<std::string_view> parts = split(kv.value, ':');
    if (parts.size() == 1) {
        const given_value v = read_value(kv.key, parts[0], q, u);
        return {{v.number}, v};
    }
    if (parts.size() != 3) throw usage_error(say(message_id::sat_range_format, {text_value(kv.key)}));
    const auto [f, t, st] = range_parts(kv, parts, q, u);
    const double from = f.number, to = t.number, step = st.number;
    if (!(step > 0)) throw usage_error(say(message_id::sat_step, {text_value(std::string(parts[2]))}));
    if (!(from <= to)) throw usage_error(say(message_id::sat_range_order, {text_value(kv.value)}));
    const double span = (to - from) / step;
    if (!(span < static_cast<double>(MAX_POINTS)))
        throw usage_error(say(message_id::sat_too_many, {text_value(kv.value)}));
    const double tolerance = 1e-9 * step;
    std::size_t n = static_cast<std::size_t>(std::floor(span));
    if (from + static_cast<double>(n + 1) * step <= to + tolerance) ++n;
    std::vector<double> pts;
    for (std::size_t i = 0; i <= n; ++i) {
        const double x = from + static_cast<double>(i) * step;
        pts.push_back(std::fabs(x - to) <= tolerance ? to : x);
    }
    if (pts.size() > MAX_POINTS) throw usage_error(say(message_id::sat_too_many, {text_value(kv.value)}));
    return {pts, f};
}

}  // namespace

int run_sat(const mode_options& o, std::ostream& out, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    if (pos.given.size() != 1 || (pos.given[0].key != "T" && pos.given[0].key != "p"))
        throw usage_error(say(message_id::sat_one_value));
    const unit_system u = parse_units(o.units);
    const output_format format = parse_format(o.format);
    const csv_style style = csv_style_of(o, format);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const bool by_T = pos.given[0].key == "T";
    const quantity given_q = by_T ? quantity::temperature : quantity::pressure;
    const table_points given = points_of(pos.given[0], given_q, u);
    std::vector<double> points, si_points;
    for (const double value : given.values) {
        given_value v = given.unit;
        v.number = value;
        si_points.push_back(si_of(v, pos.given[0].key));
        points.push_back(shown_value(v, si_points.back(), u));  // in the output's units
    }

    const vantrel::fluid f = vantrel::fluid::by_name(data_directory(o.data), pos.fluid, ref);
    const vantrel::fluid_info& info = f.info();
    record_set set{f.info().agent, {{"T", quantity::temperature}, {"p", quantity::pressure},
                               {"rho_liq", quantity::density}, {"rho_vap", quantity::density},
                               {"h_liq", quantity::energy}, {"h_vap", quantity::energy},
                               {"s_liq", quantity::entropy}, {"s_vap", quantity::entropy},
                               {"dh_vap", quantity::energy}}, {}};
    if (info.glide) {
        set.columns.push_back(by_T ? column{"pbub", quantity::pressure} : column{"Tbub", quantity::temperature});
        set.columns.push_back(by_T ? column{"pdew", quantity::pressure} : column{"Tdew", quantity::temperature});
    }
    bool told = false;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const double value = points[k], si = si_points[k];
        const auto sat = (si > 0) ? (by_T ? f.saturation_at_T(si) : f.saturation_at_p(si)) : std::nullopt;
        std::vector<cell> row(set.columns.size());
        row[by_T ? 0 : 1] = value;
        if (sat) {
            row = {from_si(quantity::temperature, u, sat->T), from_si(quantity::pressure, u, sat->p),
                   sat->rho_liq, sat->rho_vap, from_si(quantity::energy, u, sat->h_liq),
                   from_si(quantity::energy, u, sat->h_vap), from_si(quantity::entropy, u, sat->s_liq),
                   from_si(quantity::entropy, u, sat->s_vap), from_si(quantity::energy, u, sat->h_vap - sat->h_liq)};
            row.resize(set.columns.size());
            row[by_T ? 0 : 1] = value;  // as given, without the round trip through SI
        } else if (!told) {
            told = true;
            const std::string& key = pos.given[0].key;
            const auto at = [&](double v) { return number_value(v, given_q); };
            err << say(message_id::sat_no_state,
                       {vantrel::named_value(key, si, given_q), text_value(key), at(by_T ? info.T_tp : info.p_tp),
                        at(by_T ? info.T_cr : info.p_cr)})
                << '\n';
        }
        if (info.glide && si > 0) {
            const vantrel::bubble_dew b = by_T ? f.bubble_dew_at_T(si) : f.bubble_dew_at_p(si);
            const quantity q = by_T ? quantity::pressure : quantity::temperature;
            row[row.size() - 2] = number_cell(q, u, b.bubble);
            row[row.size() - 1] = number_cell(q, u, b.dew);
        }
        set.rows.push_back(std::move(row));
    }
    write_records(out, set, format, u, false, style);
    return 0;
}

}  // namespace cli
