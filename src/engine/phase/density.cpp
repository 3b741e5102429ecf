#include "engine/phase/density.h"

namespace vantrel::detail {

void density_not_converged() { throw error(error_kind::no_convergence, message_id::density_no_convergence); }

std::optional<density_solution> density_at(const model_at<double>& e, double p, double rho_start, branch on) {
    const double delta_id = p * e.v_r() / (e.of().R * e.T());
    const auto alpha = [&](double delta) { return e.alpha_at(delta); };
    const std::optional<double> delta = solve_delta(alpha, delta_id, e.of().delta_tolerance, rho_start * e.v_r(), on);
    if (!delta) return std::nullopt;
    density_solution out{*delta / e.v_r(), alpha(*delta)};
    check_density(out.alpha, *delta, delta_id);
    return out;
}

double density_of(const model_at<double>& e, double p, double rho_start) {
    return density_at(e, p, rho_start, branch::any)->rho;
}

}  // namespace vantrel::detail
