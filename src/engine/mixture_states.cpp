// The public states of a mixture: the flash's state in SI mass units with
// the blend's shift of h and s, checked before it is returned.
#include <cmath>
#include <optional>

#include "engine/flash.h"
#include "engine/base/fpu.h"
#include "engine/mixture_flash.h"
#include "engine/mixture_fluid.h"

namespace vantrel::detail {

namespace {

constexpr double FUGACITY_CHECK = 1e-10;  // |ln f_i(liquid) - ln f_i(vapour)|
constexpr double PRESSURE_CHECK = 1e-9;   // each phase at p (see equilibrium_error)
constexpr double BALANCE_CHECK = 1e-12;   // |z_i - (1 - beta) x_i - beta y_i|, |sum x - 1|

std::vector<double> mass_fractions(const mixture_model& m, const std::vector<double>& x) {
    const double M = molar_mass(m, x);
    std::vector<double> w(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) w[i] = x[i] * m.components[i].M / M;
    return w;
}

// The given value in the flash's molar units.
double molar_given(const fluid::mixture& m, input_key k, double v) {
    const double M = molar_mass(m.fluid.model, m.fluid.z);
    if (k == input_key::h) return (v - m.h_shift) * M;
    if (k == input_key::s) return (v - m.s_shift) * M;
    if (k == input_key::rho) return v / M;
    return v;
}

// One phase; at_p whether its density gives its pressure (as each of two
// phases must, see equilibrium_error): its p is the given one.
state one_phase(const fluid::mixture& m, const mixture_state& ms, bool& at_p) {
    const mixture_fluid& f = m.fluid;
    const double M = molar_mass(f.model, f.z);
    const mixture_phase ph = mixture_phase_at(f.model, ms.T, ms.rho, f.z);
    state s;
    s.T = ms.T;
    s.p = ms.p;  // as given, or from T and rho
    s.rho = ms.rho * M;
    s.v = 1 / s.rho;
    s.h = ph.h / M + m.h_shift;
    s.s = ph.s / M + m.s_shift;
    s.u = s.h - s.p / s.rho;
    s.z = ph.p / (ms.rho * R_MIXTURE * ms.T);
    s.cp = ph.cp / M;
    s.cv = ph.cv / M;
    s.w = std::sqrt(ph.cp / ph.cv * ph.p_rho / M);
    s.jt = (ms.T * ph.p_T / (ms.rho * ms.rho * ph.p_rho) - 1 / ms.rho) / ph.cp;
    s.phase = ms.phase;
    // Stable: c_v > 0, c_p > 0 and a rising isotherm.
    if (!(ph.cv > 0 && ph.cp > 0 && ph.p_rho > 0)) throw error(error_kind::no_convergence, message_id::equilibrium_trivial);
    at_p = std::fabs(ph.p - ms.p) <= PRESSURE_CHECK * (ms.p + DENSITY_DIGITS * ms.rho * ph.p_rho);
    return s;
}

// The liquid's and the vapour's terms, with h and s: for the output and its check.
struct both_phases {
    phase_terms liquid, vapour;
};

both_phases terms_of(const mixture_fluid& f, const two_phase& tp) {
    return {phase_at(f.model, tp.T, tp.p, tp.rho_x, tp.x, false, true),
            phase_at(f.model, tp.T, tp.p, tp.rho_y, tp.y, false, true)};
}

state two_phases(const fluid::mixture& m, const mixture_state& ms, const both_phases& t) {
    const mixture_fluid& f = m.fluid;
    const two_phase& tp = *ms.split;
    const double M = molar_mass(f.model, f.z), beta = ms.beta;
    const phase_terms &l = t.liquid, &g = t.vapour;
    const double v_molar = (1 - beta) / tp.rho_x + beta / tp.rho_y;
    state s;
    s.T = tp.T;
    s.p = tp.p;
    s.v = v_molar / M;
    s.rho = 1 / s.v;
    s.h = ((1 - beta) * l.h + beta * g.h) / M + m.h_shift;
    s.s = ((1 - beta) * l.s + beta * g.s) / M + m.s_shift;
    s.u = s.h - s.p * s.v;
    s.z = tp.p * v_molar / (R_MIXTURE * tp.T);
    s.phase = phase_kind::two_phase;
    s.x = beta * molar_mass(f.model, tp.y) / M;
    s.phases = phase_compositions{tp.x, tp.y, mass_fractions(f.model, tp.x), mass_fractions(f.model, tp.y)};
    return s;
}

// Equal fugacities, both phases at p, the material balance closed.
bool two_phases_hold(const mixture_fluid& f, const mixture_state& ms, const both_phases& t) {
    const two_phase& tp = *ms.split;
    const equilibrium_error e = equilibrium_error_of(tp, t.liquid, t.vapour);
    if (!(e.fugacity <= FUGACITY_CHECK && e.pressure <= PRESSURE_CHECK)) return false;
    if (!(ms.beta >= 0 && ms.beta <= 1)) return false;
    double sum_x = 0, sum_y = 0;
    for (std::size_t i = 0; i < f.z.size(); ++i) {
        sum_x += tp.x[i];
        sum_y += tp.y[i];
        if (!(std::fabs(f.z[i] - (1 - ms.beta) * tp.x[i] - ms.beta * tp.y[i]) <= BALANCE_CHECK)) return false;
    }
    return std::fabs(sum_x - 1) <= BALANCE_CHECK && std::fabs(sum_y - 1) <= BALANCE_CHECK;
}

// The bubble and dew values at the state's T and p, where the lines have them.
void add_lines(const mixture_fluid& f, state& s, bool glide) {
    const auto at_T = [&](saturation_side side) { return where_defined([&] { return saturation_at_T(f, side, s.T).p; }); };
    const auto at_p = [&](saturation_side side) { return where_defined([&] { return saturation_at_p(f, side, s.p).T; }); };
    s.p_sat = at_T(saturation_side::dew);
    s.T_sat = at_p(saturation_side::dew);
    if (!glide) return;
    s.p_dew = s.p_sat;
    s.T_dew = s.T_sat;
    s.p_bubble = at_T(saturation_side::bubble);
    s.T_bubble = at_p(saturation_side::bubble);
    if (s.T_bubble && s.T_dew) s.glide = *s.T_dew - *s.T_bubble;
}

}  // namespace

state mixture_state_at(const fluid::mixture& m, input_pair pair, double first, double second, extras with) {
    if (pair == input_pair::h_s)
        throw error(error_kind::input, message_id::mixture_states_unavailable, {text_value(m.info.agent)});
    const auto [a, b] = keys_of(pair);
    const mixture_fluid& f = m.fluid;
    const mixture_state ms = mixture_flash(f, pair, molar_given(m, a, first), molar_given(m, b, second));
    const std::optional<both_phases> t = ms.split ? std::optional(terms_of(f, *ms.split)) : std::nullopt;
    bool at_p = true;
    state s = t ? two_phases(m, ms, *t) : one_phase(m, ms, at_p);
    check_fp();
    const bool holds =
        reproduces(a, first, s) && reproduces(b, second, s) && (t ? two_phases_hold(f, ms, *t) : at_p);
    if (!holds)
        throw error(error_kind::no_convergence, message_id::state_not_reproduced,
                    {text_value(std::string(info_of(a).name)), text_value(std::string(info_of(b).name)),
                     pair_values(pair, first, second)});
    if (with != extras::none) add_lines(f, s, with == extras::glide);
    s.warning = range_warning(m.info, s.T, s.p);
    check_fp();
    check_finite(s);
    return s;
}

}  // namespace vantrel::detail
