// The rows of a batch: two numbers a line, "," or ";" between them.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace cli {

// ";" when the first line holds one, and then a decimal comma is allowed;
// otherwise "," with "." as the decimal point.
struct row_format {
    char delimiter = ',';
    bool decimal_comma = false;
};

row_format detect_format(std::string_view first_line);

// A line without its line break and a trailing carriage return.
std::string_view strip_line_end(std::string_view line);

// Empty or white space only.
bool is_blank(std::string_view line);

// A first line none of whose fields is a number.
bool is_header(std::string_view line, const row_format& f);

struct row_values {
    double first = 0, second = 0;
};

// The two numbers of a line, or the message of what is wrong with it.
std::variant<row_values, std::string> parse_row(std::string_view line, const row_format& f);

}  // namespace cli
