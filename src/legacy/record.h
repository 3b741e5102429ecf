// The record of every property of a state, as the program's routines know
// it (their prop_list is this record): SI units, 0 where not computed; and
// the record made from the library's states and derivatives.
#pragma once

#include "engine/api/fluid.h"

namespace legacy {

struct properties {
    double t = 0;          // temperature, K
    double p = 0;          // pressure, Pa
    double rho = 0;        // density, kg/m3
    double v = 0;          // specific volume, m3/kg
    double r = 0;          // specific gas constant, J/(kg K)
    double mu = 0;         // molar mass, kg/kmol
    double z = 0;          // compressibility factor
    double fug = 0;        // fugacity, Pa
    double c_v = 0;        // isochoric heat capacity, J/(kg K)
    double c_p = 0;        // isobaric heat capacity, J/(kg K)
    double h = 0;          // specific enthalpy, J/kg
    double s = 0;          // specific entropy, J/(kg K)
    double s_r = 0;        // residual entropy in units of r
    double s_0 = 0;        // temperature-only (ideal-gas) part of the entropy, J/(kg K)
    double k = 0;          // isentropic exponent
    double xi = 0;         // c_p over the isochoric-path heat capacity
    double c = 0;          // speed of sound, m/s
    double isoth_eff = 0;  // isothermal throttling effect, m3/kg
    double adiab_eff = 0;  // adiabatic (Joule-Thomson) throttling coefficient, K/Pa
    double k_alpha = 0;    // dimensionless thermal expansion
    double k_betta = 0;    // dimensionless isothermal compressibility
    double k_gamma = 0;    // dimensionless pressure coefficient
    double mu_t = 0;
    double mu_p = 0;
    double x = 0;          // vapour fraction: 1 vapour or supercritical, 0 liquid
    double dh = 0;         // enthalpy of vaporisation, J/kg
};

// The residual derivatives of the routines' derivative vector, of alpha_r's:
// Z - 1 = delta a_delta, the reduced pressure derivatives 2 delta a_delta +
// delta^2 a_delta_delta and delta a_delta - delta tau a_delta_tau, residual
// h/(R T) = delta a_delta + tau a_tau, s/R = tau a_tau - a, c_v/R = -tau^2 a_tau_tau.
vantrel::residual_derivatives derivatives_of(const vantrel::detail::alpha_derivatives<double>& a);

// What the property formulas take from the configuration.
struct property_constants {
    double R = 0, mu = 0, rho_cr = 0;
    bool helmholtz = false;  // entropy referred to rho_cr instead of 101325 Pa
};
property_constants constants_of(const vantrel::detail::component_data& c);

// The ideal-gas property set at (T, p) into rec: t, p, r, mu, rho, z = 1,
// c_p, c_v, h, s (with its pressure or density term), s_0 (without), k
// and c; the other fields as they were.
void add_ideal_gas(const vantrel::detail::ideal_model& m, const property_constants& c, double T, double p,
                   properties& rec);

// The real-fluid property set at (T, p, rho) with the residual derivatives
// a, completing the ideal-gas c_v, h and s_0 that rec holds: every field but
// s_0, x and dh.
void add_residual(const property_constants& c, double T, double p, double rho, const vantrel::residual_derivatives& a,
                  properties& rec);

// x of a single-phase state: 1 for gas and supercritical fluid, 0 for a
// liquid; left as it was otherwise.
void single_phase_x(vantrel::phase_kind phase, properties& rec);

// The record of a pure fluid's flash state: a single-phase state's every
// field but dh (x 1 for gas and supercritical fluid, 0 for a liquid, or as
// given); a two-phase state's t, p, rho, v, r, mu, z, fug, h, s, x and dh,
// the other fields left as they were.
void fill_record(const vantrel::detail::fluid_impl& f, const vantrel::detail::flash_state& st, properties& rec);

// A saturation state into rec: t, p and dh, and with a side (liquid or gas)
// that saturated phase's whole property set and x.
void add_saturated(const vantrel::detail::fluid_impl& f, const vantrel::detail::boundary_point& s,
                   vantrel::phase_kind side, properties& rec);

}  // namespace legacy
