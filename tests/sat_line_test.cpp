// Saturation-line correlations: the nine pressure forms, the bisection, the
// range check and the saturated-density forms.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "fp_check.h"
#include "read_files.h"
#include "sat_line.h"
#include "test_support.h"

namespace {

class SatLine : public ::testing::Test {
protected:
    test::temp_dir dir;
    test::scoped_cwd cwd{dir.path};
    SatLine() { fp_clear(); }
    const_list config(const std::string& conf_real) {
        test::write_fluid_file(dir.path, "F", "config.txt", "[base_const]\nR=100\n[conf_real]\n" + conf_real);
        return create_const({"F", "config.txt"}, "real", "config.txt");
    }
    void table(const std::string& name, const std::string& content) {
        test::write_fluid_file(dir.path, "F", name, content);
    }
    std::string config_path() const { return (dir.path / "data" / "F" / "config.txt").string(); }
};

using test::error_of;

TEST_F(SatLine, EveryPressureFormInBothBases) {
    table("sat_line.txt", "2 2 1\nexponent coefficient\n1 -2\n2 0.5\n");
    const auto sum = [](double y) { return -2 * y + 0.5 * y * y; };
    const double x = 0.8, bs = 0.3, as = 0.2, cs = 1.5;
    const double psi = 4 * (x - 1) / x + (x - 1) * (0.2 * (1 + x) * (1 + x) + 0.5) - 5.3 * std::log(x);
    for (const auto& [base_name, b] : {std::pair{"exp", std::exp(1.0)}, {"dec", 10.0}}) {
        const double expected[] = {
            0,
            1e5 * std::pow(b, sum(1 - x) / x),
            1e5 * std::pow(b, sum(x) + bs * std::log(x)),
            1e5 * std::pow(b, sum(x) + bs * std::pow(1 - x, 1.35)),
            1e5 * std::pow(b, sum(x) + bs * std::log10(x)),
            1e5 * std::pow(b, (sum(1 - x) + bs * x * std::log(x)) / x),
            1e5 * sum(x),
            1e5 * std::exp((7.2 - 4 + 0.1) * psi + 7.2 * std::log(x)),
            1e5 * std::pow(b, sum(x - 1)),
            1e5 * std::pow(b, sum(x) + bs * std::log10(x) + as * ((cs - x) / x) * std::log10(cs - x)),
        };
        for (int form = 1; form <= 9; ++form) {
            const const_list c = config("sat_id=" + std::to_string(form) + "\nsat_base=" + base_name +
                                        "\nsat_tau=300\np_s_0=1e5\nb_s=0.3\na_s=0.2\nc_s=1.5\nRi=7.2\nP_a=0.1\n");
            EXPECT_NEAR(calc_p_sat(c, 240), expected[form], 1e-10 * std::fabs(expected[form]))
                << "form " << form << " base " << base_name;
        }
    }
}

TEST_F(SatLine, FormsAndBasesOutsideTheDefinedOnesAreRejected) {
    table("sat_line.txt", "1 2 0\n1 -2\n");
    const std::string where = "' в файле " + config_path();
    EXPECT_EQ(error_of([&] { calc_p_sat(config("sat_id=0\n"), 250); }), "Недопустимое значение sat_id = '0" + where);
    EXPECT_EQ(error_of([&] { calc_p_sat(config("sat_id=10\n"), 250); }),
              "Недопустимое значение sat_id = '10" + where);
    EXPECT_EQ(error_of([&] { calc_p_sat(config("sat_id=1\nsat_base=EXP\n"), 250); }),
              "Недопустимое значение sat_base = 'EXP" + where);
    // Forms 6 and 7 do not use the base.
    EXPECT_NO_THROW(calc_p_sat(config("sat_id=6\nsat_base=EXP\n"), 250));
    EXPECT_NO_THROW(calc_p_sat(config("sat_id=7\nsat_base=EXP\n"), 250));
}

TEST_F(SatLine, Form7ReadsNoTable) {
    const const_list c7 = config("sat_id=7\nsat_tau=300\np_s_0=1e5\n");
    EXPECT_NO_THROW(calc_p_sat(c7, 250));
    const const_list c1 = config("sat_id=1\nsat_tau=300\np_s_0=1e5\n");
    EXPECT_EQ(error_of([&] { calc_p_sat(c1, 250); }),
              "Файл " + (dir.path / "data" / "F" / "sat_line.txt").string() + " не найден!");
}

TEST_F(SatLine, BisectionEdgeCases) {
    // Form 6 with the table (1, 1): p_s = 1000 T, linear.
    table("sat_line.txt", "1 2 0\n1 1\n");
    const const_list c = config("sat_id=6\nsat_tau=1\np_s_0=1000\n");
    EXPECT_NEAR(calc_t_sat(c, 233000, 200, 300, 0.05), 233, 0.05);
    // A root met exactly, at a midpoint or at t_min, is returned.
    EXPECT_EQ(calc_t_sat(c, 250000, 200, 300, 0.05), 250);
    EXPECT_EQ(calc_t_sat(c, 200000, 200, 300, 0.05), 200);
    // Bracket without a sign change: the result approaches t_max.
    EXPECT_NEAR(calc_t_sat(c, 900000, 200, 300, 0.05), 300, 0.025);
    EXPECT_NEAR(calc_t_sat(c, 10000, 200, 300, 0.05), 300, 0.025);
    // A bracket no wider than delta_t: the midpoint, without any evaluation.
    std::filesystem::remove(dir.path / "data" / "F" / "sat_line.txt");
    EXPECT_DOUBLE_EQ(calc_t_sat(c, 250000, 250, 250.04, 0.05), 250.02);
    EXPECT_EQ(calc_t_sat(c, 250000, 256, 256.0625, 0.0625), 256.03125);
    // A tolerance that cannot be met ends once the bracket stops narrowing.
    table("sat_line.txt", "1 2 0\n1 1\n");
    EXPECT_NEAR(calc_t_sat(c, 233000, 200, 300, 0), 233, 1e-9);
    EXPECT_NEAR(calc_t_sat(c, 233000, 200, 300, -1), 233, 1e-9);
}

TEST_F(SatLine, RangeAtItsBoundsForBothLevels) {
    const const_list m = config("sat_id=1\nT_tp=200\nT_cr=300\np_tp=1000\np_cr=1e6\nmaxwell_rule=1\n");
    const const_list c = config("sat_id=1\nT_tp=200\nT_cr=300\np_tp=1000\np_cr=1e6\nmaxwell_rule=0\n");
    const const_list none = config("sat_id=0\nT_tp=200\nT_cr=300\np_tp=1000\np_cr=1e6\n");
    const struct {
        double par;
        const char* id;
        const const_list* cfg;
        int level;
        bool expected;
    } cases[] = {
        {200, "t", &m, 0, true},          {199.999, "t", &m, 0, false},   {300, "t", &m, 0, false},
        {299.99, "t", &m, 0, true},       {1000, "p", &m, 0, true},       {999, "p", &m, 0, false},
        // Level 1 with the equal-area rule: up to 1 - 1e-6 of the critical
        // value, inclusive.
        {1e6, "p", &m, 0, false},         {299.9997, "t", &m, 1, true},   {0.999999 * 300, "t", &m, 1, true},
        {299.9998, "t", &m, 1, false},    {299.9998, "t", &c, 1, true},   {999999, "p", &m, 1, true},
        {999999.5, "p", &m, 1, false},    {999999.5, "p", &c, 1, true},
        {250, "t", &m, 2, false},         {250, "t", &none, 0, false},
        {250, "x", &m, 0, false},         {250, "T", &m, 0, false},       {5000, "p", &m, 1, true},
    };
    for (const auto& k : cases)
        EXPECT_EQ(sat_range(k.par, k.id, *k.cfg, k.level), k.expected) << k.par << " " << k.id << " " << k.level;
}

TEST_F(SatLine, SaturatedDensityForms) {
    table("sat_line_liq.txt", "2 2 0\n1 0.5\n2 -0.25\n");
    table("sat_line_gas.txt", "1 2 0\n3 -1.5\n");
    const double tau = 0.75, y = 0.25;
    const double liq_sum = 0.5 * y - 0.25 * y * y, gas_sum = -1.5 * y * y * y;
    const double liq_frac3 = 0.5 * std::cbrt(y) - 0.25 * std::cbrt(y * y);
    const double gas_frac6 = -1.5 * std::sqrt(y);
    const struct {
        int form;
        double liq, gas;
    } cases[] = {
        {1, std::exp(liq_sum), std::exp(gas_sum)},
        {2, liq_sum, gas_sum},
        {3, std::exp(liq_sum / tau), std::exp(gas_sum / tau)},
        {11, 1 + liq_frac3, 1 + (-1.5 * y)},
        {12, std::exp(liq_frac3 * 0 + 0.5 * std::pow(y, 1.0 / 6) - 0.25 * std::cbrt(y)), std::exp(gas_frac6)},
    };
    for (const auto& k : cases) {
        const std::string id = std::to_string(k.form);
        const const_list c = config("sat_line=sat_line.txt\nsat_rho=500\nrho_div=250\nsat_liq_id=" + id +
                                    "\nsat_gas_id=" + id + "\n");
        double w1 = 0, w2 = 0;
        calc_omega_sat(c, tau, w1, w2);
        EXPECT_NEAR(w1, 2 * k.liq, 1e-14) << "form " << k.form;
        EXPECT_NEAR(w2, 2 * k.gas, 1e-14) << "form " << k.form;
    }
    const std::string where = "' в файле " + config_path();
    double w1 = 0, w2 = 0;
    EXPECT_EQ(error_of([&] { calc_omega_sat(config("sat_liq_id=4\nsat_gas_id=1\n"), tau, w1, w2); }),
              "Недопустимое значение sat_liq_id = '4" + where);
    EXPECT_EQ(error_of([&] { calc_omega_sat(config("sat_liq_id=1\nsat_gas_id=0\n"), tau, w1, w2); }),
              "Недопустимое значение sat_gas_id = '0" + where);
}

}  // namespace
