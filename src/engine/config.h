// The configuration of a fluid ("config.txt"): every key with its default,
// read with checked conversions, grouped by the model that uses it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/files.h"

namespace vantrel::detail {

// Ideal-gas part, section [conf_ideal].
struct ideal_config {
    std::string type_calc = "Cp";  // "Cp" (tabulated c_p) or a Helmholtz form "f_exp", "f_pol", "f_comb", "f_hyp"
    std::string type_prop = "R";   // unit of the tabulated values: "R", "kJ", "J", "mu"
    std::string exp_dim = "1";     // "T_c": characteristic values in K, reduced by k_term
    double k_term = 100;           // reducing temperature, K
    double c_0 = 0, h_0 = 0, s_0 = 0;
    double h_0_0 = 0, s_0_0 = 0;   // offsets of the tabulated form
};

// Saturation-pressure correlation, section [conf_real].
struct line_config {
    std::int32_t sat_id = 0;       // form 1 to 9; 0: no saturation model
    std::string sat_base = "exp";  // "exp" or "dec"
    double sat_tau = 1;            // reducing temperature, K
    double p_s_0 = 1;              // reducing pressure, Pa
    double a_s = 0, b_s = 0, c_s = 0;
    double Ri = 7, P_a = 0;        // form 7
    std::string sat_line = "sat_line.txt";
};

struct config {
    std::string path;  // of config.txt, for messages
    double R = 0;      // J/(kg K)
    double mu = 0;     // kg/kmol
    ideal_config ideal;
    bool maxwell_rule = true;
    double p_cr = 0, T_cr = 0;   // Pa, K
    double T_tp = 0, p_tp = 0;   // K, Pa
    double rho_cr = 0;           // kg/m3
    double rho_div = 1, tau_div = 1;
    double rho_0 = 1;
    std::string rho_dim = "kg";
    double delta_rho = 0.001;    // kg/m3
    line_config line;
    double sat_xi = 0.03;
    double sat_rho = 1;          // kg/m3
    std::int32_t sat_gas_id = 0, sat_liq_id = 0;
    std::string eos_coeff = "eos_coeff.txt";
    // Relative bound of the saturation-pressure correlation around the
    // equal-area pressure; absent: the equal-area rule decides every state
    // inside the saturation range.
    std::optional<double> sat_line_margin;
    // File of the Chebyshev expansions of the saturation curves; empty: none.
    std::string sat_expansion;
    // Bubble- and dew-pressure correlations of a blend, in the form sat_id
    // with sat_tau and p_s_0; empty: none.
    std::string bubble_line, dew_line;
};

// Section [info]: what the configuration states about the fluid.
struct info_config {
    std::string name, description, source, reference_state;
    std::optional<double> T_min, T_max, p_max;
};

// The keys of [base_const], then (desc "ideal" or "real") [conf_ideal], then
// (desc "real") [conf_real]; R and mu complete each other from R_U; molar
// densities (rho_dim "mole") become mass densities.
config read_config(const ini_file& ini, const std::string& desc);

info_config read_info(const ini_file& ini);

// The configuration of the fluid directory dir: its config.txt, or every
// default when there is none.
ini_file read_config_file(const std::string& dir);

// Universal gas constant, J/(kmol K).
inline constexpr double R_UNIVERSAL = 8314.472;

}  // namespace vantrel::detail
