// The state of (h, s): one phase by Newton's method in (T, ln rho), whose
// Jacobian the model's derivatives give; two phases where the boundary's
// chord between the liquid of the bubble point and the vapour of the dew
// point holds (h, s); and, where neither finds a stable state, a search in
// ln p over (p, h) states.
#include <algorithm>
#include <cmath>

#include <Eigen/Dense>

#include "engine/base/fpu.h"
#include "engine/flash/flash.h"
#include "engine/phase/saturation.h"

namespace vantrel::detail {

namespace {

constexpr int IDEAL_ITERATIONS = 30, LIQUID_ITERATIONS = 12, NEWTON_ITERATIONS = 40;
constexpr int SCAN = 64;          // lines of one component's two-phase region scanned in sqrt(1 - T/T_cr)
constexpr int SCAN_P = 24;        // isobars of a mixture's two-phase region scanned in ln p
constexpr double SETTLED = 1e-13;  // the steps of Newton's method in T (relative) and ln rho at the end
constexpr double GAP_WIDTH = 1e-12;  // in ln p: where the search stops narrowing a gap without states
constexpr double IDEAL_STEP = 0.25;   // the ideal gas's T falls by at most three quarters a step (h(T) is convex)
constexpr double IDEAL_SETTLED = 1e-10;  // its T, of T: a start only
constexpr double BELOW_CRITICAL = 1e-4;  // the liquid's highest T, of T_cr: its saturated liquid still distinct
constexpr double LIQUID_SETTLED = 1e-3;  // its T, of T: a start only
constexpr double ON_TRIPLE_LINE = 1e-12;  // |G| of ds: a state on the triple point's line, which no sign change brackets
constexpr double ABOVE_CRITICAL = 1.1;    // T of the last start, of T_cr: every isotherm there rises
constexpr double CHORD_T = 1e-14, CHORD_LN_P = 1e-10;  // the root of G in T (of T), and in ln p where Newton's method follows
constexpr double BY_PRESSURE = 1e-13;     // ln p of the (p, h) state, of ln p and absolute

struct guess {
    double T, ln_rho;
};

// The ideal gas of enthalpy h and entropy s: T by Newton's method on the
// ideal-gas enthalpy, then the density whose entropy term makes up s.
// Nothing for an enthalpy the ideal gas has only far below the triple point
// (a liquid's).
std::optional<guess> ideal_gas_guess(const fluid_core& f, double h, double s) {
    double T = f.info.T_cr;
    for (int i = 0; i < IDEAL_ITERATIONS; ++i) {
        const ideal_part g = ideal_of(*f.m, T, 1, f.z);
        const double next = std::max(T - (g.h - h) / g.cp, IDEAL_STEP * T);
        if (next < 0.5 * f.info.T_tp) return std::nullopt;
        const bool done = std::fabs(next - T) <= IDEAL_SETTLED * T;
        T = next;
        if (done) break;
    }
    // s falls by R per unit of ln rho from its value at 1 mol/m3.
    const ideal_part g = ideal_of(*f.m, T, 1, f.z);
    return guess{T, (g.s - s) / g.R};
}

// The liquid of the boundary whose entropy is s, where compressed liquids
// lie close: Newton's method in T with ds'/dT ~ c_p'/T, kept between the
// lower limit and just below the critical point, to 1e-3 of T (the start
// only).
std::optional<guess> liquid_guess(const fluid_core& f, double s) {
    const auto liquid_at = [&](double T) -> std::optional<std::pair<phase_properties, double>> {
        const auto b = f.boundary->at(given::T, T, precision::estimate).bubble;
        if (!b) return std::nullopt;
        return std::pair{properties_at(*f.m, T, b->rho_x, f.z), std::log(b->rho_x)};
    };
    double lo = f.info.T_tp, hi = f.info.T_cr * (1 - BELOW_CRITICAL), T = 0.5 * (lo + hi);
    for (int i = 0; i < LIQUID_ITERATIONS; ++i) {
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
        double next = T - g * T / l->first.cp;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (std::fabs(next - T) <= LIQUID_SETTLED * T || hi - lo <= LIQUID_SETTLED * T) return guess{T, l->second};
        T = next;
    }
    return std::nullopt;
}

// Newton's method on h and s in (T, ln rho), each step at most a quarter of
// T and a factor e of the density; a state once the steps have settled.
std::optional<flash_state> newton(const fluid_core& f, double h, double s, guess g) {
    double T = g.T, w = g.ln_rho;
    try {
        for (int i = 0; i < NEWTON_ITERATIONS && T > 0 && std::isfinite(w); ++i) {
            const double rho = std::exp(w);
            const flash_state st = single_at_density(f, T, rho, phase_kind::none);
            const phase_properties q = properties_of(f, st);
            // A falling isotherm: no stable state this way (and Newton's
            // steps there lead astray).
            if (!(q.p_rho > 0)) return std::nullopt;
            Eigen::Matrix2d jacobian;
            jacobian << q.cv + q.p_T / rho, q.p_rho - T * q.p_T / rho, q.cv / T, -q.p_T / rho;
            const Eigen::FullPivLU<Eigen::Matrix2d> lu(jacobian);
            if (!lu.isInvertible()) return std::nullopt;
            Eigen::Vector2d step = lu.solve(Eigen::Vector2d{q.h - h, q.s - s});
            if (!step.allFinite()) return std::nullopt;
            const double scale = std::max({1.0, std::fabs(step[0]) / (0.25 * T), std::fabs(step[1])});
            step /= scale;
            if (scale == 1 && std::fabs(step[0]) <= SETTLED * T && std::fabs(step[1]) <= SETTLED) return st;
            T -= step[0];
            w -= step[1];
        }
    } catch (const error&) {
        clear_fp();  // far out, the equation faults: no state from this start
    }
    return std::nullopt;
}

// A state Newton's method found is the one of (h, s) when it is stable: a
// positive pressure, a rising isotherm, and on its side of the boundary (not
// a metastable state inside it, nor the two-phase one), which also tells
// its phase.
std::optional<flash_state> stable(const fluid_core& f, std::optional<flash_state> st) {
    if (!st || !(st->p > 0)) return std::nullopt;
    const std::optional<phase_kind> phase = f.boundary->stable(st->T, st->rho, st->p);
    if (!phase) return std::nullopt;
    st->phase = *phase;
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

// A line of the two-phase region: the liquid of its bubble point, the
// vapour of its dew point, and G of (h, s) against their chord,
// G = s - s' - t (s'' - s'), t = (h - h') / (h'' - h'): zero where the chord
// holds (h, s), with t in [0, 1].
struct chord {
    double arg, G, t, ds;
    boundary_point bubble, dew;
};

std::optional<chord> chord_at(const fluid_core& f, given g, double value, double h, double s, precision how) {
    const boundary_points b = f.boundary->at(g, value, how);
    if (!b.bubble || !b.dew) return std::nullopt;
    // One component's two points are one state: its phases share their T.
    const phase_pair ph = f.one_component() ? phases_of(f, *b.bubble)
                                            : phase_pair{properties_at(*f.m, b.bubble->T, b.bubble->rho_x, f.z),
                                                         properties_at(*f.m, b.dew->T, b.dew->rho_y, f.z)};
    const phase_properties &l = ph.liquid, &v = ph.vapour;
    const double t = (h - l.h) / (v.h - l.h), ds = v.s - l.s;
    return chord{g == given::T ? value : std::log(value), s - l.s - t * ds, t, ds, *b.bubble, *b.dew};
}

// One component: each saturation temperature's states lie on a straight
// line in (h, s), from (h', s') to (h'', s'') (of slope T under the
// equal-area rule), which do not cross, so there is one such T at most: a
// scan in sqrt(1 - T/T_cr), then regula falsi.
std::optional<flash_state> two_phase_of_one(const fluid_core& f, double h, double s) {
    const config& c = f.m->pure().cfg;
    if (!in_saturation_range(c, given::T, c.T_tp, 1)) return std::nullopt;
    const auto at = [&](double T) { return chord_at(f, given::T, T, h, s, precision::solved); };
    const double top = std::sqrt(1 - c.T_tp / c.T_cr), bottom = std::sqrt(SATURATION_LIMIT);
    std::optional<chord> last;
    for (int k = 0; k <= SCAN; ++k) {
        const double y = top + (bottom - top) * k / SCAN;
        std::optional<chord> next = at(k == 0 ? c.T_tp : c.T_cr * (1 - y * y));
        if (!next) continue;
        // A state on the triple point's line: no sign change brackets it.
        if (k == 0 && std::fabs(next->G) <= ON_TRIPLE_LINE * next->ds && next->t >= 0 && next->t <= 1)
            return two_phases(f, {}, {}, next->bubble, next->dew, next->t);
        if (last && (last->G <= 0) == (next->G <= 0) && last->t >= 0 && next->t < 0) {
            // The liquid's end of the lines passes (h, s) in this step: a
            // state a hair inside the dome has G > 0 where t = 0, and its
            // line lies between (the lines of the step's ends nearly
            // coincide with it, and G of both may have one sign).
            const std::optional<chord> edge = illinois(*last, *next, &chord::arg, &chord::t, at, CHORD_T, 0.0);
            if (edge && (edge->G <= 0) != (last->G <= 0)) next = edge;
        }
        if (last && (last->G <= 0) != (next->G <= 0)) {
            const std::optional<chord> r = illinois(*last, *next, &chord::arg, &chord::G, at, CHORD_T, 0.0);
            if (!r || r->t < 0 || r->t > 1) return std::nullopt;
            return two_phases(f, {}, {}, r->bubble, r->dew, r->t);
        }
        last = next;
    }
    return std::nullopt;
}

// A mixture: the isobar through (h, s) runs from the bubble point's liquid
// to the dew point's vapour, of slope dh/ds = T, close to its chord. The p
// whose chord holds (h, s) from a scan in ln p and regula falsi over the
// envelope's estimates, then Newton's method on the equilibrium equations
// with h and s given, started between the two points there.
std::optional<flash_state> two_phase_of_many(const fluid_core& f, double h, double s) {
    const auto [p_lo, p_hi] = f.boundary->p_range();
    const auto at = [&](double ln_p) { return chord_at(f, given::p, std::exp(ln_p), h, s, precision::estimate); };
    std::optional<chord> last;
    for (int k = 0; k <= SCAN_P; ++k) {
        const double ln_p = std::log(p_lo) + (std::log(p_hi) - std::log(p_lo)) * k / SCAN_P;
        const std::optional<chord> next = at(ln_p);
        if (!next) continue;
        if (last && (last->G <= 0) != (next->G <= 0)) {
            const std::optional<chord> r = illinois(*last, *next, &chord::arg, &chord::G, at, CHORD_LN_P, 0.0);
            if (!r || r->t < 0 || r->t > 1) return std::nullopt;
            try {
                const flash_state st = two_phases(f, {spec_kind::h, h}, {spec_kind::s, s}, r->bubble, r->dew, r->t);
                if (st.split) return st;
            } catch (const error& e) {
                if (e.kind() != error_kind::no_convergence) throw;
                clear_fp();
            }
            return std::nullopt;
        }
        last = next;
    }
    return std::nullopt;
}

// s of the (p, h) state: its own, or weighted between the two phases.
double entropy_at(const fluid_core& f, double p, double h) {
    const flash_state st = flash(f, input_pair::p_h, p, h);
    if (!st.split) return properties_of(f, st).s;
    const phase_properties l = properties_at(*f.m, st.T, st.split->rho_x, st.split->x);
    const phase_properties v = properties_at(*f.m, st.T, st.split->rho_y, st.split->y);
    return (1 - st.beta) * l.s + st.beta * v.s;
}

// The excess of s over the target along the isobars of h, and where the
// equation has no state (beyond the range of (p, h): nothing).
struct isenthalp {
    const fluid_core& f;
    double h, s;

    double excess(double ln_p) const { return entropy_at(f, std::exp(ln_p), h) - s; }

    std::optional<double> tried(double ln_p) const {
        try {
            return excess(ln_p);
        } catch (const error&) {
            clear_fp();
            return std::nullopt;
        }
    }

    // From a (a state there, its excess fa) towards gap (none there): the
    // pressure nearest the gap whose excess is positive (wanted) or not, by
    // bisection; a keeps the last state found.
    void into_gap(double& a, double& fa, double gap, bool positive) const {
        for (int k = 0; k < MAX_STEPS && (fa > 0) != positive && std::fabs(gap - a) > GAP_WIDTH; ++k) {
            const double mid = 0.5 * (gap + a);
            const std::optional<double> fm = tried(mid);
            if (!fm)
                gap = mid;
            else
                a = mid, fa = *fm;
        }
    }
};

// At constant h the entropy falls with the pressure (ds = -v/T dp), so ln p
// is found by regula falsi (Illinois) over (p, h) states, which handle two
// phases themselves. The bracket: from the top of the stated range down by
// decades to a pressure where s is below the target, then on down to one
// where s is above it; where the equation reaches no state (above the range,
// below a mixture's lower limit), halving the step back into that gap.
flash_state by_pressure(const fluid_core& f, double h, double s) {
    const isenthalp line{f, h, s};
    const double decade = std::log(10.0);
    double a = std::log(f.info.p_max.value_or(100 * f.info.p_cr)), gap = a;
    std::optional<double> first = line.tried(a);
    for (int k = 0; k < 12 && !first; ++k) first = line.tried(gap = a -= decade);
    if (!first) no_state();
    double fa = *first;
    line.into_gap(a, fa, gap, false);
    if (fa > 0) no_state();
    double b = a, fb = fa;
    for (int k = 0; k < 20 && fb <= 0; ++k) {
        const std::optional<double> next = line.tried(b - decade);
        if (!next) {
            line.into_gap(b, fb, b - decade, true);
            break;
        }
        b -= decade, fb = *next;
    }
    if (!(fb > 0)) no_state();
    struct probe {
        double ln_p, excess;
    };
    const auto at = [&](double ln_p) { return std::optional<probe>(probe{ln_p, line.excess(ln_p)}); };
    const auto r = illinois(probe{a, fa}, probe{b, fb}, &probe::ln_p, &probe::excess, at, BY_PRESSURE, BY_PRESSURE);
    if (!r) no_convergence();
    return flash(f, input_pair::p_h, std::exp(r->ln_p), h);
}

}  // namespace

flash_state at_h_s(const fluid_core& f, double h, double s) {
    // A gas-like start first, unless the ideal gas of (h, s) would be denser
    // than the critical density or colder than the triple point (or out of
    // reach): then the liquid's start first.
    std::optional<guess> gas;
    try {
        gas = ideal_gas_guess(f, h, s);
    } catch (const error&) {
        clear_fp();  // out of the ideal part's reach
    }
    const bool liquid_first = !gas || gas->ln_rho > std::log(f.rho_critical) || gas->T < f.info.T_tp;
    // A state below the triple point is the answer only where no two-phase
    // state on the triple point's line or above it is.
    std::optional<flash_state> below;
    // Last, the fluid above its critical point, where every isotherm rises.
    const guess critical{ABOVE_CRITICAL * f.info.T_cr, std::log(f.rho_critical)};
    for (int k = 0; k < 3 && !below; ++k) {
        const bool liquid = (k == 0) == liquid_first;
        const std::optional<guess> g = k == 2 ? critical : liquid ? liquid_guess(f, s) : gas;
        if (!g) continue;
        const auto st = stable(f, newton(f, h, s, *g));
        if (st && !(st->T < f.info.T_tp)) return *st;
        if (st) below = st;
    }
    const auto wet = f.one_component() ? two_phase_of_one(f, h, s) : two_phase_of_many(f, h, s);
    if (wet) return *wet;
    if (below) return *below;
    return by_pressure(f, h, s);
}

}  // namespace vantrel::detail
