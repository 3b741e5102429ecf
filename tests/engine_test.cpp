// The engine's public interface: loading and its checks, errors and their
// kinds, the floating-point environment of the caller, the range of
// validity, the list of fluids, sharing a fluid between threads.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <string>
#include <thread>

#include "calc_properties.h"
#include "real_props.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;

namespace {

const fs::path DATA = fs::path(VANTREL_SOURCE_DIR) / "data";

// A copy of a shipped fluid in a temporary directory, to be damaged.
struct fluid_copy {
    test::temp_dir dir;
    fs::path path;
    explicit fluid_copy(const std::string& agent) : path(dir.path / agent) {
        fs::copy(DATA / agent, path, fs::copy_options::recursive);
    }
    void replace(const std::string& file, const std::string& from, const std::string& to) const {
        std::string text = test::read_file(path / file);
        const std::size_t at = text.find(from);
        if (at == std::string::npos) throw std::runtime_error(from + " not in " + file);
        text.replace(at, from.size(), to);
        test::write_file(path / file, text);
    }
};

std::string load_error(const fs::path& dir) {
    try {
        vantrel::fluid::load(dir);
    } catch (const vantrel::error& e) {
        EXPECT_EQ(e.kind(), vantrel::error_kind::data) << e.what();
        return e.what();
    }
    return "no error";
}

// Every check happens when the fluid loads, whatever a later state would use.
TEST(Load, EveryBadValueGivesItsMessage) {
    const struct {
        const char* file;
        const char* from;
        const char* to;
        const char* message;  // after "<fluid dir>/"
    } cases[] = {
        {"config.txt", "T_cr=343.692616", "T_cr=343,6926", "Недопустимое значение T_cr = '343,6926' в файле config.txt"},
        {"config.txt", "T_cr=343.692616", "T_cr=abc", "Недопустимое значение T_cr = 'abc' в файле config.txt"},
        {"config.txt", "T_cr=343.692616", "T_cr=-5", "Недопустимое значение T_cr = '-5' в файле config.txt"},
        {"config.txt", "T_cr=343.692616\n", "", "Недопустимое значение T_cr = '0' в файле config.txt"},
        {"config.txt", "p_cr=3699135.75", "p_cr=0", "Недопустимое значение p_cr = '0' в файле config.txt"},
        {"config.txt", "mu=98.8592\nR=84.1041804910418", "mu=0\nR=0", "Недопустимое значение R = '0' в файле config.txt"},
        {"config.txt", "tau_div=343.765", "tau_div=0", "Недопустимое значение tau_div = '0' в файле config.txt"},
        {"config.txt", "rho_div=490.7400000000001", "rho_div=-1", "Недопустимое значение rho_div = '-1' в файле config.txt"},
        {"config.txt", "k_term=343.765", "k_term=0", "Недопустимое значение k_term = '0' в файле config.txt"},
        {"config.txt", "delta_rho=1e-7", "delta_rho=0", "Недопустимое значение delta_rho = '0' в файле config.txt"},
        {"config.txt", "T_tp=200", "T_tp=400", "Недопустимое значение T_tp = '400' в файле config.txt"},
        {"config.txt", "p_tp=23247.07", "p_tp=5e6", "Недопустимое значение p_tp = '5e6' в файле config.txt"},
        {"config.txt", "maxwell_rule=1", "maxwell_rule=maybe", "Недопустимое значение maxwell_rule = 'maybe' в файле config.txt"},
        {"config.txt", "type_calc=f_comb", "type_calc=xx", "Недопустимое значение type_calc = 'xx' в файле config.txt"},
        {"config.txt", "type_prop=R", "type_prop=kg", "Недопустимое значение type_prop = 'kg' в файле config.txt"},
        {"config.txt", "sat_id=1", "sat_id=12", "Недопустимое значение sat_id = '12' в файле config.txt"},
        {"config.txt", "sat_id=1", "sat_id=-1", "Недопустимое значение sat_id = '-1' в файле config.txt"},
        {"config.txt", "sat_id=1", "sat_id=1.5", "Недопустимое значение sat_id = '1.5' в файле config.txt"},
        {"config.txt", "sat_base=exp", "sat_base=two", "Недопустимое значение sat_base = 'two' в файле config.txt"},
        {"config.txt", "maxwell_rule=1\n", "maxwell_rule=0\nsat_liq_id=5\n",
         "Недопустимое значение sat_liq_id = '5' в файле config.txt"},
        {"config.txt", "sat_xi=0.03", "sat_xi=0.03\nsat_line_margin=-1",
         "Недопустимое значение sat_line_margin = '-1' в файле config.txt"},
        {"config.txt", "sat_expansion=sat_expansion.txt", "sat_expansion=../sat_expansion.txt",
         "Недопустимое имя '../sat_expansion.txt': имя вещества или файла данных не может быть путём"},
        {"eos_coeff.txt", "0 6.24982 1 0.692 0 0", "0 6.24983 1 0.692 0 0",
         "Разложения линии насыщения в файле sat_expansion.txt построены не для уравнения состояния eos_coeff.txt: "
         "контрольная сумма не совпадает."},
        {"sat_expansion.txt", "; fitted to eos_coeff.txt", "; fitted to other.txt",
         "Разложения линии насыщения в файле sat_expansion.txt построены не для уравнения состояния eos_coeff.txt: "
         "контрольная сумма не совпадает."},
        {"sat_expansion.txt", "; fitted to eos_coeff.txt", "; made for eos_coeff.txt",
         "При чтении файла sat_expansion.txt произошла ошибка. Проверьте синтаксис файла."},
        {"config.txt", "T_min=200", "T_min=abc", "Недопустимое значение T_min = 'abc' в файле config.txt"},
        {"config.txt", "eos_coeff=eos_coeff.txt", "eos_coeff=../x.txt",
         "Недопустимое имя '../x.txt': имя вещества или файла данных не может быть путём"},
        {"eos_coeff.txt", "0 6.24982 1 0.692 0 0", "7 6.24982 1 0.692 0 0",
         "Недопустимое значение kind = '7' в файле eos_coeff.txt, строка 1"},
        {"eos_coeff.txt", "0 6.24982 1 0.692 0 0\n", "0 6.24982 1 0.692 0 0 1\n",
         "При чтении файла eos_coeff.txt произошла ошибка. Проверьте синтаксис файла."},
        // A table holding more than its counts declare, or less.
        {"c_p.txt", "4 3 5", "3 3 5", "При чтении файла c_p.txt произошла ошибка. Проверьте синтаксис файла."},
        {"eos_coeff.txt", "22 6 7", "0 6 7",
         "При чтении файла eos_coeff.txt произошла ошибка. Проверьте синтаксис файла."},
        {"sat_line.txt", "4 2 4", "3 2 4", "При чтении файла sat_line.txt произошла ошибка. Проверьте синтаксис файла."},
        {"sat_line.txt", "4 2 4", "5 2 4", "При чтении файла sat_line.txt произошла ошибка. Проверьте синтаксис файла."},
    };
    for (const auto& c : cases) {
        const fluid_copy f("R507A");
        f.replace(c.file, c.from, c.to);
        std::string expected = c.message;
        for (const char* name : {"config.txt", "eos_coeff.txt", "c_p.txt", "sat_line.txt", "sat_expansion.txt"}) {
            const std::size_t at = expected.find(std::string(" ") + name);
            if (at != std::string::npos) expected.replace(at + 1, std::string(name).size(), (f.path / name).string());
        }
        EXPECT_EQ(load_error(f.path), expected) << c.to;
    }
}

TEST(Load, MissingFilesAndDirectories) {
    const fluid_copy f("R507A");
    fs::remove(f.path / "c_p.txt");
    EXPECT_EQ(load_error(f.path), "Файл " + (f.path / "c_p.txt").string() + " не найден!");
    const fluid_copy e("R507A");
    fs::remove(e.path / "sat_expansion.txt");
    EXPECT_EQ(load_error(e.path), "Файл " + (e.path / "sat_expansion.txt").string() + " не найден!");
    EXPECT_EQ(load_error(f.dir.path / "Nope"), "Файл " + (f.dir.path / "Nope" / "c_p.txt").string() + " не найден!");
    // Tables the configuration does not use are not read: R404A's density
    // correlations are, R507A's are not.
    const fluid_copy g("R507A");
    fs::remove(g.path / "sat_line_liq.txt");
    EXPECT_NO_THROW(vantrel::fluid::load(g.path));
    const fluid_copy h("R404A");
    fs::remove(h.path / "sat_line_liq.txt");
    EXPECT_EQ(load_error(h.path), "Файл " + (h.path / "sat_line_liq.txt").string() + " не найден!");
}

TEST(Load, DataFilesAboveTheLimitAreRefusedUnread) {
    const fluid_copy f("R507A");
    std::string table = test::read_file(f.path / "c_p.txt");
    table.resize(17u << 20, ' ');
    test::write_file(f.path / "c_p.txt", table);
    EXPECT_EQ(load_error(f.path),
              "При чтении файла " + (f.path / "c_p.txt").string() + " произошла ошибка. Проверьте синтаксис файла.");
}

// A table of 3 GB (sparse) is refused at once, and a read that fails with an
// input/output error gives the program's message, not the library's.
TEST(Load, HugeAndUnreadableFiles) {
    const fluid_copy f("R507A");
    fs::resize_file(f.path / "eos_coeff.txt", 3ull << 30);
    EXPECT_EQ(load_error(f.path), "При чтении файла " + (f.path / "eos_coeff.txt").string() +
                                      " произошла ошибка. Проверьте синтаксис файла.");
    const fluid_copy g("R507A");
    fs::remove(g.path / "c_p.txt");
    fs::create_symlink("/proc/self/mem", g.path / "c_p.txt");  // a regular file whose reads fail
    EXPECT_EQ(load_error(g.path),
              "При чтении файла " + (g.path / "c_p.txt").string() + " произошла ошибка ввода-вывода.");
    const fluid_copy h("R507A");
    fs::remove(h.path / "c_p.txt");
    ASSERT_EQ(mkfifo((h.path / "c_p.txt").c_str(), 0600), 0);  // never waited for
    EXPECT_EQ(load_error(h.path), "При чтении файла " + (h.path / "c_p.txt").string() +
                                      " произошла ошибка. Проверьте синтаксис файла.");
}

TEST(Load, InfoIsWhatTheConfigurationStates) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R718");
    const vantrel::fluid_info& i = f.info();
    EXPECT_EQ(i.agent, "R718");
    EXPECT_EQ(i.name, "R718");
    EXPECT_EQ(i.description, "water");
    EXPECT_EQ(i.reference_state, "IAPWS-95");
    EXPECT_EQ(i.source.rfind("IAPWS-95: W. Wagner and A. Pruss, \"The IAPWS Formulation 1995", 0), 0u);
    EXPECT_EQ(*i.T_min, 273.16);
    EXPECT_EQ(*i.T_max, 1273);
    EXPECT_EQ(*i.p_max, 1e9);
    EXPECT_EQ(i.T_cr, 647.096);
    EXPECT_EQ(i.p_cr, 22064000);
    // Missing keys are "not stated".
    const fluid_copy c("R507A");
    c.replace("config.txt", "T_max=500\n", "");
    c.replace("config.txt", "name=R507A\n", "");
    const vantrel::fluid g = vantrel::fluid::load(c.path);
    EXPECT_FALSE(g.info().T_max);
    EXPECT_EQ(g.info().name, "");
    EXPECT_EQ(*g.info().T_min, 200);
}

