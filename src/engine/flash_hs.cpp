// The state of (h, s): one phase by Newton's method in (T, ln rho), whose
// Jacobian the residual derivatives give; two phases on the saturation
// temperature whose mixing line holds (h, s); and, where neither finds a
// stable state, a search in ln p over (p, h) states.
#include <algorithm>
#include <cmath>

#include "engine/equilibrium.h"
#include "engine/flash.h"
#include "engine/base/fpu.h"

namespace vantrel::detail {

namespace {

struct guess {
    double T, ln_rho;
};

// The ideal gas of enthalpy h and entropy s: T by Newton's method on the
// ideal-gas enthalpy, then the density whose entropy term makes up s.
// Nothing for an enthalpy the ideal gas has only far below the triple point
// (a liquid's).
std::optional<guess> ideal_gas_guess(const fluid_data& f, double h, double s) {
    const ideal_model& m = *f.ideal;
    double T = f.cfg.T_cr;
    for (int i = 0; i < 30; ++i) {
        const ideal_values v = m.at(T);
        const double next = std::max(T - (v.h - h) / v.cp, 0.25 * T);
        if (next < 0.5 * f.cfg.T_tp) return std::nullopt;
        const bool done = std::fabs(next - T) <= 1e-10 * T;
        T = next;
        if (done) break;
    }
    const ideal_values v = m.at(T);
    const double R = f.cfg.R, ln_ref = std::log(m.helmholtz() ? f.cfg.rho_cr : ATMOSPHERE / (R * T));
    return guess{T, ln_ref + (v.s - s) / R};
}

// The saturated liquid whose entropy is s, where compressed liquids lie
// close: Newton's method in T with ds'/dT ~ c_p'/T, kept between the triple
// point and just below the critical point, to 1e-3 of T (the start only).
std::optional<guess> liquid_guess(const fluid_data& f, double s) {
    const auto liquid_at = [&](double T) -> std::optional<std::pair<properties, double>> {
        const auto sat = saturated_states(f, given::T, T);
        if (!sat) return std::nullopt;
        const double rho = f.cfg.rho_div * sat->omega_1;
        return std::pair{real_properties(f, T, sat->p, rho, sat->a1), std::log(rho)};
    };
    double lo = f.cfg.T_tp, hi = f.cfg.T_cr * (1 - 1e-4), T = 0.5 * (lo + hi);
    for (int i = 0; i < 12; ++i) {
        const auto l = liquid_at(T);
        if (!l) return std::nullopt;
        const double g = l->first.s - s;
        // Above the entropy of the saturated liquid next to the critical
        // point the state is no liquid's.
        if (i == 0 && g < 0) {
            const auto top = liquid_at(hi);
            if (!top || !(top->first.s > s)) return std::nullopt;
        }
        (g < 0 ? lo : hi) = T;
        double next = T - g * T / l->first.c_p;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (std::fabs(next - T) <= 1e-3 * T || hi - lo <= 1e-3 * T) return guess{T, l->second};
        T = next;
    }
    return std::nullopt;
}

// The single-phase state of the density and temperature there.
flash_state state_at(const fluid_data& f, double T, double rho, const residual_derivatives& a) {
    flash_state r;
    r.T = T;
    r.rho = rho;
    r.a = a;
    r.p = (1 + a.z_minus_1) * rho * f.cfg.R * T;
    return r;
}

// Newton's method on h and s in (T, ln rho), each step at most a quarter of
// T and a factor e of the density; a state once the steps have settled.
std::optional<flash_state> newton(const fluid_data& f, double h, double s, guess g) {
    const property_constants c = constants_of(f);
    double T = g.T, w = g.ln_rho;
    try {
        for (int i = 0; i < 40 && T > 0 && std::isfinite(w); ++i) {
            const double rho = std::exp(w);
            const residual_derivatives a = f.residual.at(rho / f.cfg.rho_div, T / f.cfg.tau_div);
            // A falling isotherm: no stable state this way (and Newton's
            // steps there lead astray).
            if (!(1 + a.p_rho > 0)) return std::nullopt;
            const flash_state st = state_at(f, T, rho, a);
            const properties q = real_properties(c, ideal_entry_at(f, T), T, st.p, rho, a);
            check_fp();
            Eigen::Matrix2d jacobian;
            jacobian << q.c_v + c.R * (1 + a.p_T), c.R * T * (a.p_rho - a.p_T), q.c_v / T, -c.R * (1 + a.p_T);
            Eigen::Vector2d step = newton_correction(jacobian, Eigen::Vector2d{q.h - h, q.s - s});
            const double scale = std::max({1.0, std::fabs(step[0]) / (0.25 * T), std::fabs(step[1])});
            step /= scale;
            if (scale == 1 && std::fabs(step[0]) <= 1e-13 * T && std::fabs(step[1]) <= 1e-13) return st;
            T -= step[0];
            w -= step[1];
        }
    } catch (const error&) {
        clear_fp();  // far out, the equation faults: no state from this start
    }
    return std::nullopt;
}

// A state Newton's method found is the one of (h, s) when it is stable:
// a positive pressure, a rising isotherm, and below T_cr a density outside
// the saturated ones (inside lie metastable states, and the two-phase one),
// which also tells its side of the dome: the phase decision by pressure
// could put a state a hair from the line on the other.
std::optional<flash_state> stable(const fluid_data& f, std::optional<flash_state> st) {
    if (!st || !(st->p > 0) || !(1 + st->a.p_rho > 0)) return std::nullopt;
    st->phase = decide_phase(f, st->T, st->p).phase;
    if (st->phase != phase_kind::gas && st->phase != phase_kind::liquid) return st;
    const auto sat = st->T < f.cfg.T_cr ? solve_saturation(f, given::T, st->T) : std::nullopt;
    st->sat_at_T = sat;  // not solved again by the state's own check
    if (sat && sat->omega_1) {
        const double omega = st->rho / f.cfg.rho_div;
        if (omega < *sat->omega_1 && omega > *sat->omega_2) return std::nullopt;
        st->phase = omega >= *sat->omega_1 ? phase_kind::liquid : phase_kind::gas;
    }
    return st;
}

// A root between the points a and b, whose values (the member value) have
// opposite signs, by regula falsi with the Illinois halving (a step that
// would leave the bracket bisects it), until the bracket's width in the
// member arg is at most rel |arg| + abs: the end of smaller |value|, or a
// point of value 0. at(arg) gives the point there (nothing: no root);
// nothing after MAX_STEPS steps.
template <class Point, class At>
std::optional<Point> illinois(Point a, Point b, double Point::*arg, double Point::*value, const At& at, double rel,
                              double abs) {
    if (a.*value == 0 || b.*value == 0) return a.*value == 0 ? a : b;
    double va = a.*value, vb = b.*value;
    int side = 0;
    for (int i = 0; i < MAX_STEPS; ++i) {
        const double lo = std::min(a.*arg, b.*arg), hi = std::max(a.*arg, b.*arg);
        if (hi - lo <= rel * std::max(std::fabs(lo), std::fabs(hi)) + abs)
            return std::fabs(a.*value) < std::fabs(b.*value) ? a : b;
        double x = (a.*arg * vb - b.*arg * va) / (vb - va);
        if (!(x > lo && x < hi)) x = 0.5 * (lo + hi);
        const std::optional<Point> next = at(x);
        if (!next) return std::nullopt;
        const Point& m = *next;
        if (m.*value == 0) return m;
        if ((m.*value < 0) == (a.*value < 0)) {
            a = m, va = m.*value;
            if (side == -1) vb /= 2;
            side = -1;
        } else {
            b = m, vb = m.*value;
            if (side == 1) va /= 2;
            side = 1;
        }
    }
    return std::nullopt;
}

// Inside the dome each saturation temperature's states lie on a straight
// line in (h, s), from (h', s') to (h'', s'') (of slope T under the
// equal-area rule): G(T) = s - s' - x (s'' - s'), x = (h - h')/(h'' - h'),
// is zero on the one that holds (h, s), with x in [0, 1]. The lines do not
// cross, so there is one such T at most: a scan in sqrt(1 - T/T_cr), then
// regula falsi.
std::optional<flash_state> two_phase(const fluid_data& f, double h, double s) {
    const config& c = f.cfg;
    if (!in_saturation_range(c, given::T, c.T_tp, 1)) return std::nullopt;
    struct point {
        double T, G, x, ds;
        saturated_pair sat;
    };
    const auto at = [&](double T) -> std::optional<point> {
        const auto sat = saturated_states(f, given::T, T);
        if (!sat) return std::nullopt;
        const saturated_properties sp = saturated_phases(f, *sat);
        const double x = (h - sp.liquid.h) / (sp.vapour.h - sp.liquid.h);
        const double ds = sp.vapour.s - sp.liquid.s;
        return point{T, s - sp.liquid.s - x * ds, x, ds, *sat};
    };
    const double top = std::sqrt(1 - c.T_tp / c.T_cr), bottom = std::sqrt(SATURATION_LIMIT);
    std::optional<point> last;
    for (int k = 0; k <= 64; ++k) {
        const double y = top + (bottom - top) * k / 64;
        std::optional<point> next = at(k == 0 ? c.T_tp : c.T_cr * (1 - y * y));
        if (!next) continue;
        // A state on the triple point's line: no sign change brackets it.
        if (k == 0 && std::fabs(next->G) <= 1e-12 * next->ds && next->x >= 0 && next->x <= 1)
            return with_quality(next->sat, next->x, c.rho_div);
        if (last && (last->G <= 0) == (next->G <= 0) && last->x >= 0 && next->x < 0) {
            // The liquid's end of the lines passes (h, s) in this step: a
            // state a hair inside the dome has G > 0 where x = 0, and its
            // line lies between (the lines of the step's ends nearly
            // coincide with it, and G of both may have one sign).
            const std::optional<point> edge = illinois(*last, *next, &point::T, &point::x, at, 1e-14, 0.0);
            if (edge && (edge->G <= 0) != (last->G <= 0)) next = edge;
        }
        if (last && (last->G <= 0) != (next->G <= 0)) {
            const std::optional<point> r = illinois(*last, *next, &point::T, &point::G, at, 1e-14, 0.0);
            if (!r || r->x < 0 || r->x > 1) return std::nullopt;
            return with_quality(r->sat, r->x, c.rho_div);
        }
        last = next;
    }
    return std::nullopt;
}

// s of the (p, h) state: its own, or weighted by x between the saturated phases.
double entropy_at(const fluid_data& f, double p, double h) {
    const flash_state st = flash(f, input_pair::p_h, p, h);
    if (!st.sat) return real_properties(f, st.T, st.p, st.rho, st.a).s;
    const saturated_properties sp = saturated_phases(f, *st.sat);
    return (1 - *st.x) * sp.liquid.s + *st.x * sp.vapour.s;
}

// At constant h the entropy falls with the pressure (ds = -v/T dp), so ln p
// is found by regula falsi (Illinois) over (p, h) states, which handle two
// phases themselves. The bracket: from the top of the stated range down by
// decades to a pressure where s is below the target (above it no state is
// where the equation reaches: halving the step back into that gap), then on
// down to one where s is above it.
flash_state by_pressure(const fluid_data& f, double h, double s) {
    const auto excess = [&](double ln_p) { return entropy_at(f, std::exp(ln_p), h) - s; };
    const auto tried = [&](double ln_p) -> std::optional<double> {
        try {
            return excess(ln_p);
        } catch (const error&) {
            clear_fp();
            return std::nullopt;
        }
    };
    const double decade = std::log(10.0);
    double a = std::log(f.info.p_max.value_or(100 * f.cfg.p_cr));
    std::optional<double> fa = tried(a);
    double gap = a;  // the last pressure without a state, above a
    for (int k = 0; k < 12 && !fa; ++k) fa = tried(gap = a -= decade);
    if (!fa) no_state(input_pair::h_s, h, s);
    for (int k = 0; k < 60 && *fa > 0 && gap > a; ++k) {
        const double mid = 0.5 * (gap + a);
        const std::optional<double> fm = tried(mid);
        if (!fm)
            gap = mid;
        else
            a = mid, fa = fm;
        if (gap - a < 1e-12) break;
    }
    if (*fa > 0) no_state(input_pair::h_s, h, s);
    double b = a, fb = *fa;
    for (int k = 0; k < 20 && fb <= 0; ++k) fb = excess(b -= decade);
    if (!(fb > 0)) no_state(input_pair::h_s, h, s);
    struct probe {
        double ln_p, excess;
    };
    const auto at = [&](double ln_p) { return std::optional<probe>(probe{ln_p, excess(ln_p)}); };
    const auto r = illinois(probe{a, *fa}, probe{b, fb}, &probe::ln_p, &probe::excess, at, 1e-13, 1e-13);
    if (!r) no_convergence("h, s");
    return flash(f, input_pair::p_h, std::exp(r->ln_p), h);
}

}  // namespace

flash_state flash_h_s(const fluid_data& f, double h, double s) {
    // A gas-like start first, unless the ideal gas of (h, s) would be denser
    // than the critical density or colder than the triple point (or out of
    // reach): then the liquid's start first.
    std::optional<guess> gas;
    try {
        gas = ideal_gas_guess(f, h, s);
    } catch (const error&) {
        clear_fp();  // out of the ideal part's reach
    }
    const bool liquid_first = !gas || gas->ln_rho > std::log(f.cfg.rho_cr) || gas->T < f.cfg.T_tp;
    // A state below the triple point is the answer only where no two-phase
    // state on the triple point's line or above it is.
    std::optional<flash_state> below;
    // Last, the fluid above its critical point, where every isotherm rises.
    const guess critical{1.1 * f.cfg.T_cr, std::log(f.cfg.rho_cr > 0 ? f.cfg.rho_cr : f.cfg.rho_div)};
    for (int k = 0; k < 3 && !below; ++k) {
        const bool liquid = (k == 0) == liquid_first;
        const std::optional<guess> g = k == 2 ? critical : liquid ? liquid_guess(f, s) : gas;
        if (!g) continue;
        const auto st = stable(f, newton(f, h, s, *g));
        if (st && !(st->T < f.cfg.T_tp)) return *st;
        if (st) below = st;
    }
    if (const auto wet = two_phase(f, h, s)) return *wet;
    if (below) return *below;
    return by_pressure(f, h, s);
}

}  // namespace vantrel::detail
