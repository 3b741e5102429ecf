// Command-line front end: arguments, the four requests, the console report and
// the CSV result file.
#pragma once

#include <ostream>
#include <string>

// Runs the program on argv[1..3], printing to out, a warning for a state
// outside the equation's stated range to err, and writing the result file at
// csv_path. Returns the exit code: 0 when all four results are written, 1
// after the usage text or an error message, or when out cannot be written
// (said on err; the result file is then left as it was).
int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, const std::string& csv_path);

// Full path of "vantrel_cli.csv" in the directory of the running executable.
std::string result_file_path(const char* argv0);
