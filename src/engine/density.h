// The density at a given temperature and pressure: Newton's method on the
// reduced pressure equation, from a start value by the side of the
// saturation line.
#pragma once

#include <optional>

#include "engine/helmholtz.h"

namespace vantrel::detail {

// The reduced pressure (1 + Z - 1) omega tau / z_d of a density.
inline double reduced_pressure(double z_minus_1, double omega, double tau, double z_d) {
    return (1 + z_minus_1) * (tau * omega / z_d);
}

// Which root of the isotherm a solve may end on: any, or one on the
// vapour's branch (where the isotherm rises from zero density on).
enum class branch { any, vapour };

// Newton's method on omega (1 + Z - 1) = z_d pi / tau at the model's tau
// from omega_0, safeguarded by the bracket its residuals set, until a
// correction is smaller than delta (the last one applied). On the vapour's
// branch, nothing where the isotherm stops rising before the root (the
// equation has no gas state there). More than 200 corrections:
// error(no_convergence).
std::optional<double> solve_density(const residual_at_tau<double>& m, double pi, double z_d, double delta,
                                    double omega_0, branch on);
double solve_density(const residual_at_tau<double>& m, double pi, double z_d, double delta, double omega_0);

// Refuses (error(no_convergence), as the solver) a density whose pressure by
// the equation, its derivatives a there, is not pi: to 1e-9 of it, and 1e-12
// of omega tau / z_d more (the last bits of a liquid's small Z). Newton's
// steps also settle where a term of the equation is singular (far outside
// its range), on a jump of the pressure rather than a root.
void check_density(const residual_derivatives& a, double omega, double pi, double tau, double z_d);

// Start value: below tau = 1, the ideal-gas density on the vapour side
// (pi < pi_s(), the reduced saturation pressure, evaluated only there) and
// 3.2 on the liquid side; from tau = 1 on, the ideal-gas density below
// pi = 1.05 and a dense estimate above.
template <class PiS>
double density_start(double tau, double pi, double z_d, const PiS& pi_s) {
    const double omega_id = z_d * pi / tau;
    if (tau < 1) return (pi < pi_s()) ? omega_id : 3.2;
    if (pi < 1.05) return omega_id;
    return 9 * pi * z_d / ((1.1 * pi + 0.7) * tau);
}

}  // namespace vantrel::detail
