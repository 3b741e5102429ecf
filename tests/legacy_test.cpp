// The legacy command line end to end: the built vantrel_cli run in a
// temporary directory with its own data/ and its result file beside it;
// bad input of every kind ends with four lines and exit code 0, or with one
// line of the program's own messages and exit code 1, and never leaves a
// damaged result file (a hang is caught by the test's CTest timeout).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string USAGE =
    "Use:\n"
    "vantrel_cli TEMPERATURE PRESSURE [AGENT]\n"
    "\n"
    "TEMPERATURE - temperature in degrees Celsius\n"
    "PRESSURE    - pressure in Bar\n"
    "AGENT       - agent (default 'R507A')\n"
    "\n"
    "Result of calculation save to file vantrel_cli.csv\n";

// A working directory with the test fluids under data/ and the program in bin/.
struct cli_dir {
    test::temp_dir dir;
    fs::path bin() const { return dir.path / "bin"; }
    fs::path csv() const { return bin() / "vantrel_cli.csv"; }
    cli_dir() {
        test::copy_test_fluid(dir.path, "ideal");
        test::copy_test_fluid(dir.path, "water");
    }
    test::process_result run(const std::vector<std::string>& args) const { return test::run_cli(bin(), dir.path, args); }
};

std::string report(const std::string& h, const std::string& phase, const std::string& t_s, const std::string& p_s) {
    return "H = " + h + " J/kg\nPhase State = " + phase + "\nSaturation T = " + t_s + " C\nSaturation P = " + p_s +
           " bar\n";
}

std::string csv(const std::string& h, const std::string& phase, const std::string& t_s, const std::string& p_s) {
    return "H;" + h + ";J/kg\nPhase State;" + phase + ";\nSaturation T;" + t_s + ";C\nSaturation P;" + p_s +
           ";bar\n";
}

TEST(Cli, NoArgumentsPrintsTheUsageAndWritesNothing) {
    cli_dir d;
    const auto r = d.run({});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, USAGE);
    EXPECT_FALSE(fs::exists(d.csv()));
}

// H = c R (T - k_term) for a constant heat capacity c = 2.4, R = 287, k_term = 100 K.
TEST(Cli, IdealGasEnthalpyOnTheConsoleAndInTheCsv) {
    cli_dir d;
    const auto r = d.run({"20", "5", "ideal"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, report("133041.72", "gas", "", ""));  // 2.4 * 287 * 193.15
    EXPECT_EQ(test::read_file(d.csv()), csv("133041.72", "gas", "", ""));
}

TEST(Cli, ArgumentDefaultsAndNumberForms) {
    cli_dir d;
    const std::string at_20 = report("133041.72", "gas", "", "");
    const struct {
        std::vector<std::string> args;
        std::string output;
    } cases[] = {
        {{"20", "1", "ideal"}, at_20},
        {{"20", "abc", "ideal"}, at_20},       // pressure not a number: 1 bar
        {{"20", "", "ideal"}, at_20},
        {{"2e1", "1,0", "ideal"}, at_20},
        {{"+20", "1", "ideal", "ignored"}, at_20},
        {{"-5,5", "1", "ideal"}, report("115477.32", "gas", "", "")},  // 2.4 * 287 * 167.65
        {{"abc", "1", "ideal"}, report("119265.72", "gas", "", "")},    // 0 C: 2.4 * 287 * 173.15
        {{"20 C", "1", "ideal"}, report("119265.72", "gas", "", "")},
        {{"1,000.5", "1", "ideal"}, report("119265.72", "gas", "", "")},
    };
    for (const auto& c : cases) {
        const auto r = d.run(c.args);
        EXPECT_EQ(r.exit_code, 0) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.out, c.output) << c.args[0] << " " << c.args[1];
    }
}

TEST(Cli, OneArgumentMeansOneBar) {
    cli_dir d;
    // Water at 20 C: liquid at 1 bar, the saturation temperature of 1 bar.
    const auto r = d.run({"20"});
    EXPECT_EQ(r.exit_code, 1);  // R507A is not in this data directory
    const auto one = test::run_cli(d.bin(), d.dir.path, {"20", "1", "water"});
    ASSERT_EQ(one.exit_code, 0);
    EXPECT_EQ(test::lines(one.out)[2], "Saturation T = 99.61 C");
}

