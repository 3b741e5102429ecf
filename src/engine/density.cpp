#include "engine/density.h"

#include <cmath>

#include "engine/fpu.h"

namespace vantrel::detail {

namespace {

constexpr int MAX_CORRECTIONS = 200;

}  // namespace

double solve_density(const residual_at_tau<double>& m, double pi, double z_d, double delta, double omega_0) {
    double omega = omega_0;
    const double omega_id = z_d * pi / m.tau();
    for (int i = 0; i < MAX_CORRECTIONS; ++i) {
        const residual_derivatives a = m(omega);
        const double step = (omega_id - (1 + a.z_minus_1) * omega) / (1 + a.p_rho);
        omega = omega + step;
        check_fp();
        if (std::fabs(step) < delta) return omega;
    }
    throw error(error_kind::no_convergence, "Расчёт плотности не сошёлся за 200 итераций.");
}

}  // namespace vantrel::detail
