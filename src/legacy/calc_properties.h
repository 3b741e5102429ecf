// Property requests: a state named by two values with their identifiers, in
// the units of dims, turned into a property record or a phase state.
#pragma once

#include <string>

#include "legacy/const_unit.h"

// The h field (J/kg) of the record of the request.
double calc_property_h(double par_1, const std::string& par_1_id, double par_2, const std::string& par_2_id,
                       const T_dim_info& dims, const std::string& agent);

// Fills prop for a state given by temperature and pressure ("t" and "p" in
// either order, the role by the first), or by one of the pairs (p, h),
// (p, s), (t, x), (p, x), (t, rho), (h, s) in either order; t and p in the
// units of dims, h in J/kg, s in J/(kg K), rho in kg/m3. A two-phase state
// fills t, p, rho, v, r, mu, z, fug, h, s, x (its vapour fraction) and dh,
// and leaves the other fields as they were on entry. Any other pair leaves
// prop untouched.
void calc_props(prop_list& prop, double par_1, const std::string& par_1_id, double par_2, const std::string& par_2_id,
                const T_dim_info& dims, const std::string& agent);

// Converts to K and Pa, then runs the ideal-gas and the real-fluid model on prop.
void monophase_props(prop_list& prop, double t, double p, const T_dim_info& dims, const std::string& agent);

// Phase state at (t, p) in the units of dims.
std::string calc_phase_state(double t, double p, const T_dim_info& dims, const std::string& agent);

// The one-line warning for a state at (t, p), in the units of dims, outside
// the range of validity stated in the fluid's [info], or "".
std::string calc_range_warning(double t, double p, const T_dim_info& dims, const std::string& agent);
