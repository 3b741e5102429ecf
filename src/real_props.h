// Real-fluid property set of a single-phase state and of a saturated state.
#pragma once

#include <string>

#include "const_unit.h"

// Adds the residual parts to the ideal-gas record prop at t (K), p (Pa), then
// converts t, p and fug to the units of dims.
void calc_real_props(double t, double p, const T_dim_info& dims, const std::string& agent, prop_list& prop);

// Saturation state of the temperature (par_id "t") or pressure ("p") par, in
// the units of dims. Returns false, with prop untouched, when no saturation
// state is computed for it.
bool calc_sat_props(double par, const std::string& par_id, const T_dim_info& dims, const std::string& agent,
                    prop_list& prop, const std::string& phase);
