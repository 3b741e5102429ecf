#include "legacy/eos.h"

#include "engine/model/residual.h"
#include "legacy/record.h"

namespace engine = vantrel::detail;

one_d_array derivative_vector(const vantrel::residual_derivatives& a) {
    return {a.z_minus_1, a.p_rho, a.p_T, a.h, a.s, a.cv};
}

vantrel::residual_derivatives named_derivatives(const one_d_array& a) { return {a[0], a[1], a[2], a[3], a[4], a[5]}; }

// The routines' TAU is T / tau_div: the equation's tau = tau_div / T is its inverse.
one_d_array therm_derivatives_fund(const const_list&, const two_d_array& coef, double omega, double tau) {
    return derivative_vector(legacy::derivatives_of(engine::residual_terms::from_table(coef, "").at(omega, 1 / tau)));
}

one_d_array calc_therm_derivatives_a(const const_list& th_c, const two_d_array& coef, double omega, double tau) {
    return therm_derivatives_fund(th_c, coef, omega, tau);
}

double calc_compres_coeff(const const_list& th_c, const two_d_array& coef, double omega, double tau) {
    return therm_derivatives_fund(th_c, coef, omega, tau)[0];
}

double calc_eq_state(const const_list& th_c, const two_d_array& coef, double omega, double tau, double pi,
                     double z_d) {
    return pi - (1 + calc_compres_coeff(th_c, coef, omega, tau)) * (tau * omega / z_d);
}

two_d_array read_eos_table(const const_list& th_c) {
    two_d_array coef = create_coeff_table(th_c.names, th_c.eos_coeff, "");
    engine::residual_terms::from_table(coef, create_path({th_c.names[0], th_c.eos_coeff}));
    return coef;
}
