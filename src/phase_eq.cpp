#include "phase_eq.h"

#include <cmath>
#include <stdexcept>

#include "eos.h"
#include "fp_check.h"

namespace {

constexpr int MAX_PASSES = 100;

// Both equal-area residuals from one evaluation of each phase's derivative vector.
struct residuals {
    double f1;
    double f2;
};

residuals sat_residuals(const const_list& th_c, const two_d_array& coef, double tau, double omega_1,
                        double omega_2) {
    const one_d_array a1 = calc_therm_derivatives_a(th_c, coef, omega_1, tau);
    const one_d_array a2 = calc_therm_derivatives_a(th_c, coef, omega_2, tau);
    return {(1 + a1[0]) * omega_1 - (1 + a2[0]) * omega_2,
            std::log(omega_1 / omega_2) + (a1[3] - a1[4]) - (a2[3] - a2[4])};
}

// Residuals (G1, G2, F2) of the solver at given pressure.
struct residuals_p {
    double g1;
    double g2;
    double f2;
};

residuals_p sat_residuals_p(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2,
                            double tau, double pi, double z_d) {
    const one_d_array a1 = calc_therm_derivatives_a(th_c, coef, omega_1, tau);
    const one_d_array a2 = calc_therm_derivatives_a(th_c, coef, omega_2, tau);
    return {pi - (1 + a1[0]) * (tau * omega_1 / z_d), pi - (1 + a2[0]) * (tau * omega_2 / z_d),
            std::log(omega_1 / omega_2) + (a1[3] - a1[4]) - (a2[3] - a2[4])};
}

TReal2DArray jacobian_t(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2,
                        double delta, double tau, const residuals& base) {
    const residuals d1 = sat_residuals(th_c, coef, tau, omega_1 + delta, omega_2);
    const residuals d2 = sat_residuals(th_c, coef, tau, omega_1, omega_2 + delta);
    TReal2DArray w;
    w.setlength(2, 2);
    w[0][0] = (d1.f1 - base.f1) / delta;
    w[0][1] = (d2.f1 - base.f1) / delta;
    w[1][0] = (d1.f2 - base.f2) / delta;
    w[1][1] = (d2.f2 - base.f2) / delta;
    return w;
}

TReal2DArray jacobian_p(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2, double tau,
                        double pi, double z_d, double delta, const residuals_p& base) {
    const residuals_p d[3] = {sat_residuals_p(th_c, coef, omega_1 + delta, omega_2, tau, pi, z_d),
                              sat_residuals_p(th_c, coef, omega_1, omega_2 + delta, tau, pi, z_d),
                              sat_residuals_p(th_c, coef, omega_1, omega_2, tau + delta, pi, z_d)};
    TReal2DArray w;
    w.setlength(3, 3);
    for (int j = 0; j < 3; ++j) {
        w[0][j] = (d[j].g1 - base.g1) / delta;
        w[1][j] = (d[j].g2 - base.g2) / delta;
        w[2][j] = (d[j].f2 - base.f2) / delta;
    }
    return w;
}

// X := X - W^-1 F, with W inverted in place; the inversion status is not
// examined (a singular W leaves the point where it was, and the pass limit
// ends the search).
void newton_step(TReal2DArray& w, const TReal2DArray& f, TReal2DArray& x, int n) {
    try {
        alglib::ae_int_t info = 0;
        MATINVREPORT report;
        alglib::rmatrixinverse(w, n, info, report);
        alglib::rmatrixgemm(n, 1, n, -1.0, w, 0, 0, 0, f, 0, 0, 0, 1.0, x, 0, 0);
    } catch (const alglib::ap_error& e) {
        throw std::runtime_error(e.msg);
    }
}

TReal2DArray column(std::initializer_list<double> values) {
    TReal2DArray m;
    m.setlength(static_cast<alglib::ae_int_t>(values.size()), 1);
    int i = 0;
    for (double v : values) m[i++][0] = v;
    return m;
}

void count_pass(int& passes) {
    if (++passes > MAX_PASSES) throw std::runtime_error("Расчёт фазового равновесия не сошёлся за 100 итераций.");
}

void density_t_pass(const const_list& th_c, const two_d_array& coef, double& omega_1, double& omega_2, double delta,
                    double tau, int& passes) {
    count_pass(passes);
    const residuals base = sat_residuals(th_c, coef, tau, omega_1, omega_2);
    const TReal2DArray f = column({base.f1, base.f2});
    TReal2DArray x = column({omega_1, omega_2});
    TReal2DArray w = jacobian_t(th_c, coef, omega_1, omega_2, delta, tau, base);
    fp_check();
    newton_step(w, f, x, 2);
    omega_1 = x[0][0];
    omega_2 = x[1][0];
    if (omega_2 < 0) omega_2 = 1e-08;
    fp_check();
    // Residuals of the start of this pass; each one above delta starts a
    // further pass from the current values.
    for (int i = 0; i < 2; ++i)
        if (std::fabs(f[i][0]) > delta) density_t_pass(th_c, coef, omega_1, omega_2, delta, tau, passes);
}

void density_p_pass(const const_list& th_c, const two_d_array& coef, double& omega_1, double& omega_2, double& tau,
                    double pi, double z_d, double delta, int& passes) {
    count_pass(passes);
    const double x0[3] = {omega_1, omega_2, tau};
    const residuals_p base = sat_residuals_p(th_c, coef, omega_1, omega_2, tau, pi, z_d);
    const TReal2DArray f = column({base.g1, base.g2, base.f2});
    TReal2DArray x = column({omega_1, omega_2, tau});
    TReal2DArray w = jacobian_p(th_c, coef, omega_1, omega_2, tau, pi, z_d, delta, base);
    fp_check();
    newton_step(w, f, x, 3);
    omega_1 = x[0][0];
    omega_2 = x[1][0];
    if (omega_2 < 0) omega_2 = 1e-08;
    tau = x[2][0];
    fp_check();
    for (int i = 0; i < 3; ++i)
        if (std::fabs(x0[i] - x[i][0]) > delta)
            density_p_pass(th_c, coef, omega_1, omega_2, tau, pi, z_d, delta, passes);
}

}  // namespace

double sat_f1(const const_list& th_c, const two_d_array& coef, double tau, double omega_1, double omega_2) {
    return sat_residuals(th_c, coef, tau, omega_1, omega_2).f1;
}

double sat_f2(const const_list& th_c, const two_d_array& coef, double tau, double omega_1, double omega_2) {
    return sat_residuals(th_c, coef, tau, omega_1, omega_2).f2;
}

TReal2DArray sat_df_t(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2, double delta,
                      double tau) {
    return jacobian_t(th_c, coef, omega_1, omega_2, delta, tau, sat_residuals(th_c, coef, tau, omega_1, omega_2));
}

TReal2DArray sat_df_p(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2, double tau,
                      double pi, double z_d, double delta) {
    return jacobian_p(th_c, coef, omega_1, omega_2, tau, pi, z_d, delta,
                      sat_residuals_p(th_c, coef, omega_1, omega_2, tau, pi, z_d));
}

void calc_sat_density_t(const const_list& th_c, const two_d_array& coef, double& omega_1, double& omega_2,
                        double delta, double tau) {
    int passes = 0;
    density_t_pass(th_c, coef, omega_1, omega_2, delta, tau, passes);
}

void calc_sat_density_p(const const_list& th_c, const two_d_array& coef, double& omega_1, double& omega_2,
                        double& tau, double pi, double z_d, double delta) {
    int passes = 0;
    density_p_pass(th_c, coef, omega_1, omega_2, tau, pi, z_d, delta, passes);
}
