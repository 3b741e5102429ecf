// Two phases between a bubble and a dew point: the lever rule of one
// component's saturation state, Newton's method on a mixture's equilibrium
// equations started between the two points.
#include <algorithm>
#include <cmath>

#include "engine/base/fpu.h"
#include "engine/flash/flash.h"

namespace vantrel::detail {

namespace {

// The start's weight is kept this far inside (0, 1), and the vapour
// fraction of Rachford-Rice inside (0, 1) by BETA_MARGIN: a phase of no
// share has no composition to start from.
constexpr double WEIGHT_MARGIN = 1e-10;
constexpr double BETA_MARGIN = 1e-11;
constexpr int RACHFORD_RICE_ITERATIONS = 50;
constexpr double RACHFORD_RICE_SETTLED = 1e-14;  // a step in beta: a start's vapour fraction

// The vapour fraction of the Rachford-Rice equation sum z_i (K_i - 1) /
// (1 + beta (K_i - 1)) = 0 in (0, 1), by Newton's method kept inside its
// bracket; guess where it has no root there.
double rachford_rice(const composition& z, const composition& K, double guess) {
    const auto g = [&](double beta, double& slope) {
        double sum = 0;
        slope = 0;
        for (std::size_t i = 0; i < z.size(); ++i) {
            const double d = 1 + beta * (K[i] - 1);
            sum += z[i] * (K[i] - 1) / d;
            slope -= z[i] * (K[i] - 1) * (K[i] - 1) / (d * d);
        }
        return sum;
    };
    double slope = 0;
    if (!(g(0, slope) > 0 && g(1, slope) < 0)) return guess;
    double lo = 0, hi = 1, beta = guess;
    for (int it = 0; it < RACHFORD_RICE_ITERATIONS; ++it) {
        const double v = g(beta, slope);
        (v > 0 ? lo : hi) = beta;
        double next = beta - v / slope;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (std::fabs(next - beta) < RACHFORD_RICE_SETTLED) return next;
        beta = next;
    }
    return beta;
}

// A start between the bubble point b (its liquid the feed) and the dew point
// d (its vapour the feed) at weight t (0 at b, 1 at d): ln K, ln T, ln p and
// the phases' ln rho interpolated, the vapour fraction of Rachford-Rice, the
// smaller phase's mole numbers the unknowns.
struct flash_start {
    Eigen::VectorXd u;
    bool by_liquid = false;
};

flash_start start_between(const model& m, const composition& z, const two_phase& b, const two_phase& d, double t) {
    const std::size_t n = z.size();
    t = std::clamp(t, WEIGHT_MARGIN, 1 - WEIGHT_MARGIN);
    const auto mix = [t](double a, double c) { return std::exp((1 - t) * std::log(a) + t * std::log(c)); };
    composition K(n);
    for (std::size_t i = 0; i < n; ++i) K[i] = mix(b.y[i] / z[i], z[i] / d.x[i]);
    const double beta = std::clamp(rachford_rice(z, K, t), BETA_MARGIN, 1 - BETA_MARGIN);
    flash_start g{Eigen::VectorXd(n + 4), beta > 0.5};
    for (std::size_t i = 0; i < n; ++i)
        g.u(i) = std::log((g.by_liquid ? 1 - beta : beta * K[i]) * z[i] / (1 + beta * (K[i] - 1)));
    g.u(n) = std::log(mix(b.T, d.T));
    g.u(n + 1) = std::log(mix(b.p, d.p));
    g.u(n + 2) = std::log(mix(b.rho_x, d.rho_x));
    g.u(n + 3) = std::log(mix(b.rho_y, d.rho_y));
    // The liquid's density at the start's T, p and composition: interpolated,
    // it can be far off its pressure, the more so the lower p.
    const equilibrium_problem q{m, z, unknowns::split, g.by_liquid, {}, {}};
    const two_phase s = state_of(q, g.u);
    try {
        g.u(n + 2) = std::log(density_of(model_at<double>(m, s.T, s.x), s.p, s.rho_x));
    } catch (const error&) {  // Newton's method then starts from the interpolation
        clear_fp();
    }
    return g;
}

// The lever rule at one component's saturation state s: the vapour
// fraction x (by mass and by moles), the saturated phase itself at 0 and 1.
flash_state lever(const fluid_core& f, const boundary_point& s, double x) {
    if (x == 0) return saturated_state(f, s, side::bubble);
    if (x == 1) return saturated_state(f, s, side::dew);
    flash_state st;
    st.phase = phase_kind::two_phase;
    st.T = s.T;
    st.p = s.p;
    st.x = x;
    st.split = s;
    st.beta = x;
    return st;
}

}  // namespace

phase_pair phases_of(const fluid_core& f, const two_phase& s) {
    return properties_of_pair(*f.m, s.T, s.rho_x, s.x, s.rho_y, s.y);
}

flash_state saturated_state(const fluid_core& f, const boundary_point& s, side at) {
    const bool liquid = at == side::bubble;
    flash_state st;
    st.T = s.T;
    st.p = s.p;
    st.x = liquid ? 0 : 1;
    st.beta = liquid ? 0 : 1;
    if (f.one_component()) {
        st.phase = liquid ? phase_kind::liquid : phase_kind::gas;
        st.rho = liquid ? s.rho_x : s.rho_y;
        st.alpha = model_at<double>(*f.m, s.T, f.z).alpha(st.rho);
        st.sat_at_T = s;  // its own side of the boundary, and the saturation pressure at T
        return st;
    }
    st.phase = phase_kind::two_phase;
    st.rho = liquid ? s.rho_x : s.rho_y;
    st.split = s;
    return st;
}

flash_state two_phases(const fluid_core& f, const spec& a, const spec& b, const boundary_point& bubble,
                       const boundary_point& dew, double t) {
    if (f.one_component()) return lever(f, bubble, t);
    const flash_start g = start_between(*f.m, f.z, bubble, dew, t);
    const equilibrium_problem q{*f.m, f.z, unknowns::split, g.by_liquid, a, b};
    const equilibrium_solution s = solve_equilibrium(q, g.u, {MAX_STEPS, 1e-12, 1e-10, 1e-8});
    flash_state st;
    st.T = s.state.T;
    st.p = s.state.p;
    if (s.vanished) {
        const bool liquid = s.beta < 0.5;
        st.phase = liquid ? phase_kind::liquid : phase_kind::gas;
        st.rho = liquid ? s.state.rho_x : s.state.rho_y;
        return st;
    }
    st.phase = phase_kind::two_phase;
    st.split = s.state;
    st.beta = s.beta;
    // A given T or p as given, not through its logarithm.
    for (const spec* k : {&a, &b}) {
        if (k->kind == spec_kind::T) st.T = st.split->T = k->value;
        if (k->kind == spec_kind::p) st.p = st.split->p = k->value;
    }
    st.x = s.beta * molar_mass(*f.m, s.state.y) / f.M;
    return st;
}

}  // namespace vantrel::detail
