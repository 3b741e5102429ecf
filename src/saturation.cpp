#include "saturation.h"

#include "const_unit.h"
#include "density.h"
#include "eos.h"
#include "fp_check.h"
#include "phase_eq.h"
#include "sat_line.h"

std::optional<double> cacl_sat_par(double par, const std::string& par_id, const str_arr& names, double& omega_1,
                                   double& omega_2) {
    const const_list th_c = create_const(names, "real", "config.txt");
    const two_d_array coef = read_eos_table(th_c);
    if (!sat_range(par, par_id, th_c, 0)) return std::nullopt;

    const bool by_t = par_id == PR.t;
    double t_s = 0;
    double p_s = 0;
    if (by_t) {
        t_s = par;
        p_s = calc_p_sat(th_c, t_s);
    } else {
        p_s = par;
        t_s = calc_t_sat(th_c, p_s, th_c.T_tp, th_c.T_cr, 0.05);
    }
    double tau_s = t_s / th_c.tau_div;
    double pi_s = p_s / th_c.p_cr;
    const double xi = th_c.sat_xi;
    const double pi_plus = (1 + xi) * pi_s;
    const double pi_minus = (1 - xi) * pi_s;
    const double tau_plus = by_t ? tau_s : (1 + xi) * tau_s;
    const double tau_minus = by_t ? tau_s : (1 - xi) * tau_s;
    const double z_d = th_c.p_cr / (th_c.tau_div * th_c.R * th_c.rho_div);
    const double delta = th_c.delta_rho / th_c.rho_div;
    fp_check();

    if (!th_c.maxwell_rule) {
        calc_omega_sat(th_c, tau_s, omega_1, omega_2);
        omega_1 = calc_rho_newton(th_c, coef, tau_s, pi_s, z_d, delta, omega_1);
        omega_2 = calc_rho_newton(th_c, coef, tau_s, pi_s, z_d, delta, omega_2);
    } else if (t_s < (1 - D_CR) * th_c.T_cr && p_s < (1 - D_CR) * th_c.p_cr) {
        omega_1 = calc_rho_real(th_c, coef, tau_minus, pi_plus, z_d, delta, p_s);
        omega_2 = calc_rho_real(th_c, coef, tau_plus, pi_minus, z_d, delta, p_s);
        if (by_t) {
            calc_sat_density_t(th_c, coef, omega_1, omega_2, delta, tau_s);
            pi_s = (1 + calc_compres_coeff(th_c, coef, omega_1, tau_s)) * tau_s * omega_1 / z_d;
        } else {
            calc_sat_density_p(th_c, coef, omega_1, omega_2, tau_s, pi_s, z_d, delta);
        }
        // Near the critical point Newton's method may end on the trivial
        // solution of equal densities, which is no saturation state: its
        // pressure or temperature would pass for one.
        fp_check();
        if (!(omega_1 / omega_2 > 1 + D_CR)) return std::nullopt;
    }
    const double result = by_t ? th_c.p_cr * pi_s : th_c.tau_div * tau_s;
    fp_check();
    return result;
}

std::string calc_ph_state(double t, double p, const std::string& agent) {
    const str_arr names{agent, "config.txt"};
    const const_list c = create_const(names, "real", "config.txt");
    if (p > c.p_cr && t > c.T_cr) return PH_ST.supercritical;
    if (p < c.p_tp && t > c.T_tp) return PH_ST.gas;
    if (c.T_tp < t && t < c.T_cr && p > c.p_cr) return PH_ST.liquid;
    if (c.p_tp < p && p < c.p_cr && t > c.T_cr) return PH_ST.gas;
    if (c.T_tp < t && t < c.T_cr && c.p_tp < p && p < c.p_cr) {
        double omega_1 = 0;
        double omega_2 = 0;
        const std::optional<double> p_s = cacl_sat_par(t, PR.t, names, omega_1, omega_2);
        if (!p_s) return "";
        if (p > *p_s) return PH_ST.liquid;
        if (p < *p_s) return PH_ST.gas;
    }
    return "";
}
