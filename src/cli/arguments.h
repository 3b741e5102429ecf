// The arguments of the command line's modes: numbers, KEY=VALUE pairs, input
// pairs, ranges and the choices of units and format. What is wrong with them
// is a usage error.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/units.h"
#include "vantrel/properties.h"
#include "vantrel/vantrel.h"

namespace cli {

// A command line that names no computation: exit status 2.
struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::string_view> split(std::string_view text, char delimiter);
std::string_view trim(std::string_view text);

// A decimal number of the program's grammar, with "." or "," as the decimal
// point; nothing when the text is no such number.
std::optional<double> read_number(std::string_view text);

// The same for an argument, where anything else is a usage error naming what.
double argument_number(std::string_view text, std::string_view what);

// A value given in the units u as the SI value (0 for -0); one that the
// conversion takes beyond the range of double is a usage error naming it by
// what ("p").
double checked_si(quantity q, unit_system u, double value, std::string_view what);
double checked_si(const vantrel::unit& unit, double value, std::string_view what);

using vantrel::input_key;
using vantrel::pair_order;

// An input key by its name: T, p, h, s, x, rho.
input_key parse_key(std::string_view name);

// The two values of a state in the units of the output, as the engine takes
// them: the pair and its two values in SI units.
struct state_request {
    vantrel::input_pair pair = vantrel::input_pair::T_p;
    double first = 0, second = 0;
};

// The engine's pair for two keys in either order; swapped tells whether the
// keys came in the opposite order. A pair the engine does not take is a usage
// error.
pair_order checked_pair(input_key a, input_key b);

// Two given values (key a with value va, key b with vb) as a request; a
// value beyond the range of double in SI units is a usage error.
state_request request_of(const pair_order& order, input_key a, double va, input_key b, double vb, unit_system u);

// The same for the SI values of key a and key b.
state_request request_of(const pair_order& order, double si_a, double si_b);

// "KEY=VALUE".
struct key_value {
    std::string key;
    std::string value;
};
std::optional<key_value> split_key_value(std::string_view token);

// The positional arguments of state and sat: a fluid name (at most one
// token without "=", R507A when none) and KEY=VALUE tokens.
struct fluid_and_keys {
    std::string fluid = "R507A";
    std::vector<key_value> given;
};
fluid_and_keys split_positionals(const std::vector<std::string>& args);

// A unit system by its name; an unknown one is a usage error.
unit_system parse_units(std::string_view name);

enum class output_format { table, csv, json };
output_format parse_format(std::string_view name);

// --ref: IIR, ASHRAE, NBP or DEF; the configured reference state when absent.
vantrel::reference_state parse_reference(const std::optional<std::string>& name);

}  // namespace cli
