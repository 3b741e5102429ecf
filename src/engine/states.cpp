#include "engine/states.h"

#include <cmath>

#include "engine/density.h"
#include "engine/equilibrium.h"
#include "engine/base/fpu.h"
#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

constexpr double LO = 1 - CRITICAL_BAND;
constexpr double HI = 1 + CRITICAL_BAND;
constexpr double UPPER = 1 - SATURATION_LIMIT;

// Equal-area solution from start densities on either side of the
// correlation's saturation state (t_s, p_s).
void equal_area(const fluid_data& f, given g, double& tau_s, double& pi_s, double p_s, double& omega_1,
                double& omega_2) {
    const config& c = f.cfg;
    const double xi = c.sat_xi;
    const double pi_plus = (1 + xi) * pi_s, pi_minus = (1 - xi) * pi_s;
    const double tau_plus = (g == given::T) ? tau_s : (1 + xi) * tau_s;
    const double tau_minus = (g == given::T) ? tau_s : (1 - xi) * tau_s;
    const auto seed = [&](double tau, double pi) {
        const auto pi_s_of = [&] { return p_s == 0 ? f.line.p(c.tau_div * tau) / c.p_cr : p_s / c.p_cr; };
        const residual_at_tau<double> at(f.residual, tau);
        return solve_density(at, pi, f.z_d, f.delta, density_start(tau, pi, f.z_d, pi_s_of));
    };
    omega_1 = seed(tau_minus, pi_plus);
    omega_2 = seed(tau_plus, pi_minus);
    if (g == given::T) {
        const residual_at_tau<double> at(f.residual, tau_s);
        equal_area_at_T(at, omega_1, omega_2, f.delta);
        pi_s = (1 + at(omega_1).z_minus_1) * tau_s * omega_1 / f.z_d;
    } else {
        equal_area_at_p(f.residual, omega_1, omega_2, tau_s, pi_s, f.z_d, f.delta);
    }
}

}  // namespace

bool in_saturation_range(const config& c, given g, double value, int level) {
    if ((level != 0 && level != 1) || c.line.sat_id == 0) return false;
    const double lo = (g == given::T) ? c.T_tp : c.p_tp;
    const double hi = (g == given::T) ? c.T_cr : c.p_cr;
    // The lower end is inclusive, and so is a value a rounding below it (0.01
    // degrees Celsius is 273.15999999999997 K, T_tp of water 273.16 K).
    if (!(lo * (1 - 1e-15) <= value && value < hi)) return false;
    if (level == 0 || !c.maxwell_rule) return true;
    // Inclusive, and a value written at the limit itself is within it
    // whichever way its decimal rounds.
    return value <= (UPPER + 1e-15) * hi;
}

