// vantrel_cli sat [FLUID] T=FROM:TO:STEP | p=FROM:TO:STEP | T=V | p=V: a
// saturation table.
#include <charconv>
#include <cmath>
#include <ostream>

#include "cli/arguments.h"
#include "cli/data_location.h"
#include "cli/modes.h"
#include "cli/output.h"

namespace cli {

namespace {

constexpr std::size_t MAX_POINTS = 100000;

// FROM:TO:STEP or a single value: point i is FROM + i STEP, and TO itself
// where it lies within 1e-9 STEP of a point.
std::vector<double> points_of(const key_value& kv) {
    const std::vector<std::string_view> parts = split(kv.value, ':');
    const std::string what = kv.key + "=";
    if (parts.size() == 1) return {argument_number(parts[0], what)};
    if (parts.size() != 3) throw usage_error("Задайте " + kv.key + "=FROM:TO:STEP или " + kv.key + "=VALUE.");
    const double from = argument_number(parts[0], what), to = argument_number(parts[1], what);
    const double step = argument_number(parts[2], what);
    if (!(step > 0)) throw usage_error("Шаг таблицы должен быть больше 0: " + std::string(parts[2]) + ".");
    if (!(from <= to)) throw usage_error("Начало таблицы больше её конца: " + kv.value + ".");
    const double span = (to - from) / step;
    if (!(span < static_cast<double>(MAX_POINTS)))
        throw usage_error("Слишком много точек в таблице " + kv.value + ": не более 100000.");
    const double tolerance = 1e-9 * step;
    std::size_t n = static_cast<std::size_t>(std::floor(span));
    if (from + static_cast<double>(n + 1) * step <= to + tolerance) ++n;
    std::vector<double> pts;
    for (std::size_t i = 0; i <= n; ++i) {
        const double x = from + static_cast<double>(i) * step;
        pts.push_back(std::fabs(x - to) <= tolerance ? to : x);
    }
    if (pts.size() > MAX_POINTS) throw usage_error("Слишком много точек в таблице " + kv.value + ": не более 100000.");
    return pts;
}

// Ten significant digits: as many as a limit needs, without the noise of a
// conversion (200 K is -73.15 degrees Celsius, not -73.14999999999998).
std::string limit_text(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, unsigned_zero(v), std::chars_format::general, 10);
    return std::string(buf, r.ptr);
}

std::string range_text(quantity q, unit_system u, double lo, double hi) {
    return limit_text(from_si(q, u, lo)) + " до " + limit_text(from_si(q, u, hi)) + " " + std::string(unit_name(q, u));
}

}  // namespace

int run_sat(const mode_options& o, std::ostream& out, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    if (pos.given.size() != 1 || (pos.given[0].key != "T" && pos.given[0].key != "p"))
        throw usage_error("Задайте одну величину: T=FROM:TO:STEP, p=FROM:TO:STEP, T=VALUE или p=VALUE.");
    const unit_system u = parse_units(o.units);
    const output_format format = parse_format(o.format);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const bool by_T = pos.given[0].key == "T";
    const quantity given_q = by_T ? quantity::temperature : quantity::pressure;
    const std::vector<double> points = points_of(pos.given[0]);
    std::vector<double> si_points;
    for (const double value : points) si_points.push_back(checked_si(given_q, u, value, pos.given[0].key));

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
            err << "Состояния насыщения при " << pos.given[0].key << " = " << limit_text(value) << " "
                << unit_name(given_q, u) << " нет: оно рассчитывается от тройной точки до критической ("
                << pos.given[0].key << " от "
                << (by_T ? range_text(given_q, u, info.T_tp, info.T_cr) : range_text(given_q, u, info.p_tp, info.p_cr))
                << "); значения в таких строках пусты.\n";
        }
        if (info.glide && si > 0) {
            const vantrel::bubble_dew b = by_T ? f.bubble_dew_at_T(si) : f.bubble_dew_at_p(si);
            const quantity q = by_T ? quantity::pressure : quantity::temperature;
            row[row.size() - 2] = number_cell(q, u, b.bubble);
            row[row.size() - 1] = number_cell(q, u, b.dew);
        }
        set.rows.push_back(std::move(row));
    }
    write_records(out, set, format, u, false);
    return 0;
}

}  // namespace cli
