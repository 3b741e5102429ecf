// The configuration of a fluid ("config.txt"): one table of its keys drives
// the reading (section, key, kind, default), the checks of a loaded fluid
// (the range) and, in the program's routines, their configuration record.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "engine/base/constants.h"
#include "engine/base/files.h"

namespace vantrel::detail {

// The values a loaded fluid's key must lie in: from lo (inclusive or not)
// up to hi (inclusive).
struct key_range {
    double lo, hi;
    bool lo_inclusive = false;
    bool contains(double v) const { return (lo_inclusive ? v >= lo : v > lo) && v <= hi; }
};
inline constexpr double UNBOUNDED = std::numeric_limits<double>::infinity();
inline constexpr key_range ANY{-UNBOUNDED, UNBOUNDED, true};
inline constexpr key_range POSITIVE{0, UNBOUNDED};
inline constexpr key_range NON_NEGATIVE{0, UNBOUNDED, true};
inline constexpr key_range FRACTION{0, 1};          // (0, 1]
inline constexpr key_range TOLERANCE{0, 1e-3};      // a density step, kg/m3
inline constexpr key_range MARGIN{0, 0.1};          // a relative bound

// The keys, in the order they are read: X(section, key, kind, default,
// range, member of config). kind: real, integer, boolean or text (cut to 50
// bytes). The routines' configuration record has a field named after each
// key of the first three lists.
#define VANTREL_BASE_KEYS(X)                          \
    X(base_const, R, real, 0, POSITIVE, R)            \
    X(base_const, mu, real, 0, POSITIVE, mu)

#define VANTREL_IDEAL_KEYS(X)                                  \
    X(conf_ideal, type_calc, text, "Cp", ANY, ideal.type_calc) \
    X(conf_ideal, type_prop, text, "R", ANY, ideal.type_prop)  \
    X(conf_ideal, exp_dim, text, "1", ANY, ideal.exp_dim)      \
    X(conf_ideal, k_term, real, 100, POSITIVE, ideal.k_term)   \
    X(conf_ideal, c_0, real, 0, ANY, ideal.c_0)                \
    X(conf_ideal, h_0, real, 0, ANY, ideal.h_0)                \
    X(conf_ideal, s_0, real, 0, ANY, ideal.s_0)                \
    X(conf_ideal, h_0_0, real, 0, ANY, ideal.h_0_0)            \
    X(conf_ideal, s_0_0, real, 0, ANY, ideal.s_0_0)            \
    X(conf_ideal, h_shift, real, 0, ANY, ideal.h_shift)        \
    X(conf_ideal, s_shift, real, 0, ANY, ideal.s_shift)

#define VANTREL_REAL_KEYS(X)                                            \
    X(conf_real, maxwell_rule, boolean, true, ANY, maxwell_rule)        \
    X(conf_real, p_cr, real, 0, POSITIVE, p_cr)                         \
    X(conf_real, T_cr, real, 0, POSITIVE, T_cr)                         \
    X(conf_real, T_tp, real, 0, NON_NEGATIVE, T_tp)                              \
    X(conf_real, p_tp, real, 0, NON_NEGATIVE, p_tp)                              \
    X(conf_real, rho_cr, real, 0, NON_NEGATIVE, rho_cr)                          \
    X(conf_real, rho_div, real, 1, POSITIVE, rho_div)                   \
    X(conf_real, tau_div, real, 1, POSITIVE, tau_div)                   \
    X(conf_real, rho_0, real, 1, ANY, rho_0)                            \
    X(conf_real, rho_dim, text, "kg", ANY, rho_dim)                     \
    X(conf_real, delta_rho, real, 0.001, TOLERANCE, delta_rho)           \
    X(conf_real, a_s, real, 0, ANY, line.a_s)                           \
    X(conf_real, b_s, real, 0, ANY, line.b_s)                           \
    X(conf_real, c_s, real, 0, ANY, line.c_s)                           \
    X(conf_real, p_s_0, real, 1, POSITIVE, line.p_s_0)                       \
    X(conf_real, Ri, real, 7, ANY, line.Ri)                             \
    X(conf_real, P_a, real, 0, ANY, line.P_a)                           \
    X(conf_real, sat_base, text, "exp", ANY, line.sat_base)             \
    X(conf_real, sat_tau, real, 1, POSITIVE, line.sat_tau)                   \
    X(conf_real, sat_line, text, "sat_line.txt", ANY, line.sat_line)    \
    X(conf_real, sat_id, integer, 0, ANY, line.sat_id)                  \
    X(conf_real, sat_xi, real, 0.03, FRACTION, sat_xi)                       \
    X(conf_real, sat_rho, real, 1, POSITIVE, sat_rho)                        \
    X(conf_real, sat_gas_id, integer, 0, ANY, sat_gas_id)               \
    X(conf_real, sat_liq_id, integer, 0, ANY, sat_liq_id)               \
    X(conf_real, eos_coeff, text, "eos_coeff.txt", ANY, eos_coeff)

// Keys of this library beyond the routines' record.
#define VANTREL_EXTRA_KEYS(X)                                                      \
    X(conf_real, sat_line_margin, optional_real, std::nullopt, MARGIN, sat_line_margin) \
    X(conf_real, sat_expansion, text, "", ANY, sat_expansion)                      \
    X(conf_real, bubble_line, text, "", ANY, bubble_line)                          \
    X(conf_real, dew_line, text, "", ANY, dew_line)

// Section [info]: what the configuration states about the fluid; texts whole.
#define VANTREL_INFO_KEYS(X)                                  \
    X(info, name, whole_text, "", ANY, name)                  \
    X(info, description, whole_text, "", ANY, description)    \
    X(info, source, whole_text, "", ANY, source)              \
    X(info, reference_state, whole_text, "", ANY, reference_state) \
    X(info, T_min, optional_real, std::nullopt, POSITIVE, T_min)   \
    X(info, T_max, optional_real, std::nullopt, POSITIVE, T_max)   \
    X(info, p_max, optional_real, std::nullopt, POSITIVE, p_max)   \
    X(info, safety_class, whole_text, "", ANY, safety_class)       \
    X(info, aliases, whole_text, "", ANY, aliases)

// Ideal-gas part, section [conf_ideal].
struct ideal_config {
    std::string type_calc;  // "Cp" (tabulated c_p) or a Helmholtz form "f_exp", "f_pol", "f_comb", "f_hyp"
    std::string type_prop;  // unit of the tabulated values: "R", "kJ", "J", "mu"
    std::string exp_dim;    // "T_c": characteristic values in K, reduced by k_term
    double k_term = 0;      // reducing temperature, K
    double c_0 = 0, h_0 = 0, s_0 = 0;
    double h_0_0 = 0, s_0_0 = 0;  // offsets of the tabulated form
    // Shift of the published reference state to the program's (IIR), J/kg
    // and J/(kg K), added to h and s of every form.
    double h_shift = 0, s_shift = 0;
};

// Whether the ideal-gas form is one of the Helmholtz forms "f_exp",
// "f_pol", "f_comb", "f_hyp" (their entropy refers to rho_cr).
bool is_helmholtz_form(const std::string& type_calc);

// Saturation-pressure correlation, section [conf_real].
struct line_config {
    std::int32_t sat_id = 0;  // form 1 to 9; 0: no saturation model
    std::string sat_base;     // "exp" or "dec"
    double sat_tau = 0;       // reducing temperature, K
    double p_s_0 = 0;         // reducing pressure, Pa
    double a_s = 0, b_s = 0, c_s = 0;
    double Ri = 0, P_a = 0;   // form 7
    std::string sat_line;
};

struct config {
    std::string path;  // of config.txt, for messages
    double R = 0;      // J/(kg K)
    double mu = 0;     // kg/kmol
    ideal_config ideal;
    bool maxwell_rule = false;
    double p_cr = 0, T_cr = 0;  // Pa, K
    double T_tp = 0, p_tp = 0;  // K, Pa
    double rho_cr = 0;          // kg/m3
    double rho_div = 0, tau_div = 0;
    double rho_0 = 0;
    std::string rho_dim;
    double delta_rho = 0;       // kg/m3
    line_config line;
    double sat_xi = 0;
    double sat_rho = 0;         // kg/m3
    std::int32_t sat_gas_id = 0, sat_liq_id = 0;
    std::string eos_coeff;
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

struct info_config {
    std::string name, description, source, reference_state;
    std::string safety_class;  // ANSI/ASHRAE 34: A1, A2L, A2, A3, B1, B2L, B2, B3
    std::string aliases;       // other names, separated by commas
    std::optional<double> T_min, T_max, p_max;
};

// The keys of [base_const], then (desc "ideal" or "real") [conf_ideal], then
// (desc "real") [conf_real]; the sections not read keep zeros. R and mu
// complete each other from R_UNIVERSAL; molar densities (rho_dim "mole")
// become mass densities.
config read_config(const ini_file& ini, const std::string& desc);

info_config read_info(const ini_file& ini);

// The first key of a loaded fluid's configuration outside its range, refused
// with the value as the file writes it; then the orderings T_tp < T_cr,
// p_tp < p_cr, T_min < T_max, and rho_cr > 0 where the ideal part refers the
// entropy to it.
void check_ranges(const config& c, const info_config& i, const ini_file& ini);

// The configuration of the fluid directory dir: its config.txt, or every
// default when there is none.
ini_file read_config_file(const std::string& dir);

}  // namespace vantrel::detail