namespace {

// A saturated density by the equation at (tau, pi) from the correlation's,
// or the correlation's own where the equation does not converge from it.
double correlation_density(const residual_at_tau<double>& at, const fluid_data& f, double pi, double omega_0) {
    try {
        return solve_density(at, pi, f.z_d, f.delta, omega_0);
    } catch (const error&) {
        clear_fp();
        return omega_0;
    }
}

// Saturation by the correlations: the pressure of the correlation, or its
// inverse to the precision of a double.
std::optional<sat_solution> by_correlation(const fluid_data& f, given g, double value) {
    const config& c = f.cfg;
    sat_solution s;
    if (g == given::p) {
        // The triple point's pressure as the configuration writes it may lie a
        // hair below the correlation's own there: the triple point, not the
        // bisection's far end. (Above the correlation's pressure at T_cr the
        // bisection ends at T_cr.)
        const double p_lo = f.line.p(c.T_tp);
        check_fp();
        if (value < p_lo * (1 - 1e-6)) return std::nullopt;
        s.T = value <= p_lo ? c.T_tp : f.line.T_at(value, c.T_tp, c.T_cr, 0);
    } else {
        s.T = value;
    }
    s.p = (g == given::T) ? f.line.p(value) : value;
    check_fp();
    const double tau = s.T / c.tau_div, pi = s.p / c.p_cr;
    const residual_at_tau<double> at(f.residual, tau);
    const double liq = f.liquid_line->omega(tau), vap = f.vapour_line->omega(tau);
    check_fp();
    s.omega_1 = correlation_density(at, f, pi, liq);
    s.omega_2 = correlation_density(at, f, pi, vap);
    // Close to the critical point the equation may give one density for both
    // sides at the correlation's pressure: the correlations' densities stand.
    if (!(*s.omega_1 / *s.omega_2 > HI)) {
        s.omega_1 = liq;
        s.omega_2 = vap;
    }
    return s;
}

std::optional<sat_solution> by_expansion(const sat_expansion& e, const fluid_data& f, given g, double value) {
    const std::optional<sat_curves> s = (g == given::T) ? e.at_T(value) : e.at_p(value);
    if (!s) return std::nullopt;
    check_fp();
    return sat_solution{s->T, s->p, s->rho_liq / f.cfg.rho_div, s->rho_vap / f.cfg.rho_div};
}

std::optional<sat_solution> by_equal_area(const fluid_data& f, given g, double value) {
    const config& c = f.cfg;
    const double t_s = (g == given::T) ? value : f.line.T_at(value, c.T_tp, c.T_cr, 0.05);
    const double p_s = (g == given::T) ? f.line.p(value) : value;
    double tau_s = t_s / c.tau_div;
    double pi_s = p_s / c.p_cr;
    check_fp();
    sat_solution s;
    // Newton's method from the correlation's seeds needs some distance from
    // the critical point; the expansions, where given, reach closer.
    if (t_s < LO * c.T_cr && p_s < LO * c.p_cr) {
        double omega_1 = 0, omega_2 = 0;
        equal_area(f, g, tau_s, pi_s, p_s, omega_1, omega_2);
        // Newton's method may end on the trivial solution of equal densities,
        // which is no saturation state: its pressure or temperature would
        // pass for one.
        check_fp();
        if (!(omega_1 / omega_2 > HI)) return std::nullopt;
        s.omega_1 = omega_1;
        s.omega_2 = omega_2;
    }
    s.T = (g == given::T) ? value : c.tau_div * tau_s;
    s.p = (g == given::p) ? value : c.p_cr * pi_s;
    check_fp();
    return s;
}

}  // namespace

std::optional<sat_solution> solve_saturation(const fluid_data& f, given g, double value) {
    if (!in_saturation_range(f.cfg, g, value, 0)) return std::nullopt;
    if (!f.cfg.maxwell_rule) return by_correlation(f, g, value);
    if (f.expansion) return by_expansion(*f.expansion, f, g, value);
    return by_equal_area(f, g, value);
}

std::optional<saturated_pair> saturated_states(const fluid_data& f, given g, double value) {
    if (!in_saturation_range(f.cfg, g, value, 1)) return std::nullopt;
    const std::optional<sat_solution> s = solve_saturation(f, g, value);
    // No state when the densities were not computed, or are not distinct.
    if (!s || !s->omega_1) return std::nullopt;
    if (!(*s->omega_1 / *s->omega_2 > HI)) return std::nullopt;
    saturated_pair r;
    r.T = s->T;
    r.p = s->p;
    r.omega_1 = *s->omega_1;
    r.omega_2 = *s->omega_2;
    const residual_at_tau<double> at(f.residual, s->T / f.cfg.tau_div);
    r.a1 = at(r.omega_1);
    r.a2 = at(r.omega_2);
    r.dh = s->T * f.cfg.R * (r.a2.h - r.a1.h);
    check_fp();
    return r;
}

