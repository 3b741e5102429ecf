// The public states: a pair's flash in the fluid's molar units, the state in
// SI mass units with the reference shift, checked before it is returned,
// with the saturation and glide values asked for.
#include <cmath>

#include "engine/api/check.h"
#include "engine/api/fluid.h"
#include "engine/base/fpu.h"

namespace vantrel::detail {

namespace {

void require_temperature(double T) {
    if (!(T > 0) || !std::isfinite(T))
        throw error(error_kind::input, message_id::temperature_not_positive,
                    {number_value(T, quantity::temperature), number_value(0, quantity::temperature)});
}

void require_pressure(double p) {
    if (!(p > 0) || !std::isfinite(p))
        throw error(error_kind::input, message_id::pressure_not_positive,
                    {number_value(p, quantity::pressure), number_value(0, quantity::pressure)});
}

void require_finite(const char* name, double value, quantity q) {
    if (!std::isfinite(value)) throw error(error_kind::input, message_id::value_not_finite, {named_value(name, value, q)});
}

// The values of a pair, checked: temperatures, pressures and densities
// positive, the vapour fraction in [0, 1], everything finite.
void require_pair(input_pair pair, double first, double second) {
    const bool t_first = pair == input_pair::T_p || pair == input_pair::T_x || pair == input_pair::T_rho;
    if (t_first) require_temperature(first);
    if (pair == input_pair::p_h || pair == input_pair::p_s || pair == input_pair::p_x) require_pressure(first);
    if (pair == input_pair::T_p) require_pressure(second);
    if (pair == input_pair::h_s) require_finite("h", first, quantity::energy);
    if (pair == input_pair::p_h) require_finite("h", second, quantity::energy);
    if (pair == input_pair::p_s || pair == input_pair::h_s) require_finite("s", second, quantity::entropy);
    if ((pair == input_pair::T_x || pair == input_pair::p_x) && !(second >= 0 && second <= 1))
        throw error(error_kind::input, message_id::fraction_outside, {number_value(second, quantity::fraction)});
    if (pair == input_pair::T_rho && !(second > 0 && std::isfinite(second)))
        throw error(error_kind::input, message_id::density_not_positive, {number_value(second, quantity::density)});
}

// A single phase in mass units: c_p, c_v, w and the Joule-Thomson
// coefficient with it.
state single_state(const fluid_impl& f, const flash_state& st) {
    const phase_properties ph = properties_of(f.core, st);
    const double M = f.core.M;
    state s;
    s.T = st.T;
    s.p = st.p;
    s.rho = st.rho * M;
    s.v = 1 / s.rho;
    s.h = ph.h / M + f.h_shift;
    s.s = ph.s / M + f.s_shift;
    s.u = s.h - s.p / s.rho;
    s.z = 1 + st.alpha.d;
    s.cp = ph.cp / M;
    s.cv = ph.cv / M;
    s.w = std::sqrt(ph.cp / ph.cv * ph.p_rho / M);
    s.jt = (st.T * ph.p_T / (st.rho * st.rho * ph.p_rho) - 1 / st.rho) / ph.cp;
    s.phase = st.phase;
    s.x = st.x;
    return s;
}

// Two phases in mass units: v, h, s and u of the whole, a mixture's phases'
// compositions.
state two_phase_state(const fluid_impl& f, const flash_state& st) {
    const two_phase& tp = *st.split;
    const phase_pair ph = st.phases ? *st.phases : phases_of(f.core, tp);
    const double M = f.core.M, beta = st.beta;
    const double v_molar = (1 - beta) / tp.rho_x + beta / tp.rho_y;
    state s;
    s.T = st.T;
    s.p = st.p;
    s.v = v_molar / M;
    s.rho = 1 / s.v;
    s.h = ((1 - beta) * ph.liquid.h + beta * ph.vapour.h) / M + f.h_shift;
    s.s = ((1 - beta) * ph.liquid.s + beta * ph.vapour.s) / M + f.s_shift;
    s.u = s.h - s.p * s.v;
    s.z = st.p * v_molar / (f.core.m->R * st.T);
    s.phase = st.phase;
    s.x = st.x;
    if (f.mixture()) {
        const composition wx = mass_fractions(*f.core.m, tp.x), wy = mass_fractions(*f.core.m, tp.y);
        s.phases = phase_compositions{{tp.x.begin(), tp.x.end()}, {tp.y.begin(), tp.y.end()},
                                      {wx.begin(), wx.end()}, {wy.begin(), wy.end()}};
    }
    return s;
}

// A failure of the flash quotes the pair's values, in the caller's units.
[[noreturn]] void with_values(const error& e, input_pair pair, double first, double second) {
    const bool bare = (e.id() == message_id::no_state || e.id() == message_id::state_no_convergence) && e.values().empty();
    if (!bare) throw e;
    throw error(e.kind(), e.id(), {pair_values(pair, first, second)});
}

// The checked state of a pair and its flash. Where its temperature is
// given, refused below half the lower limit, and below the limit itself
// where the equation has no state there (no convergence, a floating-point
// fault): the message then says that it lies below the limit.
std::pair<flash_state, state> checked_state(const fluid_impl& f, input_pair pair, double first, double second) {
    const bool by_T = keys_of(pair).first == input_key::T;
    const double lower = f.core.boundary->T_low();
    if (by_T && first < 0.5 * lower) below_lower_limit(f, pair, first, second);
    try {
        const auto [a, b] = keys_of(pair);
        flash_state st;
        try {
            st = flash(f.core, pair, molar_given(f, a, first), molar_given(f, b, second));
        } catch (const error& e) {
            with_values(e, pair, first, second);
        }
        // A single phase near the critical point, whichever pair found it.
        if (!st.split) f.core.boundary->refuse(st.T, st.p);
        const state s = st.split ? two_phase_state(f, st) : single_state(f, st);
        check_fp();
        check_state(f, pair, first, second, st, s);
        return {st, s};
    } catch (const error& e) {
        const bool failed = e.kind() == error_kind::no_convergence || e.kind() == error_kind::floating_point;
        if (!by_T || !(first < lower) || !failed) throw;
        clear_fp();
        below_lower_limit(f, pair, first, second);
    }
}

// A point's value of a side where the boundary has the point.
std::optional<boundary_point> defined(const fluid_impl& f, side at, given g, double value) {
    try {
        return f.core.boundary->point(at, g, value);
    } catch (const error& e) {
        if (e.kind() != error_kind::input && e.kind() != error_kind::near_critical) throw;
        clear_fp();
        return std::nullopt;
    }
}

// The saturation temperature at p and pressure at T: the dew point's (a pure
// fluid's saturation state); and a blend's bubble and dew values.
void add_extras(const fluid_impl& f, const flash_state& st, state& s, bool glide) {
    const std::optional<boundary_point> dew_T = st.sat_at_T ? st.sat_at_T : defined(f, side::dew, given::T, st.T);
    const std::optional<boundary_point> dew_p = defined(f, side::dew, given::p, st.p);
    if (dew_T) s.p_sat = dew_T->p;
    if (dew_p) s.T_sat = dew_p->T;
    if (!glide || !f.core.info.glide) return;
    const bubble_dew at_T = f.lines ? f.lines->at(given::T, st.T) : bubble_dew{
        [&] { const auto b = defined(f, side::bubble, given::T, st.T); return b ? std::optional(b->p) : std::nullopt; }(),
        s.p_sat};
    const bubble_dew at_p = f.lines ? f.lines->at(given::p, st.p) : bubble_dew{
        [&] { const auto b = defined(f, side::bubble, given::p, st.p); return b ? std::optional(b->T) : std::nullopt; }(),
        s.T_sat};
    s.p_bubble = at_T.bubble;
    s.p_dew = at_T.dew;
    s.T_bubble = at_p.bubble;
    s.T_dew = at_p.dew;
    if (s.T_bubble && s.T_dew) s.glide = *s.T_dew - *s.T_bubble;
}

}  // namespace

double molar_given(const fluid_impl& f, input_key k, double v) {
    const double M = f.core.M;
    if (k == input_key::h) return (v - f.h_shift) * M;
    if (k == input_key::s) return (v - f.s_shift) * M;
    if (k == input_key::rho) return v / M;
    return v;
}

}  // namespace vantrel::detail

namespace vantrel {

using namespace detail;

state fluid::at(input_pair pair, double first, double second, extras with) const {
    fp_guard guard;
    require_pair(pair, first, second);
    const fluid_impl& f = *impl_;
    auto [st, s] = checked_state(f, pair, first, second);
    if (with != extras::none) add_extras(f, st, s, with == extras::glide);
    s.warning = range_warning(f.core.info, s.T, s.p);
    check_fp();
    check_finite(s);
    return s;
}

}  // namespace vantrel
