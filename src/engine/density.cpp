#include "engine/density.h"

#include <algorithm>
#include <cmath>

#include "engine/base/fpu.h"

namespace vantrel::detail {

namespace {

constexpr int MAX_CORRECTIONS = 200;

double checked(double omega) {
    check_fp();
    return omega;
}

[[noreturn]] void not_converged() {
    throw error(error_kind::no_convergence, message_id::density_no_convergence);
}

}  // namespace

std::optional<double> solve_density(const residual_at_tau<double>& m, double pi, double z_d, double delta,
                                    double omega_0, branch on) {
    // r(omega) = omega_id - (1 + Z - 1) omega is z_d/tau times the pressure
    // missing at omega: positive below the root, negative above it, where the
    // isotherm rises. Newton's method, kept inside the bracket [lo, hi] the
    // signs of r have set; bisection (or doubling, while no density above the
    // root is known) where a step would leave it or the isotherm falls.
    double omega = omega_0;
    const double omega_id = z_d * pi / m.tau();
    double lo = 0, hi = INFINITY;
    for (int i = 0; i < MAX_CORRECTIONS; ++i) {
        const residual_derivatives a = m(omega);
        const double r = omega_id - (1 + a.z_minus_1) * omega, slope = 1 + a.p_rho;
        // Only a NaN or an infinity could steer the steps below; a fault
        // that left finite numbers stays raised in the flags and is reported
        // on the way out.
        if (!std::isfinite(r) || !std::isfinite(slope)) check_fp();
        if (r == 0) return checked(omega);
        (r > 0 ? lo : hi) = omega;
        // The vapour's branch ends where the isotherm stops rising: no gas
        // state there.
        if (on == branch::vapour && !(slope > 0)) {
            check_fp();
            return std::nullopt;
        }
        double next = slope > 0 ? omega + r / slope : omega;
        if (!(slope > 0) || !(next >= lo && next <= hi)) next = std::isfinite(hi) ? 0.5 * (lo + hi) : 2 * omega;
        // Without a density above the root, at most a doubling: a longer
        // step can pass the maximum of an isotherm that turns over far above
        // the liquid (R152a's), into pressures below the root again.
        if (!std::isfinite(hi)) next = std::min(next, 2 * omega);
        if (!std::isfinite(next)) check_fp();
        if (std::fabs(next - omega) < delta) return checked(next);
        omega = next;
    }
    not_converged();
}

double solve_density(const residual_at_tau<double>& m, double pi, double z_d, double delta, double omega_0) {
    return *solve_density(m, pi, z_d, delta, omega_0, branch::any);
}

void check_density(const residual_derivatives& a, double omega, double pi, double tau, double z_d) {
    const double omega_id = z_d * pi / tau;
    if (!(std::fabs((1 + a.z_minus_1) * omega - omega_id) <= 1e-9 * omega_id + 1e-10 * omega)) not_converged();
}

}  // namespace vantrel::detail
