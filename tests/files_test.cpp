// Reading a fluid's files: the table reader, the configuration file and its
// keys (engine units files and config).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/base/config.h"
#include "engine/model/sat_line.h"
#include "test_support.h"

namespace d = vantrel::detail;
using test::error_of;

namespace {

d::config config_of(const std::string& text, const std::string& desc = "real") {
    return d::read_config(d::ini_file(text, "config.txt"), desc);
}

TEST(Tables, ReadIndependentlyOfLineLayout) {
    const struct {
        const char* name;
        const char* content;
        d::table expected;
    } cases[] = {
        {"one line", "2 3 1 comment words\nheading line\n1 2 3 4 5 6\n", {{1, 2, 3}, {4, 5, 6}}},
        {"one per line", "2 3 1\nheading\n1\n2\n3\n4\n5\n6\n", {{1, 2, 3}, {4, 5, 6}}},
        {"counts on several lines", "2\n3\n0 rest ignored\n1\t2 3\r\n4 5 6", {{1, 2, 3}, {4, 5, 6}}},
        {"several headings", "1 2 3\na\nb 7 8\nc\n-1.5E-3 +2.5e2\n", {{-1.5e-3, 250}}},
        {"negative skip count", "1 2 -4\n9 8\n", {{9, 8}}},
        {"trailing white space", "1 2 0\n1 2 \n\t\r\n  ", {{1, 2}}},
        {"empty table", "0 3 0\n", {}},
        {"rows without columns", "2 0 0\n", {{}, {}}},
        {"skipped lines beyond the end", "0 0 5\n", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(d::parse_table(c.content, "t.txt"), c.expected) << c.name;
}

TEST(Tables, MalformedOnesGiveTheReadErrorNamingTheFile) {
    const char* const cases[] = {
        "1 2 0\n1,5 2\n",                      // decimal comma
        "1 2 0\n1; 2\n",                       // a number followed by a semicolon
        "2 3 0\n1 2 3 4 5",                    // five numbers where six are needed
        "2 3 0\n1 2 3 4 5\n  \n",              // ... then white space
        "2.0 3 0\n1 2 3 4 5 6\n",              // a count not an integer
        "2 3\n",                               // a missing count
        "",                                    // an empty file
        "-1 2 0\n",                            // negative rows
        "1 -2 0\n",                            // negative columns
        "4294967297 1 0\n1\n",                 // a count beyond 32 bits
        "1000000000 1000 0\n1 2 3\n",          // far more numbers than the file holds
        "1 1 0\nnan\n",                        // not a number
        "1 1 1\n5\n",                          // the number swallowed by a skipped line
        "1 2 0\n1 2 3\n",                      // a number after the declared rows
        "1 2 0\n1 2\n; comment\n",             // text after them
        "0 6 0\n0 6.2 1 0.69 0 0\n",           // rows beyond a count of zero
    };
    for (const char* c : cases) EXPECT_EQ(error_of([&] { d::parse_table(c, "t.txt"); }), test::msg::unreadable("t.txt")) << c;
}

TEST(Tables, MissingFilesAndSideFileNames) {
    const test::temp_dir dir;
    EXPECT_EQ(error_of([&] { d::read_table((dir.path / "c_p.txt").string()); }),
              test::msg::missing(dir.path / "c_p.txt"));
    EXPECT_EQ(error_of([&] { d::read_fluid_table(dir.path.string(), "../c_p.txt"); }),
              test::msg::not_a_name("../c_p.txt"));
    // The side's name goes before the first dot, or at the end of a name without one.
    EXPECT_EQ(d::side_file_name("sat_line.txt", "gas"), "sat_line_gas.txt");
    EXPECT_EQ(d::side_file_name("a.b.txt", "liq"), "a_liq.b.txt");
    EXPECT_EQ(d::side_file_name("noext", "liq"), "noext_liq");
    EXPECT_EQ(d::side_file_name("sat_line.txt", ""), "sat_line.txt");
}

TEST(Config, MissingFileGivesEveryDefault) {
    const d::config c = d::read_config(d::read_config_file("/nonexistent"), "real");
    EXPECT_EQ(c.R, 0);
    EXPECT_EQ(c.mu, 0);
    EXPECT_EQ(c.ideal.type_calc, "Cp");
    EXPECT_EQ(c.ideal.type_prop, "R");
    EXPECT_EQ(c.ideal.exp_dim, "1");
    EXPECT_EQ(c.ideal.k_term, 100);
    EXPECT_EQ(c.ideal.c_0, 0);
    EXPECT_EQ(c.ideal.h_0_0, 0);
    EXPECT_TRUE(c.maxwell_rule);
    EXPECT_EQ(c.p_cr, 0);
    EXPECT_EQ(c.rho_div, 1);
    EXPECT_EQ(c.tau_div, 1);
    EXPECT_EQ(c.rho_0, 1);
    EXPECT_EQ(c.rho_dim, "kg");
    EXPECT_EQ(c.delta_rho, 0.001);
    EXPECT_EQ(c.line.p_s_0, 1);
    EXPECT_EQ(c.line.Ri, 7);
    EXPECT_EQ(c.line.P_a, 0);
    EXPECT_EQ(c.line.sat_base, "exp");
    EXPECT_EQ(c.line.sat_tau, 1);
    EXPECT_EQ(c.line.sat_line, "sat_line.txt");
    EXPECT_EQ(c.line.sat_id, 0);
    EXPECT_EQ(c.sat_xi, 0.03);
    EXPECT_EQ(c.sat_rho, 1);
    EXPECT_EQ(c.sat_gas_id, 0);
    EXPECT_EQ(c.sat_liq_id, 0);
    EXPECT_EQ(c.eos_coeff, "eos_coeff.txt");
    EXPECT_FALSE(c.sat_line_margin);
    EXPECT_EQ(c.sat_expansion, "");
}

TEST(Config, GasConstantAndMolarMassDeriveEachOther) {
    const struct {
        const char* content;
        double R, mu;
    } cases[] = {
        {"[base_const]\nmu=100\n", 8314.472 / 100, 100},
        {"[base_const]\nR=287\n", 287, 8314.472 / 287},
        {"[base_const]\nR=0\nmu=0\n", 0, 0},
        {"[base_const]\nR=300\nmu=20\n", 300, 20},
    };
    for (const auto& c : cases) {
        const d::config k = config_of(c.content, "base");
        EXPECT_DOUBLE_EQ(k.R, c.R) << c.content;
        EXPECT_DOUBLE_EQ(k.mu, c.mu) << c.content;
    }
}

TEST(Config, ValuesConvertByKind) {
    const struct {
        const char* line;
        std::function<bool(const d::config&)> check;
    } cases[] = {
        {"[conf_real]\nmaxwell_rule=true", [](const d::config& c) { return c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=Yes", [](const d::config& c) { return c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=1", [](const d::config& c) { return c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=0", [](const d::config& c) { return !c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=false", [](const d::config& c) { return !c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=no", [](const d::config& c) { return !c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=", [](const d::config& c) { return c.maxwell_rule; }},
        {"[conf_ideal]\nk_term=250.5", [](const d::config& c) { return c.ideal.k_term == 250.5; }},
        {"[conf_ideal]\nk_term=  2.5e2  ", [](const d::config& c) { return c.ideal.k_term == 250; }},
        {"[conf_ideal]\nk_term=", [](const d::config& c) { return c.ideal.k_term == 100; }},
        {"[conf_ideal]\nk_term=\"300\"", [](const d::config& c) { return c.ideal.k_term == 300; }},
        {"[conf_real]\nsat_id=3", [](const d::config& c) { return c.line.sat_id == 3; }},
        {"[conf_real]\nsat_id=-2", [](const d::config& c) { return c.line.sat_id == -2; }},
        {"[conf_real]\nsat_id=", [](const d::config& c) { return c.line.sat_id == 0; }},
        {"[conf_ideal]\ntype_calc=", [](const d::config& c) { return c.ideal.type_calc.empty(); }},
        {"[conf_ideal]\ntype_calc = f_exp ", [](const d::config& c) { return c.ideal.type_calc == "f_exp"; }},
        {"[conf_real]\neos_coeff=\"my eos.txt\"", [](const d::config& c) { return c.eos_coeff == "my eos.txt"; }},
        {"[conf_real]\neos_coeff='a.txt'", [](const d::config& c) { return c.eos_coeff == "a.txt"; }},
        {"[conf_real]\neos_coeff=\"a.txt'", [](const d::config& c) { return c.eos_coeff == "\"a.txt'"; }},
        {"[conf_real]\neos_coeff=\"", [](const d::config& c) { return c.eos_coeff == "\""; }},
        {"[conf_real]\neos_coeff=a=b", [](const d::config& c) { return c.eos_coeff == "a=b"; }},
        {"[conf_real]\nsat_line=123456789012345678901234567890123456789012345678901234567890",
         [](const d::config& c) { return c.line.sat_line == "12345678901234567890123456789012345678901234567890"; }},
        {"[conf_real]\nsat_line_margin=0.01", [](const d::config& c) { return c.sat_line_margin == 0.01; }},
        // Keys and section names without regard to case; values keep theirs.
        {"[CONF_REAL]\nP_CR=5", [](const d::config& c) { return c.p_cr == 5; }},
        {"[Conf_Real]\nt_cr=6", [](const d::config& c) { return c.T_cr == 6; }},
        {"[conf_ideal]\nTYPE_CALC=F_Exp", [](const d::config& c) { return c.ideal.type_calc == "F_Exp"; }},
        // Comments, blank lines, keys of other sections, the first occurrence.
        {"; p_cr=9\n[conf_real]\n  ; p_cr=8\n\np_cr=7", [](const d::config& c) { return c.p_cr == 7; }},
        {"[conf_ideal]\np_cr=5", [](const d::config& c) { return c.p_cr == 0; }},
        {"p_cr=5\n[conf_real]", [](const d::config& c) { return c.p_cr == 0; }},
        {"[conf_real]\np_cr=1\np_cr=2", [](const d::config& c) { return c.p_cr == 1; }},
        {"[conf_real]\r\np_cr=3\r\n", [](const d::config& c) { return c.p_cr == 3; }},
        {"\xEF\xBB\xBF[conf_real]\np_cr=4", [](const d::config& c) { return c.p_cr == 4; }},  // a byte-order mark
        // Densities per mole become mass densities; only "mole" exactly.
        {"[base_const]\nmu=100\n[conf_real]\nrho_dim=mole\nrho_cr=5\nrho_div=2",
         [](const d::config& c) { return c.rho_cr == 500 && c.rho_div == 200; }},
        {"[base_const]\nmu=100\n[conf_real]\nrho_dim=Mole\nrho_cr=5",
         [](const d::config& c) { return c.rho_cr == 5 && c.rho_div == 1; }},
    };
    for (const auto& c : cases) EXPECT_TRUE(c.check(config_of(c.line))) << c.line;
}

// A value that is present but does not convert is refused, naming the file,
// the key and the value: a silent default would compute another fluid.
TEST(Config, ValuesThatDoNotConvertAreRefused) {
    const struct {
        const char* content;
        const char* key;
        const char* value;
    } cases[] = {
        {"[conf_real]\nT_cr=343,6926", "T_cr", "343,6926"},
        {"[conf_real]\nT_cr=abc", "T_cr", "abc"},
        {"[conf_ideal]\nk_term=250 ; comment", "k_term", "250 ; comment"},
        {"[base_const]\nmu=1e400", "mu", "1e400"},
        {"[conf_real]\nsat_id=3.0", "sat_id", "3.0"},
        {"[conf_real]\nsat_id=x", "sat_id", "x"},
        {"[conf_real]\nmaxwell_rule=10", "maxwell_rule", "10"},
        {"[conf_real]\nmaxwell_rule=maybe", "maxwell_rule", "maybe"},
        {"[conf_real]\nsat_line_margin=1%", "sat_line_margin", "1%"},
        {"[info]\nT_min=abc", "T_min", "abc"},
    };
    for (const auto& c : cases) {
        const d::ini_file ini(c.content, "config.txt");
        const std::string e = error_of([&] {
            d::read_config(ini, "real");
            d::read_info(ini);
        });
        EXPECT_EQ(e, test::msg::bad_value(c.key, c.value, "config.txt")) << c.content;
    }
}

TEST(Config, DescriptionTypeSelectsTheSections) {
    const char* content = "[base_const]\nR=200\n[conf_ideal]\nk_term=300\n[conf_real]\np_cr=7\n";
    const d::config base = config_of(content, "base"), ideal = config_of(content, "ideal");
    EXPECT_EQ(base.R, 200);
    EXPECT_EQ(base.ideal.k_term, 0);
    EXPECT_EQ(base.ideal.type_calc, "");
    EXPECT_EQ(ideal.ideal.k_term, 300);
    EXPECT_EQ(ideal.p_cr, 0);
    EXPECT_EQ(ideal.rho_div, 0);  // conf_real not read at all
    EXPECT_EQ(config_of(content).p_cr, 7);
}

TEST(Config, InfoTextsAreWholeAndRangesOptional) {
    const std::string long_text(80, 'x');
    const d::info_config i =
        d::read_info(d::ini_file("[info]\nname=R1\ndescription=" + long_text + "\nT_min=200\nT_max=\n", "c"));
    EXPECT_EQ(i.name, "R1");
    EXPECT_EQ(i.description, long_text);
    EXPECT_EQ(i.T_min, 200);
    EXPECT_FALSE(i.T_max);
    EXPECT_FALSE(i.p_max);
}

TEST(Config, FileThatIsADirectoryIsAReadError) {
    const test::temp_dir dir;
    std::filesystem::create_directories(dir.path / "config.txt");
    EXPECT_EQ(error_of([&] { d::read_config_file(dir.path.string()); }), test::msg::unreadable(dir.path / "config.txt"));
}

}  // namespace
