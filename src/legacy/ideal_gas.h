// Ideal-gas model: the power convention, temperature polynomials, caloric
// functions of the heat-capacity data and the ideal-gas property set.
#pragma once

#include <string>

#include "legacy/const_unit.h"
#include "legacy/read_files.h"

// x to the power y, the one power function of all computations: y = 0 gives 1
// (0^0 too), 0 to a positive power 0, integral y by repeated squaring (so that
// negative x works; 0 to a negative integer is a division by zero), otherwise
// exp(y ln x).
double power(double x, double y);

// Sum over the rows (exponent, coefficient, ...) of coefficient * tau^exponent,
// plus b ln(tau) when tau > 0. With rounding, exponents are rounded to the
// nearest integer (halves to even) and negative tau keeps its sign for odd
// ones. Every row holds at least two numbers.
double calc_t_polynom(const two_d_array& table, double tau, double b, bool rounding);

// The same on the table of the fluid file names = (fluid, file), read anew.
double calc_t_polynom(const str_arr& names, double tau, double b, bool rounding);

// Sum over the rows of coefficient * tau^(exponent / b).
double calc_frac_polynom(const two_d_array& table, double tau, double b);

// Tabulated heat capacity c(t) = sum a t^j of the file names: the reduced
// enthalpy h_0_0 + (h_0 + integral of c from 1 to tau) / tau.
double calc_ideal_enthalpy(const str_arr& names, double tau, double h_0, double h_0_0);

// Tabulated heat capacity: the reduced entropy s_0 + s_0_0 + integral of c(t)/t from 1 to tau.
double calc_ideal_entropy(const str_arr& names, double tau, double s_0, double s_0_0);

// Ideal part of a reduced Helmholtz energy F(THETA) = a_1 + a_2 THETA +
// a_3 ln THETA + table terms, THETA = 1/tau, in the form type_calc ("f_exp",
// "f_pol", "f_comb", "f_hyp"). Outputs c_p/R, h/(R T) and s/R without the
// density term.
void ideal_caloric_exp(const str_arr& names, const std::string& type_calc, const std::string& exp_dim, double tau,
                       double t_c, double a_1, double a_2, double a_3, double& c_p, double& h, double& s);

// Fills c_p, h, s and s_0 of prop at t (K) from the fluid's "c_p.txt".
void calc_ideal_therm(const str_arr& names, const const_list& th_c, double t, prop_list& prop);

// Fills prop with the ideal-gas property set of the fluid agent at t (K) and
// p (Pa); dest is the description type handed to the configuration reader.
void calc_ideal_props(const std::string& agent, double t, double p, prop_list& prop, const std::string& dest);
