#include "engine/phase/glide_lines.h"

#include <cmath>
#include <cstdint>

#include <boost/math/tools/toms748_solve.hpp>

#include "engine/base/fpu.h"

namespace vantrel::detail {

namespace {

constexpr int MAX_STEPS = 100;  // of the root search, as the message says

}  // namespace

std::optional<glide_lines> glide_lines::of(std::shared_ptr<const component_data> c) {
    if (!c->bubble_line || !c->dew_line) return std::nullopt;
    return glide_lines(std::move(c));
}

bubble_dew glide_lines::at(given g, double value) const {
    if (g == given::T) return {pressure(*c_->bubble_line, value), pressure(*c_->dew_line, value)};
    return {temperature(*c_->bubble_line, value), temperature(*c_->dew_line, value)};
}

std::optional<double> glide_lines::pressure(const pressure_line& line, double T) const {
    if (!(c_->cfg.T_tp <= T && T < c_->cfg.T_cr)) return std::nullopt;
    const double p = line.p(T);
    check_fp();
    return p;
}

std::optional<double> glide_lines::temperature(const pressure_line& line, double p) const {
    const config& c = c_->cfg;
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
    if (steps >= MAX_STEPS) throw error(error_kind::no_convergence, message_id::bubble_dew_no_convergence);
    return 0.5 * (a + b);
}

}  // namespace vantrel::detail
