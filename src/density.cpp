#include "density.h"

#include "engine/density.h"
#include "sat_line.h"

namespace engine = vantrel::detail;

double calc_rho_newton(const const_list&, const two_d_array& coef, double tau, double pi, double z_d, double delta,
                       double omega_0) {
    const engine::residual_model model = engine::residual_model::from_table(coef, "");
    return engine::solve_density(engine::residual_at_tau<double>(model, tau), pi, z_d, delta, omega_0);
}

double calc_rho_start(const const_list& th_c, double tau, double pi, double z_d, double p_s) {
    return engine::density_start(tau, pi, z_d, [&] {
        return (p_s == 0) ? calc_p_sat(th_c, th_c.tau_div * tau) / th_c.p_cr : p_s / th_c.p_cr;
    });
}

double calc_rho_real(const const_list& th_c, const two_d_array& coef, double tau, double pi, double z_d,
                     double delta, double p_s) {
    return calc_rho_newton(th_c, coef, tau, pi, z_d, delta, calc_rho_start(th_c, tau, pi, z_d, p_s));
}
