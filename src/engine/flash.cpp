#include "engine/flash.h"

#include <cmath>
#include <cstdint>
#include <string>

#include <boost/math/tools/toms748_solve.hpp>

#include "engine/base/fpu.h"
#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

}  // namespace

void no_convergence(const char* pair) {
    throw error(error_kind::no_convergence, message_id::state_no_convergence, {text_value(pair)});
}

message_value pair_values(input_pair pair, double first, double second) {
    const auto named = [](input_key k, double v) { return named_value(std::string(info_of(k).name), v, info_of(k).q); };
    const auto [a, b] = keys_of(pair);
    return nested_value({message{message_id::pair_values, {named(a, first), named(b, second)}}});
}

void no_state(input_pair pair, double first, double second) {
    throw error(error_kind::input, message_id::no_state, {pair_values(pair, first, second)});
}

flash_state single(const fluid_data& f, double T, double p, std::optional<phase_kind> known, bool refuse) {
    const single_phase s = solve_tp(f, T, p, known, refuse);
    flash_state r;
    r.phase = s.phase;
    r.T = T;
    r.p = p;
    r.rho = s.rho;
    r.a = s.a;
    r.sat_at_T = s.sat;
    return r;
}

namespace {

enum class caloric { h, s };

// h or s of a single-phase state, and its slope in T at constant p.
std::pair<double, double> caloric_at(const fluid_data& f, caloric q, const flash_state& st) {
    const properties pr = real_properties(f, st.T, st.p, st.rho, st.a);
    check_fp();
    return q == caloric::h ? std::pair{pr.h, pr.c_p} : std::pair{pr.s, pr.c_p / st.T};
}

}  // namespace

flash_state with_quality(const saturated_pair& s, double x, double rho_div) {
    flash_state r;
    r.T = s.T;
    r.p = s.p;
    r.x = x;
    if (x == 0 || x == 1) {
        r.phase = x == 0 ? phase_kind::liquid : phase_kind::gas;
        r.rho = rho_div * (x == 0 ? s.omega_1 : s.omega_2);
        r.a = x == 0 ? s.a1 : s.a2;
        return r;
    }
    r.phase = phase_kind::two_phase;
    r.sat = s;
    return r;
}

