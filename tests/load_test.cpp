// Loading a fluid: every check happens when it loads, whatever a later state
// would use, and every failure is error(data) with the program's message.
#include <gtest/gtest.h>

#include <map>

#include <sys/stat.h>

#include <string>

#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;

namespace {

std::string load_error(const fs::path& dir) {
    try {
        vantrel::fluid::load(dir);
    } catch (const vantrel::error& e) {
        EXPECT_EQ(e.kind(), vantrel::error_kind::data) << e.what();
        return test::russian(e);
    }
    return "no error";
}

TEST(Load, EveryBadValueGivesItsMessage) {
    const std::string expansion_mismatch =
        "Разложения линии насыщения в файле sat_expansion.txt построены не для уравнения состояния eos_coeff.txt: "
        "контрольная сумма не совпадает.";
    const std::string expansion_changed =
        "Разложения линии насыщения в файле sat_expansion.txt изменены или повреждены: контрольная сумма файла не "
        "совпадает; его пересоздаёт программа vantrel_sat_expansion (tools/sat_expansion.cpp).";
    const struct {
        const char* file;
        const char* from;
        const char* to;
        std::string message;  // file names as in the fluid's directory
    } cases[] = {
        {"config.txt", "T_cr=343.692616", "T_cr=343,6926", test::msg::bad_value("T_cr", "343,6926", "config.txt")},
        {"config.txt", "T_cr=343.692616", "T_cr=abc", test::msg::bad_value("T_cr", "abc", "config.txt")},
        {"config.txt", "T_cr=343.692616", "T_cr=-5", test::msg::bad_value("T_cr", "-5", "config.txt")},
        {"config.txt", "T_cr=343.692616\n", "", test::msg::bad_value("T_cr", "0", "config.txt")},
        {"config.txt", "p_cr=3699135.75", "p_cr=0", test::msg::bad_value("p_cr", "0", "config.txt")},
        {"config.txt", "mu=98.8592\nR=84.1041804910418", "mu=0\nR=0", test::msg::bad_value("R", "0", "config.txt")},
        {"config.txt", "tau_div=343.765", "tau_div=0", test::msg::bad_value("tau_div", "0", "config.txt")},
        {"config.txt", "rho_div=490.7400000000001", "rho_div=-1", test::msg::bad_value("rho_div", "-1", "config.txt")},
        {"config.txt", "k_term=343.765", "k_term=0", test::msg::bad_value("k_term", "0", "config.txt")},
        {"config.txt", "delta_rho=1e-7", "delta_rho=0", test::msg::bad_value("delta_rho", "0", "config.txt")},
        {"config.txt", "T_tp=200", "T_tp=400", test::msg::bad_value("T_tp", "400", "config.txt")},
        {"config.txt", "p_tp=23247.07", "p_tp=5e6", test::msg::bad_value("p_tp", "5e6", "config.txt")},
        {"config.txt", "maxwell_rule=1", "maxwell_rule=maybe", test::msg::bad_value("maxwell_rule", "maybe", "config.txt")},
        {"config.txt", "type_calc=f_comb", "type_calc=xx", test::msg::bad_value("type_calc", "xx", "config.txt")},
        {"config.txt", "type_prop=R", "type_prop=kg", test::msg::bad_value("type_prop", "kg", "config.txt")},
        {"config.txt", "sat_id=1", "sat_id=12", test::msg::bad_value("sat_id", "12", "config.txt")},
        {"config.txt", "sat_id=1", "sat_id=-1", test::msg::bad_value("sat_id", "-1", "config.txt")},
        {"config.txt", "sat_id=1", "sat_id=1.5", test::msg::bad_value("sat_id", "1.5", "config.txt")},
        {"config.txt", "sat_base=exp", "sat_base=two", test::msg::bad_value("sat_base", "two", "config.txt")},
        {"config.txt", "maxwell_rule=1\n", "maxwell_rule=0\nsat_liq_id=5\n",
         test::msg::bad_value("sat_liq_id", "5", "config.txt")},
        {"config.txt", "sat_xi=0.03", "sat_xi=0.03\nsat_line_margin=-1",
         test::msg::bad_value("sat_line_margin", "-1", "config.txt")},
        {"config.txt", "sat_expansion=sat_expansion.txt", "sat_expansion=../sat_expansion.txt",
         test::msg::not_a_name("../sat_expansion.txt")},
        {"eos_coeff.txt", "0 6.24982 1 0.692 0 0", "0 6.24983 1 0.692 0 0", expansion_mismatch},
        {"sat_expansion.txt", "; fitted to eos_coeff.txt", "; fitted to other.txt", expansion_changed},
        {"sat_expansion.txt", "0 343.692616020791", "0 343.692616020792", expansion_changed},
        {"sat_expansion.txt", "; CRC-32 of this file without this line 0x", "; CRC-32 0x", expansion_changed},
        // Every number in its range (a table in the README).
        {"config.txt", "delta_rho=1e-7", "delta_rho=1e308", test::msg::bad_value("delta_rho", "1e308", "config.txt")},
        {"config.txt", "sat_xi=0.03", "sat_xi=0", test::msg::bad_value("sat_xi", "0", "config.txt")},
        {"config.txt", "rho_cr=490.7400000000001", "rho_cr=0", test::msg::bad_value("rho_cr", "0", "config.txt")},
        {"config.txt", "T_max=500", "T_max=150", test::msg::bad_value("T_max", "150", "config.txt")},
        {"config.txt", "p_max=5e7", "p_max=-1", test::msg::bad_value("p_max", "-1", "config.txt")},
        {"config.txt", "T_min=200", "T_min=abc", test::msg::bad_value("T_min", "abc", "config.txt")},
        {"config.txt", "safety_class=A1", "safety_class=A2l", test::msg::bad_value("safety_class", "A2l", "config.txt")},
        {"config.txt", "safety_class=A1", "safety_class=C1", test::msg::bad_value("safety_class", "C1", "config.txt")},
        {"config.txt", "eos_coeff=eos_coeff.txt", "eos_coeff=../x.txt", test::msg::not_a_name("../x.txt")},
        {"eos_coeff.txt", "0 6.24982 1 0.692 0 0", "7 6.24982 1 0.692 0 0",
         "Недопустимое значение kind = '7' в файле eos_coeff.txt, строка 1"},
        {"eos_coeff.txt", "0 6.24982 1 0.692 0 0\n", "0 6.24982 1 0.692 0 0 1\n", test::msg::unreadable("eos_coeff.txt")},
        // A table holding more than its counts declare, or less.
        {"c_p.txt", "4 3 5", "3 3 5", test::msg::unreadable("c_p.txt")},
        {"eos_coeff.txt", "22 6 7", "0 6 7", test::msg::unreadable("eos_coeff.txt")},
        {"sat_line.txt", "4 2 4", "3 2 4", test::msg::unreadable("sat_line.txt")},
        {"sat_line.txt", "4 2 4", "5 2 4", test::msg::unreadable("sat_line.txt")},
    };
    for (const auto& c : cases) {
        const test::fluid_copy f("R507A");
        f.edit(c.file, c.from, c.to);
        std::string expected = c.message;
        for (const char* name : {"config.txt", "eos_coeff.txt", "c_p.txt", "sat_line.txt", "sat_expansion.txt"}) {
            const std::size_t at = expected.find(std::string(" ") + name);
            if (at != std::string::npos) expected.replace(at + 1, std::string(name).size(), (f.path / name).string());
        }
        EXPECT_EQ(load_error(f.path), expected) << c.to;
    }
}

TEST(Load, MissingFilesAndDirectories) {
    const test::fluid_copy f("R507A");
    fs::remove(f.path / "c_p.txt");
    EXPECT_EQ(load_error(f.path), test::msg::missing(f.path / "c_p.txt"));
    const test::fluid_copy e("R507A");
    fs::remove(e.path / "sat_expansion.txt");
    EXPECT_EQ(load_error(e.path), test::msg::missing(e.path / "sat_expansion.txt"));
    EXPECT_EQ(load_error(f.root.path / "Nope"), test::msg::missing(f.root.path / "Nope" / "c_p.txt"));
    // Tables the configuration does not use are not read: R404A's density
    // correlations are, R507A's are not.
    const test::fluid_copy g("R507A");
    fs::remove(g.path / "sat_line_liq.txt");
    EXPECT_NO_THROW(vantrel::fluid::load(g.path));
    const test::fluid_copy h("R404A");
    fs::remove(h.path / "sat_line_liq.txt");
    EXPECT_EQ(load_error(h.path), test::msg::missing(h.path / "sat_line_liq.txt"));
    // By name in a data directory: a name that is a path, or none there.
    EXPECT_EQ(test::error_of([&] { vantrel::fluid::load(test::data(), "../R507A"); }), test::msg::not_a_name("../R507A"));
    EXPECT_EQ(test::error_of([&] { vantrel::fluid::load(test::data(), "Nope"); }),
              "Вещество 'Nope' не найдено в каталоге " + test::data().string() + "!");
}

// Files above 16 MiB, a sparse table of 3 GB, a regular file whose reads
// fail and a FIFO: the program's messages, never a wait or the library's.
TEST(Load, HugeUnreadableAndSpecialFiles) {
    const test::fluid_copy f("R507A");
    std::string table = test::read_file(f.path / "c_p.txt");
    table.resize(17u << 20, ' ');
    test::write_file(f.path / "c_p.txt", table);
    EXPECT_EQ(load_error(f.path), test::msg::unreadable(f.path / "c_p.txt"));
    const test::fluid_copy e("R507A");
    fs::resize_file(e.path / "eos_coeff.txt", 3ull << 30);
    EXPECT_EQ(load_error(e.path), test::msg::unreadable(e.path / "eos_coeff.txt"));
    const test::fluid_copy g("R507A");
    fs::remove(g.path / "c_p.txt");
    fs::create_symlink("/proc/self/mem", g.path / "c_p.txt");
    EXPECT_EQ(load_error(g.path), "При чтении файла " + (g.path / "c_p.txt").string() + " произошла ошибка ввода-вывода.");
    const test::fluid_copy h("R507A");
    fs::remove(h.path / "c_p.txt");
    ASSERT_EQ(mkfifo((h.path / "c_p.txt").c_str(), 0600), 0);
    EXPECT_EQ(load_error(h.path), test::msg::unreadable(h.path / "c_p.txt"));
}

TEST(Load, InfoIsWhatTheConfigurationStates) {
    const vantrel::fluid f = vantrel::fluid::load(test::data() / "R718");
    const vantrel::fluid_info& i = f.info();
    EXPECT_EQ(i.agent, "R718");
    EXPECT_EQ(i.name, "R718");
    EXPECT_EQ(i.description, "water");
    EXPECT_EQ(i.reference_state, "IAPWS-95");
    EXPECT_EQ(i.source.rfind("IAPWS-95: W. Wagner and A. Pruss, \"The IAPWS Formulation 1995", 0), 0u);
    EXPECT_EQ(*i.T_min, 273.16);
    EXPECT_EQ(*i.T_max, 1273);
    EXPECT_EQ(*i.p_max, 1e9);
    EXPECT_EQ(i.safety_class, "A1");
    EXPECT_EQ(i.aliases, (std::vector<std::string>{"water", "steam", "H2O"}));
    EXPECT_EQ(i.T_cr, 647.096);
    EXPECT_EQ(i.p_cr, 22064000);
    // Missing keys are "not stated".
    const test::fluid_copy c("R507A");
    c.edit("config.txt", "T_max=500\n", "");
    c.edit("config.txt", "name=R507A\n", "");
    const vantrel::fluid g = vantrel::fluid::load(c.path);
    EXPECT_FALSE(g.info().T_max);
    EXPECT_EQ(g.info().name, "");
    EXPECT_EQ(*g.info().T_min, 200);
}

TEST(Load, ListsTheFluidsOfADataDirectory) {
    const auto list = vantrel::list_fluids(test::data());
    std::vector<std::string> agents;
    for (const auto& i : list) agents.push_back(i.agent);
    // Sorted by name, as the directory names compare.
    EXPECT_EQ(agents, (std::vector<std::string>{"R1233zd(E)", "R1234yf", "R1234ze(E)", "R125", "R1270",
                                                "R1336mzz(Z)", "R134a", "R143a", "R152a", "R22", "R227ea", "R23",
                                                "R245fa", "R290", "R32", "R404A", "R407C", "R410A", "R507A", "R600",
                                                "R600a", "R717", "R718", "R744"}));
    // ANSI/ASHRAE 34-2022.
    const std::map<std::string, std::string> safety{
        {"R1233zd(E)", "A1"}, {"R1234yf", "A2L"}, {"R1234ze(E)", "A2L"}, {"R125", "A1"},   {"R1270", "A3"},
        {"R1336mzz(Z)", "A1"}, {"R134a", "A1"},   {"R143a", "A2L"},      {"R152a", "A2"},  {"R22", "A1"},
        {"R227ea", "A1"},     {"R23", "A1"},      {"R245fa", "B1"},      {"R290", "A3"},   {"R32", "A2L"},
        {"R404A", "A1"},      {"R407C", "A1"},    {"R410A", "A1"},       {"R507A", "A1"},  {"R600", "A3"},
        {"R600a", "A3"},      {"R717", "B2L"},    {"R718", "A1"},        {"R744", "A1"}};
    for (const auto& i : list) {
        EXPECT_FALSE(i.source.empty()) << i.agent;
        EXPECT_TRUE(i.T_min && i.T_max && i.p_max) << i.agent;
        EXPECT_EQ(i.safety_class, safety.at(i.agent)) << i.agent;
        EXPECT_EQ(i.reference_state, i.agent == "R718" ? "IAPWS-95" : "IIR") << i.agent;
    }
    EXPECT_EQ(test::error_of([] { vantrel::list_fluids(test::data() / "Nope"); }),
              "Каталог данных " + (test::data() / "Nope").string() + " не найден!");
}

}  // namespace