TEST(Engine, ListsTheFluidsOfADataDirectory) {
    const auto list = vantrel::list_fluids(DATA);
    std::vector<std::string> agents;
    for (const auto& i : list) agents.push_back(i.agent);
    EXPECT_EQ(agents, (std::vector<std::string>{"R134a", "R32", "R404A", "R407C", "R410A", "R507A", "R718", "R744"}));
    for (const auto& i : list) {
        EXPECT_FALSE(i.source.empty()) << i.agent;
        EXPECT_TRUE(i.T_min && i.T_max && i.p_max) << i.agent;
    }
    try {
        vantrel::list_fluids(DATA / "Nope");
        ADD_FAILURE() << "no error";
    } catch (const vantrel::error& e) {
        EXPECT_EQ(e.kind(), vantrel::error_kind::data);
    }
}

vantrel::error_kind kind_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const vantrel::error& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error";
    return vantrel::error_kind::data;
}

TEST(Engine, ErrorsCarryTheirKind) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R718");
    const auto at = [&](double T, double p) { return [&f, T, p] { f.at(vantrel::input_pair::T_p, T, p); }; };
    using vantrel::error_kind;
    EXPECT_EQ(kind_of(at(0, 1e5)), error_kind::input);
    EXPECT_EQ(kind_of(at(-5, 1e5)), error_kind::input);
    EXPECT_EQ(kind_of(at(300, 0)), error_kind::input);
    EXPECT_EQ(kind_of(at(NAN, 1e5)), error_kind::input);
    EXPECT_EQ(kind_of(at(300, INFINITY)), error_kind::input);
    EXPECT_EQ(kind_of(at(647.096, 22064000)), error_kind::near_critical);
    EXPECT_EQ(kind_of(at(1e300, 1e5)), error_kind::floating_point);
    EXPECT_EQ(kind_of([&] { f.saturation_at_p(-1); }), error_kind::input);
    EXPECT_EQ(kind_of([] { vantrel::fluid::load(DATA / "Nope"); }), error_kind::data);
}