namespace {

// The stated range of T (or the triple point to three times T_cr).
std::pair<double, double> temperature_span(const fluid_data& f) {
    const double lo = f.info.T_min.value_or(f.cfg.T_tp > 0 ? f.cfg.T_tp : 0.1 * f.cfg.T_cr);
    return {lo, f.info.T_max.value_or(3 * f.cfg.T_cr)};
}

// An end of the search in T at p: from T0 outward (down by 5 %, or up by 25 %
// a step) until target lies on the inner side of its value; beyond the
// stated range a state is computed, with a warning. Nothing there: no state.
std::pair<double, double> outer_end(const fluid_data& f, caloric q, double p, double T0, bool up, double target) {
    double T = T0;
    for (int i = 0; i < 16; ++i, T *= up ? 1.25 : 0.95) {
        double v = 0;
        try {
            v = caloric_at(f, q, single(f, T, p)).first;
        } catch (const error&) {
            clear_fp();
            break;  // the equation gives no state this far out
        }
        if (up ? v >= target : v <= target) return {T, v};
    }
    no_state(q == caloric::h ? input_pair::p_h : input_pair::p_s, p, target);
}

// The single-phase state at p whose h (or s) is target, its T between lo and
// hi where target lies between v_lo and v_hi: Newton's method with the slope,
// kept within the bracket, and bisection where a step would leave it or not
// halve the step before (Newton's method can cycle on the steep isobars next
// to the critical point).
flash_state solve_at_p(const fluid_data& f, caloric q, double p, double target, double lo, double v_lo, double hi,
                       double v_hi, const char* pair, std::optional<phase_kind> known = std::nullopt) {
    double T = lo + (hi - lo) * (target - v_lo) / (v_hi - v_lo);
    if (!(T > lo && T < hi)) T = 0.5 * (lo + hi);
    double last_step = hi - lo;
    for (int i = 0; i < MAX_STEPS; ++i) {
        const flash_state st = single(f, T, p, known);
        const auto [value, slope] = caloric_at(f, q, st);
        const double g = value - target;
        if (g == 0) return st;
        (g < 0 ? lo : hi) = T;
        double next = T - g / slope;
        if (!(next > lo && next < hi) || std::fabs(next - T) > 0.5 * last_step) next = 0.5 * (lo + hi);
        last_step = std::fabs(next - T);
        // Converged, or the bracket closed on a jump (the saturation line a
        // hair below the critical pressure, where no saturation is computed).
        if (last_step <= 1e-14 * T || hi - lo <= 1e-15 * T) return single(f, next, p, known);
        T = next;
    }
    no_convergence(pair);
}

// The single-phase state at p with h (or s) anywhere in T's span.
flash_state over_span(const fluid_data& f, caloric q, double p, double target, const char* pair) {
    const auto [t_lo, t_hi] = temperature_span(f);
    const auto [lo, v_lo] = outer_end(f, q, p, t_lo, false, target);
    const auto [hi, v_hi] = outer_end(f, q, p, t_hi, true, target);
    return solve_at_p(f, q, p, target, lo, v_lo, hi, v_hi, pair);
}

flash_state at_p_and(const fluid_data& f, caloric q, double p, double target) {
    const char* pair = q == caloric::h ? "p, h" : "p, s";
    const std::optional<saturated_pair> s = saturated_states(f, given::p, p);
    if (!s) return over_span(f, q, p, target, pair);
    const saturated_properties sp = saturated_phases(f, *s);
    const double v_liq = q == caloric::h ? sp.liquid.h : sp.liquid.s;
    const double v_vap = q == caloric::h ? sp.vapour.h : sp.vapour.s;
    if (target >= v_liq && target <= v_vap) return with_quality(*s, (target - v_liq) / (v_vap - v_liq), f.cfg.rho_div);
    const auto [t_lo, t_hi] = temperature_span(f);
    if (target < v_liq) {
        const auto [lo, v_lo] = outer_end(f, q, p, std::min(t_lo, s->T), false, target);
        return solve_at_p(f, q, p, target, lo, v_lo, s->T, v_liq, pair, phase_kind::liquid);
    }
    const auto [hi, v_hi] = outer_end(f, q, p, std::max(t_hi, s->T), true, target);
    // Above the saturation temperature at p, a pressure below the critical
    // one: gas, at every temperature (the phase decision could put a state
    // a hair above the line on the liquid's side).
    return solve_at_p(f, q, p, target, s->T, v_vap, hi, v_hi, pair, phase_kind::gas);
}

flash_state at_saturation(const fluid_data& f, given g, double value, double x) {
    const std::optional<saturated_pair> s = saturated_states(f, g, value);
    if (!s)
        no_state(g == given::T ? input_pair::T_x : input_pair::p_x, value, x);
    return with_quality(*s, x, f.cfg.rho_div);
}

flash_state at_T_rho(const fluid_data& f, double T, double rho) {
    const config& c = f.cfg;
    if (const auto s = saturated_states(f, given::T, T)) {
        const double rho_liq = c.rho_div * s->omega_1, rho_vap = c.rho_div * s->omega_2;
        if (rho >= rho_vap && rho <= rho_liq) {
            const double x = (1 / rho - 1 / rho_liq) / (1 / rho_vap - 1 / rho_liq);
            return with_quality(*s, x, c.rho_div);
        }
    }
    flash_state r;
    r.T = T;
    r.rho = rho;
    r.a = f.residual.at(rho / c.rho_div, T / c.tau_div);
    r.p = (1 + r.a.z_minus_1) * rho * c.R * T;
    check_fp();
    if (std::fabs(T / c.T_cr - 1) <= CRITICAL_BAND && std::fabs(r.p / c.p_cr - 1) <= CRITICAL_BAND)
        throw error(error_kind::near_critical, message_id::near_critical);
    r.phase = decide_phase(f, T, r.p).phase;
    return r;
}

}  // namespace

