#include "legacy/phase_eq.h"

#include <Eigen/Core>
#include <Eigen/LU>
#include <array>
#include <cmath>

#include "engine/base/fpu.h"
#include "engine/model/residual.h"
#include "legacy/record.h"

namespace engine = vantrel::detail;

namespace {

constexpr int MAX_PASSES = 100;

// A pass whose step moved no variable by more than this, relative to it, and
// whose residuals were within the tolerance, ends the solve: near the
// critical point the residuals become flat long before the densities settle.
// Steps that no longer shrink have reached the resolution of the numbers
// there (the Jacobian is nearly singular) and settle a variable too.
constexpr double RELATIVE_STEP = 1e-10;

// The equation of the routines' table.
engine::residual_terms of(const two_d_array& coef) { return engine::residual_terms::from_table(coef, ""); }

// Both phases' derivatives at (omega_1, omega_2) and one TAU (the equation's
// tau is 1 / TAU), from the factors of that TAU computed once.
struct phase_pair {
    vantrel::residual_derivatives a1, a2;
};

phase_pair pair_at(const engine::residual_at<double>& at, double omega_1, double omega_2) {
    return {legacy::derivatives_of(at(omega_1)), legacy::derivatives_of(at(omega_2))};
}

phase_pair pair_at(const engine::residual_terms& model, double omega_1, double omega_2, double tau) {
    return pair_at(engine::residual_at<double>(model, 1 / tau), omega_1, omega_2);
}

// Equal Gibbs energy: the difference of g/(R T) of the two phases.
double gibbs_residual(double omega_1, double omega_2, const phase_pair& a) {
    return std::log(omega_1 / omega_2) + (a.a1.h - a.a1.s) - (a.a2.h - a.a2.s);
}

// (F1, F2) at tau: equal pressure and equal Gibbs energy, and their Jacobian
// over (omega_1, omega_2): d((1 + Z - 1) omega)/d omega = 1 + p_rho, and
// d(h - s)/d omega = p_rho / omega.
struct equal_area_system {
    Eigen::Vector2d f;
    Eigen::Matrix2d w;
};

equal_area_system system_at(const phase_pair& a, double omega_1, double omega_2) {
    const vantrel::residual_derivatives &a1 = a.a1, &a2 = a.a2;
    equal_area_system e;
    e.f << (1 + a1.z_minus_1) * omega_1 - (1 + a2.z_minus_1) * omega_2, gibbs_residual(omega_1, omega_2, a);
    e.w << 1 + a1.p_rho, -(1 + a2.p_rho), (1 + a1.p_rho) / omega_1, -(1 + a2.p_rho) / omega_2;
    return e;
}

// (G1, G2, F2) at pi: the pressure-equation residuals of the two phases and
// F2; and their Jacobian over (omega_1, omega_2, tau): d pi/d tau at
// constant omega = omega (1 + p_T) / z_d, and d(h - s)/d tau at constant
// omega = -(h - p_T) / tau.
Eigen::Vector3d residuals_p(const phase_pair& a, double omega_1, double omega_2, double tau, double pi, double z_d) {
    const auto reduced_pressure = [&](double z_minus_1, double omega) { return (1 + z_minus_1) * (tau * omega / z_d); };
    return {pi - reduced_pressure(a.a1.z_minus_1, omega_1), pi - reduced_pressure(a.a2.z_minus_1, omega_2),
            gibbs_residual(omega_1, omega_2, a)};
}

Eigen::Matrix3d jacobian_p(const phase_pair& a, double omega_1, double omega_2, double tau, double z_d) {
    const vantrel::residual_derivatives &a1 = a.a1, &a2 = a.a2;
    Eigen::Matrix3d w;
    w << -(1 + a1.p_rho) * tau / z_d, 0, -omega_1 * (1 + a1.p_T) / z_d,  //
        0, -(1 + a2.p_rho) * tau / z_d, -omega_2 * (1 + a2.p_T) / z_d,   //
        (1 + a1.p_rho) / omega_1, -(1 + a2.p_rho) / omega_2, (-(a1.h - a1.p_T) + (a2.h - a2.p_T)) / tau;
    return w;
}

// The Newton correction w^-1 f; a w that cannot be inverted, or a correction
// that is not finite, is error(no_convergence) naming the singular Jacobian.
template <int N>
Eigen::Matrix<double, N, 1> correction(const Eigen::Matrix<double, N, N>& w, const Eigen::Matrix<double, N, 1>& f) {
    const Eigen::FullPivLU<Eigen::Matrix<double, N, N>> lu(w);
    if (lu.isInvertible()) {
        const Eigen::Matrix<double, N, 1> step = lu.solve(f);
        if (step.allFinite()) return step;
    }
    engine::clear_fp();
    throw vantrel::error(vantrel::error_kind::no_convergence, vantrel::message_id::equilibrium_singular);
}

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
        throw vantrel::error(vantrel::error_kind::no_convergence, vantrel::message_id::equilibrium_no_convergence);
}

