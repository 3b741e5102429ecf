// Saturation state of a given temperature or pressure, and the phase decision.
#pragma once

#include <optional>
#include <string>

#include "legacy/read_files.h"

// Saturation state of par (a temperature in K for "t", a pressure in Pa for
// "p") of the fluid names = (agent, "config.txt"): the saturation pressure
// (Pa) for "t", the saturation temperature (K) for "p", and the reduced
// densities of the saturated liquid and vapour in omega_1, omega_2. Nothing,
// with the densities untouched, outside the saturation range; with the
// equal-area rule the densities also stay untouched at 0.99995 of the
// critical values and above, where only the correlation value is returned.
std::optional<double> cacl_sat_par(double par, const std::string& par_id, const str_arr& names, double& omega_1,
                                   double& omega_2);

// Phase state at t (K) and p (Pa): "gas", "liquid", "supercritical" or empty.
std::string calc_ph_state(double t, double p, const std::string& agent);
