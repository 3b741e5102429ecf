#include "legacy/density.h"

#include "engine/phase/density.h"
#include "legacy/sat_line.h"

namespace engine = vantrel::detail;

// The routines' reduced variables: omega = rho / rho_div is the equation's
// delta, TAU = T / tau_div the inverse of its tau, pi = p / p_cr, and
// z_d pi / TAU the ideal gas's delta.
double calc_rho_newton(const const_list&, const two_d_array& coef, double tau, double pi, double z_d, double delta,
                       double omega_0) {
    const engine::residual_terms model = engine::residual_terms::from_table(coef, "");
    return *engine::solve_delta(engine::residual_at<double>(model, 1 / tau), z_d * pi / tau, delta, omega_0);
}

double calc_rho_start(const const_list& th_c, double tau, double pi, double z_d, double p_s) {
    return engine::density_start(1 / tau, z_d * pi / tau, pi, [&] {
        return pi < ((p_s == 0) ? calc_p_sat(th_c, th_c.tau_div * tau) / th_c.p_cr : p_s / th_c.p_cr);
    });
}

double calc_rho_real(const const_list& th_c, const two_d_array& coef, double tau, double pi, double z_d,
                     double delta, double p_s) {
    return calc_rho_newton(th_c, coef, tau, pi, z_d, delta, calc_rho_start(th_c, tau, pi, z_d, p_s));
}
