// The tangent-plane test of a single phase's stability.
#pragma once

#include "engine/phase/equilibrium.h"

namespace vantrel::detail {

// Whether a phase of another composition has a lower Gibbs energy than the
// feed z of density rho_z at (T, p): the tangent-plane distance of trial
// phases by successive substitution from the incipient phase of a nearby
// bubble point (a liquid's test) or dew point (a gas's).
bool unstable(const model& m, const composition& z, double T, double p, double rho_z, const two_phase& line,
              bool liquid);

}  // namespace vantrel::detail