// The state record against the routines of the program: the same numbers.
TEST(Engine, StateAgreesWithTheRoutines) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R507A");
    test::scoped_cwd cwd(VANTREL_SOURCE_DIR);
    for (const auto& [t_c, p_bar] : {std::pair{20.0, 5.0}, {-30.0, 20.0}, {-70.0, 1.0}, {100.0, 50.0}}) {
        const vantrel::state s = f.at(vantrel::input_pair::T_p, t_c + 273.15, p_bar * 1e5);
        prop_list p;
        calc_props(p, t_c, "t", p_bar, "p", {"C", "bar"}, "R507A");
        EXPECT_EQ(s.h, p.h);
        EXPECT_EQ(s.rho, p.rho);
        EXPECT_EQ(s.s, p.s);
        EXPECT_EQ(*s.cp, p.c_p);
        EXPECT_EQ(*s.w, p.c);
        EXPECT_EQ(*s.jt, p.adiab_eff);
        EXPECT_EQ(vantrel::phase_name(s.phase), calc_phase_state(t_c, p_bar, {"C", "bar"}, "R507A"));
        prop_list by_p, by_t;
        const bool at_p = calc_sat_props(p_bar * 1e5, "p", {"K", "Pa"}, "R507A", by_p, UNDEFINE_ST);
        ASSERT_EQ(at_p, s.T_sat.has_value());
        if (at_p) {
            EXPECT_EQ(*s.T_sat, by_p.t);
        }
        const bool at_t = calc_sat_props(t_c + 273.15, "t", {"K", "Pa"}, "R507A", by_t, UNDEFINE_ST);
        ASSERT_EQ(at_t, s.p_sat.has_value());
        if (at_t) {
            EXPECT_EQ(*s.p_sat, by_t.p);
        }
    }
}

