#include "density.h"

#include <cmath>
#include <stdexcept>

#include "eos.h"
#include "fp_check.h"
#include "sat_line.h"

namespace {

constexpr int MAX_CORRECTIONS = 200;

}  // namespace

double calc_rho_newton(const const_list& th_c, const two_d_array& coef, double tau, double pi, double z_d,
                       double delta, double omega_0) {
    double omega = omega_0;
    const double omega_id = z_d * pi / tau;
    for (int i = 0; i < MAX_CORRECTIONS; ++i) {
        const one_d_array a = calc_therm_derivatives_a(th_c, coef, omega, tau);
        const double step = (omega_id - (1 + a[0]) * omega) / (1 + a[1]);
        omega = omega + step;
        fp_check();
        if (std::fabs(step) < delta) return omega;
    }
    throw std::runtime_error("Расчёт плотности не сошёлся за 200 итераций.");
}

double calc_rho_start(const const_list& th_c, double tau, double pi, double z_d, double p_s) {
    const double omega_id = z_d * pi / tau;
    if (tau < 1) {
        const double pi_s = (p_s == 0) ? calc_p_sat(th_c, th_c.tau_div * tau) / th_c.p_cr : p_s / th_c.p_cr;
        return (pi < pi_s) ? omega_id : 3.2;
    }
    if (pi < 1.05) return omega_id;
    return 9 * pi * z_d / ((1.1 * pi + 0.7) * tau);
}

double calc_rho_real(const const_list& th_c, const two_d_array& coef, double tau, double pi, double z_d,
                     double delta, double p_s) {
    return calc_rho_newton(th_c, coef, tau, pi, z_d, delta, calc_rho_start(th_c, tau, pi, z_d, p_s));
}
