// The units of the modes: the library's unit systems and quantities.
#pragma once

#include <string_view>

#include "vantrel/units.h"

namespace cli {

using vantrel::from_si;
using vantrel::quantity;
using vantrel::to_si;
using vantrel::unit_system;

// The unit's name in the system: "°C", "bar", ...; "-" for a fraction.
inline std::string_view unit_name(quantity q, unit_system u) { return vantrel::unit_of(q, u).name; }

}  // namespace cli
