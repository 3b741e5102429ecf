// Density solver: the reduced density at a given reduced temperature and pressure.
#pragma once

#include "legacy/read_files.h"

// Newton's method on omega (1 + a0(omega, tau)) = z_d pi / tau from omega_0,
// until a correction is smaller than delta. More than 200 corrections end
// with an error.
double calc_rho_newton(const const_list& th_c, const two_d_array& coef, double tau, double pi, double z_d,
                       double delta, double omega_0);

// Start value of calc_rho_real: the ideal-gas density on the vapour side
// (tau < 1 and pi below the saturation pressure) and for tau >= 1 below
// pi = 1.05, the constant 3.2 on the liquid side, a dense estimate above.
double calc_rho_start(const const_list& th_c, double tau, double pi, double z_d, double p_s);

// The same from a start value chosen by the side of the saturation line
// (p_s in Pa, 0 when the caller has none: the correlation gives it then).
double calc_rho_real(const const_list& th_c, const two_d_array& coef, double tau, double pi, double z_d,
                     double delta, double p_s);
