// Shared property records and named constants of the whole program.
#pragma once

#include <string>

// Property record of one state. Inside the computations temperatures are in K
// and pressures in Pa; the routines that end a request convert t, p and fug
// back to the caller's units. Callers start from a zero-filled record.
struct prop_list {
    double t = 0;          // temperature
    double p = 0;          // pressure
    double rho = 0;        // density, kg/m3
    double v = 0;          // specific volume, m3/kg
    double r = 0;          // specific gas constant, J/(kg K)
    double mu = 0;         // molar mass, kg/kmol
    double z = 0;          // compressibility factor
    double fug = 0;        // fugacity
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

// Unit names in which a caller gives and wants temperatures and pressures.
struct T_dim_info {
    std::string t_dim;  // "K", anything else is degrees Celsius
    std::string p_dim;  // "MPa", "bar", "kPa", "at", "atm", anything else is Pa
};

struct T_PHASE_STATE {
    std::string gas;
    std::string liquid;
    std::string supercritical;
};

struct T_PROP_LIST {
    std::string t;
    std::string p;
    std::string s;
    std::string h;
    std::string x;
    std::string rho;
};

extern const T_dim_info DIM_STD;
extern const T_PHASE_STATE PH_ST;
extern const T_PROP_LIST PR;

// Text of a state or phase that is not determined.
extern const std::string UNDEFINE_ST;

inline constexpr int P_PHYS = 101325;             // normal atmospheric pressure, Pa
inline constexpr double N_A = 6.02214129E+23;     // Avogadro constant, 1/mol
inline constexpr double R_U = 8314.472;           // universal gas constant, J/(kmol K)
inline constexpr double D_CR = 5E-05;             // relative tolerance at the critical point

// Identifiers, agent names and phase texts are cut to this many bytes.
inline constexpr std::size_t SHORT_TEXT_MAX = 255;
