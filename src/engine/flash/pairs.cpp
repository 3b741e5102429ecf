// The drivers of the pairs (p, h), (p, s), (T, x), (p, x) and (T, rho); the
// dispatch of every pair.
#include <cmath>

#include "engine/base/fpu.h"
#include "engine/flash/flash.h"

namespace vantrel::detail {

namespace {

constexpr double T_MARGIN = 1e-5;  // two phases at p lie between the bubble and dew temperatures as estimated, so with a margin
constexpr double ABOVE = 1 + 1e-9, BELOW = 1 - 1e-9;
constexpr double LIMIT_ROUNDING = 1e-12;  // a state solved on the lower limit lands a few ulps either side of it

// Two phases of an isobar, or where the smaller phase vanished the larger
// alone along it; checked to lie between the bubble and dew temperatures.
flash_state two_phases_at_p(const fluid_core& f, double p, const spec& target, const isobar_decision& d) {
    const boundary_point &b = *d.bubble, &w = *d.dew;
    flash_state st = two_phases(f, {spec_kind::p, p}, target, b, w, d.weight);
    if (d.below_bubble_line) {
        if (!st.split || st.T < f.boundary->T_low() * (1 - LIMIT_ROUNDING)) throw *d.below_bubble_line;
        if (st.T > w.T * (1 + T_MARGIN)) no_convergence();
        return st;
    }
    // One component's lever rule gives its saturated phase at x = 0 or 1:
    // only a mixture's smaller phase vanishes.
    if (st.split || f.one_component()) {
        if (st.T < b.T * (1 - T_MARGIN) || st.T > w.T * (1 + T_MARGIN)) no_convergence();
        if (st.split && f.one_component()) st.phases = d.saturated;
        return st;
    }
    const bool liquid = st.phase == phase_kind::liquid;
    const isobar_part part = liquid ? isobar_part{st.phase, std::pair{st.T, st.rho}, 0.5 * f.boundary->T_low(),
                                                  b.T * ABOVE, {st.T, {}}, {b.T * ABOVE, {}}}
                                    : isobar_part{st.phase, std::pair{st.T, st.rho}, w.T * BELOW, INFINITY,
                                                  {w.T * BELOW, {}}, {st.T, {}}};
    return along_isobar(f, p, target, part);
}

flash_state at_p(const fluid_core& f, double p, const spec& target) {
    const isobar_decision d = f.boundary->on_isobar(p, target);
    if (d.single) return along_isobar(f, p, target, *d.single);
    return two_phases_at_p(f, p, target, d);
}

flash_state at_quality(const fluid_core& f, given g, double value, double x) {
    const spec held{g == given::T ? spec_kind::T : spec_kind::p, value};
    if (x == 0 || x == 1) {
        const side at = x == 0 ? side::bubble : side::dew;
        const std::optional<boundary_point> s = f.boundary->point(at, g, value);
        if (!s) no_state();
        return saturated_state(f, *s, at);
    }
    const isobar_decision d = f.boundary->two_phase_at(g, value);
    if (!d.bubble || !d.dew) no_state();
    const flash_state st = two_phases(f, held, {spec_kind::x, x}, *d.bubble, *d.dew, x);
    if (d.below_bubble_line) {
        if (!st.split || st.T < f.boundary->T_low() * (1 - LIMIT_ROUNDING)) throw *d.below_bubble_line;
        if (st.T > d.dew->T * (1 + T_MARGIN)) no_convergence();
    }
    return st;
}

flash_state at_T_rho(const fluid_core& f, double T, double rho) {
    const boundary_points s = f.boundary->at(given::T, T, precision::solved);
    std::optional<phase_kind> phase;
    if (s.bubble && s.dew) {
        const double rho_liq = s.bubble->rho_x, rho_vap = s.dew->rho_y;
        if (rho >= rho_liq) phase = phase_kind::liquid;
        if (rho <= rho_vap) phase = phase_kind::gas;
        if (!phase) {
            const double t = (1 / rho - 1 / rho_liq) / (1 / rho_vap - 1 / rho_liq);
            return two_phases(f, {spec_kind::T, T}, {spec_kind::rho, rho}, *s.bubble, *s.dew, t);
        }
    }
    flash_state st = single_at_density(f, T, rho, phase.value_or(phase_kind::none));
    f.boundary->refuse(T, st.p);
    if (!phase) st.phase = f.boundary->single_at(T, st.p, rho);
    if (f.one_component()) st.sat_at_T = s.bubble;
    return st;
}

}  // namespace

void no_state() { throw error(error_kind::input, message_id::no_state); }

void no_convergence() { throw error(error_kind::no_convergence, message_id::state_no_convergence); }

flash_state flash(const fluid_core& f, input_pair pair, double first, double second) {
    switch (pair) {
        case input_pair::T_p: return at_T_p(f, first, second);
        case input_pair::p_h: return at_p(f, first, {spec_kind::h, second});
        case input_pair::p_s: return at_p(f, first, {spec_kind::s, second});
        case input_pair::T_x: return at_quality(f, given::T, first, second);
        case input_pair::p_x: return at_quality(f, given::p, first, second);
        case input_pair::T_rho: return at_T_rho(f, first, second);
        case input_pair::h_s: return at_h_s(f, first, second);
    }
    throw error(error_kind::input, message_id::invalid_pair);
}

}  // namespace vantrel::detail