TEST(Engine, StatesOutsideTheStatedRangeAreComputedWithAWarning) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R718");
    const vantrel::state hot = f.at(vantrel::input_pair::T_p, 5273.15, 1e9 * 1.0001);
    EXPECT_EQ(hot.warning,
              "Состояние вне области применимости уравнения R718 (T от 273.16 до 1273 K, p до 1000 MPa).");
    EXPECT_TRUE(std::isfinite(hot.h));
    const vantrel::state ice = f.at(vantrel::input_pair::T_p, 263.15, 1e5);
    EXPECT_FALSE(ice.warning.empty());
    EXPECT_TRUE(f.at(vantrel::input_pair::T_p, 300, 1e5).warning.empty());
}

// The caller's floating-point flags and traps are as they were after every
// call, whether it succeeds or fails, and the engine's own flags stay inside.
TEST(Engine, CallersFloatingPointEnvironmentSurvivesACall) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R507A");
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    const int traps_before = fegetexcept();
    feenableexcept(FE_OVERFLOW);
    const auto check = [&](const char* what) {
        EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_DIVBYZERO) << what;
        EXPECT_EQ(fegetexcept(), traps_before | FE_OVERFLOW) << what;
    };
    f.at(vantrel::input_pair::T_p, 293.15, 5e5);  // raises inexact and underflow inside
    check("a state");
    f.saturation_at_T(250);
    check("a saturation state");
    EXPECT_THROW(f.at(vantrel::input_pair::T_p, 1e300, 1e5), vantrel::error);  // overflows inside, trap or not
    check("a floating-point error");
    EXPECT_THROW(f.at(vantrel::input_pair::T_p, 343.6926, 3699136), vantrel::error);  // the critical point
    check("a refused state");
    fedisableexcept(FE_ALL_EXCEPT);
    feenableexcept(traps_before);
    std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(Engine, OneFluidSharedBetweenThreads) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R744");
    std::vector<double> first(200), second(200);
    const auto run = [&f](std::vector<double>& out) {
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = f.at(vantrel::input_pair::T_p, 220 + 2.0 * static_cast<double>(i), 4e6).h;
    };
    std::thread a(run, std::ref(first)), b(run, std::ref(second));
    a.join();
    b.join();
    EXPECT_EQ(first, second);
}

}  // namespace
