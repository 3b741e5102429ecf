// The saturation of a pure fluid (a model of one component) at a
// temperature or a pressure: by the correlations (maxwell_rule off), by the
// expansions of the equal-area solution, or by the equal-area rule itself
// (phase equilibrium of one component) seeded by the correlations.
#pragma once

#include <optional>

#include "engine/base/constants.h"
#include "engine/phase/boundary.h"

namespace vantrel::detail {

// Whether value (K or Pa) lies where saturation is defined (level 0:
// [T_tp, T_cr) or [p_tp, p_cr) of a fluid with a saturation model) or
// computed by the method in force (level 1: with the equal-area rule only up
// to 1 - SATURATION_LIMIT of the critical value, inclusive).
bool in_saturation_range(const config& c, given g, double value, int level);

// A saturation state: T (K), p (Pa) and, where solved, the densities of the
// saturated liquid and vapour (kg/m3, the units of a pure fluid's model).
struct sat_solution {
    double T = 0, p = 0;
    std::optional<double> rho_liquid, rho_vapour;
};

// The saturation state of a temperature or a pressure: by the correlations
// (maxwell_rule off: their pressure or temperature, with the densities the
// equation gives there from the correlations' densities, or those where it
// gives no two distinct ones), by the expansions of the equal-area solution,
// or (a fluid without them) by the equal-area rule seeded by the
// correlations (below 1 - CRITICAL_BAND of the critical values; above, the
// correlation's value without densities). Nothing outside the level-0
// range or the expansions, or when the equal-area solution is the trivial
// one of equal densities. m: the model of the one component.
std::optional<sat_solution> solve_saturation(const model& m, given g, double value);

// Both saturated phases of a saturation state, where they are computed and
// distinct (level-1 range).
std::optional<boundary_point> saturated(const model& m, given g, double value);

// The saturation pressure (T) or temperature (p) of the correlation line:
// the correlation's own value, with no densities.
double line_pressure(const component_data& c, double T);

}  // namespace vantrel::detail
