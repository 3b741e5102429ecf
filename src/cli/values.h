// Values as users give them, a number with or without its unit ("20",
// "20C", "5 bar", "58psig", "250kJ/kg"), and values shown again in the
// output's units without the noise of a conversion.
#pragma once

#include <string_view>

#include "cli/units.h"

namespace cli {

// A value given: its number in its unit, the named one or else the system's.
struct given_value {
    double number = 0;
    const vantrel::unit* unit = nullptr;
    bool named = false;  // the text named the unit
};

// The unit a text names for the quantity: the library's names, and their
// ASCII spellings ("C", "degF", "m3", "kJ/(kg K)", "kJ/kgK"); nullptr when
// none. Case matters: "K" is kelvin, "k" nothing.
const vantrel::unit* unit_named(std::string_view text, quantity q);

// The value of KEY=TEXT for a quantity, a bare number in the units u. A text
// that is no number is a usage error, and so is a unit that is unknown or of
// another quantity.
given_value read_value(std::string_view key, std::string_view text, quantity q, unit_system u);

// The value in SI units (0 for -0); beyond the range of double it is a usage
// error naming the key.
double si_of(const given_value& v, std::string_view key);

// The SI value in the unit, rounded to twelve significant digits where these
// stand for the same SI value to two units in its last place: -103.3 °C for
// 169.85 K, not -103.29999999999998; all digits of any other value.
double tidy_from_si(const vantrel::unit& unit, double si);

// A given value as the output shows it in the units u: its own number where
// it is in those units, otherwise its SI value si tidied into them.
double shown_value(const given_value& v, double si, unit_system u);

}  // namespace cli
