// The checks of a public state before it is returned, and the messages of
// its failures.
#pragma once

#include "engine/api/fluid.h"

namespace vantrel::detail {

// Whether the state's value of the key k is v: to 1e-9 of it, or within an
// absolute floor for values near 0 (h 1e-6 J/kg, s 1e-9 J/(kg K), x 1e-12).
bool reproduces(input_key k, double v, const state& s);

// Every number of a state finite, whatever the flags say.
void check_finite(const state& s);

// A state that does not reproduce the values it was asked for, does not
// hold its pressure, or lies on the wrong side of the boundary, and two
// phases not in equilibrium, are never returned: one line naming the pair
// and the values instead (that it lies below the lower limit, where it
// would). Below half the lower limit the equation's numbers mean nothing:
// refused too.
void check_state(const fluid_impl& f, input_pair pair, double first, double second, const flash_state& st,
                 const state& s);

[[noreturn]] void below_lower_limit(const fluid_impl& f, input_pair pair, double first, double second);

// The values of a pair in messages: "h = 1000 J/kg and s = 2 J/(kg K)".
message_value pair_values(input_pair pair, double first, double second);

// The one-line warning for a state at T (K) and p (Pa) outside the range of
// validity that info states, or none inside it (or where it states none).
std::optional<message> range_warning(const fluid_info& i, double T, double p);

}  // namespace vantrel::detail
