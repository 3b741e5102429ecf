// States from every input pair: single-phase states, two-phase states inside
// the saturation dome, and the bubble and dew values of blends.
#pragma once

#include <optional>

#include "engine/states.h"
#include "vantrel/properties.h"

namespace vantrel::detail {

// A state as the flashes find it: single-phase (its density and residual
// derivatives), or two-phase (both saturated phases and the vapour mass
// fraction); x is also kept for a saturated state given by it.
struct flash_state {
    phase_kind phase = phase_kind::none;
    double T = 0, p = 0;
    double rho = 0;  // single phase
    residual_derivatives a;
    std::optional<double> x;
    std::optional<saturated_pair> sat;  // two-phase
    std::optional<sat_solution> sat_at_T;  // solved by the phase decision or the (h, s) stability check
};

// The state named by pair (SI values in the pair's order).
flash_state flash(const fluid_data& f, input_pair pair, double first, double second);

// The pieces of the flashes. The single-phase state at (T, p) (refused near
// the critical point only when refuse), and the saturated state of x = 0 or
// 1 (single-phase) or the two-phase state between.
flash_state single(const fluid_data& f, double T, double p, std::optional<phase_kind> known = std::nullopt,
                   bool refuse = false);
flash_state with_quality(const saturated_pair& s, double x, double rho_div);

// The state of (h, s).
flash_state flash_h_s(const fluid_data& f, double h, double s);

// The values of a pair in messages ("h = 1000 J/kg and s = 2 J/(kg K)"), and
// the errors of a flash: no state with them, no convergence in 100 steps.
message_value pair_values(input_pair pair, double first, double second);
[[noreturn]] void no_state(input_pair pair, double first, double second);
[[noreturn]] void no_convergence(const char* pair);

inline constexpr int MAX_STEPS = 100;

// The checks of a public state: whether its value of the key k is v, to
// 1e-9 of it or within an absolute floor for values near 0 (h 1e-6 J/kg,
// s 1e-9 J/(kg K), x 1e-12); every number finite, whatever the flags say.
bool reproduces(input_key k, double v, const state& s);
void check_finite(const state& s);

// The record of a state as the flashes find it: a single-phase state's
// every field but dh (x 1 for gas and supercritical fluid, 0 for a liquid,
// or as given); a two-phase state's t, p, rho, v, r, mu, z, fug, h, s, x
// and dh, the other fields left as they were.
void fill_record(const fluid_data& f, const flash_state& st, properties& rec);

// The two-phase fields of rec for the vapour mass fraction x between the
// phases of s: v, h, s weighted by x, rho = 1/v, the liquid's fugacity.
void add_two_phase(const fluid_data& f, const saturated_pair& s, double x, properties& rec);

// The properties of each saturated phase of a saturation state.
struct saturated_properties {
    properties liquid, vapour;
};
saturated_properties saturated_phases(const fluid_data& f, const saturated_pair& s);

// A blend's bubble or dew pressure at T (T_tp <= T < T_cr), or its bubble or
// dew temperature at p (between the line's pressures at T_tp and T_cr, to
// the precision of a double).
std::optional<double> line_pressure(const fluid_data& f, const pressure_line& line, double T);
std::optional<double> line_temperature(const fluid_data& f, const pressure_line& line, double p);

}  // namespace vantrel::detail