TEST(Cli, DefaultAndEmptyAgentAreR507A) {
    cli_dir d;
    const std::string missing = test::msg::missing(fs::canonical(d.dir.path) / "data/R507A/c_p.txt") + "\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"20", "5"}, {"20", "5", ""}, {"20"}}) {
        const auto r = d.run(args);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.out, missing);
    }
}

TEST(Cli, MissingFluidIsTheOnlyLineAndLeavesAnEarlierCsvAlone) {
    cli_dir d;
    test::write_file(d.csv(), "earlier\n");
    const auto r = d.run({"20", "5", "NoSuchFluid"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, test::msg::missing(fs::canonical(d.dir.path) / "data/NoSuchFluid/c_p.txt") + "\n");
    EXPECT_EQ(test::read_file(d.csv()), "earlier\n");
}

// The legacy form takes a fluid's directory name only: a mixture, predefined
// or typed, is a fluid it does not find, as before there were mixtures.
TEST(Cli, MixturesAreNotFoundAndWriteNoCsv) {
    test::temp_dir bin;
    for (const std::string name : {"R454B", "R407C.mix", "R32:0.689+R1234yf:0.311"}) {
        const auto r = test::run_cli(bin.path, test::source(), {"20", "5", name});
        EXPECT_EQ(r.exit_code, 1) << name;
        EXPECT_EQ(r.out, test::msg::missing(fs::canonical(test::source()) / "data" / name / "c_p.txt") + "\n") << name;
        EXPECT_FALSE(fs::exists(bin.path / "vantrel_cli.csv")) << name;
    }
}

TEST(Cli, CsvBesideTheExecutableDataUnderTheCurrentDirectory) {
    cli_dir d;
    const fs::path elsewhere = d.dir.path / "elsewhere";
    fs::create_directories(elsewhere);
    // Started from a directory without data/: the fluid is not found there,
    // although data/ lies beside bin/.
    const auto miss = test::run_cli(d.bin(), elsewhere, {"20", "5", "ideal"});
    EXPECT_EQ(miss.exit_code, 1);
    EXPECT_FALSE(fs::exists(d.csv()));
    const auto r = test::run_cli(d.bin(), d.dir.path, {"20", "5", "ideal"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(fs::exists(d.csv()));
    EXPECT_FALSE(fs::exists(d.dir.path / "vantrel_cli.csv"));
    const auto lines = test::lines(test::read_file(d.csv()));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Phase State;gas;");
    EXPECT_EQ(lines[0].back(), 'g');
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(d.bin())) ++files;
    EXPECT_EQ(files, 2);
}

// Water (IAPWS-95). Expected values agree with python3-iapws (IAPWS95) to the
// two decimals printed: h(20 C, 5 bar) = 84382.41 J/kg, T_s(5 bar) = 151.8311 C,
// p_s(20 C) = 0.023393 bar, h(200 C, 5 bar) = 2855836.99, p_s(200 C) = 15.549279,
// h(400 C, 300 bar) = 2152808.65, h(100 C, 300 bar) = 441742.40,
// p_s(100 C) = 1.014180, h(400 C, 100 bar) = 3097446.60, T_s(100 bar) = 310.9971 C.
TEST(Cli, WaterStatesEndToEnd) {
    cli_dir d;
    const struct {
        const char* t;
        const char* p;
        std::string output;
    } cases[] = {
        {"20", "5", report("84382.41", "liquid", "151.83", "0.02")},
        {"200", "5", report("2855836.99", "gas", "151.83", "15.55")},
        {"400", "300", report("2152808.65", "supercritical", "", "")},
        {"100", "300", report("441742.40", "liquid", "", "1.01")},    // above the critical pressure
        {"400", "100", report("3097446.60", "gas", "311.00", "")},    // above the critical temperature
    };
    for (const auto& c : cases) {
        const auto r = d.run({c.t, c.p, "water"});
        EXPECT_EQ(r.exit_code, 0) << c.t << " " << c.p;
        EXPECT_EQ(r.out, c.output) << c.t << " " << c.p;
        const auto lines = test::lines(r.out);
        std::string expected_csv;
        for (const auto& l : lines) {
            const std::size_t eq = l.find(" = ");
            std::string value = l.substr(eq + 3);
            std::string unit;
            if (l[0] != 'P') {
                const std::size_t blank = value.rfind(' ');
                unit = value.substr(blank + 1);
                value = value.substr(0, blank);
            }
            expected_csv += l.substr(0, eq) + ";" + value + ";" + unit + "\n";
        }
        EXPECT_EQ(test::read_file(d.csv()), expected_csv) << c.t << " " << c.p;
    }
}

TEST(Cli, NearCriticalStateIsOneMessage) {
    cli_dir d;
    const auto r = d.run({"373.946", "220.64", "water"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out,
              test::msg::near_critical() + "\n");
    EXPECT_FALSE(fs::exists(d.csv()));
}

TEST(Cli, DataErrorComesBeforeTheFirstLine) {
    cli_dir d;
    // A broken saturation-line table, which only the saturation requests use:
    // the fluid is checked whole when it loads.
    test::write_file(d.dir.path / "data" / "water" / "sat_line.txt", "6 2 0\n1 2\n");
    test::write_file(d.csv(), "earlier\n");
    const auto r = d.run({"400", "100", "water"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, test::msg::unreadable(fs::canonical(d.dir.path) / "data/water/sat_line.txt") + "\n");
    EXPECT_EQ(test::read_file(d.csv()), "earlier\n");
}

TEST(Cli, ErrorAfterTheFirstLinesKeepsThemAndWritesNoCsv) {
    cli_dir d;
    // A saturation line p = 1e300 (T / 50 K)^1000 that overflows inside the
    // bracket of the saturation temperature, the third request; the gas at
    // 0 C (above T_cr = 150 K) does not need it.
    const fs::path ideal = d.dir.path / "data" / "ideal";
    std::string config = test::read_file(ideal / "config.txt");
    config.replace(config.find("sat_id=0"), 8, "sat_id=6\nsat_tau=50");
    test::write_file(ideal / "config.txt", config);
    test::write_file(ideal / "sat_line.txt", "1 2 0\n1000 1e300\n");
    test::write_file(d.csv(), "earlier\n");
    const auto r = d.run({"0", "5", "ideal"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "H = 119265.72 J/kg\nPhase State = gas\nFloating point overflow\n");
    EXPECT_EQ(test::read_file(d.csv()), "earlier\n");
}

TEST(Cli, FloatingPointFaultIsOneLine) {
    cli_dir d;
    // Absolute zero: the reduced temperature 0 divides.
    const auto r = d.run({"-273.15", "5", "water"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Division by zero\n");
}

// The result file is written through a new temporary file with a unique
// name, created exclusively, then renamed over it: whatever stands at the
// result file's name is replaced, never written through.
TEST(Cli, ResultFileReplacesALinkOrFifoWithoutTouchingTheirTarget) {
    cli_dir d;
    const fs::path victim = d.dir.path / "victim.txt";
    test::write_file(victim, "keep\n");
    fs::create_directories(d.bin());
    fs::create_symlink(victim, d.csv());
    auto r = d.run({"20", "5", "ideal"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(test::read_file(victim), "keep\n");
    EXPECT_FALSE(fs::is_symlink(d.csv()));
    EXPECT_EQ(test::lines(test::read_file(d.csv())).size(), 4u);

    fs::remove(d.csv());
    ASSERT_EQ(mkfifo(d.csv().c_str(), 0600), 0);
    r = d.run({"20", "5", "ideal"});  // would block on a FIFO opened for writing
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(fs::is_regular_file(d.csv()));
    // Readable by others as an ordinary file is, not 0600 like a temporary one.
    EXPECT_NE(fs::status(d.csv()).permissions() & fs::perms::others_read, fs::perms::none);
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(d.bin())) ++files;
    EXPECT_EQ(files, 2);
}

TEST(Cli, ResultFileThatCannotBeReplacedIsOneLineAndLeavesNothing) {
    cli_dir d;
    // A directory in the result file's place: the rename fails.
    fs::create_directories(d.csv());
    const auto r = d.run({"20", "5", "ideal"});
    EXPECT_EQ(r.exit_code, 1);
    const auto lines = test::lines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4], "Не удалось записать файл " + (fs::canonical(d.bin()) / "vantrel_cli.csv").string() +
                            ": Is a directory");
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(d.bin())) ++files;
    EXPECT_EQ(files, 2);  // the program and the directory; no temporary file
}

// Outside the range of validity that the fluid's [info] states, the state
// is still computed; standard output stays as it was, and one line on
// standard error names the range.
TEST(Cli, StateOutsideTheStatedRangeWarnsOnStandardError) {
    test::temp_dir dir;
    const fs::path exe = test::cli_copy(dir.path / "bin");
    const struct {
        std::vector<std::string> args;
        std::string warning;
    } cases[] = {
        {{"5000", "10000", "R718"}, "Состояние вне области применимости уравнения R718 (T от 273.16 до 1273 K, p до 1000 MPa).\n"},
        {{"-10", "1", "R718"}, "Состояние вне области применимости уравнения R718 (T от 273.16 до 1273 K, p до 1000 MPa).\n"},
        {{"300", "10", "R507A"}, "Состояние вне области применимости уравнения R507A (T от 200 до 500 K, p до 50 MPa).\n"},
        {{"20", "5", "R507A"}, ""},
    };
    for (const auto& c : cases) {
        const auto r = test::run_process(exe, test::source(), c.args);
        EXPECT_EQ(r.exit_code, 0) << c.args[0];
        EXPECT_EQ(test::lines(r.out).size(), 4u) << c.args[0];
        EXPECT_EQ(r.out.find("Состояние"), std::string::npos) << c.args[0];
        EXPECT_EQ(r.err, c.warning) << c.args[0];
    }
}

// A current directory that no longer exists: one line of the program's own.
TEST(Cli, VanishedCurrentDirectoryIsOneLine) {
    cli_dir d;
    const fs::path gone = d.dir.path / "gone";
    fs::create_directories(gone);
    const fs::path exe = test::cli_copy(d.bin());
    const auto r = test::run_process("/bin/sh", gone, {"-c", "rmdir \"$PWD\" && exec \"$0\" 20 5 ideal", exe.string()});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "Текущий каталог недоступен: данные веществ ищутся в его подкаталоге data.\n");
}

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
    const auto lines = test::lines(r.out);
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
    EXPECT_EQ(o.lines[0], test::msg::not_a_name("../outside"));
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

// Runs that aborted, stayed blank or were refused although a result exists.
TEST(Cli, NearCriticalStatesAnswerRightUpToTheCriticalPoint) {
    test::temp_dir bin;
    const struct {
        std::vector<std::string> args;
        std::string phase, t_sat, p_sat;  // "" for a value that does not exist
    } cases[] = {
        {{"373.862", "1", "R718"}, "gas", "99.61", "220.42"},
        {{"373.896", "1", "R718"}, "gas", "99.61", "220.51"},
        {{"30.9342", "1", "R744"}, "gas", "", "73.70"},  // 1 bar lies below the triple point pressure
        {{"71.6017", "1", "R404A"}, "gas", "-45.74", "36.90"},
        {{"100", "220.55", "R718"}, "liquid", "373.91", "1.01"},  // saturation T of 220.55 bar: 373.91 C
        {{"373.90", "1", "R718"}, "gas", "99.61", "220.52"},     // saturation p of 373.90 C: 220.52 bar
        {{"800", "220.64", "R718"}, "supercritical", "", ""},
        {{"200", "36.99", "R507A"}, "gas", "70.54", ""},
        {{"70.5426", "1", "R507A"}, "gas", "-47.03", ""},
    };
    for (const auto& c : cases) {
        const auto r = test::run_cli(bin.path, test::source(), c.args);
        const std::string what = c.args[0] + " " + c.args[1] + " " + c.args[2];
        ASSERT_EQ(r.exit_code, 0) << what << ": " << r.out;
        const auto lines = test::lines(r.out);
        ASSERT_EQ(lines.size(), 4u) << what;
        EXPECT_EQ(lines[1], "Phase State = " + c.phase) << what;
        EXPECT_EQ(lines[2], "Saturation T = " + c.t_sat + " C") << what;
        EXPECT_EQ(lines[3], "Saturation P = " + c.p_sat + " bar") << what;
    }
}

}  // namespace
