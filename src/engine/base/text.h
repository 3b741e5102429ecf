// Numbers in text, independent of the locale: the decimal grammar of the data
// files and the command line, and the shortest text that reads back exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::detail {

// The whole text as a decimal number with "." as the decimal point: optional
// sign, digits with an optional fraction (".5" and "5." included), optional
// exponent. Anything else, and values outside the range of double, give
// nothing. Leaves the floating-point flags as they were.
std::optional<double> parse_number(std::string_view text);

// The same without keeping the floating-point flags, for a caller that
// restores them once after many numbers.
std::optional<double> parse_number_raising(std::string_view text);

// The whole text as a decimal 32-bit signed integer with an optional sign.
std::optional<std::int32_t> parse_int(std::string_view text);

// The items of a comma-separated list, without the spaces around them;
// empty items are left out.
std::vector<std::string> split_list(std::string_view text);

// The parts of text between the separators, empty ones kept.
std::vector<std::string> split(std::string_view text, char separator);

// A name as names are compared: lower case, "r-" before a digit read as "r".
std::string name_key(std::string_view name);

// The shortest decimal text that reads back as value.
std::string number_text(double value);

}  // namespace vantrel::detail