namespace {

phase_kind against(double p, double p_s) {
    if (p > p_s) return phase_kind::liquid;
    if (p < p_s) return phase_kind::gas;
    return phase_kind::none;
}

// Rule 5 by the expansions: exact below their upper end; above it the
// saturation pressure lies between the expansions' last one and p_cr.
phase_decision phase_by_expansion(const fluid_data& f, double T, double p) {
    const sat_expansion& e = *f.expansion;
    if (const auto s = by_expansion(e, f, given::T, T)) return {against(p, s->p), s};
    const double p_last = e.closest().p;
    check_fp();
    return {p < p_last ? phase_kind::gas : phase_kind::none, {}};
}

// Rule 5 by the equal-area rule, which away from the saturation line the
// correlation's bound (sat_line_margin) spares.
phase_decision phase_by_equal_area(const fluid_data& f, double T, double p) {
    const config& c = f.cfg;
    if (c.sat_line_margin && T < LO * c.T_cr) {
        const double p_line = f.line.p(T);
        check_fp();
        if (p < p_line * (1 - *c.sat_line_margin)) return {phase_kind::gas, {}};
        if (p > p_line * (1 + *c.sat_line_margin)) return {phase_kind::liquid, {}};
    }
    const std::optional<sat_solution> s = by_equal_area(f, given::T, T);
    if (!s) return {};
    return {against(p, s->p), s};
}

}  // namespace

phase_decision decide_phase(const fluid_data& f, double T, double p) {
    const config& c = f.cfg;
    // At the critical pressure itself the fluid counts as above it.
    if (p >= c.p_cr && T > c.T_cr) return {phase_kind::supercritical, {}};
    if (p < c.p_tp && T > c.T_tp) return {phase_kind::gas, {}};
    if (c.T_tp < T && T < c.T_cr && p >= c.p_cr) return {phase_kind::liquid, {}};
    if (c.p_tp < p && p < c.p_cr && T > c.T_cr) return {phase_kind::gas, {}};
    if (!(c.T_tp < T && T < c.T_cr && c.p_tp < p && p < c.p_cr)) return {};
    if (!in_saturation_range(c, given::T, T, 0)) return {};
    if (!c.maxwell_rule) {
        // The correlation's pressure is the saturation pressure.
        const double p_line = f.line.p(T);
        check_fp();
        return {against(p, p_line), {}};
    }
    if (f.expansion) return phase_by_expansion(f, T, p);
    return phase_by_equal_area(f, T, p);
}

namespace {

// The reduced density of the saturated liquid at T where it comes cheaply:
// from the phase decision, the expansions or the liquid's correlation.
std::optional<double> saturated_liquid(const fluid_data& f, double T, const phase_decision& ph) {
    if (ph.sat && ph.sat->omega_1) return ph.sat->omega_1;
    if (!(T < f.cfg.T_cr)) return std::nullopt;
    if (f.expansion) {
        if (const auto s = f.expansion->at_T(T)) return s->rho_liq / f.cfg.rho_div;
    }
    if (f.liquid_line) return f.liquid_line->omega(T / f.cfg.tau_div);
    return std::nullopt;
}

}  // namespace

void refuse_near_critical(const fluid_data& f, double T, double p) {
    if (std::fabs(T / f.cfg.T_cr - 1) <= CRITICAL_BAND && std::fabs(p / f.cfg.p_cr - 1) <= CRITICAL_BAND)
        throw error(error_kind::near_critical, message_id::near_critical);
}

