#include "test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "vantrel/vantrel.h"

namespace test {

const fs::path& source() {
    static const fs::path dir = VANTREL_SOURCE_DIR;
    return dir;
}

fs::path data() { return source() / "data"; }

std::string test_name(const std::string& agent) {
    std::string out = agent;
    for (char& c : out)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return out;
}

std::vector<std::string> library_fluids() {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(data()))
        if (e.is_directory() && fs::exists(e.path() / "config.txt")) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

fs::path test_fluid(const std::string& name) { return source() / "tests" / "fluids" / name; }

double rel(double a, double b) { return b == 0 ? std::fabs(a) : std::fabs(a / b - 1); }

temp_dir::temp_dir() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

scoped_env::scoped_env(std::string n, const std::optional<std::string>& value) : name(std::move(n)) {
    if (const char* v = std::getenv(name.c_str())) saved = v;
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

scoped_env::~scoped_env() {
    if (saved)
        setenv(name.c_str(), saved->c_str(), 1);
    else
        unsetenv(name.c_str());
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

void edit_file(const fs::path& path, const std::string& from, const std::string& to) {
    std::string text = read_file(path);
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("'" + from + "' not in " + path.string());
    text.replace(at, from.size(), to);
    write_file(path, text);
}

fluid_copy::fluid_copy(const fs::path& from, const std::string& name) : path(root.path / "data" / name) {
    fs::create_directories(path);
    fs::copy(from, path, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void copy_test_fluid(const fs::path& root, const std::string& fluid) {
    fs::create_directories(root / "data" / fluid);
    fs::copy(test_fluid(fluid), root / "data" / fluid, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

process_result run_process(const fs::path& exe, const fs::path& cwd, const std::vector<std::string>& args,
                           const std::string& input, const std::vector<std::string>& env, bool merge_err,
                           const fs::path& stdout_to) {
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
        const fs::path& out_to = stdout_to.empty() ? out_path : stdout_to;
        const int out = open(out_to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = merge_err ? out : open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || chdir(cwd.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        unsetenv("LC_MESSAGES");
        unsetenv("LANG");
        setenv("LC_ALL", "ru_RU.UTF-8", 1);
        for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    process_result r;
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (stdout_to.empty()) r.out = read_file(out_path);
    if (!merge_err) r.err = read_file(err_path);
    return r;
}

fs::path cli_copy(const fs::path& exe_dir) {
    fs::create_directories(exe_dir);
    const fs::path exe = exe_dir / "vantrel_cli";
    if (!fs::exists(exe)) fs::copy_file(VANTREL_CLI_PATH, exe);
    return exe;
}

process_result run_cli(const fs::path& exe_dir, const fs::path& cwd, const std::vector<std::string>& args) {
    return run_process(cli_copy(exe_dir), cwd, args, "", {}, true);
}

std::string russian(const std::exception& e) {
    const auto* library = dynamic_cast<const vantrel::error*>(&e);
    return library ? library->message({vantrel::language::ru, std::nullopt}) : e.what();
}

std::string error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return russian(e);
    }
    return "no error";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
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

namespace msg {

std::string missing(const fs::path& path) { return "Файл " + path.string() + " не найден!"; }

std::string unreadable(const fs::path& path) {
    return "При чтении файла " + path.string() + " произошла ошибка. Проверьте синтаксис файла.";
}

std::string bad_value(const std::string& key, const std::string& value, const fs::path& config) {
    return "Недопустимое значение " + key + " = '" + value + "' в файле " + config.string();
}

std::string not_a_name(const std::string& name) {
    return "Недопустимое имя '" + name + "': имя вещества или файла данных не может быть путём";
}

std::string near_critical() {
    return "Состояние слишком близко к критической точке: свойства реального вещества не рассчитываются.";
}

}  // namespace msg

}  // namespace test
