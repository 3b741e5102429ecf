#include "engine/mixture_fluid.h"

#include <algorithm>
#include <cmath>

namespace vantrel::detail {

namespace {

constexpr int POLISH_ITERATIONS = 100;  // as the message says
constexpr double DISTINCT_PHASES = 1e-6;  // |ln (rho_x/rho_y)| of two phases, at the least

double lower_limit(const mixture_model& m) {
    double T = 0;
    for (const auto& c : m.components) T = std::max(T, c.fluid->info.T_min.value_or(c.fluid->cfg.T_tp));
    return T;
}

// The range of the held value on the side's branch, below the refused neighbourhood.
std::pair<double, double> branch_range(const mixture_fluid& f, saturation_side side, bool at_T) {
    const envelope_data& e = f.envelope;
    const std::size_t n = f.z.size();
    const int held = at_T ? ln_T_index(n) : ln_p_index(n);
    const double low = side == saturation_side::dew ? e.points.front().v(held) : e.points.back().v(held);
    return {at_T ? e.T_low : std::exp(low), at_T ? f.T_refused : f.p_refused};
}

two_phase solve_at(const mixture_fluid& f, saturation_side side, bool at_T, double value) {
    const auto [low, high] = branch_range(f, side, at_T);
    const quantity q = at_T ? quantity::temperature : quantity::pressure;
    const char* name = at_T ? "T" : "p";
    if (value >= high && value <= (at_T ? f.envelope.cricondentherm.T : f.envelope.cricondenbar.p))
        throw error(error_kind::near_critical, message_id::near_critical);
    const bool bubble = side == saturation_side::bubble;
    const int held = at_T ? ln_T_index(f.z.size()) : ln_p_index(f.z.size());
    const auto start = value >= low && value < high ? envelope_start(f.envelope, bubble, held, std::log(value))
                                                    : std::nullopt;
    if (!start)
        throw error(error_kind::input, message_id::outside_two_phase_range,
                    {named_value(name, value, q), number_value(low, q), number_value(high, q)});
    const equilibrium_solution s =
        solve_equilibrium(f.model, f.z, bubble, *start, held, std::log(value), POLISH_ITERATIONS);
    if (!(std::fabs(std::log(s.state.rho_x / s.state.rho_y)) > DISTINCT_PHASES))
        throw error(error_kind::no_convergence, message_id::equilibrium_trivial);
    return s.state;
}

}  // namespace

mixture_fluid make_mixture_fluid(mixture_model model, std::vector<double> z) {
    mixture_fluid f{std::move(model), std::move(z), {}, 0, 0};
    f.envelope = trace_envelope(f.model, f.z, lower_limit(f.model));
    const envelope_data& e = f.envelope;
    f.T_refused = std::min(e.critical.T, e.cricondenbar.T) * (1 - MIXTURE_CRITICAL_BAND);
    f.p_refused = std::min(e.critical.p, e.cricondentherm.p) * (1 - MIXTURE_CRITICAL_BAND);
    return f;
}

two_phase saturation_at_T(const mixture_fluid& f, saturation_side side, double T) {
    return solve_at(f, side, true, T);
}

two_phase saturation_at_p(const mixture_fluid& f, saturation_side side, double p) {
    return solve_at(f, side, false, p);
}

}  // namespace vantrel::detail
