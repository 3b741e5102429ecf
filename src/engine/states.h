// States of a loaded fluid: saturation at a temperature or a pressure, the
// phase decision, and the single-phase state at (T, p) with its properties.
#pragma once

#include <optional>
#include <string>

#include "engine/fluid_data.h"
#include "engine/record.h"

namespace vantrel::detail {

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

// The refusal of a state within CRITICAL_BAND of both the critical
// temperature and pressure.
void refuse_near_critical(const fluid_data& f, double T, double p);

// The single-phase state at (T, p): refused near the critical point (unless
// refuse is false: the steps of a flash, whose result is checked instead);
// the phase, the density and the residual derivatives there. A caller that
// knows the side of the saturation line (a flash along an isobar) gives it
// as known, in place of the phase decision, which rounding could turn a
// hair from the line. A gas below T_cr for which the equation has no root
// on the vapour's branch is error(input).
struct single_phase {
    phase_kind phase = phase_kind::none;
    double rho = 0;
    residual_derivatives a;
    std::optional<sat_solution> sat;  // the saturation state at T, when the phase decision solved it
};
single_phase solve_tp(const fluid_data& f, double T, double p, std::optional<phase_kind> known = std::nullopt,
                      bool refuse = true);

// What the property formulas take from the configuration.
struct property_constants {
    double R = 0, mu = 0, rho_cr = 0;
    bool helmholtz = false;  // entropy referred to rho_cr instead of 101325 Pa
};
property_constants constants_of(const fluid_data& f);

// The ideal-gas property set at (T, p) into rec: t, p, r, mu, rho, z = 1,
// c_p, c_v, h, s (with its pressure or density term), s_0 (without), k
// and c; the other fields as they were.
void add_ideal_gas(const ideal_model& m, const property_constants& c, double T, double p, properties& rec);

// The real-fluid property set at (T, p, rho) with the residual derivatives
// a, completing the ideal-gas c_v, h and s_0 that rec holds: every field but
// s_0, x and dh.
void add_residual(const property_constants& c, double T, double p, double rho, const residual_derivatives& a,
                  properties& rec);

// The ideal-gas values a state starts from: c_v = c_p - R, h, and the
// entropy's part that depends on T only.
struct ideal_entry {
    double cv = 0, h = 0, s0 = 0;
};
ideal_entry ideal_entry_at(const fluid_data& f, double T);

// Every property of a single-phase state: its ideal-gas part (given, or at
// T), then the residual one (x and dh 0).
properties real_properties(const property_constants& c, const ideal_entry& id, double T, double p, double rho,
                           const residual_derivatives& a);
properties real_properties(const fluid_data& f, double T, double p, double rho, const residual_derivatives& a);

// x of a single-phase state: 1 for gas and supercritical fluid, 0 for a
// liquid; left as it was otherwise.
void single_phase_x(phase_kind phase, properties& rec);

// A saturation state into rec: t, p and dh, and with a side (liquid or
// gas) that saturated phase's whole property set and x.
void add_saturated(const fluid_data& f, const saturated_pair& s, phase_kind side, properties& rec);

// The one-line warning for a state at T (K) and p (Pa) outside the range of
// validity that info states, or "" inside it (or where it states none).
std::optional<message> range_warning(const fluid_info& i, double T, double p);

}  // namespace vantrel::detail
