// The record of every property of a state, as the program's routines know
// it (their prop_list is this record): SI units, 0 where not computed.
#pragma once

namespace vantrel::detail {

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

}  // namespace vantrel::detail
