// Ideal-gas model: the power convention, the polynomials, the caloric forms
// and the ideal-gas property set.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>

#include "fp_check.h"
#include "ideal_gas.h"
#include "test_support.h"

namespace {

// Message of the error a computation ends with, "" when none: the computation
// result is passed through the floating-point check as a request would.
std::string outcome(const std::function<double()>& f) {
    fp_clear();
    try {
        volatile double v = f();
        (void)v;
        fp_check();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

void expect_rel(double actual, double expected, double tol, const std::string& what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

TEST(Power, FollowsTheConventionOnEveryBranch) {
    const struct {
        double x, y, expected;
    } cases[] = {
        {0, 0, 1},      {5, 0, 1},         {-3, 0, 1},       {0, 2, 0},           {0, 0.5, 0},
        {2, 3, 8},      {2, -2, 0.25},     {-2, 3, -8},      {-3, 2, 9},          {-2, -3, -0.125},
        {1.5, 1, 1.5},  {10, 6, 1e6},      {3, 13, 1594323}, {2, 0.5, std::sqrt(2.0)},
        {8, 1.0 / 3, 2}, {0.5, -0.25, std::pow(0.5, -0.25)},
        {1.0000001, 3e9, std::exp(3e9 * std::log(1.0000001))},  // integral but beyond 32 bits: exp/log
    };
    for (const auto& c : cases) {
        double v = 0;
        EXPECT_EQ(outcome([&] { return v = power(c.x, c.y); }), "") << c.x << "^" << c.y;
        EXPECT_NEAR(v, c.expected, 1e-14 * std::fabs(c.expected)) << c.x << "^" << c.y;
    }
}

TEST(Power, FaultsEndWithTheirMessage) {
    EXPECT_EQ(outcome([] { return power(0, -1); }), "Division by zero");
    EXPECT_EQ(outcome([] { return power(0, -2.5); }), "Division by zero");
    EXPECT_EQ(outcome([] { return power(-2, 0.5); }), "Invalid floating point operation");
    EXPECT_EQ(outcome([] { return power(-2, 3e9); }), "Invalid floating point operation");
    EXPECT_EQ(outcome([] { return power(10, 400); }), "Floating point overflow");
    EXPECT_EQ(outcome([] { return power(10, -400); }), "");  // underflow passes
}

TEST(Polynomials, TemperaturePolynomialCases) {
    const struct {
        two_d_array table;
        double tau, b;
        bool rounding;
        double expected;
    } cases[] = {
        {{}, 2, 0.5, false, 0.5 * std::log(2.0)},
        {{}, 0, 3, false, 0},      // no logarithmic term at tau <= 0
        {{}, -1, 3, false, 0},
        {{{0, 7}}, 0, 0, false, 7},  // exponent 0 at tau 0
        {{{1, 3}, {2, 4}}, 0, 0, false, 0},
        {{{2, 5}}, -3, 0, false, 45},
        {{{2, 5}}, -3, 0, true, 45},
        {{{3, 1}}, -2, 0, false, -8},
        {{{3, 1}}, -2, 0, true, -8},
        {{{2.4, 1}}, -2, 0, true, 4},  // rounded to 2
        {{{2.5, 1}}, 2, 0, true, 4},   // halves to the even neighbour
        {{{3.5, 1}}, 2, 0, true, 16},
        {{{2.5, 1}}, 4, 0, false, 32},
        {{{1, 2, 99}, {-1, 3, 99}}, 2, 1, false, 4 + 1.5 + std::log(2.0)},  // further columns not read
    };
    for (const auto& c : cases) {
        double v = 0;
        EXPECT_EQ(outcome([&] { return v = calc_t_polynom(c.table, c.tau, c.b, c.rounding); }), "");
        EXPECT_NEAR(v, c.expected, 1e-14 * std::fabs(c.expected) + 1e-300);
    }
    EXPECT_EQ(outcome([] { return calc_t_polynom(two_d_array{{2.4, 1}}, -2, 0, false); }),
              "Invalid floating point operation");
    EXPECT_EQ(outcome([] { return calc_t_polynom(two_d_array{{-1, 1}}, 0, 0, false); }), "Division by zero");
}

TEST(Polynomials, FractionalPolynomialCases) {
    EXPECT_EQ(calc_frac_polynom({}, 8, 3), 0);
    EXPECT_NEAR(calc_frac_polynom({{1, 2}}, 8, 3), 4, 1e-14);
    EXPECT_NEAR(calc_frac_polynom({{1, 2}, {2, 1}}, 8, 3), 4 + 4, 1e-14);
    EXPECT_NEAR(calc_frac_polynom({{3, 1}}, 0.25, 6), 0.5, 1e-15);
    EXPECT_EQ(outcome([] { return calc_frac_polynom({{1, 2}}, 8, 0); }), "Division by zero");
}

class FluidFiles : public ::testing::Test {
protected:
    test::temp_dir dir;
    test::scoped_cwd cwd{dir.path};
    const str_arr names{"F", "c_p.txt"};
    FluidFiles() { fp_clear(); }
    void cp(const std::string& content) { test::write_fluid_file(dir.path, "F", "c_p.txt", content); }
    std::string cp_path() const { return (dir.path / "data" / "F" / "c_p.txt").string(); }
};

TEST_F(FluidFiles, TabulatedEnthalpyAndEntropy) {
    const double tau = 1.7;
    const struct {
        const char* table;
        double h, s;  // at tau, with h_0 = 0.3, h_0_0 = 0.2, s_0 = 0.4, s_0_0 = 0.1
    } cases[] = {
        {"0 2 0\n", 0.2 + 0.3 / tau, 0.5},
        {"1 2 0\n0 1\n", 0.2 + (0.3 + tau - 1) / tau, 0.5 + std::log(tau)},
        {"1 2 0\n-1 1\n", 0.2 + (0.3 + std::log(tau)) / tau, 0.5 + (1 - 1 / tau)},
        {"1 2 0\n2 3\n", 0.2 + (0.3 + (tau * tau * tau - 1)) / tau, 0.5 + 1.5 * (tau * tau - 1)},
        // An exponent 2.5 is integrated as 2 (halves to even).
        {"1 2 0\n2.5 3\n", 0.2 + (0.3 + (tau * tau * tau - 1)) / tau, 0.5 + 1.5 * (tau * tau - 1)},
    };
    for (const auto& c : cases) {
        cp(c.table);
        EXPECT_NEAR(calc_ideal_enthalpy(names, tau, 0.3, 0.2), c.h, 1e-14) << c.table;
        EXPECT_NEAR(calc_ideal_entropy(names, tau, 0.4, 0.1), c.s, 1e-14) << c.table;
        // At tau = 1 only the constants remain.
        EXPECT_NEAR(calc_ideal_enthalpy(names, 1, 0.3, 0.2), 0.5, 1e-15) << c.table;
        EXPECT_NEAR(calc_ideal_entropy(names, 1, 0.4, 0.1), 0.5, 1e-15) << c.table;
    }
    cp("1 2 0\n0 1\n");
    EXPECT_EQ(outcome([&] { return calc_ideal_entropy(names, 0, 0, 0); }), "Division by zero");
    EXPECT_EQ(outcome([&] { return calc_ideal_entropy(names, -1, 0, 0); }), "Invalid floating point operation");
}

struct caloric {
    double c_p, h, s;
};

caloric helmholtz(const str_arr& names, const std::string& type, const std::string& exp_dim, double tau, double t_c,
                  double a_1, double a_2, double a_3) {
    caloric r{};
    ideal_caloric_exp(names, type, exp_dim, tau, t_c, a_1, a_2, a_3, r.c_p, r.h, r.s);
    return r;
}

TEST_F(FluidFiles, HelmholtzFormsTermByTerm) {
    const double tau = 0.8, th = 1 / tau, t_c = 2;
    const double a1 = 0.7, a2 = -1.3, a3 = 2.1;
    const caloric base{1 + a3, 1 + a3 + a2 * th, (a3 + a2 * th) - (a1 + a2 * th + a3 * std::log(th))};
    const auto exp_term = [&](double g, double a) {
        const double e = std::exp(-g * th), d = g * th / (1 - e);
        return caloric{a * e * d * d, a * e * d, a * e * d - a * std::log(1 - e)};
    };
    const auto pow_term = [&](double g, double a) {
        const double p = std::pow(th, g);
        return caloric{(1 - g) * g * a * p, g * a * p, g * a * p - a * p};
    };
    const auto sinh_term = [&](double g, double a) {
        const double x = g * th;
        return caloric{a * std::pow(x / std::sinh(x), 2), a * x / std::tanh(x),
                       a * x / std::tanh(x) - a * std::log(std::sinh(x))};
    };
    const auto cosh_term = [&](double g, double a) {
        const double x = g * th;
        return caloric{a * std::pow(x / std::cosh(x), 2), -a * x * std::tanh(x),
                       -a * x * std::tanh(x) + a * std::log(std::cosh(x))};
    };
    const caloric none{0, 0, 0};
    const struct {
        const char* type;
        const char* exp_dim;
        const char* table;
        caloric term;
    } cases[] = {
        {"f_exp", "1", "0 2 0\n", none},
        {"f_exp", "1", "1 2 0\n1.5 0.6\n", exp_term(1.5, 0.6)},
        {"f_exp", "T_c", "1 2 0\n3 0.6\n", exp_term(1.5, 0.6)},  // kelvin divided by t_c
        {"f_pol", "1", "1 2 0\n-0.25 0.6\n", pow_term(-0.25, 0.6)},
        {"f_pol", "T_c", "1 2 0\n2 0.6\n", pow_term(2, 0.6)},  // never divided
        {"f_comb", "1", "1 3 0\n1 -0.25 0.6\n", pow_term(-0.25, 0.6)},
        {"f_comb", "1", "1 3 0\n2 1.5 0.6\n", exp_term(1.5, 0.6)},
        {"f_comb", "T_c", "1 3 0\n2 1.5 0.6\n", exp_term(1.5, 0.6)},  // never divided
        {"f_comb", "1", "1 3 0\n3 1.5 0.6\n", none},                  // unknown kind
        {"f_comb", "1", "1 3 0\n0 1.5 0.6\n", none},
        {"f_hyp", "1", "1 3 0\n1 1.5 0.6\n", sinh_term(1.5, 0.6)},
        {"f_hyp", "1", "1 3 0\n2 1.5 0.6\n", cosh_term(1.5, 0.6)},
        {"f_hyp", "T_c", "1 3 0\n1 3 0.6\n", sinh_term(1.5, 0.6)},
        {"f_hyp", "1", "1 3 0\n3 1.5 0.6\n", none},
    };
    for (const auto& c : cases) {
        cp(c.table);
        const caloric r = helmholtz(names, c.type, c.exp_dim, tau, t_c, a1, a2, a3);
        const std::string what = std::string(c.type) + " " + c.exp_dim + " " + c.table;
        EXPECT_NEAR(r.c_p, base.c_p + c.term.c_p, 1e-13) << what;
        EXPECT_NEAR(r.h, base.h + c.term.h, 1e-13) << what;
        EXPECT_NEAR(r.s, base.s + c.term.s, 1e-13) << what;
    }
}

TEST_F(FluidFiles, HelmholtzFormFaults) {
    cp("1 2 0\n-1 0.6\n");
    EXPECT_EQ(outcome([&] { return helmholtz(names, "f_exp", "1", 1, 1, 0, 0, 0).s; }),
              "Invalid floating point operation");
    cp("1 2 0\n0 0.6\n");
    EXPECT_EQ(outcome([&] { return helmholtz(names, "f_exp", "1", 1, 1, 0, 0, 0).s; }),
              "Invalid floating point operation");  // 0/0
    cp("1 2 0\n1 0.6\n");
    EXPECT_EQ(outcome([&] { return helmholtz(names, "f_exp", "T_c", 1, 0, 0, 0, 0).s; }), "Division by zero");
    cp("1 3 0\n1 -1 0.6\n");
    EXPECT_EQ(outcome([&] { return helmholtz(names, "f_hyp", "1", 1, 1, 0, 0, 0).s; }),
              "Invalid floating point operation");
}

TEST_F(FluidFiles, ShortRowsAreAReadErrorOfTheirFile) {
    cp("1 2 0\n1 0.6\n");
    const std::string message = "При чтении файла " + cp_path() + " произошла ошибка. Проверьте синтаксис файла.";
    for (const char* type : {"f_comb", "f_hyp"}) {
        try {
            helmholtz(names, type, "1", 1, 1, 0, 0, 0);
            ADD_FAILURE() << type;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), message) << type;
        }
    }
    cp("1 1 0\n1\n");
    EXPECT_THROW(calc_ideal_enthalpy(names, 1, 0, 0), std::runtime_error);
    EXPECT_THROW(helmholtz(names, "f_pol", "1", 1, 1, 0, 0, 0), std::runtime_error);
}

// The ideal part of IAPWS-95 is the "f_exp" form; the release's Table 6 gives
// phi0 and its tau derivatives at T = 500 K, rho = 838.025 kg/m3
// (14-digit values, IAPWS-95 editorial version 2008).
TEST_F(FluidFiles, WaterIdealPartReproducesIapws95Table6) {
    cp("5 2 0 gamma_i, n_i of IAPWS-95\n"
       "1.28728967 0.012436\n3.53734222 0.97315\n7.74073708 1.2795\n9.24437796 0.96956\n27.5075105 0.24873\n");
    const double tc = 647.096, t = 500, tau_i = tc / t, delta = 838.025 / 322;
    const double phi0 = 0.20479773347960e1, phi0_t = 0.90461110617524e1, phi0_tt = -0.193249185013052e1;
    const caloric r = helmholtz(names, "f_exp", "1", t / tc, tc, -8.3204464837497, 6.6832105275932, 3.00632);
    expect_rel(r.c_p, 1 - tau_i * tau_i * phi0_tt, 1e-9, "c_p/R");
    expect_rel(r.h, 1 + tau_i * phi0_t, 1e-9, "h/RT");
    expect_rel(r.s, tau_i * phi0_t - (phi0 - std::log(delta)), 1e-9, "s/R");
}

// R507A, ideal part of Lemmon's pseudo-pure equation (2003) with the IIR
// offsets: the "f_comb" form. Reference values: phi0 and its derivatives
// evaluated independently with mpmath (40 digits, numerical differentiation).
TEST_F(FluidFiles, R507AIdealPartAgreesWithAnIndependentEvaluation) {
    cp("4 3 0 kind, exponent or characteristic value, coefficient\n"
       "1 -0.25 -21.6054\n2 1.05886 0.95006\n2 2.37081 4.1887\n2 5.14305 5.5184\n");
    const double a1 = 9.93541 - 0.000171976752843711, a2 = 7.9985 - 1.94367029874932e-05;
    const struct {
        double t, c_p, h, s;
    } cases[] = {
        {300, 10.241470898397624, 15.768642834251581, 17.323241440248421},
        {200, 7.9083622431503879, 19.101746669463771, 14.069927336047219},
        {450, 13.074447804833277, 14.422178042108723, 21.63469232718655},
    };
    for (const auto& c : cases) {
        const caloric r = helmholtz(names, "f_comb", "1", c.t / 343.765, 343.765, a1, a2, -1);
        expect_rel(r.c_p, c.c_p, 1e-9, "c_p/R");
        expect_rel(r.h, c.h, 1e-9, "h/RT");
        expect_rel(r.s, c.s, 1e-9, "s/R");
    }
}

class IdealProps : public FluidFiles {
protected:
    void config(const std::string& extra) {
        test::write_fluid_file(dir.path, "F", "config.txt",
                               "[base_const]\nR=287\n[conf_ideal]\nk_term=100\n" + extra);
    }
};

TEST_F(IdealProps, TabulatedConstantHeatCapacity) {
    config("type_calc=Cp\ntype_prop=R\n");
    cp("1 2 0\n0 2.5\n");
    const double R = 287;
    prop_list p;
    calc_ideal_props("F", 200, 101325, p, "real");
    EXPECT_DOUBLE_EQ(p.t, 200);
    EXPECT_DOUBLE_EQ(p.p, 101325);
    EXPECT_DOUBLE_EQ(p.r, R);
    EXPECT_DOUBLE_EQ(p.mu, 8314.472 / R);
    EXPECT_DOUBLE_EQ(p.z, 1);
    EXPECT_DOUBLE_EQ(p.c_p, 2.5 * R);
    EXPECT_DOUBLE_EQ(p.h, 1.25 * R * 200);
    EXPECT_DOUBLE_EQ(p.s, 2.5 * R * std::log(2.0));
    EXPECT_DOUBLE_EQ(p.s_0, 2.5 * R * std::log(2.0));
    EXPECT_DOUBLE_EQ(p.rho, 101325 / (R * 200));
    EXPECT_DOUBLE_EQ(p.c_v, 1.5 * R);
    EXPECT_DOUBLE_EQ(p.k, 2.5 / 1.5);
    EXPECT_DOUBLE_EQ(p.c, std::sqrt(200 * R * 2.5 / 1.5));
    EXPECT_EQ(p.fug, 0);  // not an ideal-gas field

    prop_list twice;
    calc_ideal_props("F", 200, 2 * 101325, twice, "real");
    EXPECT_NEAR(twice.s, p.s - R * std::log(2.0), 1e-10);
    EXPECT_DOUBLE_EQ(twice.s_0, p.s_0);
}

TEST_F(IdealProps, HeatCapacityUnits) {
    cp("2 2 0\n0 2500\n1 500\n");
    const auto props = [&](const std::string& unit, const std::string& mu) {
        test::write_fluid_file(dir.path, "F", "config.txt",
                               "[base_const]\nR=287\nmu=" + mu + "\n[conf_ideal]\nk_term=100\nh_0=0.2\ns_0=0.1\n"
                               "type_prop=" + unit + "\n");
        prop_list p;
        calc_ideal_props("F", 250, 2e5, p, "real");
        return p;
    };
    const prop_list r = props("R", "29"), j = props("J", "29"), kj = props("kJ", "29"), mu = props("mu", "2"),
                    mu1 = props("mu", "1");
    EXPECT_NEAR(j.c_p, 2500 + 500 * 2.5, 1e-9);
    EXPECT_NEAR(r.c_p, 287 * j.c_p, 1e-6);
    EXPECT_NEAR(kj.c_p, 1000 * j.c_p, 1e-6);
    EXPECT_NEAR(kj.h, 1000 * j.h, 1e-3);
    EXPECT_NEAR(kj.s_0, 1000 * j.s_0, 1e-6);
    EXPECT_NEAR(mu.c_p, kj.c_p / 2, 1e-6);
    EXPECT_NEAR(mu1.h, kj.h, 1e-3);
    // h = k T ((h_0 - sum a/(j+1)) / tau + sum a/(j+1) tau^j), tau = 2.5
    EXPECT_NEAR(j.h, 250 * ((0.2 - 2500 - 250) / 2.5 + 2500 + 250 * 2.5), 1e-7);
}

TEST_F(IdealProps, AbsoluteOffsetsOfTheTabulatedForm) {
    config("h_0_0=5000\ns_0_0=30\n");
    cp("1 2 0\n0 2.5\n");
    prop_list p;
    calc_ideal_props("F", 100, 101325, p, "real");
    EXPECT_NEAR(p.h, 5000, 1e-9);
    EXPECT_NEAR(p.s, 30, 1e-12);
}

TEST_F(IdealProps, HelmholtzEntropyTermUsesTheCriticalDensity) {
    config("type_calc=f_pol\nc_0=1.5\n[conf_real]\nrho_cr=3\n");
    cp("0 2 0\n");
    const double R = 287, t = 300;
    const double p_at_rho_cr = 3 * R * t;  // the ideal-gas density is then rho_cr
    prop_list p;
    calc_ideal_props("F", t, p_at_rho_cr, p, "real");
    EXPECT_NEAR(p.s, p.s_0, 1e-12);
    prop_list q;
    calc_ideal_props("F", t, 2 * p_at_rho_cr, q, "real");
    EXPECT_NEAR(q.s, p.s_0 - R * std::log(2.0), 1e-10);
}

TEST_F(IdealProps, UnknownFormsAndUnitsAreRejected) {
    cp("1 2 0\n0 2.5\n");
    const std::string where = " в файле " + (dir.path / "data" / "F" / "config.txt").string();
    const struct {
        const char* settings;
        std::string message;
    } cases[] = {
        {"type_calc=cp\n", "Недопустимое значение type_calc = 'cp'" + where},
        {"type_calc=\n", "Недопустимое значение type_calc = ''" + where},
        {"type_prop=kj\n", "Недопустимое значение type_prop = 'kj'" + where},
    };
    for (const auto& c : cases) {
        config(c.settings);
        prop_list p;
        try {
            calc_ideal_props("F", 300, 1e5, p, "real");
            ADD_FAILURE() << c.settings;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

TEST_F(IdealProps, StateFaults) {
    config("");
    cp("1 2 0\n0 2.5\n");
    prop_list p;
    EXPECT_EQ(outcome([&] { calc_ideal_props("F", 300, 0, p, "real"); return 0.0; }), "Division by zero");
    // t = 0: h_0_0 / (t R) is 0/0 before any division of a non-zero value.
    EXPECT_EQ(outcome([&] { calc_ideal_props("F", 0, 1e5, p, "real"); return 0.0; }),
              "Invalid floating point operation");
    cp("1 2 0\n0 1\n");  // c_p = R: c_v = 0
    EXPECT_EQ(outcome([&] { calc_ideal_props("F", 300, 1e5, p, "real"); return 0.0; }), "Division by zero");
}

}  // namespace
