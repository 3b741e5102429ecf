// The data directory, the table reader and the configuration reader.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "read_files.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using test::error_of;

class DataDir : public ::testing::Test {
protected:
    test::temp_dir dir;
    test::scoped_cwd cwd{dir.path};
    std::string path_of(const std::string& fluid, const std::string& file) const {
        return (dir.path / "data" / fluid / file).string();
    }
};

TEST_F(DataDir, CreatePathJoinsCurrentDirectoryDataFluidAndFile) {
    const std::string root = fs::current_path().string();
    EXPECT_EQ(create_path({"R507A", "config.txt"}), root + "/data/R507A/config.txt");
    EXPECT_EQ(create_path({"R507A", ""}), root + "/data/R507A");
    EXPECT_EQ(create_path({"", "x.txt"}), root + "/data/x.txt");
    EXPECT_EQ(create_path({"", ""}), root + "/data");
}

TEST_F(DataDir, TablesReadIndependentlyOfLineLayout) {
    const struct {
        const char* name;
        const char* content;
        two_d_array expected;
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
    for (const auto& c : cases) {
        test::write_fluid_file(dir.path, "F", "t.txt", c.content);
        EXPECT_EQ(data_array(path_of("F", "t.txt")), c.expected) << c.name;
    }
}

TEST_F(DataDir, MalformedTablesGiveTheReadErrorNamingTheFile) {
    const struct {
        const char* name;
        const char* content;
    } cases[] = {
        {"decimal comma", "1 2 0\n1,5 2\n"},
        {"number followed by a semicolon", "1 2 0\n1; 2\n"},
        {"five numbers where six are needed", "2 3 0\n1 2 3 4 5"},
        {"five numbers then white space", "2 3 0\n1 2 3 4 5\n  \n"},
        {"count not an integer", "2.0 3 0\n1 2 3 4 5 6\n"},
        {"missing count", "2 3\n"},
        {"empty file", ""},
        {"negative rows", "-1 2 0\n"},
        {"negative columns", "1 -2 0\n"},
        {"count beyond 32 bits", "4294967297 1 0\n1\n"},
        {"claims far more numbers than the file holds", "1000000000 1000 0\n1 2 3\n"},
        {"nan", "1 1 0\nnan\n"},
        {"number swallowed by a skipped line", "1 1 1\n5\n"},
        // More than the counts declare: the counts do not describe the file.
        {"a number after the declared rows", "1 2 0\n1 2 3\n"},
        {"text after the declared rows", "1 2 0\n1 2\n; comment\n"},
        {"rows beyond a count of zero", "0 6 0\n0 6.2 1 0.69 0 0\n"},
    };
    const std::string path = path_of("F", "t.txt");
    for (const auto& c : cases) {
        test::write_fluid_file(dir.path, "F", "t.txt", c.content);
        EXPECT_EQ(error_of([&] { data_array(path); }),
                  "При чтении файла " + path + " произошла ошибка. Проверьте синтаксис файла.")
            << c.name;
    }
}

TEST_F(DataDir, MissingTableNamesTheFullPath) {
    const std::string path = path_of("Nope", "c_p.txt");
    EXPECT_EQ(error_of([&] { data_array(path); }), "Файл " + path + " не найден!");
}

TEST_F(DataDir, CoeffTableInsertsTheIdBeforeTheFirstDot) {
    test::write_fluid_file(dir.path, "F", "sat_line_gas.txt", "1 1 0\n7\n");
    test::write_fluid_file(dir.path, "F", "sat_line.txt", "1 1 0\n8\n");
    test::write_fluid_file(dir.path, "F", "a_liq.b.txt", "1 1 0\n9\n");
    test::write_fluid_file(dir.path, "F", "noext_liq", "1 1 0\n10\n");
    EXPECT_EQ(create_coeff_table({"F", "ignored"}, "sat_line.txt", "gas"), two_d_array{{7}});
    EXPECT_EQ(create_coeff_table({"F", "config.txt"}, "sat_line.txt", ""), two_d_array{{8}});
    EXPECT_EQ(create_coeff_table({"F", "config.txt"}, "a.b.txt", "liq"), two_d_array{{9}});
    // A name without a dot gets the suffix at its end.
    EXPECT_EQ(create_coeff_table({"F", "config.txt"}, "noext", "liq"), two_d_array{{10}});
    EXPECT_EQ(error_of([&] { create_coeff_table({"F", "config.txt"}, "sat_line.txt", "liq"); }),
              "Файл " + path_of("F", "sat_line_liq.txt") + " не найден!");
}

const_list read_config(const fs::path& root, const std::string& content, const std::string& desc = "real") {
    test::write_fluid_file(root, "F", "config.txt", content);
    return create_const({"F", "config.txt"}, desc, "config.txt");
}

TEST_F(DataDir, MissingConfigurationGivesEveryDefault) {
    const const_list c = create_const({"Nope", "config.txt"}, "real", "config.txt");
    EXPECT_EQ(c.names[0], "Nope");
    EXPECT_EQ(c.R, 0);
    EXPECT_EQ(c.mu, 0);
    EXPECT_EQ(c.type_calc, "Cp");
    EXPECT_EQ(c.type_prop, "R");
    EXPECT_EQ(c.exp_dim, "1");
    EXPECT_EQ(c.k_term, 100);
    EXPECT_EQ(c.c_0, 0);
    EXPECT_EQ(c.h_0_0, 0);
    EXPECT_TRUE(c.maxwell_rule);
    EXPECT_EQ(c.p_cr, 0);
    EXPECT_EQ(c.rho_div, 1);
    EXPECT_EQ(c.tau_div, 1);
    EXPECT_EQ(c.rho_0, 1);
    EXPECT_EQ(c.rho_dim, "kg");
    EXPECT_EQ(c.delta_rho, 0.001);
    EXPECT_EQ(c.p_s_0, 1);
    EXPECT_EQ(c.Ri, 7);
    EXPECT_EQ(c.P_a, 0);
    EXPECT_EQ(c.sat_base, "exp");
    EXPECT_EQ(c.sat_tau, 1);
    EXPECT_EQ(c.sat_line, "sat_line.txt");
    EXPECT_EQ(c.sat_id, 0);
    EXPECT_EQ(c.sat_xi, 0.03);
    EXPECT_EQ(c.sat_rho, 1);
    EXPECT_EQ(c.sat_gas_id, 0);
    EXPECT_EQ(c.sat_liq_id, 0);
    EXPECT_EQ(c.eos_coeff, "eos_coeff.txt");
}

TEST_F(DataDir, GasConstantAndMolarMassDeriveEachOther) {
    const struct {
        const char* content;
        double R;
        double mu;
    } cases[] = {
        {"[base_const]\nmu=100\n", 8314.472 / 100, 100},
        {"[base_const]\nR=287\n", 287, 8314.472 / 287},
        {"[base_const]\nR=0\nmu=0\n", 0, 0},
        {"[base_const]\nR=300\nmu=20\n", 300, 20},
    };
    for (const auto& c : cases) {
        const const_list k = read_config(dir.path, c.content);
        EXPECT_DOUBLE_EQ(k.R, c.R) << c.content;
        EXPECT_DOUBLE_EQ(k.mu, c.mu) << c.content;
    }
}

TEST_F(DataDir, ConfigurationValuesConvertByKind) {
    const struct {
        const char* line;
        std::function<bool(const const_list&)> check;
    } cases[] = {
        {"[conf_real]\nmaxwell_rule=true", [](const const_list& c) { return c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=Yes", [](const const_list& c) { return c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=1", [](const const_list& c) { return c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=0", [](const const_list& c) { return !c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=false", [](const const_list& c) { return !c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=no", [](const const_list& c) { return !c.maxwell_rule; }},
        {"[conf_real]\nmaxwell_rule=", [](const const_list& c) { return c.maxwell_rule; }},
        {"[conf_ideal]\nk_term=250.5", [](const const_list& c) { return c.k_term == 250.5; }},
        {"[conf_ideal]\nk_term=  2.5e2  ", [](const const_list& c) { return c.k_term == 250; }},
        {"[conf_ideal]\nk_term=", [](const const_list& c) { return c.k_term == 100; }},
        {"[conf_ideal]\nk_term=\"300\"", [](const const_list& c) { return c.k_term == 300; }},
        {"[conf_real]\nsat_id=3", [](const const_list& c) { return c.sat_id == 3; }},
        {"[conf_real]\nsat_id=-2", [](const const_list& c) { return c.sat_id == -2; }},
        {"[conf_real]\nsat_id=", [](const const_list& c) { return c.sat_id == 0; }},
        {"[conf_ideal]\ntype_calc=", [](const const_list& c) { return c.type_calc.empty(); }},
        {"[conf_ideal]\ntype_calc = f_exp ", [](const const_list& c) { return c.type_calc == "f_exp"; }},
        {"[conf_real]\neos_coeff=\"my eos.txt\"", [](const const_list& c) { return c.eos_coeff == "my eos.txt"; }},
        {"[conf_real]\neos_coeff='a.txt'", [](const const_list& c) { return c.eos_coeff == "a.txt"; }},
        {"[conf_real]\neos_coeff=\"a.txt'", [](const const_list& c) { return c.eos_coeff == "\"a.txt'"; }},
        {"[conf_real]\neos_coeff=\"", [](const const_list& c) { return c.eos_coeff == "\""; }},
        {"[conf_real]\neos_coeff=a=b", [](const const_list& c) { return c.eos_coeff == "a=b"; }},
        {"[conf_real]\nsat_line=123456789012345678901234567890123456789012345678901234567890",
         [](const const_list& c) { return c.sat_line == "12345678901234567890123456789012345678901234567890"; }},
        // Keys and section names without regard to case; values keep theirs.
        {"[CONF_REAL]\nP_CR=5", [](const const_list& c) { return c.p_cr == 5; }},
        {"[Conf_Real]\nt_cr=6", [](const const_list& c) { return c.T_cr == 6; }},
        {"[conf_ideal]\nTYPE_CALC=F_Exp", [](const const_list& c) { return c.type_calc == "F_Exp"; }},
        // Comments, blank lines, keys of other sections, the first occurrence.
        {"; p_cr=9\n[conf_real]\n  ; p_cr=8\n\np_cr=7", [](const const_list& c) { return c.p_cr == 7; }},
        {"[conf_ideal]\np_cr=5", [](const const_list& c) { return c.p_cr == 0; }},
        {"p_cr=5\n[conf_real]", [](const const_list& c) { return c.p_cr == 0; }},
        {"[conf_real]\np_cr=1\np_cr=2", [](const const_list& c) { return c.p_cr == 1; }},
        {"[conf_real]\r\np_cr=3\r\n", [](const const_list& c) { return c.p_cr == 3; }},
        // Densities per mole become mass densities; only "mole" exactly.
        {"[base_const]\nmu=100\n[conf_real]\nrho_dim=mole\nrho_cr=5\nrho_div=2",
         [](const const_list& c) { return c.rho_cr == 500 && c.rho_div == 200; }},
        {"[base_const]\nmu=100\n[conf_real]\nrho_dim=Mole\nrho_cr=5",
         [](const const_list& c) { return c.rho_cr == 5 && c.rho_div == 1; }},
    };
    for (const auto& c : cases) EXPECT_TRUE(c.check(read_config(dir.path, c.line))) << c.line;
}

// A value that is present but does not convert is refused, naming the file,
// the key and the value: a silent default would compute another fluid.
TEST_F(DataDir, ValuesThatDoNotConvertAreRefused) {
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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(error_of([&] { read_config(dir.path, c.content); }),
                  std::string("Недопустимое значение ") + c.key + " = '" + c.value + "' в файле " +
                      path_of("F", "config.txt"))
            << c.content;
    }
}

TEST_F(DataDir, DescriptionTypeSelectsTheSections) {
    const char* content = "[base_const]\nR=200\n[conf_ideal]\nk_term=300\n[conf_real]\np_cr=7\n";
    const const_list ideal = read_config(dir.path, content, "ideal");
    EXPECT_EQ(ideal.k_term, 300);
    EXPECT_EQ(ideal.p_cr, 0);
    EXPECT_EQ(ideal.rho_div, 0);  // conf_real not read at all
    const const_list other = read_config(dir.path, content, "base");
    EXPECT_EQ(other.R, 200);
    EXPECT_EQ(other.k_term, 0);
    EXPECT_EQ(other.type_calc, "");
    const const_list real = read_config(dir.path, content, "real");
    EXPECT_EQ(real.k_term, 300);
    EXPECT_EQ(real.p_cr, 7);
}

TEST_F(DataDir, ConfigurationThatIsADirectoryIsAReadError) {
    fs::create_directories(dir.path / "data" / "F" / "config.txt");
    const std::string path = path_of("F", "config.txt");
    EXPECT_EQ(error_of([] { create_const({"F", "config.txt"}, "real", "config.txt"); }),
              "При чтении файла " + path + " произошла ошибка. Проверьте синтаксис файла.");
}

}  // namespace