template <class M>
TReal2DArray matrix(const M& m) {
    TReal2DArray w;
    w.rows = static_cast<int>(m.rows());
    w.cols = static_cast<int>(m.cols());
    for (int i = 0; i < w.rows; ++i)
        for (int j = 0; j < w.cols; ++j) w[i][j] = m(i, j);
    return w;
}

}  // namespace

double sat_f1(const const_list&, const two_d_array& coef, double tau, double omega_1, double omega_2) {
    return system_at(pair_at(of(coef), omega_1, omega_2, tau), omega_1, omega_2).f[0];
}

double sat_f2(const const_list&, const two_d_array& coef, double tau, double omega_1, double omega_2) {
    return system_at(pair_at(of(coef), omega_1, omega_2, tau), omega_1, omega_2).f[1];
}

TReal2DArray sat_df_t(const const_list&, const two_d_array& coef, double omega_1, double omega_2, double,
                      double tau) {
    return matrix(system_at(pair_at(of(coef), omega_1, omega_2, tau), omega_1, omega_2).w);
}

TReal2DArray sat_df_p(const const_list&, const two_d_array& coef, double omega_1, double omega_2, double tau,
                      double, double z_d, double) {
    return matrix(jacobian_p(pair_at(of(coef), omega_1, omega_2, tau), omega_1, omega_2, tau, z_d));
}

// Every pass is the same step from the current values, so the passes still
// due are counted instead of nested: each residual of a pass's start above
// delta, and each density its step moved by more than 1e-10 of itself
// (unless the steps no longer shrink), starts a further pass.
void calc_sat_density_t(const const_list&, const two_d_array& coef, double& omega_1, double& omega_2, double delta,
                        double tau) {
    const engine::residual_terms model = of(coef);
    const engine::residual_at<double> at(model, 1 / tau);
    int passes = 0;
    steps<2> moved;
    for (int due = 1; due > 0; --due) {
        count_pass(passes);
        const Eigen::Vector2d x0{omega_1, omega_2};
        const equal_area_system e = system_at(pair_at(at, omega_1, omega_2), omega_1, omega_2);
        engine::check_fp();
        const Eigen::Vector2d x = x0 - correction<2>(e.w, e.f);
        omega_1 = x[0];
        omega_2 = x[1] < 0 ? 1e-08 : x[1];
        engine::check_fp();
        for (int i = 0; i < 2; ++i)
            if (!moved.settled(i, x0[i], x[i]) || std::fabs(e.f[i]) > delta) ++due;
    }
}

// The same in (omega_1, omega_2, tau) at pi: each variable that moved by
// more than delta, or by more than 1e-10 of itself, starts a further pass.
void calc_sat_density_p(const const_list&, const two_d_array& coef, double& omega_1, double& omega_2, double& tau,
                        double pi, double z_d, double delta) {
    const engine::residual_terms model = of(coef);
    int passes = 0;
    steps<3> moved;
    for (int due = 1; due > 0; --due) {
        count_pass(passes);
        const Eigen::Vector3d x0{omega_1, omega_2, tau};
        const phase_pair a = pair_at(model, omega_1, omega_2, tau);
        const Eigen::Vector3d f = residuals_p(a, omega_1, omega_2, tau, pi, z_d);
        const Eigen::Matrix3d w = jacobian_p(a, omega_1, omega_2, tau, z_d);
        engine::check_fp();
        const Eigen::Vector3d x = x0 - correction<3>(w, f);
        omega_1 = x[0];
        omega_2 = x[1] < 0 ? 1e-08 : x[1];
        tau = x[2];
        engine::check_fp();
        for (int i = 0; i < 3; ++i)
            if (!moved.settled(i, x0[i], x[i]) || std::fabs(x0[i] - x[i]) > delta) ++due;
    }
}
