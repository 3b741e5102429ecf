// Output of the modes: numbers as text, and records as an aligned table, CSV
// or JSON.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/properties.h"

namespace cli {

// 0 for -0: no negative zero is ever printed.
inline double unsigned_zero(double value) { return value == 0 ? 0.0 : value; }

// The shortest text that reads back as the same double ("." as the point).
void append_exact(std::string& out, double value);
std::string exact_text(double value);

// Six significant digits, for reading.
std::string rounded_text(double value);

// Appends a CSV field, quoted where it holds the delimiter, a quote or a line
// break (inner quotes doubled).
void append_csv_field(std::string& out, std::string_view field, char delimiter = ',');

// How CSV is written for a spreadsheet: the delimiter between fields, ","
// as the decimal point, the units in the header ("T [°C]").
struct csv_style {
    char delimiter = ',';
    bool decimal_comma = false;
    bool units = false;
};

// The style of --csv-delimiter (one character, or "tab" or "\t"; "" when
// not given: ";" with a decimal comma, "," otherwise), --decimal-comma and
// --csv-units. A delimiter that cannot separate numbers is a usage error.
csv_style parse_csv_style(std::string_view delimiter, bool decimal_comma, bool units);

// An exact number in CSV, with "," as the point for a decimal comma.
void append_csv_number(std::string& out, double value, const csv_style& style = {});

// A cell's text in CSV: exact numbers, empty where absent.
void append_csv_cell(std::string& out, const cell& c, const csv_style& style = {});

// A column's name with its unit in the system, "T [°C]" ("x" for a fraction).
std::string header_of(const column& c, unit_system u);

// Rows of cells under named columns, in the system's units.
struct record_set {
    std::string fluid;
    std::vector<column> columns;
    std::vector<std::vector<cell>> rows;
    // A mixture's two-phase rows: the phases' compositions, by the
    // components' names (JSON only); none, or one entry per row.
    std::vector<std::string> components = {};
    std::vector<std::optional<vantrel::phase_compositions>> phases = {};
};

// table: a header line naming the units, right-aligned columns, six
// significant digits; csv: a header of names (with their units in the
// style's), exact numbers; json: objects
// {"fluid": ..., "units": {...}, name: value, ...} (and a two-phase
// mixture's "liquid" and "vapour": {"mole": {component: fraction, ...},
// "mass": {...}}), a single one when
// single_object (and the set holds one row), an array otherwise.
void write_records(std::ostream& out, const record_set& set, output_format format, unit_system u,
                   bool single_object, const csv_style& style = {});

}  // namespace cli