single_phase solve_tp(const fluid_data& f, double T, double p, std::optional<phase_kind> known, bool refuse) {
    const config& c = f.cfg;
    if (refuse) refuse_near_critical(f, T, p);
    const phase_decision ph = known ? phase_decision{*known, {}} : decide_phase(f, T, p);
    const double tau = T / c.tau_div;
    const double pi = p / c.p_cr;
    // The start value's side of the saturation line: the phase's where it is
    // gas or liquid; without one, at or above T_cr (where no saturation
    // exists) a gas below the critical pressure, otherwise by the saturation
    // pressure at hand.
    const auto pi_s = [&] {
        if (ph.phase == phase_kind::gas) return pi + 1;
        if (ph.phase == phase_kind::liquid) return pi;
        if (!(T < c.T_cr)) return p < c.p_cr ? pi + 1 : pi;
        return (ph.sat ? ph.sat->p : f.line.p(T)) / c.p_cr;
    };
    // A liquid starts from its saturated density, below its own on a convex
    // isotherm: Newton's first step lands above it and the rest approach it
    // from there, also close to the critical point.
    const std::optional<double> liquid = ph.phase == phase_kind::liquid ? saturated_liquid(f, T, ph) : std::nullopt;
    check_fp();
    double start = liquid ? *liquid : density_start(tau, pi, f.z_d, pi_s);
    // A gas below its saturation pressure: Z taken linear in p from 1 at
    // zero pressure to the saturated vapour's (the second virial
    // coefficient's approximation), a Newton step closer than the ideal gas.
    if (ph.phase == phase_kind::gas && ph.sat && ph.sat->omega_2 && *ph.sat->omega_2 > 0 && ph.sat->p > p) {
        const double z_sat = (f.z_d * (ph.sat->p / c.p_cr) / tau) / *ph.sat->omega_2;
        start = (f.z_d * pi / tau) / (1 - (1 - z_sat) * (p / ph.sat->p));
    }
    const residual_at_tau<double> at(f.residual, tau);
    // A gas below the critical temperature is on the vapour's branch of its
    // isotherm, which may end below p where saturation comes from correlations.
    const bool vapour = ph.phase == phase_kind::gas && T < c.T_cr;
    const std::optional<double> omega =
        solve_density(at, pi, f.z_d, f.delta, start, vapour ? branch::vapour : branch::any);
    if (!omega)
        throw error(error_kind::input, message_id::no_gas,
                    {text_value(f.info.agent), number_value(T, quantity::temperature), number_value(p, quantity::pressure)});
    single_phase r;
    r.phase = ph.phase;
    r.sat = ph.sat;
    r.a = at(*omega);
    check_density(r.a, *omega, pi, tau, f.z_d);
    r.rho = c.rho_div * *omega;
    return r;
}

property_constants constants_of(const fluid_data& f) {
    return {f.cfg.R, f.cfg.mu, f.cfg.rho_cr, is_helmholtz_form(f.cfg.ideal.type_calc)};
}

ideal_entry ideal_entry_at(const fluid_data& f, double T) {
    const ideal_values v = f.ideal->at(T);
    return {v.cp - f.cfg.R, v.h, v.s};
}

void add_ideal_gas(const ideal_model& m, const property_constants& c, double T, double p, properties& rec) {
    const ideal_values v = m.at(T);
    const double r = c.R;
    rec.c_p = v.cp;
    rec.h = v.h;
    rec.s_0 = v.s;
    rec.r = r;
    rec.mu = c.mu;
    rec.t = T;
    rec.p = p;
    rec.rho = p / (T * r);
    rec.z = 1;
    const double state_term = c.helmholtz ? std::log(c.rho_cr / rec.rho) : std::log(ATMOSPHERE / p);
    rec.s = v.s + state_term * r;
    rec.c_v = rec.c_p - r;
    rec.k = rec.c_p / rec.c_v;
    rec.c = std::sqrt(T * r * rec.k);
    check_fp();
}

