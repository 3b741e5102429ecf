// Saturation-line correlations of a fluid and the range of its saturation states.
#pragma once

#include <cstdint>
#include <string>

#include "legacy/read_files.h"

// Saturation pressure (Pa) at t (K) by the correlation form sat_id (1 to 9)
// over the table in the file named by sat_line.
double calc_p_sat(const const_list& th_c, double t);

// Saturation temperature (K) at p (Pa): bisection on calc_p_sat in
// [t_min, t_max] until the bracket is no wider than delta_t.
double calc_t_sat(const const_list& th_c, double p, double t_min, double t_max, double delta_t);

// Whether par (a temperature in K for "t", a pressure in Pa for "p") lies where
// saturation is defined (level 0) or computed by the method in force (level 1).
bool sat_range(double par, const std::string& par_id, const const_list& th_c, std::int32_t level);

// Reduced densities of the saturated liquid (omega_1) and vapour (omega_2) at
// tau = T / tau_div, by the forms sat_liq_id and sat_gas_id.
void calc_omega_sat(const const_list& th_c, double tau, double& omega_1, double& omega_2);
