#include "sat_line.h"

#include <cmath>

#include "const_unit.h"
#include "fp_check.h"
#include "ideal_gas.h"

namespace {

// Base of the exponential forms.
double sat_base_value(const const_list& th_c) {
    if (th_c.sat_base == "exp") return 2.718281828459045;
    if (th_c.sat_base == "dec") return 10;
    reject_config_value(th_c, "sat_base", th_c.sat_base);
}

double saturated_density(const const_list& th_c, double tau, const char* id, const char* form_key,
                         std::int32_t form) {
    if (form != 1 && form != 2 && form != 3 && form != 11 && form != 12)
        reject_config_value(th_c, form_key, std::to_string(form));
    const two_d_array table = read_table_checked({th_c.names[0], coeff_file_name(th_c.sat_line, id)}, 2);
    const double y = 1 - tau;
    double f = 0;
    switch (form) {
        case 1: f = std::exp(calc_t_polynom(table, y, 0, false)); break;
        case 2: f = calc_t_polynom(table, y, 0, false); break;
        case 3: f = std::exp(calc_t_polynom(table, y, 0, false) / tau); break;
        case 11: f = 1 + calc_frac_polynom(table, y, 3); break;
        default: f = std::exp(calc_frac_polynom(table, y, 6)); break;
    }
    return th_c.sat_rho * f / th_c.rho_div;
}

}  // namespace

double calc_p_sat(const const_list& th_c, double t) {
    const std::int32_t form = th_c.sat_id;
    if (form < 1 || form > 9) reject_config_value(th_c, "sat_id", std::to_string(form));
    const double x = t / th_c.sat_tau;
    const double p0 = th_c.p_s_0;
    if (form == 7) {
        const double psi = 4 * (x - 1) / x + (x - 1) * (0.2 * (1 + x) * (1 + x) + 0.5) - 5.3 * std::log(x);
        return p0 * std::exp((th_c.Ri - 4 + th_c.P_a) * psi + th_c.Ri * std::log(x));
    }
    const str_arr names{th_c.names[0], th_c.sat_line};
    const auto sum = [&](double y) { return calc_t_polynom(names, y, 0, false); };
    if (form == 6) return p0 * sum(x);
    const double b = sat_base_value(th_c);
    switch (form) {
        case 1: return p0 * power(b, sum(1 - x) / x);
        case 2: return p0 * power(b, calc_t_polynom(names, x, th_c.b_s, false));
        case 3: return p0 * power(b, sum(x) + th_c.b_s * power(1 - x, 1.35));
        case 4: return p0 * power(b, sum(x) + th_c.b_s * std::log10(x));
        case 5: return p0 * power(b, (sum(1 - x) + th_c.b_s * x * std::log(x)) / x);
        case 8: return p0 * power(b, sum(x - 1));
        default:
            return p0 * power(b, sum(x) + th_c.b_s * std::log10(x) +
                                     th_c.a_s * ((th_c.c_s - x) / x) * std::log10(th_c.c_s - x));
    }
}

double calc_t_sat(const const_list& th_c, double p, double t_min, double t_max, double delta_t) {
    while (std::fabs(t_max - t_min) > delta_t) {
        const double t_c = (t_max + t_min) * 0.5;
        // A bracket that no longer narrows (delta_t at the resolution of the
        // numbers, or below zero) ends the search instead of looping forever.
        if (t_c == t_min || t_c == t_max) break;
        const double f_min = p - calc_p_sat(th_c, t_min);
        const double f_c = p - calc_p_sat(th_c, t_c);
        fp_check();
        // A root met exactly is the answer: the sign test below would move
        // away from it towards t_max.
        if (f_min == 0) return t_min;
        if (f_c == 0) return t_c;
        if (f_c * f_min < 0)
            t_max = t_c;
        else
            t_min = t_c;
    }
    return (t_max + t_min) * 0.5;
}

bool sat_range(double par, const std::string& par_id, const const_list& th_c, std::int32_t level) {
    if ((level != 0 && level != 1) || th_c.sat_id == 0) return false;
    const bool is_t = par_id == "t";
    const bool is_p = par_id == "p";
    if (!(is_t && th_c.T_tp <= par && par < th_c.T_cr) && !(is_p && th_c.p_tp <= par && par < th_c.p_cr))
        return false;
    if (level == 0 || !th_c.maxwell_rule) return true;
    return (is_t && par < (1 - D_CR) * th_c.T_cr) || (is_p && par < (1 - D_CR) * th_c.p_cr);
}

void calc_omega_sat(const const_list& th_c, double tau, double& omega_1, double& omega_2) {
    omega_1 = saturated_density(th_c, tau, "liq", "sat_liq_id", th_c.sat_liq_id);
    omega_2 = saturated_density(th_c, tau, "gas", "sat_gas_id", th_c.sat_gas_id);
}
