#include "engine/equilibrium.h"

#include <Eigen/LU>
#include <array>
#include <cmath>

#include "engine/fpu.h"

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

// Equal Gibbs energy: the difference of g/(R T) of the two phases.
double gibbs_residual(double omega_1, double omega_2, const residual_derivatives& a1,
                      const residual_derivatives& a2) {
    return std::log(omega_1 / omega_2) + (a1.h - a1.s) - (a2.h - a2.s);
}

void count_pass(int& passes) {
    if (++passes > MAX_PASSES)
        throw error(error_kind::no_convergence, "Расчёт фазового равновесия не сошёлся за 100 итераций.");
}

// x - W^-1 f, refusing a singular W and a step that is not finite.
template <int N>
Eigen::Matrix<double, N, 1> newton_step(const Eigen::Matrix<double, N, N>& w, const Eigen::Matrix<double, N, 1>& f,
                                        const Eigen::Matrix<double, N, 1>& x) {
    const Eigen::FullPivLU<Eigen::Matrix<double, N, N>> lu(w);
    const Eigen::Matrix<double, N, 1> step = lu.isInvertible() ? Eigen::Matrix<double, N, 1>(lu.solve(f))
                                                               : Eigen::Matrix<double, N, 1>::Constant(NAN);
    if (!step.allFinite()) {
        clear_fp();
        throw error(error_kind::no_convergence, "Вырожденная матрица Якоби в расчёте фазового равновесия.");
    }
    return x - step;
}

}  // namespace

Eigen::Vector2d equal_area_residuals(const residual_at_tau<double>& m, double omega_1, double omega_2) {
    const residual_derivatives a1 = m(omega_1), a2 = m(omega_2);
    return {(1 + a1.z_minus_1) * omega_1 - (1 + a2.z_minus_1) * omega_2, gibbs_residual(omega_1, omega_2, a1, a2)};
}

Eigen::Vector3d equal_area_residuals_p(const residual_model& m, double omega_1, double omega_2, double tau,
                                       double pi, double z_d) {
    const residual_at_tau<double> at(m, tau);
    const residual_derivatives a1 = at(omega_1), a2 = at(omega_2);
    return {pi - (1 + a1.z_minus_1) * (tau * omega_1 / z_d), pi - (1 + a2.z_minus_1) * (tau * omega_2 / z_d),
            gibbs_residual(omega_1, omega_2, a1, a2)};
}

Eigen::Matrix2d equal_area_jacobian_t(const residual_at_tau<double>& m, double omega_1, double omega_2) {
    // d((1 + Z - 1) omega)/d omega = 1 + p_rho, and d(h - s)/d omega = p_rho / omega.
    const residual_derivatives a1 = m(omega_1), a2 = m(omega_2);
    Eigen::Matrix2d w;
    w << 1 + a1.p_rho, -(1 + a2.p_rho), (1 + a1.p_rho) / omega_1, -(1 + a2.p_rho) / omega_2;
    return w;
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
        const Eigen::Vector2d f = equal_area_residuals(m, omega_1, omega_2);
        const Eigen::Matrix2d w = equal_area_jacobian_t(m, omega_1, omega_2);
        check_fp();
        const Eigen::Vector2d x = newton_step<2>(w, f, x0);
        omega_1 = x[0];
        omega_2 = x[1] < 0 ? 1e-08 : x[1];
        check_fp();
        for (int i = 0; i < 2; ++i)
            if (!moved.settled(i, x0[i], x[i]) || std::fabs(f[i]) > delta) ++due;
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
        const Eigen::Vector3d x = newton_step<3>(w, f, x0);
        omega_1 = x[0];
        omega_2 = x[1] < 0 ? 1e-08 : x[1];
        tau = x[2];
        check_fp();
        for (int i = 0; i < 3; ++i)
            if (!moved.settled(i, x0[i], x[i]) || std::fabs(x0[i] - x[i]) > delta) ++due;
    }
}

}  // namespace vantrel::detail
