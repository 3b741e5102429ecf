// States of a mixture of fixed composition z: one phase, or two phases in
// equilibrium. Every pair but (h, s) names one, in molar units.
//
// The phase is decided with the bubble and dew lines: first from the traced
// envelope (Hermite interpolation, about 1e-6), and near a line from the
// line's point itself, with a tangent-plane stability test of a single
// phase there. A two-phase state is solved by Newton's method on the whole
// set: the vapour's mole numbers v_i per mole of feed (the liquid's z_i -
// v_i, so the material balance holds by construction), ln T, ln p and both
// phases' ln rho, with ln f_i equal in both phases, both phases at p and
// the two given values; it starts from the bubble and dew points between
// which the state lies, their K values interpolated and the Rachford-Rice
// equation solved for the vapour fraction.
#pragma once

#include <optional>
#include <vector>

#include "engine/mixture_fluid.h"

namespace vantrel::detail {

// A pair's values in molar units: T in K, p in Pa, h in J/mol, s in
// J/(mol K), x the vapour mass fraction, rho in mol/m3.
struct mixture_state {
    double T = 0, p = 0;
    double rho = 0;  // mol/m3: the phase's, or the whole's of two phases
    phase_kind phase = phase_kind::none;
    std::optional<two_phase> split;  // two phases: x the liquid, y the vapour
    double beta = 0;                 // the vapour's mole fraction (1 for a single gas)
};

// The state the pair names, refused in the critical neighbourhood (kind
// near_critical: the box from T_refused and p_refused up to a band beyond
// the cricondentherm and cricondenbar, and two-phase states given by a T
// or p at or above T_refused or p_refused), below the envelope's lower
// limit where the phase cannot be decided (kind input), and for (h, s).
mixture_state mixture_flash(const mixture_fluid& f, input_pair pair, double first, double second);

// One phase of composition x at (T, rho): molar properties.
struct mixture_phase {
    double p = 0, h = 0, s = 0;        // Pa, J/mol, J/(mol K)
    double cv = 0, cp = 0;             // J/(mol K)
    double p_rho = 0, p_T = 0;         // (dp/drho)_T in Pa m3/mol, (dp/dT)_rho in Pa/K
};
mixture_phase mixture_phase_at(const mixture_model& m, double T, double rho, const std::vector<double>& x);
mixture_phase mixture_phase_at(const mixture_model& m, const mixture_evaluator<double>& e, double T, double rho,
                               const std::vector<double>& x);

// The largest |ln f_i(x) - ln f_i(y)| of a two-phase state, and the largest
// |p_phase - p| / (p + DENSITY_DIGITS rho dp/drho): relative to p, or to what
// the last digits of a liquid's density are worth in pressure where that is
// more (a liquid at a few kPa, whose density rounding alone moves p by 1e-9).
constexpr double DENSITY_DIGITS = 1e-4;
struct equilibrium_error {
    double fugacity = 0, pressure = 0;
};
equilibrium_error equilibrium_error_of(const two_phase& s, const phase_terms& liquid, const phase_terms& vapour);

}  // namespace vantrel::detail
