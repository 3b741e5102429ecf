// A mixture of fixed composition as the library holds it: its model, its
// mole fractions and its phase envelope, traced once when it is made; and
// its bubble and dew points at T or at p, each started from the envelope
// and polished by Newton's method, checked before it is returned.
#pragma once

#include <vector>

#include "engine/mixture_envelope.h"

namespace vantrel::detail {

// The neighbourhood of the mixture's critical point that is refused: from
// MIXTURE_CRITICAL_BAND below the lower of the critical point's and the
// cricondenbar's temperature (and of the critical point's and the
// cricondentherm's pressure) up; there the two phases all but coincide.
inline constexpr double MIXTURE_CRITICAL_BAND = 2e-3;

struct mixture_fluid {
    mixture_model model;
    std::vector<double> z;  // mole fractions
    envelope_data envelope;
    double T_refused = 0, p_refused = 0;  // the refused neighbourhood begins here
};

// The envelope is traced from the highest of the components' lower limits.
mixture_fluid make_mixture_fluid(mixture_model model, std::vector<double> z);

// The bubble point (x = z) or the dew point (y = z) at T (K) or at p (Pa).
// Refused outside the two-phase region's range of T or p (kind input) and
// in the critical neighbourhood (kind near_critical); a point that does not
// check itself (equations to 1e-12, two distinct phases) is not returned.
enum class saturation_side { bubble, dew };
two_phase saturation_at_T(const mixture_fluid& f, saturation_side side, double T);
two_phase saturation_at_p(const mixture_fluid& f, saturation_side side, double p);

}  // namespace vantrel::detail
