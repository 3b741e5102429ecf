#include "engine/equilibrium.h"

#include <array>
#include <cmath>

#include "engine/density.h"
#include "engine/base/fpu.h"

namespace vantrel::detail {

namespace {

constexpr int MAX_PASSES = 100;

// A pass whose step moved no variable by more than this, relative to it, and
// whose residuals were within the tolerance, ends the solve: near the
// critical point the residuals become flat long before the densities settle.
// Steps that no longer shrink have reached the resolution of the numbers
// there (the Jacobian is nearly singular) and settle a variable too.
constexpr double RELATIVE_STEP = 1e-10;

// The relative steps of the variables of a solve, pass by pass.
template <int N>
struct steps {
    std::array<double, N> last;
    steps() { last.fill(INFINITY); }
    bool settled(int i, double before, double after) {
        const double rel = std::fabs(after - before) / std::fabs(after);
        const bool done = rel <= RELATIVE_STEP || rel >= 0.9 * last[i];
        last[i] = rel;
        return done;
    }
};

void count_pass(int& passes) {
    if (++passes > MAX_PASSES)
        throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
}

}  // namespace

void singular_jacobian() {
    clear_fp();
    throw error(error_kind::no_convergence, message_id::equilibrium_singular);
}

Eigen::Vector3d equal_area_residuals_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                       double pi, double z_d) {
    const residual_at_tau<double> at(m, tau);
    const residual_derivatives a1 = at(omega_1), a2 = at(omega_2);
    return {pi - reduced_pressure(a1.z_minus_1, omega_1, tau, z_d), pi - reduced_pressure(a2.z_minus_1, omega_2, tau, z_d),
            gibbs_residual(omega_1, omega_2, a1, a2)};
}

Eigen::Matrix3d equal_area_jacobian_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                      double z_d) {
    // d pi/d tau at constant omega = omega (1 + p_T) / z_d, and d(h - s)/d tau
    // at constant omega = -(h - p_T) / tau.
    const residual_at_tau<double> at(m, tau);
    const residual_derivatives a1 = at(omega_1), a2 = at(omega_2);
    Eigen::Matrix3d w;
    w << -(1 + a1.p_rho) * tau / z_d, 0, -omega_1 * (1 + a1.p_T) / z_d,  //
        0, -(1 + a2.p_rho) * tau / z_d, -omega_2 * (1 + a2.p_T) / z_d,   //
        (1 + a1.p_rho) / omega_1, -(1 + a2.p_rho) / omega_2, (-(a1.h - a1.p_T) + (a2.h - a2.p_T)) / tau;
    return w;
}

void equal_area_at_T(const residual_at_tau<double>& m, double& omega_1, double& omega_2, double delta) {
    // Every pass is the same step from the current values, so the passes
    // still due can be counted instead of nested.
    int passes = 0;
    steps<2> moved;
    for (int due = 1; due > 0; --due) {
        count_pass(passes);
        const Eigen::Vector2d x0{omega_1, omega_2};
        const equal_area_system<double> e = equal_area_at(m, omega_1, omega_2);
        check_fp();
        const Eigen::Vector2d x = x0 - newton_correction(e.w, e.f);
        omega_1 = x[0];
        omega_2 = x[1] < 0 ? 1e-08 : x[1];
        check_fp();
        for (int i = 0; i < 2; ++i)
            if (!moved.settled(i, x0[i], x[i]) || std::fabs(e.f[i]) > delta) ++due;
    }
}

void equal_area_at_p(const residual_model& m, double& omega_1, double& omega_2, double& tau, double pi, double z_d,
                     double delta) {
    int passes = 0;
    steps<3> moved;
    for (int due = 1; due > 0; --due) {
        count_pass(passes);
        const Eigen::Vector3d x0{omega_1, omega_2, tau};
        const Eigen::Vector3d f = equal_area_residuals_p(m, omega_1, omega_2, tau, pi, z_d);
        const Eigen::Matrix3d w = equal_area_jacobian_p(m, omega_1, omega_2, tau, z_d);
        check_fp();
        const Eigen::Vector3d x = x0 - newton_correction(w, f);
        omega_1 = x[0];
        omega_2 = x[1] < 0 ? 1e-08 : x[1];
        tau = x[2];
        check_fp();
        for (int i = 0; i < 3; ++i)
            if (!moved.settled(i, x0[i], x[i]) || std::fabs(x0[i] - x[i]) > delta) ++due;
    }
}

}  // namespace vantrel::detail
