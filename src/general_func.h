// Units of measure and the locale-independent reading and writing of numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "const_unit.h"

// Temperature from input_format to output_format: "K" is kelvin, any other
// name degrees Celsius. Both steps always run (K to K subtracts and adds).
double change_dimension_t(const std::string& input_format, const std::string& output_format, double t);

// Pressure from input_format to output_format through Pa: "MPa", "bar", "kPa",
// "at", "atm"; any other name is Pa.
double change_dimension_p(const std::string& input_format, const std::string& output_format, double p);

// Converts t from K and p, fug from Pa to the units of dims; nothing else.
void reverse_dimensions(const T_dim_info& dims, prop_list& prop);

// The text with every "," replaced by ".".
std::string commatopoint(std::string text);

// The whole text as a decimal number with "." as the decimal point: optional
// sign, digits with an optional fraction (".5" and "5." included), optional
// exponent. Anything else, and values outside the range of double, give
// nothing. Independent of the locale and of the floating-point flags.
std::optional<double> parse_number(std::string_view text);

// The whole text as a decimal 32-bit signed integer with an optional sign.
std::optional<std::int32_t> parse_int(std::string_view text);

// "%f" of the reports: fixed notation, two decimals, "." as the decimal point,
// no "-" in front of a value that rounds to zero.
std::string format_fixed2(double value);
