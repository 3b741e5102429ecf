#include "real_props.h"

#include <cmath>
#include <optional>
#include <stdexcept>

#include "density.h"
#include "eos.h"
#include "fp_check.h"
#include "general_func.h"
#include "ideal_gas.h"
#include "saturation.h"
#include "sat_line.h"

void calc_prop_list(double t, double p, double rho, const const_list& th_c, prop_list& prop, const one_d_array& a) {
    prop.t = t;
    prop.p = p;
    prop.rho = rho;
    prop.v = 1 / rho;
    prop.r = th_c.R;
    prop.mu = th_c.mu;
    const double r = prop.r;
    prop.z = 1 + a[0];
    prop.fug = std::exp(a[3] - a[4]) * r * prop.rho * prop.t;
    prop.c_v = prop.c_v + a[5] * r;
    prop.c_p = prop.c_v + r * (1 + a[2]) * (1 + a[2]) / (1 + a[1]);
    prop.h = prop.h + a[3] * r * t;
    const double add_s = is_helmholtz_form(th_c.type_calc) ? std::log(th_c.rho_cr / prop.rho)
                                                           : std::log(P_PHYS / (r * prop.rho * prop.t));
    prop.s = prop.s_0 + r * (add_s + a[4]);
    prop.s_r = a[4];
    prop.k = (1 + a[1]) * (prop.c_p / prop.c_v) / (1 + a[0]);
    prop.xi = prop.c_p / (prop.c_v + r * (a[0] - a[2]) * (1 + a[2]) * (1 + a[1]));
    prop.c = std::sqrt((prop.c_p / prop.c_v) * t * r * (1 + a[1]));
    prop.isoth_eff = (a[2] - a[1]) / ((1 + a[1]) * prop.rho);
    prop.adiab_eff = (a[2] - a[1]) / ((1 + a[1]) * prop.c_p * prop.rho);
    prop.k_alpha = (1 + a[2]) / (1 + a[1]);
    prop.k_betta = (1 + a[0]) / (1 + a[1]);
    prop.k_gamma = (1 + a[2]) / (1 + a[0]);
    prop.mu_t = (1 + a[0]) * (1 + a[0]) / (1 + a[1]);
    prop.mu_p = (1 + a[0]) * (1 + a[2]) / (1 + a[1]);
}

void calc_real_props(double t, double p, const T_dim_info& dims, const std::string& agent, prop_list& prop) {
    const str_arr names{agent, "config.txt"};
    const const_list th_c = create_const(names, "real", "config.txt");
    const two_d_array coef = read_eos_table(th_c);

    const double lo = 1 - D_CR;
    const double hi = 1 + D_CR;
    const bool away_from_critical = t < lo * th_c.T_cr || (t > hi * th_c.T_cr && p < lo * th_c.p_cr) ||
                                    p > hi * th_c.p_cr;
    if (!away_from_critical)
        throw std::runtime_error(
            "Состояние слишком близко к критической точке: свойства реального вещества не рассчитываются.");

    const std::string phase = calc_ph_state(t, p, agent);
    double omega_1 = 0;
    double omega_2 = 0;
    const double p_s = cacl_sat_par(t, PR.t, names, omega_1, omega_2).value_or(0);

    const double tau = t / th_c.tau_div;
    const double pi = p / th_c.p_cr;
    const double z_d = th_c.p_cr / (th_c.tau_div * th_c.R * th_c.rho_div);
    const double delta = th_c.delta_rho / th_c.rho_div;
    const bool two_sided = phase == PH_ST.gas || phase == PH_ST.liquid;
    const double omega = calc_rho_real(th_c, coef, tau, pi, z_d, delta, two_sided ? p_s : 0);
    const one_d_array a = calc_therm_derivatives_a(th_c, coef, omega, tau);
    const double rho = th_c.rho_div * omega;
    calc_prop_list(t, p, rho, th_c, prop, a);
    fp_check();
    reverse_dimensions(dims, prop);
    if (phase == PH_ST.gas || phase == PH_ST.supercritical) prop.x = 1;
    if (phase == PH_ST.liquid) prop.x = 0;
}

bool calc_sat_props(double par, const std::string& par_id, const T_dim_info& dims, const std::string& agent,
                    prop_list& prop, const std::string& phase) {
    fp_clear();
    const str_arr names{agent, "config.txt"};
    const const_list th_c = create_const(names, "real", "config.txt");
    const two_d_array coef = read_eos_table(th_c);
    if (par_id == PR.t) par = change_dimension_t(dims.t_dim, "K", par);
    if (par_id == PR.p) par = change_dimension_p(dims.p_dim, "Pa", par);
    if (!sat_range(par, par_id, th_c, 1)) return false;

    double omega_1 = 0;
    double omega_2 = 0;
    const std::optional<double> other = cacl_sat_par(par, par_id, names, omega_1, omega_2);
    const double t_s = (par_id == PR.t) ? par : other.value_or(0);
    const double p_s = (par_id == PR.t) ? other.value_or(0) : par;
    // No state when the densities were not computed, or are not distinct.
    if (!other || (omega_1 == 0 && omega_2 == 0)) return false;
    if (!(omega_1 / omega_2 > 1 + D_CR)) return false;

    const double tau = t_s / th_c.tau_div;
    const one_d_array a1 = calc_therm_derivatives_a(th_c, coef, omega_1, tau);
    const one_d_array a2 = calc_therm_derivatives_a(th_c, coef, omega_2, tau);
    const double r = t_s * th_c.R * (a2[3] - a1[3]);
    fp_check();

    prop_list result = prop;
    const bool liquid = phase == PH_ST.liquid;
    if (liquid || phase == PH_ST.gas) {
        calc_ideal_props(agent, t_s, p_s, result, "real");
        const double rho = th_c.rho_div * (liquid ? omega_1 : omega_2);
        calc_prop_list(t_s, p_s, rho, th_c, result, liquid ? a1 : a2);
        result.x = liquid ? 0 : 1;
    }
    result.t = t_s;
    result.p = p_s;
    result.dh = r;
    fp_check();
    reverse_dimensions(dims, result);
    prop = result;
    return true;
}
