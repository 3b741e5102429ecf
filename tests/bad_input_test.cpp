// Bad input through the built program: every run ends with four lines and
// exit code 0, or with one line of the program's own messages and exit code
// 1, and never leaves a damaged result file (a hang is caught by the test's
// CTest timeout).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

const char* const OWN_MESSAGES[] = {
    "Файл ",
    "При чтении файла ",
    "Недопустимое ",
    "Состояние слишком близко к критической точке",
    "Расчёт плотности не сошёлся",
    "Расчёт фазового равновесия не сошёлся",
    "Вырожденная матрица Якоби",
    "Разложения линии насыщения",
    "Текущий каталог недоступен",
    "Invalid floating point operation",
    "Division by zero",
    "Floating point overflow",
};

struct outcome {
    int exit_code;
    std::vector<std::string> lines;
};

// Runs the program and checks the rules every run must keep.
outcome run_checked(const fs::path& root, const std::vector<std::string>& args, const std::string& what) {
    const fs::path bin = root / "bin";
    const fs::path csv = bin / "vantrel_cli.csv";
    const auto r = test::run_cli(bin, root, args);
    const auto lines = test::lines(r.output);
    if (r.exit_code == 0) {
        EXPECT_EQ(lines.size(), 4u) << what;
        EXPECT_EQ(test::lines(test::read_file(csv)).size(), 4u) << what;
    } else {
        EXPECT_EQ(r.exit_code, 1) << what;
        EXPECT_GE(lines.size(), 1u) << what;
        EXPECT_LE(lines.size(), 4u) << what;
        if (!lines.empty()) {
            bool own = false;
            for (const char* m : OWN_MESSAGES) own = own || lines.back().rfind(m, 0) == 0;
            EXPECT_TRUE(own) << what << ": " << lines.back();
        }
        // An earlier result file stays as it was.
        EXPECT_EQ(test::read_file(csv), "earlier\n") << what;
    }
    for (const auto& l : lines) {
        EXPECT_EQ(l.find("nan"), std::string::npos) << what;
        EXPECT_EQ(l.find("inf"), std::string::npos) << what;
    }
    test::write_file(csv, "earlier\n");
    // No temporary file left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(bin)) ++files;
    EXPECT_EQ(files, 2) << what;
    return {r.exit_code, lines};
}

struct bad_dir {
    test::temp_dir dir;
    bad_dir() {
        test::copy_test_fluid(dir.path, "water");
        test::copy_test_fluid(dir.path, "ideal");
        fs::create_directories(dir.path / "bin");
        test::write_file(dir.path / "bin" / "vantrel_cli.csv", "earlier\n");
    }
};

TEST(BadInput, NumbersOfEveryKind) {
    bad_dir d;
    const std::vector<std::vector<std::string>> cases = {
        {"1e308", "5", "water"},  {"-1e308", "5", "water"}, {"1e-320", "5", "water"}, {"20", "1e308", "water"},
        {"20", "-1e308", "water"}, {"20", "1e-320", "water"}, {"-273.15", "5", "water"}, {"-300", "5", "water"},
        {"20", "0", "water"},     {"20", "-5", "water"},     {"0", "0", "water"},       {"1e5", "1e5", "water"},
        {"nan", "inf", "water"},  {"0x10", "1e", "water"},   {"--5", "5..", "water"},   {"1e308", "5", "ideal"},
        {"-273.15", "5", "ideal"}, {"20", "0", "ideal"},     {"20", "-1", "ideal"},     {"2000", "1e4", "water"},
    };
    for (const auto& args : cases) run_checked(d.dir.path, args, args[0] + " " + args[1] + " " + args[2]);
}

TEST(BadInput, AgentsNeverLeaveTheDataDirectory) {
    bad_dir d;
    // A fluid directory outside data/ that must never be read.
    test::write_file(d.dir.path / "outside" / "c_p.txt", "1 2 0\n0 2.4\n");
    const std::vector<std::string> agents = {"../outside", "..", ".", "water/..", "/tmp", "a\\b",
                                             std::string(300, 'x'), "wa ter", "water\nx"};
    for (const auto& agent : agents) {
        const auto o = run_checked(d.dir.path, {"20", "5", agent}, "agent " + agent);
        EXPECT_EQ(o.exit_code, 1) << agent;
    }
    const auto o = run_checked(d.dir.path, {"20", "5", "../outside"}, "outside");
    ASSERT_EQ(o.lines.size(), 1u);
    EXPECT_EQ(o.lines[0], "Недопустимое имя '../outside': имя вещества или файла данных не может быть путём");
}

