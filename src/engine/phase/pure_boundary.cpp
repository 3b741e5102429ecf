#include "engine/phase/pure_boundary.h"

#include <cmath>

#include "engine/model/caloric.h"

namespace vantrel::detail {

namespace {

constexpr double LO = 1 - CRITICAL_BAND;
constexpr double SIDE_TOLERANCE = 1e-9;  // of the saturated densities: a state solved on the line is on its side
constexpr double LOWEST_T = 0.1;         // of T_cr: the isobars' lowest T for a fluid without a triple point

phase_kind against(double p, double p_s) {
    if (p > p_s) return phase_kind::liquid;
    if (p < p_s) return phase_kind::gas;
    return phase_kind::none;
}

}  // namespace

boundary_points pure_boundary::at(given g, double value, precision) const {
    const std::optional<boundary_point> s = saturated(*m_, g, value);
    return {s, s};
}

isobar_decision pure_boundary::two_phase_at(given g, double value) const {
    isobar_decision d;
    d.bubble = d.dew = saturated(*m_, g, value);
    return d;
}

void pure_boundary::refuse(double T, double p) const {
    const config& c = pure().cfg;
    if (std::fabs(T / c.T_cr - 1) <= CRITICAL_BAND && std::fabs(p / c.p_cr - 1) <= CRITICAL_BAND)
        throw error(error_kind::near_critical, message_id::near_critical);
}

double pure_boundary::T_low() const { return pure().info.T_min.value_or(pure().cfg.T_tp); }

std::pair<double, double> pure_boundary::p_range() const {
    return {pure().cfg.p_tp, pure().cfg.p_cr * (1 - SATURATION_LIMIT)};
}

pure_boundary::decision pure_boundary::decide_phase(double T, double p) const {
    const component_data& k = pure();
    const config& c = k.cfg;
    // At the critical pressure itself the fluid counts as above it.
    if (p >= c.p_cr && T > c.T_cr) return {phase_kind::supercritical, {}};
    if (p < c.p_tp && T > c.T_tp) return {phase_kind::gas, {}};
    if (c.T_tp < T && T < c.T_cr && p >= c.p_cr) return {phase_kind::liquid, {}};
    if (c.p_tp < p && p < c.p_cr && T > c.T_cr) return {phase_kind::gas, {}};
    if (!(c.T_tp < T && T < c.T_cr && c.p_tp < p && p < c.p_cr)) return {};
    if (!in_saturation_range(c, given::T, T, 0)) return {};
    // The correlation's pressure is the saturation pressure.
    if (!c.maxwell_rule) return {against(p, line_pressure(k, T)), {}};
    if (k.expansion) {
        // Exact below the expansions' upper end; above it the saturation
        // pressure lies between the expansions' last one and p_cr.
        if (const auto s = solve_saturation(*m_, given::T, T)) return {against(p, s->p), s};
        const double p_last = k.expansion->closest().p;
        check_fp();
        return {p < p_last ? phase_kind::gas : phase_kind::none, {}};
    }
    // The equal-area rule, which away from the saturation line the
    // correlation's bound (sat_line_margin) spares.
    if (c.sat_line_margin && T < LO * c.T_cr) {
        const double p_line = line_pressure(k, T);
        if (p < p_line * (1 - *c.sat_line_margin)) return {phase_kind::gas, {}};
        if (p > p_line * (1 + *c.sat_line_margin)) return {phase_kind::liquid, {}};
    }
    const std::optional<sat_solution> s = solve_saturation(*m_, given::T, T);
    if (!s) return {};
    return {against(p, s->p), s};
}

std::pair<std::optional<double>, branch> pure_boundary::start_of(double T, double p, const decision& ph) const {
    const component_data& k = pure();
    const config& c = k.cfg;
    const double tau = k.T_r() / T, delta_id = p / (c.rho_div * c.R * T);
    // The start's side of the saturation line: the phase's where it is gas or
    // liquid; without one, at or above T_cr (where no saturation exists) a gas
    // below the critical pressure, otherwise by the saturation pressure at hand.
    const auto below = [&] {
        if (ph.phase == phase_kind::gas) return true;
        if (ph.phase == phase_kind::liquid) return false;
        if (!(T < c.T_cr)) return p < c.p_cr;
        return p < (ph.sat ? ph.sat->p : line_pressure(k, T));
    };
    // A liquid starts from its saturated density, below its own on a convex
    // isotherm: Newton's first step lands above it and the rest approach it
    // from there, also close to the critical point.
    std::optional<double> liquid;
    if (ph.phase == phase_kind::liquid && T < c.T_cr) {
        if (ph.sat && ph.sat->rho_liquid)
            liquid = *ph.sat->rho_liquid / c.rho_div;
        else if (const auto s = k.expansion ? k.expansion->at_T(T) : std::nullopt)
            liquid = s->rho_liq / c.rho_div;
        else if (k.liquid_line)
            liquid = k.liquid_line->delta(T);
    }
    check_fp();
    double start = liquid ? *liquid : density_start(tau, delta_id, p / c.p_cr, below);
    // A gas below its saturation pressure: Z taken linear in p from 1 at zero
    // pressure to the saturated vapour's (the second virial coefficient's
    // approximation), a Newton step closer than the ideal gas.
    if (ph.phase == phase_kind::gas && ph.sat && ph.sat->rho_vapour && *ph.sat->rho_vapour > 0 && ph.sat->p > p) {
        const double z_sat = ph.sat->p / (ph.sat->T * m_->R * *ph.sat->rho_vapour);
        start = delta_id / (1 - (1 - z_sat) * (p / ph.sat->p));
    }
    // A gas below the critical temperature is on the vapour's branch of its
    // isotherm, which may end below p where saturation comes from correlations.
    const bool vapour = ph.phase == phase_kind::gas && T < c.T_cr;
    return {start * c.rho_div, vapour ? branch::vapour : branch::any};
}

tp_decision pure_boundary::decide(double T, double p) const {
    refuse(T, p);
    const decision ph = decide_phase(T, p);
    const auto [rho, on] = start_of(T, p, ph);
    tp_decision d{ph.phase, {}, true, false, rho, {}, on};
    if (ph.sat && ph.sat->rho_liquid && in_saturation_range(pure().cfg, given::T, T, 1)) {
        const boundary_point s{ph.sat->T, ph.sat->p, {1.0}, {1.0}, *ph.sat->rho_liquid, *ph.sat->rho_vapour};
        d.lines = {s, s};
    }
    return d;
}

std::pair<std::optional<double>, branch> pure_boundary::start(double T, double p, phase_kind phase) const {
    return start_of(T, p, {phase, {}});
}

isobar_decision pure_boundary::on_isobar(double p, const spec& target) const {
    const std::optional<boundary_point> s = saturated(*m_, given::p, p);
    const component_data& k = pure();
    // The stated range of T (or the triple point to three times T_cr).
    const double t_lo = k.info.T_min.value_or(k.cfg.T_tp > 0 ? k.cfg.T_tp : LOWEST_T * k.cfg.T_cr);
    const double t_hi = k.info.T_max.value_or(3 * k.cfg.T_cr);
    isobar_decision d;
    if (!s) {
        d.single = isobar_part{{}, {}, 0, INFINITY, {t_lo, {}}, {t_hi, {}}};
        return d;
    }
    const bool h = target.kind == spec_kind::h;
    const phase_pair both = properties_of_pair(*m_, s->T, s->rho_x, s->x, s->rho_y, s->y);
    const double v_liq = h ? both.liquid.h : both.liquid.s, v_vap = h ? both.vapour.h : both.vapour.s;
    if (target.value >= v_liq && target.value <= v_vap) {
        d.bubble = d.dew = s;
        d.weight = (target.value - v_liq) / (v_vap - v_liq);
        d.saturated = both;
        return d;
    }
    const double lowest = 0.5 * T_low();
    if (target.value < v_liq)
        d.single = isobar_part{phase_kind::liquid, std::pair{s->T, s->rho_x}, lowest, s->T,
                               {std::min(t_lo, s->T), {}}, {s->T, v_liq}};
    else
        // Above the saturation temperature at p, a pressure below the critical
        // one: gas, at every temperature (the phase decision could put a state a
        // hair above the line on the liquid's side).
        d.single = isobar_part{phase_kind::gas, std::pair{s->T, s->rho_y}, s->T, INFINITY,
                               {s->T, v_vap}, {std::max(t_hi, s->T), {}}};
    return d;
}

phase_kind pure_boundary::single_at(double T, double p, double) const {
    refuse(T, p);
    return decide_phase(T, p).phase;
}

std::optional<phase_kind> pure_boundary::stable(double T, double rho, double p) const {
    const phase_kind phase = decide_phase(T, p).phase;
    if (phase != phase_kind::gas && phase != phase_kind::liquid) return phase;
    const auto sat = T < pure().cfg.T_cr ? solve_saturation(*m_, given::T, T) : std::nullopt;
    if (!(sat && sat->rho_liquid)) return phase;
    // Inside the saturated densities lie metastable states, and the two-phase one.
    if (rho < *sat->rho_liquid && rho > *sat->rho_vapour) return std::nullopt;
    return rho >= *sat->rho_liquid ? phase_kind::liquid : phase_kind::gas;
}

bool pure_boundary::on_its_side(double T, double rho, phase_kind phase,
                                const std::optional<boundary_point>& known) const {
    const component_data& k = pure();
    const bool gas = phase == phase_kind::gas, liquid = phase == phase_kind::liquid;
    if (!(gas || liquid) || !(T < k.cfg.T_cr) || !k.cfg.maxwell_rule) return true;
    std::optional<sat_solution> sat;
    if (known) sat = sat_solution{known->T, known->p, known->rho_x, known->rho_y};
    else if (k.expansion) sat = solve_saturation(*m_, given::T, T);
    if (!(sat && sat->rho_liquid)) return true;
    return gas ? rho <= *sat->rho_vapour * (1 + SIDE_TOLERANCE) : rho >= *sat->rho_liquid * (1 - SIDE_TOLERANCE);
}

}  // namespace vantrel::detail
