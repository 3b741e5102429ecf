// States of a loaded fluid: saturation at a temperature or a pressure, the
// phase decision, and the single-phase state at (T, p) with its properties.
#pragma once

#include <optional>
#include <string>

#include "engine/fluid_data.h"

namespace vantrel::detail {

// Relative half-width of the neighbourhood of the critical point.
inline constexpr double CRITICAL_BAND = 5e-05;

// Saturation states are computed up to this relative distance below the
// critical temperature and pressure.
inline constexpr double SATURATION_LIMIT = 1e-06;

// Normal atmospheric pressure, Pa: the pressure of the entropy's reference
// state for the tabulated heat capacity.
inline constexpr double ATMOSPHERE = 101325;

enum class given { T, p };

// Whether value (K or Pa) lies where saturation is defined (level 0:
// [T_tp, T_cr) or [p_tp, p_cr) of a fluid with a saturation model) or
// computed by the method in force (level 1: with the equal-area rule only up
// to 1 - SATURATION_LIMIT of the critical value, inclusive).
bool in_saturation_range(const config& c, given g, double value, int level);

// A saturation state: T (K), p (Pa) and, when solved, the reduced densities
// of the saturated liquid and vapour.
struct sat_solution {
    double T = 0, p = 0;
    std::optional<double> omega_1, omega_2;
};

// The saturation state of a temperature or a pressure: by the correlations
// (maxwell_rule off: their pressure or temperature, with the densities the
// equation gives there from the correlations' densities, or those where it
// gives no two distinct ones), by the expansions of the equal-area solution,
// or (a fluid without them) by the equal-area rule seeded by the
// correlations (below 1 - CRITICAL_BAND of the critical values; above, the
// correlation's value without densities). Nothing outside the level-0
// range or the expansions, or when the equal-area solution is the trivial
// one of equal densities.
std::optional<sat_solution> solve_saturation(const fluid_data& f, given g, double value);

// Both saturated phases of a saturation state, where they are computed and
// distinct: the state, the residual derivatives of each phase and the
// enthalpy of vaporisation (J/kg).
struct saturated_pair {
    double T = 0, p = 0, omega_1 = 0, omega_2 = 0;
    residual_derivatives a1, a2;
    double dh = 0;
};
std::optional<saturated_pair> saturated_states(const fluid_data& f, given g, double value);

// The phase at (T, p), K and Pa, by the critical and triple points and,
// between them, by the saturation pressure; sat is the saturation state at T
// when the decision solved one.
struct phase_decision {
    phase_kind phase = phase_kind::none;
    std::optional<sat_solution> sat;
};
phase_decision decide_phase(const fluid_data& f, double T, double p);

// The single-phase state at (T, p): refused within CRITICAL_BAND of both
// the critical temperature and pressure; the phase, the density and the
// residual derivatives there. A caller that knows the side of the saturation
// line (a flash along an isobar) gives it as known, in place of the phase
// decision, which rounding could turn a hair from the line.
struct single_phase {
    phase_kind phase = phase_kind::none;
    double rho = 0;
    residual_derivatives a;
    std::optional<sat_solution> sat;  // the saturation state at T, when the phase decision solved it
};
single_phase solve_tp(const fluid_data& f, double T, double p, std::optional<phase_kind> known = std::nullopt);

// What the property formulas take from the configuration.
struct property_constants {
    double R = 0, mu = 0, rho_cr = 0;
    bool helmholtz = false;  // entropy referred to rho_cr instead of 101325 Pa
};
property_constants constants_of(const fluid_data& f);

// The ideal-gas values a state starts from: c_v = c_p - R, h, and the
// entropy's part that depends on T only.
struct ideal_entry {
    double cv = 0, h = 0, s0 = 0;
};
ideal_entry ideal_entry_at(const fluid_data& f, double T);

// Every property of a single-phase state.
struct properties {
    double T = 0, p = 0, rho = 0, v = 0, R = 0, mu = 0, z = 0, fug = 0;
    double cv = 0, cp = 0, h = 0, s = 0, s_r = 0;
    double k = 0, xi = 0, w = 0, isoth_eff = 0, jt = 0;
    double k_alpha = 0, k_betta = 0, k_gamma = 0, mu_t = 0, mu_p = 0;
};
properties real_properties(const property_constants& c, const ideal_entry& id, double T, double p, double rho,
                           const residual_derivatives& a);

// The one-line warning for a state at T (K) and p (Pa) outside the range of
// validity that info states, or "" inside it (or where it states none).
std::string range_warning(const fluid_info& i, double T, double p);

}  // namespace vantrel::detail