saturated_properties saturated_phases(const fluid_data& f, const saturated_pair& s) {
    const property_constants c = constants_of(f);
    const ideal_entry id = ideal_entry_at(f, s.T);
    const double rho_div = f.cfg.rho_div;
    saturated_properties out{real_properties(c, id, s.T, s.p, rho_div * s.omega_1, s.a1),
                             real_properties(c, id, s.T, s.p, rho_div * s.omega_2, s.a2)};
    check_fp();
    return out;
}

void add_two_phase(const fluid_data& f, const saturated_pair& s, double x, properties& rec) {
    const saturated_properties sp = saturated_phases(f, s);
    rec.t = s.T;
    rec.p = s.p;
    rec.v = (1 - x) * sp.liquid.v + x * sp.vapour.v;
    rec.rho = 1 / rec.v;
    rec.r = f.cfg.R;
    rec.mu = f.cfg.mu;
    rec.z = s.p * rec.v / (f.cfg.R * s.T);
    rec.fug = sp.liquid.fug;  // the phases' fugacities are equal
    rec.h = (1 - x) * sp.liquid.h + x * sp.vapour.h;
    rec.s = (1 - x) * sp.liquid.s + x * sp.vapour.s;
    rec.x = x;
    rec.dh = sp.vapour.h - sp.liquid.h;
}

void fill_record(const fluid_data& f, const flash_state& st, properties& rec) {
    if (st.sat) {
        add_two_phase(f, *st.sat, *st.x, rec);
        return;
    }
    const ideal_entry id = ideal_entry_at(f, st.T);
    rec.c_v = id.cv;
    rec.h = id.h;
    rec.s_0 = id.s0;
    add_residual(constants_of(f), st.T, st.p, st.rho, st.a, rec);
    single_phase_x(st.phase, rec);
    if (st.x) rec.x = *st.x;
}

flash_state flash(const fluid_data& f, input_pair pair, double first, double second) {
    switch (pair) {
        case input_pair::T_p: return single(f, first, second, std::nullopt, true);
        case input_pair::p_h: return at_p_and(f, caloric::h, first, second);
        case input_pair::p_s: return at_p_and(f, caloric::s, first, second);
        case input_pair::T_x: return at_saturation(f, given::T, first, second);
        case input_pair::p_x: return at_saturation(f, given::p, first, second);
        case input_pair::T_rho: return at_T_rho(f, first, second);
        case input_pair::h_s: return flash_h_s(f, first, second);
    }
    throw error(error_kind::input, message_id::invalid_pair);
}

std::optional<double> line_pressure(const fluid_data& f, const pressure_line& line, double T) {
    if (!(f.cfg.T_tp <= T && T < f.cfg.T_cr)) return std::nullopt;
    const double p = line.p(T);
    check_fp();
    return p;
}

std::optional<double> line_temperature(const fluid_data& f, const pressure_line& line, double p) {
    const config& c = f.cfg;
    const double lo = line.p(c.T_tp), hi = line.p(c.T_cr);
    check_fp();
    if (!(lo <= p && p < hi)) return std::nullopt;
    if (p == lo) return c.T_tp;
    // The line rises monotonically; ln p is nearly linear in 1/T, so TOMS 748
    // brackets the root to the last bits in a handful of evaluations.
    const double ln_p = std::log(p);
    const auto residual = [&](double T) { return std::log(line.p(T)) - ln_p; };
    std::uintmax_t steps = MAX_STEPS;
    const auto [a, b] = boost::math::tools::toms748_solve(residual, c.T_tp, c.T_cr, residual(c.T_tp), residual(c.T_cr),
                                                          boost::math::tools::eps_tolerance<double>(), steps);
    check_fp();
    if (steps >= MAX_STEPS)
        throw error(error_kind::no_convergence, message_id::bubble_dew_no_convergence);
    return 0.5 * (a + b);
}

}  // namespace vantrel::detail
