// Real-fluid property set of a single-phase state and of a saturated state.
#pragma once

#include <string>

#include "legacy/const_unit.h"
#include "engine/api/fluid.h"
#include "legacy/read_files.h"

// Adds the residual parts of the derivative vector a to the ideal-gas record
// prop at t (K), p (Pa) and rho (kg/m3).
void calc_prop_list(double t, double p, double rho, const const_list& th_c, prop_list& prop, const one_d_array& a);

// Real-fluid property set at t (K), p (Pa) on the ideal-gas record prop, then
// t, p and fug converted to the units of dims. States within the relative
// band D_CR of the critical point are refused with an error.
void calc_real_props(double t, double p, const T_dim_info& dims, const std::string& agent, prop_list& prop);

// The same on a fluid already loaded.
void real_record(const vantrel::detail::fluid_impl& f, double t, double p, const T_dim_info& dims, prop_list& prop);

// The record of a state given by any pair (the engine's flash) on a fluid
// already loaded: a single-phase state fills it whole (x 1 for gas and
// supercritical, 0 for liquid, or as given); a two-phase state fills t, p,
// rho, v, r, mu, z, fug, h, s, x and dh, and leaves the other fields as they
// were. Then t, p and fug are converted to the units of dims.
void flash_record(const vantrel::detail::fluid_impl& f, vantrel::input_pair pair, double first, double second,
                  const T_dim_info& dims, prop_list& prop);

// Saturation state of the temperature (par_id "t") or pressure ("p") par, in
// the units of dims: t, p and the enthalpy of vaporisation dh, and for the
// phase "liquid" or "gas" that phase's whole property set. Returns false, with
// prop untouched, when no saturation state is computed for par.
bool calc_sat_props(double par, const std::string& par_id, const T_dim_info& dims, const std::string& agent,
                    prop_list& prop, const std::string& phase);
