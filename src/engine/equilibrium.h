// Phase equilibrium by the Maxwell equal-area rule: equal pressure and equal
// Gibbs energy of the saturated liquid (omega_1) and vapour (omega_2),
// solved by Newton's method with the exact Jacobian of the residual
// derivatives.
#pragma once

#include <Eigen/Core>

#include "engine/helmholtz.h"

namespace vantrel::detail {

// (F1, F2) at the model's temperature: (1 + Z1 - 1) omega_1 - (1 + Z2 - 1)
// omega_2, and ln(omega_1/omega_2) + (h1 - s1) - (h2 - s2) of the residual
// derivatives of the two phases.
Eigen::Vector2d equal_area_residuals(const residual_at_tau<double>& m, double omega_1, double omega_2);

// (G1, G2, F2) at the reduced pressure pi: the pressure-equation residuals
// pi - (1 + Z - 1) omega tau / z_d of the two phases, and F2.
Eigen::Vector3d equal_area_residuals_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                       double pi, double z_d);

// The Jacobians of both residual vectors over (omega_1, omega_2) and
// (omega_1, omega_2, tau).
Eigen::Matrix2d equal_area_jacobian_t(const residual_at_tau<double>& m, double omega_1, double omega_2);
Eigen::Matrix3d equal_area_jacobian_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                      double z_d);

// Saturated densities at the model's temperature, updated in place. A pass
// applies one Newton step; each residual of its start above delta, and each
// density its step moved by more than 1e-10 of itself (unless the steps no
// longer shrink: the resolution of the numbers), starts a further pass. More than 100 passes: error(no_convergence); a Jacobian that cannot
// be inverted, or a step that is not finite: error(no_convergence) naming
// the singular Jacobian.
void equal_area_at_T(const residual_at_tau<double>& m, double& omega_1, double& omega_2, double delta);

// Saturated densities and reduced temperature at pi, updated in place; each
// variable that moved by more than delta, or by more than 1e-10 of itself,
// starts a further pass.
void equal_area_at_p(const residual_model& m, double& omega_1, double& omega_2, double& tau, double pi, double z_d,
                     double delta);

}  // namespace vantrel::detail
