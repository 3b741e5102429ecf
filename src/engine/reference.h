// Reference states of h and s: the shift that puts a fluid's saturated
// liquid at a reference point on the values that state defines.
#pragma once

#include <memory>

#include "engine/fluid_data.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

// The fluid d with h and s counted from ref: d itself for the configured
// state, otherwise a copy whose ideal part carries the shift. The shift
// comes from d's own saturated liquid without any shift (a blend's bubble
// line); a fluid without that state refuses ref with error(input).
// A reference point: the saturated liquid at T or at p, and its h and s.
struct reference_point {
    const char* name;
    std::optional<double> T, p;  // K, Pa
    double h, s;                 // J/kg, J/(kg K)
};

// The point of iir, ashrae or nbp.
reference_point point_of(reference_state ref);

// The refusal of a reference state whose liquid the fluid does not have.
[[noreturn]] void refuse(const fluid_info& i, const reference_point& at);

std::shared_ptr<const fluid_data> with_reference(std::shared_ptr<const fluid_data> d, reference_state ref);

}  // namespace vantrel::detail
