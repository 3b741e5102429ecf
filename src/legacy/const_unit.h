// Shared property records and named constants of the whole program.
#pragma once

#include <cstddef>
#include <string>

#include "engine/base/constants.h"
#include "legacy/record.h"

// Property record of one state, the engine's: t, p, rho, v, r, mu, z, fug,
// c_v, c_p, h, s, s_r, s_0, k, xi, c, isoth_eff, adiab_eff, k_alpha,
// k_betta, k_gamma, mu_t, mu_p, x, dh. Inside the computations temperatures
// are in K and pressures in Pa; the routines that end a request convert t, p
// and fug back to the caller's units. Callers start from a zero-filled record.
using prop_list = legacy::properties;

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

inline constexpr int P_PHYS = static_cast<int>(vantrel::detail::ATMOSPHERE);  // normal atmospheric pressure, Pa
inline constexpr double N_A = 6.02214129E+23;                                 // Avogadro constant, 1/mol (CODATA 2010)
inline constexpr double R_U = vantrel::detail::R_UNIVERSAL;                   // universal gas constant, J/(kmol K)
inline constexpr double D_CR = vantrel::detail::CRITICAL_BAND;                // relative tolerance at the critical point

// Identifiers, agent names and phase texts are cut to this many bytes.
inline constexpr std::size_t SHORT_TEXT_MAX = 255;
