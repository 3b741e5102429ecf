// The phase envelope of a mixture of fixed composition z: the dew and bubble
// curves traced as one curve by continuation (Michelsen's method). The feed z
// is the phase y throughout: the vapour on the dew branch, the liquid past
// the critical point, where every K_i passes through 1. Each step holds the
// unknown that changes fastest (a density, near the critical point of a
// nearly azeotropic blend), predicts along the tangent and corrects by
// Newton's method, with the step length adapted to the iterations taken.
#pragma once

#include <optional>
#include <vector>

#include "engine/phase/equilibrium.h"

namespace vantrel::detail {

struct envelope_point {
    Eigen::VectorXd v, t;  // the unknowns (K_i = y_i/x_i, y = z) and the unit tangent along the trace
};

struct envelope_extreme {
    double T = 0, p = 0;
};

struct envelope_data {
    std::vector<envelope_point> points;  // dew point at T_low, up the dew branch, down the bubble branch to T_low
    std::size_t first_bubble = 0;        // the first point past the critical point
    double T_low = 0;
    envelope_extreme critical, cricondenbar, cricondentherm;
    double rho_critical = 0;  // mol/m3
};

// The envelope of z from the dew point at T_low round to the bubble point at
// T_low; refused when it cannot be traced or does not close.
envelope_data trace_envelope(const model& m, const composition& z, double T_low);

// A start for the bubble or dew point with unknown held (ln T or ln p) at
// value: on the branch's first segment, from its low-pressure end, that
// reaches the value; nothing where the branch does not.
std::optional<Eigen::VectorXd> envelope_start(const envelope_data& e, bool bubble, int held, double value);

// The incipient phase's composition and both densities of a trace point as
// a two-phase state with x the liquid (the denser phase).
two_phase envelope_state(const envelope_data& e, const composition& z, std::size_t i);

// The bubble (x = z) or dew (y = z) point at T from Raoult's law with the
// components' saturation states at T (every component below its critical
// temperature), solved.
two_phase raoult_point(const model& m, double T, const composition& z, bool bubble);

}  // namespace vantrel::detail
