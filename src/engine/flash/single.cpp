// Single phases: at (T, rho), at (T, p) by the phase decision, and along an
// isobar to a value of h or s.
#include <cmath>

#include "engine/base/fpu.h"
#include "engine/flash/flash.h"
#include "engine/model/fugacity.h"
#include "engine/phase/stability.h"

namespace vantrel::detail {

namespace {

constexpr int JOINT_ITERATIONS = 20;  // in T and rho at once, before the isobar is followed state by state
constexpr double SAME_DENSITY = 1e-9;  // of a state solved both ways
constexpr double OTHER_START = 1e-3;   // where two phases start, from the line's side, of a phase split found by the stability test
constexpr double JOINT_LN_RHO = 0.5;   // the longest joint step in ln rho: a factor 1.6, inside one branch of the isotherm
constexpr double JOINT_T = 0.2;        // and in T, of T: the model's terms stay within reach of the start
constexpr double JOINT_SETTLED = 1e-10;  // steps in T (of T) and ln rho after which the next is of their order squared
constexpr int OUTWARD_STEPS = 16;        // from an end of the bracket outward: 1.25^16 = 36 times T up, 0.95^16 = 0.44 down
constexpr double OUTWARD_UP = 1.25, OUTWARD_DOWN = 0.95;
constexpr double BRACKET_SETTLED = 1e-14;  // a step of T, of T: the resolution of h(T), s(T)
constexpr double BRACKET_CLOSED = 1e-15;   // the bracket's width, of T: closed on a jump rather than a root

flash_state single_of(double T, double p, const density_solution& d, phase_kind phase) {
    flash_state st;
    st.phase = phase;
    st.T = T;
    st.p = p;
    st.rho = d.rho;
    st.alpha = d.alpha;
    return st;
}

[[noreturn]] void no_gas(const fluid_core& f, double T, double p) {
    throw error(error_kind::input, message_id::no_gas,
                {text_value(f.info.agent), number_value(T, quantity::temperature), number_value(p, quantity::pressure)});
}

double gibbs(const fluid_core& f, const model_at<double>& e, double rho) {
    const auto ln_phi = ln_fugacity_coefficients(e.at(rho), f.z).ln_phi;
    double g = 0;
    for (std::size_t i = 0; i < f.z.size(); ++i) g += f.z[i] * ln_phi[i];
    return g;
}

// The density at (T, p) from a gas's and a dense start, the root of lower
// Gibbs energy of those that converge.
density_solution lowest_gibbs(const fluid_core& f, const model_at<double>& e, double p, double gas, double dense) {
    std::optional<density_solution> best;
    double g_best = 0;
    for (double from : {gas, dense}) {
        try {
            const density_solution d = *density_at(e, p, from, branch::any);
            const double g = gibbs(f, e, d.rho);
            if (!best || g < g_best) best = d, g_best = g;
        } catch (const error& err) {
            if (err.kind() != error_kind::no_convergence) throw;
            clear_fp();  // what the failed start raised is not the state's
        }
    }
    if (!best) density_not_converged();
    return *best;
}

// Two phases at (T, p), or the single phase whose density the split's
// larger phase started where the smaller one vanished.
flash_state split_or_single(const fluid_core& f, const flash_state& st) {
    if (st.split) return st;
    const model_at<double> e(*f.m, st.T, f.z);
    return single_of(st.T, st.p, *density_at(e, st.p, st.rho, branch::any), st.phase);
}

}  // namespace

phase_properties properties_of(const fluid_core& f, const flash_state& st) {
    return properties_of(*f.m, st.alpha, st.T, st.rho, f.z);
}

flash_state single_at_density(const fluid_core& f, double T, double rho, phase_kind phase) {
    flash_state st;
    st.phase = phase;
    st.T = T;
    st.rho = rho;
    st.alpha = model_at<double>(*f.m, T, f.z).alpha(rho);
    st.p = rho * f.m->R * T * (1 + st.alpha.d);
    check_fp();
    return st;
}

flash_state single_at(const fluid_core& f, double T, double p, phase_kind phase) {
    const auto [rho, on] = f.boundary->start(T, p, phase);
    const model_at<double> e(*f.m, T, f.z);
    if (!rho) return single_of(T, p, lowest_gibbs(f, e, p, p / (f.m->R * T), 3 * p / (f.m->R * T)), phase);
    const std::optional<density_solution> d = density_at(e, p, *rho, on);
    if (!d) no_gas(f, T, p);
    return single_of(T, p, *d, phase);
}

flash_state at_T_p(const fluid_core& f, double T, double p) {
    const tp_decision d = f.boundary->decide(T, p);
    const spec by_T{spec_kind::T, T}, by_p{spec_kind::p, p};
    if (d.phase == phase_kind::two_phase) {
        const boundary_point &b = *d.lines.bubble, &w = *d.lines.dew;
        const double t = d.by_T ? std::log(b.p / p) / std::log(b.p / w.p) : (T - b.T) / (w.T - b.T);
        return split_or_single(f, two_phases(f, by_T, by_p, b, w, t));
    }
    const model_at<double> e(*f.m, T, f.z);
    std::optional<density_solution> rho;
    if (d.dense)
        rho = lowest_gibbs(f, e, p, *d.rho, *d.dense);
    else
        rho = density_at(e, p, *d.rho, d.on);
    if (!rho) no_gas(f, T, p);
    if (d.near) {
        const bool liquid = d.phase == phase_kind::liquid;
        // A phase split the lines did not show: two phases, started from the line's side.
        if (unstable(*f.m, f.z, T, p, rho->rho, liquid ? *d.lines.bubble : *d.lines.dew, liquid))
            return split_or_single(f, two_phases(f, by_T, by_p, *d.lines.bubble, *d.lines.dew,
                                                 liquid ? OTHER_START : 1 - OTHER_START));
    }
    flash_state st = single_of(T, p, *rho, d.phase);
    if (f.one_component() && d.by_T) st.sat_at_T = d.lines.bubble;
    return st;
}

namespace {

double value_of(const phase_properties& ph, const spec& t) { return t.kind == spec_kind::h ? ph.h : ph.s; }
double slope_of(const phase_properties& ph, const spec& t, double T) { return t.kind == spec_kind::h ? ph.cp : ph.cp / T; }

// The state at (T, p) of the part's phase, or as the phase decision has it.
flash_state state_on(const fluid_core& f, double T, double p, const isobar_part& part) {
    return part.phase ? single_at(f, T, p, *part.phase) : at_T_p(f, T, p);
}

// By Newton's method in T and ln rho at once, p and the value its two
// equations: one evaluation of the model a step, no density solved in
// between. The T and rho it ends at; nothing where a step leaves (lo, hi), meets a
// state of falling pressure along the isotherm or does not converge within
// a few steps.
std::optional<std::pair<double, double>> jointly(const fluid_core& f, double p, const spec& t, const isobar_part& part) {
    double T = part.start->first, rho = part.start->second;
    for (int it = 0; it < JOINT_ITERATIONS; ++it) {
        const phase_properties ph = properties_at(*f.m, T, rho, f.z);
        if (!(ph.p_rho > 0)) return std::nullopt;
        // By T at constant rho and by ln rho at constant T.
        const bool h = t.kind == spec_kind::h;
        const double p_T = ph.p_T, p_l = rho * ph.p_rho;
        const double v_T = h ? ph.cv + ph.p_T / rho : ph.cv / T, v_l = h ? ph.p_rho - T * ph.p_T / rho : -ph.p_T / rho;
        const double F_p = ph.p - p, F_v = value_of(ph, t) - t.value, det = p_T * v_l - p_l * v_T;
        if (!(std::fabs(det) > 0)) return std::nullopt;
        double dT = -(v_l * F_p - p_l * F_v) / det, dl = -(p_T * F_v - v_T * F_p) / det, scale = 1;
        if (!std::isfinite(dT) || !std::isfinite(dl)) return std::nullopt;
        if (std::fabs(dl) > JOINT_LN_RHO) scale = JOINT_LN_RHO / std::fabs(dl);
        if (std::fabs(dT) * scale > JOINT_T * T) scale = JOINT_T * T / std::fabs(dT);
        dT *= scale, dl *= scale;
        if (!(T + dT > part.lo && T + dT < part.hi)) return std::nullopt;
        T += dT;
        rho *= std::exp(dl);
        // The next step would be of the order of this one squared.
        if (scale == 1 && std::fabs(dT) <= JOINT_SETTLED * T && std::fabs(dl) <= JOINT_SETTLED) return std::pair{T, rho};
    }
    return std::nullopt;
}

// A value and its end: the state at T, from T outward (down by 5 %, or up by
// 25 % a step) until target lies on the inner side of its value. Nothing
// there: no state.
std::pair<double, double> outer_end(const fluid_core& f, double p, const spec& t, const isobar_part& part, bool up) {
    const isobar_end& end = up ? part.high : part.low;
    if (end.value) return {end.T, *end.value};
    double T = end.T;
    for (int i = 0; i < OUTWARD_STEPS; ++i, T *= up ? OUTWARD_UP : OUTWARD_DOWN) {
        double v = 0;
        try {
            v = value_of(properties_of(f, state_on(f, T, p, part)), t);
        } catch (const error&) {
            clear_fp();
            break;  // the equation gives no state this far out
        }
        if (up ? v >= t.value : v <= t.value) return {T, v};
    }
    no_state();
}

// T between lo and hi where target lies between v_lo and v_hi: Newton's
// method with the slope, kept within the bracket, and bisection where a step
// would leave it or not halve the step before (Newton's method can cycle on
// the steep isobars next to the critical point).
flash_state bracketed(const fluid_core& f, double p, const spec& t, const isobar_part& part) {
    auto [lo, v_lo] = outer_end(f, p, t, part, false);
    auto [hi, v_hi] = outer_end(f, p, t, part, true);
    double T = lo + (hi - lo) * (t.value - v_lo) / (v_hi - v_lo);
    if (!(T > lo && T < hi)) T = 0.5 * (lo + hi);
    double last_step = hi - lo;
    for (int i = 0; i < MAX_STEPS; ++i) {
        const flash_state st = state_on(f, T, p, part);
        const phase_properties ph = properties_of(f, st);
        const double g = value_of(ph, t) - t.value;
        if (g == 0) return st;
        (g < 0 ? lo : hi) = T;
        double next = T - g / slope_of(ph, t, T);
        if (!(next > lo && next < hi) || std::fabs(next - T) > 0.5 * last_step) next = 0.5 * (lo + hi);
        last_step = std::fabs(next - T);
        // Converged, or the bracket closed on a jump (the saturation line a
        // hair below the critical pressure, where no saturation is computed).
        if (last_step <= BRACKET_SETTLED * T || hi - lo <= BRACKET_CLOSED * T) return state_on(f, next, p, part);
        T = next;
    }
    no_convergence();
}

}  // namespace

flash_state along_isobar(const fluid_core& f, double p, const spec& target, const isobar_part& part) {
    if (part.start) {
        if (const auto j = jointly(f, p, target, part)) {
            // Where the steps reached another root of the equation (of absurd
            // properties), the state at (T, p) has another density.
            const flash_state st = state_on(f, j->first, p, part);
            if (!st.split && std::fabs(st.rho / j->second - 1) <= SAME_DENSITY) return st;
        }
        clear_fp();  // what the joint steps raised is not the state's
    }
    return bracketed(f, p, target, part);
}

}  // namespace vantrel::detail
