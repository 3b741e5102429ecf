// What the tests share: where the sources and the fluid library are, the
// relative deviation, temporary directories and fluid copies to damage,
// runs of programs, reference-data files and the program's messages.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace test {

namespace fs = std::filesystem;

// The source tree, its fluid library (data/) and its test fluids (tests/fluids).
const fs::path& source();
fs::path data();
// The fluids of the shipped library (the directories of data/ with a config.txt), sorted.
std::vector<std::string> library_fluids();
// A fluid's name as a test's name: "R1234ze(E)" becomes "R1234ze_E_".
std::string test_name(const std::string& agent);
fs::path test_fluid(const std::string& name);

// |a/b - 1|, or |a| where b is 0.
double rel(double a, double b);

// A fresh temporary directory, removed with everything in it at the end.
struct temp_dir {
    fs::path path;
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
};

// Makes a directory the current one for its lifetime.
struct scoped_cwd {
    fs::path saved;
    explicit scoped_cwd(const fs::path& dir);
    ~scoped_cwd();
    scoped_cwd(const scoped_cwd&) = delete;
    scoped_cwd& operator=(const scoped_cwd&) = delete;
};

// Sets an environment variable (unsets it for nothing) for its lifetime.
struct scoped_env {
    std::string name;
    std::optional<std::string> saved;
    scoped_env(std::string name, const std::optional<std::string>& value);
    ~scoped_env();
    scoped_env(const scoped_env&) = delete;
    scoped_env& operator=(const scoped_env&) = delete;
};

void write_file(const fs::path& path, const std::string& content);
std::string read_file(const fs::path& path);

// Replaces the first occurrence of from in the file by to; an error when the
// file does not hold it.
void edit_file(const fs::path& path, const std::string& from, const std::string& to);

// A copy of a fluid directory (of data/ or tests/fluids) as data/<name> of a
// fresh temporary root, to be changed.
struct fluid_copy {
    temp_dir root;
    fs::path path;  // root/data/<name>
    fluid_copy(const fs::path& from, const std::string& name);
    explicit fluid_copy(const std::string& shipped) : fluid_copy(data() / shipped, shipped) {}
    void edit(const std::string& file, const std::string& from, const std::string& to) const {
        edit_file(path / file, from, to);
    }
};

// Copies the test fluid tests/fluids/<fluid> into data/<fluid> under root.
void copy_test_fluid(const fs::path& root, const std::string& fluid);

struct process_result {
    int exit_code = -1;
    std::string out;  // standard output (and standard error, merged)
    std::string err;  // standard error unless merged
};

// Runs exe with the arguments in cwd, with input on its standard input and
// the extra environment variables env ("NAME=value"), and waits for it. With
// stdout_to (e.g. /dev/full), its standard output goes there instead. The
// locale is Russian (LC_ALL=ru_RU.UTF-8, the language the modes' tests are
// written in) unless env sets LC_ALL.
process_result run_process(const fs::path& exe, const fs::path& cwd, const std::vector<std::string>& args,
                           const std::string& input = "", const std::vector<std::string>& env = {},
                           bool merge_err = false, const fs::path& stdout_to = {});

// The built vantrel_cli copied into exe_dir (once), so that its result file
// lands there; the path of the copy.
fs::path cli_copy(const fs::path& exe_dir);

// The legacy form: that copy run in cwd, standard error merged into out.
process_result run_cli(const fs::path& exe_dir, const fs::path& cwd, const std::vector<std::string>& args);

// The message of the std::runtime_error that f raises, "no error" when none;
// the library's messages in Russian with SI numbers as the library writes
// them (the texts of the legacy form).
std::string error_of(const std::function<void()>& f);
std::string russian(const std::exception& e);

// Text lines of an output, without their line breaks.
std::vector<std::string> lines(const std::string& text);

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
std::vector<record> read_records(const fs::path& path);

// The program's messages, pinned here once.
namespace msg {
std::string missing(const fs::path& path);
std::string unreadable(const fs::path& path);
std::string bad_value(const std::string& key, const std::string& value, const fs::path& config);
std::string not_a_name(const std::string& name);
std::string near_critical();
}  // namespace msg

}  // namespace test
