// The modes of the command line beyond the legacy form: state, batch, sat and
// fluids, and --help and --version.
#pragma once

#include <exception>
#include <optional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/output.h"
#include "vantrel/vantrel.h"

namespace cli {

// Whether argv[1] selects a mode (or help or the version) rather than the
// legacy form.
bool is_mode(int argc, const char* const* argv);

// Runs the mode; the exit status: 0 done, 1 an error (output that could not
// be written included), 2 a usage error.
int run_mode(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The one line a mode that failed with e ends with: the program's own
// message for every kind of exception, never a library's text.
std::string message_of(const std::exception_ptr& e);

// What the command line gave a mode.
struct mode_options {
    std::vector<std::string> args;  // FLUID, KEY=VALUE, FILE
    std::string props, units = "eng", format = "table", data, threads, in;
    std::optional<std::string> ref;                  // --ref: the configured reference state when absent
    std::string output, p_range, h_range, diagram, scale;  // diagram and cycle
    std::vector<std::string> cycle;                  // the KEY=VALUE tokens after --cycle
    std::string convention;                          // a blend's cycle: dew or midpoint
    std::string csv_delimiter;                       // for spreadsheets
    bool decimal_comma = false, csv_units = false;
};

// The CSV style the options ask for; asked for with another format, a usage
// error.
csv_style csv_style_of(const mode_options& o, output_format format);

int run_state(const mode_options& o, std::ostream& out, std::ostream& err);
int run_batch(const mode_options& o, std::ostream& out, std::ostream& err);
int run_sat(const mode_options& o, std::ostream& out, std::ostream& err);
int run_fluids(const mode_options& o, std::ostream& out, std::ostream& err);
int run_cycle(const mode_options& o, std::ostream& out, std::ostream& err);
int run_diagram(const mode_options& o, std::ostream& out, std::ostream& err);

}  // namespace cli
