// Units of measure and the locale-independent reading and writing of numbers.
#pragma once

#include <string>

#include "legacy/const_unit.h"
#include "engine/base/text.h"

// Temperature from input_format to output_format: "K" is kelvin, any other
// name degrees Celsius. Both steps always run (K to K subtracts and adds).
double change_dimension_t(const std::string& input_format, const std::string& output_format, double t);

// Pressure from input_format to output_format through Pa: "MPa", "bar", "kPa",
// "at", "atm"; any other name is Pa. Out of Pa the decimal units multiply by
// the reciprocal power of ten, the others divide.
double change_dimension_p(const std::string& input_format, const std::string& output_format, double p);

// Converts t from K and p, fug from Pa to the units of dims; nothing else.
void reverse_dimensions(const T_dim_info& dims, prop_list& prop);

// A value named by its identifier in K or Pa: "t" and "p" from the units of
// dims, any other as it is.
double standard_units(const std::string& id, double value, const T_dim_info& dims);

// The text with every "," replaced by ".".
std::string commatopoint(std::string text);

// parse_number (the decimal grammar: optional sign, digits with an optional
// fraction, optional exponent; nothing for anything else) and parse_int.
using vantrel::detail::parse_int;
using vantrel::detail::parse_number;

// "%f" of the reports: fixed notation, two decimals, "." as the decimal point,
// no "-" in front of a value that rounds to zero.
std::string format_fixed2(double value);