void add_residual(const property_constants& c, double T, double p, double rho, const residual_derivatives& a,
                  properties& rec) {
    const double r = c.R;
    rec.t = T;
    rec.p = p;
    rec.rho = rho;
    rec.v = 1 / rho;
    rec.r = r;
    rec.mu = c.mu;
    rec.z = 1 + a.z_minus_1;
    rec.fug = std::exp(a.h - a.s) * r * rho * T;
    rec.c_v = rec.c_v + a.cv * r;
    rec.c_p = rec.c_v + r * (1 + a.p_T) * (1 + a.p_T) / (1 + a.p_rho);
    rec.h = rec.h + a.h * r * T;
    const double add_s = c.helmholtz ? std::log(c.rho_cr / rho) : std::log(ATMOSPHERE / (r * rho * T));
    rec.s = rec.s_0 + r * (add_s + a.s);
    rec.s_r = a.s;
    rec.k = (1 + a.p_rho) * (rec.c_p / rec.c_v) / (1 + a.z_minus_1);
    rec.xi = rec.c_p / (rec.c_v + r * (a.z_minus_1 - a.p_T) * (1 + a.p_T) * (1 + a.p_rho));
    rec.c = std::sqrt((rec.c_p / rec.c_v) * T * r * (1 + a.p_rho));
    rec.isoth_eff = (a.p_T - a.p_rho) / ((1 + a.p_rho) * rho);
    rec.adiab_eff = (a.p_T - a.p_rho) / ((1 + a.p_rho) * rec.c_p * rho);
    rec.k_alpha = (1 + a.p_T) / (1 + a.p_rho);
    rec.k_betta = (1 + a.z_minus_1) / (1 + a.p_rho);
    rec.k_gamma = (1 + a.p_T) / (1 + a.z_minus_1);
    rec.mu_t = (1 + a.z_minus_1) * (1 + a.z_minus_1) / (1 + a.p_rho);
    rec.mu_p = (1 + a.z_minus_1) * (1 + a.p_T) / (1 + a.p_rho);
}

properties real_properties(const property_constants& c, const ideal_entry& id, double T, double p, double rho,
                           const residual_derivatives& a) {
    properties q;
    q.c_v = id.cv;
    q.h = id.h;
    q.s_0 = id.s0;
    add_residual(c, T, p, rho, a, q);
    return q;
}

properties real_properties(const fluid_data& f, double T, double p, double rho, const residual_derivatives& a) {
    return real_properties(constants_of(f), ideal_entry_at(f, T), T, p, rho, a);
}

void single_phase_x(phase_kind phase, properties& rec) {
    if (phase == phase_kind::gas || phase == phase_kind::supercritical) rec.x = 1;
    if (phase == phase_kind::liquid) rec.x = 0;
}

void add_saturated(const fluid_data& f, const saturated_pair& s, phase_kind side, properties& rec) {
    if (side == phase_kind::liquid || side == phase_kind::gas) {
        const bool liquid = side == phase_kind::liquid;
        const double rho = f.cfg.rho_div * (liquid ? s.omega_1 : s.omega_2);
        rec = real_properties(f, s.T, s.p, rho, liquid ? s.a1 : s.a2);
        single_phase_x(side, rec);
    }
    rec.t = s.T;
    rec.p = s.p;
    rec.dh = s.dh;
}

std::optional<message> range_warning(const fluid_info& i, double T, double p) {
    // The ends are inclusive to 1e-15 of them: a limit written in other
    // units rounds a hair to either side (0.01 degrees Celsius is not quite 273.16 K).
    const bool outside = (i.T_min && T < *i.T_min * (1 - 1e-15)) || (i.T_max && T > *i.T_max * (1 + 1e-15)) ||
                         (i.p_max && p > *i.p_max * (1 + 1e-15));
    if (!outside) return std::nullopt;
    const auto kelvin = [](double T) { return number_value(T, quantity::temperature); };
    std::vector<message> range;
    if (i.T_min && i.T_max) range.push_back({message_id::range_T_from_to, {kelvin(*i.T_min), kelvin(*i.T_max)}});
    else if (i.T_min) range.push_back({message_id::range_T_from, {kelvin(*i.T_min)}});
    else if (i.T_max) range.push_back({message_id::range_T_to, {kelvin(*i.T_max)}});
    if (i.p_max) range.push_back({message_id::range_p_to, {number_value(*i.p_max, quantity::pressure)}});
    return message{message_id::out_of_range, {text_value(i.agent), nested_value(std::move(range))}};
}

}  // namespace vantrel::detail