TEST(BadInput, DamagedFluidFiles) {
    const fs::path water = fs::path("data") / "water";
    const struct {
        const char* name;
        std::function<void(const fs::path&)> damage;
    } cases[] = {
        {"config missing", [](const fs::path& w) { fs::remove(w / "config.txt"); }},
        {"config empty", [](const fs::path& w) { test::write_file(w / "config.txt", ""); }},
        {"config a directory", [](const fs::path& w) { fs::remove(w / "config.txt"); fs::create_directory(w / "config.txt"); }},
        {"R = 0", [](const fs::path& w) { test::write_file(w / "config.txt", "[base_const]\nR=0\n"); }},
        {"sat_id 12", [](const fs::path& w) {
             std::string c = test::read_file(w / "config.txt");
             c.replace(c.find("sat_id=1"), 8, "sat_id=12");
             test::write_file(w / "config.txt", c); }},
        {"sat_base", [](const fs::path& w) {
             std::string c = test::read_file(w / "config.txt");
             c.replace(c.find("sat_base=exp"), 12, "sat_base=two");
             test::write_file(w / "config.txt", c); }},
        {"maxwell off, density forms 5", [](const fs::path& w) {
             std::string c = test::read_file(w / "config.txt");
             c.replace(c.find("maxwell_rule=1"), 14, "maxwell_rule=0");
             c.replace(c.find("sat_liq_id=11"), 13, "sat_liq_id=5");
             test::write_file(w / "config.txt", c); }},
        {"delta_rho 0", [](const fs::path& w) {
             std::string c = test::read_file(w / "config.txt");
             c.replace(c.find("delta_rho=1e-7"), 14, "delta_rho=0");
             test::write_file(w / "config.txt", c); }},
        {"c_p missing", [](const fs::path& w) { fs::remove(w / "c_p.txt"); }},
        {"c_p empty", [](const fs::path& w) { test::write_file(w / "c_p.txt", ""); }},
        {"c_p truncated", [](const fs::path& w) { test::write_file(w / "c_p.txt", "5 2 0\n1.2 0.01\n3.5"); }},
        {"c_p wrong counts", [](const fs::path& w) { test::write_file(w / "c_p.txt", "5 1 0\n1.2 0.01\n3.5 1\n"); }},
        {"c_p non-number", [](const fs::path& w) { test::write_file(w / "c_p.txt", "1 2 0\n1.2 abc\n"); }},
        {"eos missing", [](const fs::path& w) { fs::remove(w / "eos_coeff.txt"); }},
        {"eos empty", [](const fs::path& w) { test::write_file(w / "eos_coeff.txt", ""); }},
        {"eos kind 7", [](const fs::path& w) { test::write_file(w / "eos_coeff.txt", "1 6 0\n7 1 1 1 0 0\n"); }},
        {"eos huge counts", [](const fs::path& w) { test::write_file(w / "eos_coeff.txt", "2000000000 2000000000 0\n"); }},
        {"eos short rows", [](const fs::path& w) { test::write_file(w / "eos_coeff.txt", "1 10 0\n2 1 1 1 0 0 1 1 1 1\n"); }},
        {"sat_line missing", [](const fs::path& w) { fs::remove(w / "sat_line.txt"); }},
        {"sat_line one column", [](const fs::path& w) { test::write_file(w / "sat_line.txt", "2 1 0\n1\n2\n"); }},
    };
    for (const auto& c : cases) {
        bad_dir d;
        c.damage(d.dir.path / water);
        for (const auto& state : {std::vector<std::string>{"20", "5", "water"}, {"200", "5", "water"},
                                  {"400", "300", "water"}}) {
            run_checked(d.dir.path, state, std::string(c.name) + " at " + state[0] + " " + state[1]);
        }
    }
}

}  // namespace
