// Helpers of the tests: temporary fluid directories and runs of the program.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace test {

// A fresh temporary directory, removed with everything in it at the end.
struct temp_dir {
    std::filesystem::path path;
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
};

// Makes a directory the current one for its lifetime (the fluid data are
// looked up under the current directory).
struct scoped_cwd {
    std::filesystem::path saved;
    explicit scoped_cwd(const std::filesystem::path& dir);
    ~scoped_cwd();
    scoped_cwd(const scoped_cwd&) = delete;
    scoped_cwd& operator=(const scoped_cwd&) = delete;
};

void write_file(const std::filesystem::path& path, const std::string& content);
std::string read_file(const std::filesystem::path& path);

// Writes data/<fluid>/<name> under root.
void write_fluid_file(const std::filesystem::path& root, const std::string& fluid, const std::string& name,
                      const std::string& content);

// Copies the fluid directory tests/fluids/<fluid> of the source tree into
// data/<fluid> under root.
void copy_test_fluid(const std::filesystem::path& root, const std::string& fluid);

struct run_result {
    int exit_code = -1;
    std::string output;  // standard output and standard error together
};

// Copies the built vantrel_cli into exe_dir and runs that copy with the given
// arguments, with cwd as the current directory.
run_result run_cli(const std::filesystem::path& exe_dir, const std::filesystem::path& cwd,
                   const std::vector<std::string>& args);

struct process_result {
    int exit_code = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs exe with the given arguments in cwd, with input on its standard input
// and the extra environment variables env ("NAME=value"), and waits for it.
process_result run_process(const std::filesystem::path& exe, const std::filesystem::path& cwd,
                           const std::vector<std::string>& args, const std::string& input = "",
                           const std::vector<std::string>& env = {});

// The built vantrel_cli copied into exe_dir (once), so that its result file
// lands there; the path of the copy.
std::filesystem::path cli_copy(const std::filesystem::path& exe_dir);

// Runs /usr/bin/python3 (with Debian's python3-iapws) on a script after
// "from iapws import IAPWS95"; the numbers it prints ("nan" included).
std::vector<double> iapws_numbers(const std::string& script);

// A double with 17 significant digits, for a script.
std::string digits17(double v);

// One record of a reference-data file: a kind, then name=value pairs.
struct record {
    std::string kind;
    std::vector<std::pair<std::string, std::string>> values;
    bool has(const std::string& name) const;
    std::string text(const std::string& name) const;
    double number(const std::string& name) const;  // throws when absent or not a number
};

// The records of a reference-data file: one per line, "#" comment lines and
// blank lines skipped.
std::vector<record> read_records(const std::filesystem::path& path);

// The message of the std::runtime_error that f raises, "no error" when none.
std::string error_of(const std::function<void()>& f);

// Text lines of an output, without their line breaks.
std::vector<std::string> lines(const std::string& text);

}  // namespace test
