#include "test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace test {

temp_dir::temp_dir() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

scoped_cwd::scoped_cwd(const fs::path& dir) : saved(fs::current_path()) { fs::current_path(dir); }

scoped_cwd::~scoped_cwd() {
    std::error_code ec;
    fs::current_path(saved, ec);
}

void write_file(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_fluid_file(const fs::path& root, const std::string& fluid, const std::string& name,
                      const std::string& content) {
    write_file(root / "data" / fluid / name, content);
}

void copy_test_fluid(const fs::path& root, const std::string& fluid) {
    const fs::path source = fs::path(VANTREL_SOURCE_DIR) / "tests" / "fluids" / fluid;
    fs::create_directories(root / "data" / fluid);
    fs::copy(source, root / "data" / fluid, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

namespace {

std::string shell_quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace

fs::path cli_copy(const fs::path& exe_dir) {
    fs::create_directories(exe_dir);
    const fs::path exe = exe_dir / "vantrel_cli";
    if (!fs::exists(exe)) fs::copy_file(VANTREL_CLI_PATH, exe);
    return exe;
}

process_result run_process(const fs::path& exe, const fs::path& cwd, const std::vector<std::string>& args,
                           const std::string& input, const std::vector<std::string>& env) {
    temp_dir io;
    const fs::path in_path = io.path / "in", out_path = io.path / "out", err_path = io.path / "err";
    write_file(in_path, input);
    std::vector<std::string> argv_text{exe.string()};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = open(in_path.c_str(), O_RDONLY);
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || chdir(cwd.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    process_result r;
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    return r;
}

run_result run_cli(const fs::path& exe_dir, const fs::path& cwd, const std::vector<std::string>& args) {
    const fs::path exe = cli_copy(exe_dir);
    std::string command = "cd ";
    command += shell_quote(cwd.string());
    command += " && ";
    command += shell_quote(exe.string());
    for (const auto& a : args) {
        command += ' ';
        command += shell_quote(a);
    }
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("popen failed");
    run_result result;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) result.output.append(buf.data(), n);
    const int status = pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool record::has(const std::string& name) const {
    for (const auto& [k, v] : values)
        if (k == name) return true;
    return false;
}

std::string record::text(const std::string& name) const {
    for (const auto& [k, v] : values)
        if (k == name) return v;
    throw std::runtime_error("record " + kind + " has no " + name);
}

double record::number(const std::string& name) const {
    const std::string t = text(name);
    std::size_t used = 0;
    const double value = std::stod(t, &used);
    if (used != t.size()) throw std::runtime_error("record " + kind + ": " + name + " is not a number");
    return value;
}

std::vector<record> read_records(const fs::path& path) {
    std::vector<record> out;
    std::istringstream in(read_file(path));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        record r;
        words >> r.kind;
        for (std::string w; words >> w;) {
            const std::size_t eq = w.find('=');
            if (eq == std::string::npos) throw std::runtime_error(path.string() + ": no '=' in " + w);
            r.values.emplace_back(w.substr(0, eq), w.substr(eq + 1));
        }
        out.push_back(r);
    }
    return out;
}

std::string error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return out;
}

std::vector<double> iapws_numbers(const std::string& script) {
    const auto r = run_process("/usr/bin/python3", fs::temp_directory_path(),
                               {"-c", "import iapws\nfrom iapws import IAPWS95\n" + script});
    if (r.exit_code != 0) throw std::runtime_error("python3-iapws failed: " + r.err);
    std::istringstream in(r.out);
    std::vector<double> out;
    for (std::string word; in >> word;) out.push_back(std::stod(word));
    return out;
}

std::string digits17(double v) {
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

}  // namespace test
