// vantrel_cli sat [FLUID] T=FROM:TO:STEP | p=FROM:TO:STEP | T=V | p=V: a
// saturation table, or a mixture's bubble and dew points.
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
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
            throw usage_error(say(text_id::sat_range_units, {text_value(kv.key + "=" + kv.value)}));
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
    if (parts.size() != 3) throw usage_error(say(text_id::sat_range_format, {text_value(kv.key)}));
    const auto [f, t, st] = range_parts(kv, parts, q, u);
    const double from = f.number, to = t.number, step = st.number;
    if (!(step > 0)) throw usage_error(say(text_id::sat_step, {text_value(std::string(parts[2]))}));
    if (!(from <= to)) throw usage_error(say(text_id::sat_range_order, {text_value(kv.value)}));
    const double span = (to - from) / step;
    if (!(span < static_cast<double>(MAX_POINTS)))
        throw usage_error(say(text_id::sat_too_many, {text_value(kv.value)}));
    const double tolerance = 1e-9 * step;
    std::size_t n = static_cast<std::size_t>(std::floor(span));
    if (from + static_cast<double>(n + 1) * step <= to + tolerance) ++n;
    std::vector<double> pts;
    for (std::size_t i = 0; i <= n; ++i) {
        const double x = from + static_cast<double>(i) * step;
        pts.push_back(std::fabs(x - to) <= tolerance ? to : x);
    }
    if (pts.size() > MAX_POINTS) throw usage_error(say(text_id::sat_too_many, {text_value(kv.value)}));
    return {pts, f};
}

// The points of the table: the key (T or p), and each point in the output's
// units (as given) and in SI units.
struct sat_points {
    std::string key;
    bool by_T = true;
    quantity q = quantity::temperature;
    unit_system u = unit_system::eng;
    std::vector<double> shown, si;
};

sat_points sat_points_of(const key_value& given, unit_system u) {
    sat_points t{given.key, given.key == "T", given.key == "T" ? quantity::temperature : quantity::pressure, u, {}, {}};
    const table_points pts = points_of(given, t.q, u);
    for (const double value : pts.values) {
        given_value v = pts.unit;
        v.number = value;
        t.si.push_back(si_of(v, given.key));
        t.shown.push_back(shown_value(v, t.si.back(), u));  // in the output's units
    }
    return t;
}

// The saturated liquid's and vapour's columns, after the temperature and pressure.
constexpr std::array<const char*, 6> PHASE_COLUMNS = {"rho_liq", "rho_vap", "h_liq", "h_vap", "s_liq", "s_vap"};
constexpr std::array<quantity, 6> PHASE_QUANTITIES = {quantity::density, quantity::density, quantity::energy,
                                                      quantity::energy,  quantity::entropy, quantity::entropy};

std::vector<column> columns_of(std::vector<column> leading) {
    for (std::size_t i = 0; i < PHASE_COLUMNS.size(); ++i) leading.push_back({PHASE_COLUMNS[i], PHASE_QUANTITIES[i]});
    return leading;
}

// The liquid's and the vapour's values in the order of PHASE_COLUMNS, in SI units.
std::vector<cell> phase_cells(unit_system u, const std::array<std::optional<double>, 6>& si) {
    std::vector<cell> out;
    for (std::size_t i = 0; i < si.size(); ++i) out.push_back(number_cell(PHASE_QUANTITIES[i], u, si[i]));
    return out;
}

// A pure fluid's (or pseudo-pure blend's) table: T, p, the saturated phases
// and the enthalpy of vaporisation; a blend with bubble and dew lines adds
// their pressures at T (or temperatures at p).
record_set pure_table(const vantrel::fluid& f, const sat_points& t, std::ostream& err) {
    const vantrel::fluid_info& info = f.info();
    const unit_system u = t.u;
    record_set set{info.agent, columns_of({{"T", quantity::temperature}, {"p", quantity::pressure}}), {}};
    set.columns.push_back({"dh_vap", quantity::energy});
    if (info.glide) {
        set.columns.push_back(t.by_T ? column{"pbub", quantity::pressure} : column{"Tbub", quantity::temperature});
        set.columns.push_back(t.by_T ? column{"pdew", quantity::pressure} : column{"Tdew", quantity::temperature});
    }
    bool told = false;
    for (std::size_t k = 0; k < t.si.size(); ++k) {
        const double si = t.si[k];
        const std::optional<vantrel::phase_boundary> b =
            si > 0 ? std::optional(t.by_T ? f.boundary_at_T(si) : f.boundary_at_p(si)) : std::nullopt;
        const std::optional<vantrel::equilibrium_point> sat = b ? b->bubble : std::nullopt;
        std::vector<cell> row(2);
        if (sat) {
            row = {from_si(quantity::temperature, u, sat->T), from_si(quantity::pressure, u, sat->p)};
            const auto phases = phase_cells(u, {sat->rho_liquid, sat->rho_vapour, sat->h_liquid, sat->h_vapour,
                                                sat->s_liquid, sat->s_vapour});
            row.insert(row.end(), phases.begin(), phases.end());
            row.push_back(from_si(quantity::energy, u, sat->h_vapour - sat->h_liquid));
        } else if (!told) {
            told = true;
            const auto at = [&](double v) { return number_value(v, t.q); };
            err << say(text_id::sat_no_state,
                       {vantrel::named_value(t.key, si, t.q), text_value(t.key), at(t.by_T ? info.T_tp : info.p_tp),
                        at(t.by_T ? info.T_cr : info.p_cr)})
                << '\n';
        }
        row.resize(set.columns.size());
        row[t.by_T ? 0 : 1] = t.shown[k];  // as given, without the round trip through SI
        if (info.glide && b) {
            const quantity q = t.by_T ? quantity::pressure : quantity::temperature;
            row[row.size() - 2] = number_cell(q, u, b->lines.bubble);
            row[row.size() - 1] = number_cell(q, u, b->lines.dew);
        }
        set.rows.push_back(std::move(row));
    }
    return set;
}

