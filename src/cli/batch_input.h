// The rows of a batch: two numbers a line, ",", ";" or a tab between them,
// read block by block with bounded lines and fields.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <variant>

namespace cli {

// The longest field and line (without its line break) a row may have, in bytes.
constexpr std::size_t MAX_FIELD = 1024, MAX_LINE = 64 * 1024;

// ";" or a tab (a row pasted from a spreadsheet), and then a decimal comma
// is allowed; otherwise "," with "." as the decimal point.
struct row_format {
    char delimiter = ',';
    bool decimal_comma = false;
};

// The format under which the line is a row of two numbers, ";" before a tab
// before ","; for a line that is none, the first of them it holds.
row_format detect_format(std::string_view first_line);

// A line without its line break and a trailing carriage return.
std::string_view strip_line_end(std::string_view line);

// Empty or white space only.
bool is_blank(std::string_view line);

// "#" first: a comment.
bool is_comment(std::string_view line);

// A first line none of whose fields is a number, split at ",", ";" or a tab
// and with "." or "," as the point (and none too long).
bool is_header(std::string_view line);

struct row_values {
    double first = 0, second = 0;
};

// The two numbers of line number `number`, or the message of what is wrong
// with it (a field over MAX_FIELD bytes among them).
std::variant<row_values, std::string> parse_row(std::string_view line, const row_format& f, std::size_t number);

// A line of the input: its number (from 1) and text without the line break;
// a line over MAX_LINE bytes has its length, and its first MAX_LINE bytes as
// its text.
struct input_line {
    std::size_t number = 0;
    std::string_view text;
    std::size_t length = 0;
    bool too_long() const { return length > MAX_LINE; }
};

// The message of a line over MAX_LINE bytes.
std::string line_too_long(const input_line& line);

// Splits input given block by block into lines, keeping at most MAX_LINE
// bytes of an unfinished one: a longer line is counted, not held.
class line_splitter {
public:
    // Each line that ends in block (and at the end of the input, when last,
    // the unfinished one), in order. Its text refers to block or to this
    // splitter and is valid until the next call.
    void feed(std::string_view block, bool last, const std::function<void(const input_line&)>& each);
    std::size_t lines() const { return number_; }  // given so far

private:
    void keep(std::string_view part);
    std::string pending_, joined_;  // the unfinished line (its first MAX_LINE bytes); one finished across blocks
    std::size_t length_ = 0;        // of the unfinished line
    bool open_ = false;             // whether there is one
    std::size_t number_ = 0;
};

}  // namespace cli
