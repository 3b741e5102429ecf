#include "engine/phase/saturation.h"

#include <cmath>

#include "engine/base/fpu.h"

namespace vantrel::detail {

namespace {

constexpr double LO = 1 - CRITICAL_BAND;
constexpr double HI = 1 + CRITICAL_BAND;
constexpr double UPPER = 1 - SATURATION_LIMIT;
constexpr double BELOW_TRIPLE = 1e-6;    // of p_tp: the configuration's triple point pressure against the correlation's
constexpr double ROUNDING = 1e-15;       // a limit written in other units rounds a hair to either side of it
constexpr double SEED_BRACKET = 0.05;    // K: the correlation's T at p, a start only
constexpr int EQUAL_AREA_STEPS = 100;    // as the message says
// Near the critical point the equations flatten: Newton's steps go on until
// they settle, or the equations hold to the last bits.
constexpr newton_options EQUAL_AREA{EQUAL_AREA_STEPS, 1e-15, 1e-10, 1e-7};

// delta of the ideal gas at (T, p): p / (rho_r R T), in the component's own units.
double ideal_delta(const component_data& c, double T, double p) { return p / (c.cfg.rho_div * c.cfg.R * T); }

// A density by the equation at (T, p) from a start delta_0 (nothing where it does not converge from there).
std::optional<double> density_from(const component_data& c, const residual_at<double>& at, double T, double p,
                                   double delta_0) {
    try {
        const auto delta = solve_delta(at, ideal_delta(c, T, p), c.delta_tolerance(), delta_0);
        return *delta * c.cfg.rho_div;
    } catch (const error&) {
        clear_fp();
        return std::nullopt;
    }
}

// Saturation by the correlations: the pressure of the correlation, or its
// inverse to the precision of a double.
std::optional<sat_solution> by_correlation(const component_data& c, given g, double value) {
    const config& k = c.cfg;
    sat_solution s;
    if (g == given::p) {
        // The triple point's pressure as the configuration writes it may lie a
        // hair below the correlation's own there: the triple point, not the
        // bisection's far end. (Above the correlation's pressure at T_cr the
        // bisection ends at T_cr.)
        const double p_lo = c.line.p(k.T_tp);
        check_fp();
        if (value < p_lo * (1 - BELOW_TRIPLE)) return std::nullopt;
        s.T = value <= p_lo ? k.T_tp : c.line.T_at(value, k.T_tp, k.T_cr, 0);
    } else {
        s.T = value;
    }
    s.p = g == given::T ? c.line.p(value) : value;
    check_fp();
    const double liq = c.liquid_line->delta(s.T), vap = c.vapour_line->delta(s.T);
    check_fp();
    // Close to the critical point the equation may give one density for both
    // sides at the correlation's pressure: the correlations' densities stand.
    const residual_at<double> at(c.residual, c.T_r() / s.T);
    std::optional<double> l = density_from(c, at, s.T, s.p, liq), v = density_from(c, at, s.T, s.p, vap);
    if (!l) l = liq * c.cfg.rho_div;
    if (!v) v = vap * c.cfg.rho_div;
    if (!(*l / *v > HI)) l = liq * c.cfg.rho_div, v = vap * c.cfg.rho_div;
    s.rho_liquid = l;
    s.rho_vapour = v;
    return s;
}

std::optional<sat_solution> by_expansion(const component_data& c, given g, double value) {
    const std::optional<sat_curves> s = g == given::T ? c.expansion->at_T(value) : c.expansion->at_p(value);
    if (!s) return std::nullopt;
    check_fp();
    return sat_solution{s->T, s->p, s->rho_liq, s->rho_vap};
}

// A saturated phase's density at (T, p) from the start of its side.
double seed(const component_data& c, double T, double p, double p_s) {
    const config& k = c.cfg;
    const double tau = c.T_r() / T, delta_id = ideal_delta(c, T, p);
    const auto below = [&] { return p < (p_s == 0 ? c.line.p(T) : p_s); };
    const residual_at<double> at(c.residual, tau);
    return *solve_delta(at, delta_id, c.delta_tolerance(), density_start(tau, delta_id, p / k.p_cr, below)) *
           c.cfg.rho_div;
}

// The equal-area solution (the phase equilibrium of one component) from
// start densities on either side of the correlation's saturation state.
std::optional<two_phase> equal_area(const model& m, given g, double T_s, double p_s) {
    const component_data& c = m.pure();
    const double xi = c.cfg.sat_xi;
    const double T_minus = g == given::T ? T_s : (1 - xi) * T_s, T_plus = g == given::T ? T_s : (1 + xi) * T_s;
    const double p_given = g == given::T ? 0 : p_s;
    two_phase start{T_s, p_s, {1.0}, {1.0}, seed(c, T_minus, (1 + xi) * p_s, p_given),
                    seed(c, T_plus, (1 - xi) * p_s, p_given)};
    const composition& z = start.x;
    const int held = g == given::T ? ln_T_index(1) : ln_p_index(1);
    const equilibrium_problem q{m, z, unknowns::bubble, false, {spec_kind::unknown, std::log(g == given::T ? T_s : p_s), held}, {}};
    const equilibrium_solution s = solve_equilibrium(q, unknowns_of(start), EQUAL_AREA);
    two_phase out = s.state;
    (g == given::T ? out.T : out.p) = g == given::T ? T_s : p_s;  // as given, not through its logarithm
    return out;
}

std::optional<sat_solution> by_equal_area(const model& m, given g, double value) {
    const component_data& c = m.pure();
    const config& k = c.cfg;
    const double T_s = g == given::T ? value : c.line.T_at(value, k.T_tp, k.T_cr, SEED_BRACKET);
    const double p_s = g == given::T ? c.line.p(value) : value;
    check_fp();
    sat_solution s{T_s, p_s, {}, {}};
    // Newton's method from the correlation's seeds needs some distance from
    // the critical point; the expansions, where given, reach closer.
    if (T_s < LO * k.T_cr && p_s < LO * k.p_cr) {
        const std::optional<two_phase> e = equal_area(m, g, T_s, p_s);
        check_fp();
        // Newton's method may end on the trivial solution of equal densities,
        // which is no saturation state: its pressure or temperature would
        // pass for one.
        if (!e || !(e->rho_x / e->rho_y > HI)) return std::nullopt;
        s = {e->T, e->p, e->rho_x, e->rho_y};
    }
    (g == given::T ? s.T : s.p) = value;
    return s;
}

}  // namespace

bool in_saturation_range(const config& c, given g, double value, int level) {
    if ((level != 0 && level != 1) || c.line.sat_id == 0) return false;
    const double lo = g == given::T ? c.T_tp : c.p_tp;
    const double hi = g == given::T ? c.T_cr : c.p_cr;
    // The lower end is inclusive, and so is a value a rounding below it (0.01
    // degrees Celsius is 273.15999999999997 K, T_tp of water 273.16 K).
    if (!(lo * (1 - ROUNDING) <= value && value < hi)) return false;
    if (level == 0 || !c.maxwell_rule) return true;
    // Inclusive, and a value written at the limit itself is within it
    // whichever way its decimal rounds.
    return value <= (UPPER + ROUNDING) * hi;
}

std::optional<sat_solution> solve_saturation(const model& m, given g, double value) {
    const component_data& c = m.pure();
    if (!in_saturation_range(c.cfg, g, value, 0)) return std::nullopt;
    if (!c.cfg.maxwell_rule) return by_correlation(c, g, value);
    if (c.expansion) return by_expansion(c, g, value);
    return by_equal_area(m, g, value);
}

std::optional<boundary_point> saturated(const model& m, given g, double value) {
    if (!in_saturation_range(m.pure().cfg, g, value, 1)) return std::nullopt;
    const std::optional<sat_solution> s = solve_saturation(m, g, value);
    // No state when the densities were not computed, or are not distinct.
    if (!s || !s->rho_liquid) return std::nullopt;
    if (!(*s->rho_liquid / *s->rho_vapour > HI)) return std::nullopt;
    return boundary_point{s->T, s->p, {1.0}, {1.0}, *s->rho_liquid, *s->rho_vapour};
}

double line_pressure(const component_data& c, double T) {
    const double p = c.line.p(T);
    check_fp();
    return p;
}

}  // namespace vantrel::detail
