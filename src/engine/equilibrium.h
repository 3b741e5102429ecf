// Phase equilibrium by the Maxwell equal-area rule: equal pressure and equal
// Gibbs energy of the saturated liquid (omega_1) and vapour (omega_2),
// solved by Newton's method with the exact Jacobian of the residual
// derivatives. The equations and the Newton correction are written once for
// any number type (double here, an extended-precision type in the tools).
#pragma once

#include <Eigen/Core>
#include <Eigen/LU>
#include <cmath>

#include "engine/base/fpu.h"
#include "engine/helmholtz.h"

namespace vantrel::detail {

// Equal Gibbs energy: the difference of g/(R T) of the two phases.
template <class S>
S gibbs_residual(const S& omega_1, const S& omega_2, const basic_residual_derivatives<S>& a1,
                 const basic_residual_derivatives<S>& a2) {
    using std::log;
    return log(omega_1 / omega_2) + (a1.h - a1.s) - (a2.h - a2.s);
}

// The equations at the model's temperature, from one evaluation of each
// phase: f = (F1, F2), F1 = (1 + Z1 - 1) omega_1 - (1 + Z2 - 1) omega_2 and
// F2 the Gibbs residual, and w their Jacobian over (omega_1, omega_2).
template <class S>
struct equal_area_system {
    Eigen::Matrix<S, 2, 1> f;
    Eigen::Matrix<S, 2, 2> w;
};

template <class S>
equal_area_system<S> equal_area_at(const residual_at_tau<S>& m, const S& omega_1, const S& omega_2) {
    const basic_residual_derivatives<S> a1 = m(omega_1), a2 = m(omega_2);
    // d((1 + Z - 1) omega)/d omega = 1 + p_rho, and d(h - s)/d omega = p_rho / omega.
    equal_area_system<S> e;
    e.f << (1 + a1.z_minus_1) * omega_1 - (1 + a2.z_minus_1) * omega_2, gibbs_residual(omega_1, omega_2, a1, a2);
    e.w << 1 + a1.p_rho, -(1 + a2.p_rho), (1 + a1.p_rho) / omega_1, -(1 + a2.p_rho) / omega_2;
    return e;
}

[[noreturn]] void singular_jacobian();

// The Newton correction w^-1 f; a w that cannot be inverted, or a
// correction that is not finite, is error(no_convergence) naming the
// singular Jacobian.
template <class S, int N>
Eigen::Matrix<S, N, 1> newton_correction(const Eigen::Matrix<S, N, N>& w, const Eigen::Matrix<S, N, 1>& f) {
    const Eigen::FullPivLU<Eigen::Matrix<S, N, N>> lu(w);
    if (lu.isInvertible()) {
        const Eigen::Matrix<S, N, 1> step = lu.solve(f);
        if (step.allFinite()) return step;
    }
    singular_jacobian();
}

template <class S>
Eigen::Matrix<S, 2, 1> newton_correction(const equal_area_system<S>& e) {
    return newton_correction(e.w, e.f);
}

// (G1, G2, F2) at the reduced pressure pi: the pressure-equation residuals
// pi - (1 + Z - 1) omega tau / z_d of the two phases, and F2; and their
// Jacobian over (omega_1, omega_2, tau).
Eigen::Vector3d equal_area_residuals_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                       double pi, double z_d);
Eigen::Matrix3d equal_area_jacobian_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                      double z_d);

// Saturated densities at the model's temperature, updated in place. A pass
// applies one Newton step; each residual of its start above delta, and each
// density its step moved by more than 1e-10 of itself (unless the steps no
// longer shrink: the resolution of the numbers), starts a further pass.
// More than 100 passes: error(no_convergence); a singular Jacobian as
// newton_correction says.
void equal_area_at_T(const residual_at_tau<double>& m, double& omega_1, double& omega_2, double delta);

// Saturated densities and reduced temperature at pi, updated in place; each
// variable that moved by more than delta, or by more than 1e-10 of itself,
// starts a further pass.
void equal_area_at_p(const residual_model& m, double& omega_1, double& omega_2, double& tau, double pi, double z_d,
                     double delta);

}  // namespace vantrel::detail
