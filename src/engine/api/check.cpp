#include "engine/api/check.h"

#include <cmath>

#include "engine/base/fpu.h"
#include "engine/phase/phase_terms.h"

namespace vantrel::detail {

namespace {

constexpr double FUGACITY_CHECK = 1e-10;  // |ln f_i(liquid) - ln f_i(vapour)|
constexpr double BALANCE_CHECK = 1e-12;   // |z_i - (1 - beta) x_i - beta y_i|, |sum x - 1|

// The equation's pressure of a phase is p: to 1e-9 of it, and 1e-10 of
// rho R T more (the last bits of a liquid's small Z), as the density solver
// holds it.
bool pressure_holds(double p_phase, double p, double rho_RT) {
    return std::fabs(p_phase - p) <= 1e-9 * p + 1e-10 * rho_RT;
}

// A single phase: stable (c_v > 0, c_p > 0 and a rising isotherm: far
// below the lower limit the equation has states that are not), at its
// pressure where its density was solved at a given one (a saturated phase
// of the boundary has the boundary's: a correlation's may lie off the
// equation's next to the critical point), and on its side of the boundary.
bool single_holds(const fluid_impl& f, input_pair pair, const flash_state& st, const state& s) {
    if (!(*s.cv > 0 && *s.cp > 0 && *s.w > 0)) return false;
    const double rho_RT = st.rho * f.core.m->R * st.T;
    const bool at_p = (pair == input_pair::T_p || pair == input_pair::p_h || pair == input_pair::p_s) && !st.x;
    if (at_p && !pressure_holds(rho_RT * (1 + st.alpha.d), st.p, rho_RT)) return false;
    return f.core.boundary->on_its_side(st.T, st.rho, st.phase, st.sat_at_T);
}

// Two phases: the vapour fraction from 0 to 1; two phases of a mixture
// solved by Newton's method also in equilibrium (ln f_i equal), each at p,
// the material balance closed. One component's are its saturation state.
bool two_phases_hold(const fluid_impl& f, const flash_state& st, const state& s) {
    if (!(*s.x >= 0 && *s.x <= 1 && st.beta >= 0 && st.beta <= 1)) return false;
    if (!f.mixture()) return true;
    const two_phase& tp = *st.split;
    const model& m = *f.core.m;
    const phase_terms X = phase_at(m, tp.T, tp.p, tp.rho_x, tp.x, false);
    const phase_terms Y = phase_at(m, tp.T, tp.p, tp.rho_y, tp.y, false);
    for (std::size_t i = 0; i < tp.x.size(); ++i)
        if (!(std::fabs(std::log(tp.y[i] / tp.x[i]) + Y.G[i] - X.G[i]) <= FUGACITY_CHECK)) return false;
    if (!pressure_holds(X.pressure, tp.p, tp.rho_x * m.R * tp.T) || !pressure_holds(Y.pressure, tp.p, tp.rho_y * m.R * tp.T))
        return false;
    double sum_x = 0, sum_y = 0;
    for (std::size_t i = 0; i < f.core.z.size(); ++i) {
        sum_x += tp.x[i];
        sum_y += tp.y[i];
        if (!(std::fabs(f.core.z[i] - (1 - st.beta) * tp.x[i] - st.beta * tp.y[i]) <= BALANCE_CHECK)) return false;
    }
    return std::fabs(sum_x - 1) <= BALANCE_CHECK && std::fabs(sum_y - 1) <= BALANCE_CHECK;
}

}  // namespace

bool reproduces(input_key k, double v, const state& s) {
    const std::optional<double> got = k == input_key::T     ? s.T
                                      : k == input_key::p   ? s.p
                                      : k == input_key::h   ? s.h
                                      : k == input_key::s   ? s.s
                                      : k == input_key::rho ? std::optional<double>(s.rho)
                                                            : s.x;
    const double floor = k == input_key::h ? 1e-6 : k == input_key::s ? 1e-9 : k == input_key::x ? 1e-12 : 0;
    return got && std::fabs(*got - v) <= 1e-9 * std::fabs(v) + floor;
}

void check_finite(const state& s) {
    for (double v : {s.T, s.p, s.rho, s.v, s.h, s.s, s.u, s.z}) finite(v);
    for (const auto& v : {s.cp, s.cv, s.w, s.jt, s.x, s.T_sat, s.p_sat, s.p_bubble, s.p_dew, s.T_bubble, s.T_dew,
                          s.glide})
        if (v) finite(*v);
}

message_value pair_values(input_pair pair, double first, double second) {
    const auto named = [](input_key k, double v) { return named_value(std::string(info_of(k).name), v, info_of(k).q); };
    const auto [a, b] = keys_of(pair);
    return nested_value({message{message_id::pair_values, {named(a, first), named(b, second)}}});
}

void below_lower_limit(const fluid_impl& f, input_pair pair, double first, double second) {
    throw error(error_kind::input, message_id::below_lower_limit,
                {pair_values(pair, first, second), text_value(f.core.info.agent),
                 number_value(f.core.boundary->T_low(), quantity::temperature)});
}

void check_state(const fluid_impl& f, input_pair pair, double first, double second, const flash_state& st,
                 const state& s) {
    const auto [a, b] = keys_of(pair);
    const bool holds = reproduces(a, first, s) && reproduces(b, second, s) &&
                       (st.split ? two_phases_hold(f, st, s) : single_holds(f, pair, st, s));
    const double lower = f.core.boundary->T_low();
    if (holds && !(s.T < 0.5 * lower)) return;
    if (s.T <= lower * (1 + 1e-9)) below_lower_limit(f, pair, first, second);
    throw error(error_kind::no_convergence, message_id::state_not_reproduced,
                {text_value(std::string(info_of(a).name)), text_value(std::string(info_of(b).name)),
                 pair_values(pair, first, second)});
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