// A value of a bubble or dew point, absent with the point.
std::optional<double> of(const std::optional<vantrel::equilibrium_point>& point,
                         double vantrel::equilibrium_point::*member) {
    return point ? std::optional((*point).*member) : std::nullopt;
}

// Where a mixture's table has no bubble or dew point: the ranges the library
// computes them in, from the lower limit (in p, each line's own) up to the
// critical neighbourhood.
void tell_refused(std::ostream& err, const vantrel::fluid& f, const sat_points& t, double si) {
    const vantrel::phase_envelope& e = f.envelope();
    const double T_low = f.info().T_tp;
    const double high = t.by_T ? e.T_refused : e.p_refused;
    const auto at = [&](double v) { return number_value(v, t.q); };
    err << say(text_id::sat_no_bubble_dew,
               {vantrel::named_value(t.key, si, t.q), text_value(t.key), at(t.by_T ? T_low : e.bubble.front().p),
                at(high), at(t.by_T ? T_low : e.dew.front().p), at(high)})
        << '\n';
}

// A mixture's table: at each T (or p) the bubble and dew pressures (or
// temperatures), the liquid of the bubble point and the vapour of the dew
// point. The two lie at different p (or T): no enthalpy of vaporisation.
record_set mixture_table(const vantrel::fluid& f, const sat_points& t, std::ostream& err) {
    const quantity other = t.by_T ? quantity::pressure : quantity::temperature;
    record_set set{f.info().agent,
                   columns_of({{t.key, t.q}, {t.by_T ? "pbub" : "Tbub", other}, {t.by_T ? "pdew" : "Tdew", other}}),
                   {}};
    bool told = false;
    for (std::size_t k = 0; k < t.si.size(); ++k) {
        const double si = t.si[k];
        const std::optional<vantrel::phase_boundary> b =
            si > 0 ? std::optional(t.by_T ? f.boundary_at_T(si) : f.boundary_at_p(si)) : std::nullopt;
        const auto bubble = b ? b->bubble : std::nullopt, dew = b ? b->dew : std::nullopt;
        using P = vantrel::equilibrium_point;
        const auto at = t.by_T ? &P::p : &P::T;
        std::vector<cell> row{t.shown[k], number_cell(other, t.u, of(bubble, at)), number_cell(other, t.u, of(dew, at))};
        const auto phases = phase_cells(t.u, {of(bubble, &P::rho_liquid), of(dew, &P::rho_vapour),
                                              of(bubble, &P::h_liquid), of(dew, &P::h_vapour),
                                              of(bubble, &P::s_liquid), of(dew, &P::s_vapour)});
        row.insert(row.end(), phases.begin(), phases.end());
        set.rows.push_back(std::move(row));
        if ((!bubble || !dew) && !told) {
            told = true;
            tell_refused(err, f, t, t.si[k]);
        }
    }
    return set;
}

}  // namespace

int run_sat(const mode_options& o, std::ostream& out, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    if (pos.given.size() != 1 || (pos.given[0].key != "T" && pos.given[0].key != "p"))
        throw usage_error(say(text_id::sat_one_value));
    const unit_system u = parse_units(o.units);
    const output_format format = parse_format(o.format);
    const csv_style style = csv_style_of(o, format);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const sat_points points = sat_points_of(pos.given[0], u);

    const vantrel::fluid f = vantrel::fluid::by_name(data_directory(o.data), pos.fluid, ref);
    const record_set set = f.info().boundary == vantrel::boundary_kind::envelope ? mixture_table(f, points, err)
                                                                                 : pure_table(f, points, err);
    write_records(out, set, format, u, false, style);
    return 0;
}

}  // namespace cli
