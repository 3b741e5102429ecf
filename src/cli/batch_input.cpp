#include "cli/batch_input.h"

#include <optional>

#include "cli/arguments.h"
#include "vantrel/vantrel.h"

namespace cli {

namespace {

// A field as written: blanks around it and one pair of enclosing quotes
// (spreadsheets quote fields) removed.
std::string_view field_text(std::string_view field) {
    field = trim(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = trim(field.substr(1, field.size() - 2));
    return field;
}

std::optional<double> field_number(std::string_view field, const row_format& f) {
    const std::string_view text = field_text(field);
    return f.decimal_comma ? read_number(text) : vantrel::parse_number(text);
}

}  // namespace

row_format detect_format(std::string_view first_line) {
    if (first_line.find(';') != std::string_view::npos) return {';', true};
    return {',', false};
}

std::string_view strip_line_end(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool is_blank(std::string_view line) { return line.find_first_not_of(" \t\r\n") == std::string_view::npos; }

bool is_header(std::string_view line, const row_format& f) {
    for (const std::string_view field : split(line, f.delimiter))
        if (field_number(field, f)) return false;
    return true;
}

std::variant<row_values, std::string> parse_row(std::string_view line, const row_format& f) {
    const std::vector<std::string_view> fields = split(line, f.delimiter);
    if (fields.size() != 2)
        return std::string("В строке должно быть два числа через '") + f.delimiter + "', а полей в ней " +
               std::to_string(fields.size()) + ".";
    row_values v;
    double* const out[] = {&v.first, &v.second};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::optional<double> n = field_number(fields[i], f);
        if (!n) return "Недопустимое число '" + std::string(field_text(fields[i])) + "'.";
        *out[i] = *n;
    }
    return v;
}

}  // namespace cli
