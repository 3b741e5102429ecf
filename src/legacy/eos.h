// Real-fluid equation of state: the residual reduced Helmholtz energy
// alpha_r(OMEGA, 1/TAU) of a table of terms, its derivative vector, the
// compressibility and the reduced pressure equation.
#pragma once

#include <cstddef>

#include "legacy/read_files.h"
#include "vantrel/vantrel.h"

// Number of elements of the derivative vector.
inline constexpr std::size_t LEN_ACC = 6;

// Derivative vector at OMEGA = rho / rho_div and TAU = T / tau_div, with
// d = OMEGA, x = 1/TAU:
//   0: d a_d                       (Z - 1)
//   1: 2 d a_d + d^2 a_dd          ((dp/drho)_T / (R T) - 1)
//   2: d a_d - d x a_dx            ((dp/dT)_rho / (rho R) - 1)
//   3: d a_d + x a_x               (residual h / (R T))
//   4: x a_x - a                   (residual s / R)
//   5: -x^2 a_xx                   (residual c_v / R)
// Rows of coef: the term kinds of the engine's equation-of-state table
// (engine/helmholtz.h). th_c is not read.
one_d_array therm_derivatives_fund(const const_list& th_c, const two_d_array& coef, double omega, double tau);

// The derivative vector of the callers: the same values.
one_d_array calc_therm_derivatives_a(const const_list& th_c, const two_d_array& coef, double omega, double tau);

// Z - 1 at (omega, tau): element 0 of the derivative vector.
double calc_compres_coeff(const const_list& th_c, const two_d_array& coef, double omega, double tau);

// pi - (1 + Z - 1) omega tau / z_d: zero at the density of the reduced pressure pi.
double calc_eq_state(const const_list& th_c, const two_d_array& coef, double omega, double tau, double pi,
                     double z_d);

// The fluid's equation-of-state table (file named by eos_coeff), its rows
// checked as a load checks them.
two_d_array read_eos_table(const const_list& th_c);

// The derivative vector of the named derivatives, in the order above, and back.
one_d_array derivative_vector(const vantrel::residual_derivatives& a);
vantrel::residual_derivatives named_derivatives(const one_d_array& a);
