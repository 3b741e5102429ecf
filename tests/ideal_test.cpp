// The ideal-gas part: the power convention, the polynomials, the tabulated
// heat capacity, the four Helmholtz forms against their term formulas and
// published values, and the ideal-gas property set.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "engine/base/fpu.h"
#include "engine/model/ideal.h"
#include "engine/base/polynomial.h"
#include "legacy/record.h"
#include "test_support.h"

namespace d = vantrel::detail;

namespace {

// The message a computation ends with, "" when none: its result passes the
// floating-point check as a request's would.
std::string outcome(const std::function<double()>& f) {
    d::clear_fp();
    try {
        volatile double v = f();
        (void)v;
        d::check_fp();
    } catch (const std::runtime_error& e) {
        return test::russian(e);
    }
    return "";
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
        {2, -1074, 4.9406564584124654e-324},                      // a reciprocal that only underflows
    };
    for (const auto& c : cases) {
        double v = 0;
        EXPECT_EQ(outcome([&] { return v = d::power(c.x, c.y); }), "") << c.x << "^" << c.y;
        EXPECT_NEAR(v, c.expected, 1e-14 * std::fabs(c.expected)) << c.x << "^" << c.y;
    }
    const struct {
        double x, y;
        const char* fault;
    } faults[] = {
        {0, -1, "Division by zero"},
        {0, -2.5, "Division by zero"},
        {-2, 0.5, "Invalid floating point operation"},
        {-2, 3e9, "Invalid floating point operation"},
        {10, 400, "Floating point overflow"},
        {10, -400, ""},  // underflow passes
    };
    for (const auto& c : faults) EXPECT_EQ(outcome([&] { return d::power(c.x, c.y); }), c.fault) << c.x << "^" << c.y;
}

TEST(Polynomials, TemperaturePolynomialCases) {
    const struct {
        d::table table;
        double tau, b;
        bool rounding;
        double expected;
    } cases[] = {
        {{}, 2, 0.5, false, 0.5 * std::log(2.0)},
        {{}, 0, 3, false, 0},  // no logarithmic term at tau <= 0
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
        EXPECT_EQ(outcome([&] { return v = d::t_polynom(c.table, c.tau, c.b, c.rounding); }), "");
        EXPECT_NEAR(v, c.expected, 1e-14 * std::fabs(c.expected) + 1e-300);
    }
    EXPECT_EQ(outcome([] { return d::t_polynom({{2.4, 1}}, -2, 0, false); }), "Invalid floating point operation");
    EXPECT_EQ(outcome([] { return d::t_polynom({{-1, 1}}, 0, 0, false); }), "Division by zero");
    // With fractional exponents: exponent / b.
    EXPECT_EQ(d::frac_polynom({}, 8, 3), 0);
    EXPECT_NEAR(d::frac_polynom({{1, 2}}, 8, 3), 4, 1e-14);
    EXPECT_NEAR(d::frac_polynom({{1, 2}, {2, 1}}, 8, 3), 4 + 4, 1e-14);
    EXPECT_NEAR(d::frac_polynom({{3, 1}}, 0.25, 6), 0.5, 1e-15);
    EXPECT_EQ(outcome([] { return d::frac_polynom({{1, 2}}, 8, 0); }), "Division by zero");
}

TEST(TabulatedHeatCapacity, EnthalpyAndEntropy) {
    const double tau = 1.7;
    const struct {
        d::table table;
        double h, s;  // at tau, with h_0 = 0.3, h_0_0 = 0.2, s_0 = 0.4, s_0_0 = 0.1
    } cases[] = {
        {{}, 0.2 + 0.3 / tau, 0.5},
        {{{0, 1}}, 0.2 + (0.3 + tau - 1) / tau, 0.5 + std::log(tau)},
        {{{-1, 1}}, 0.2 + (0.3 + std::log(tau)) / tau, 0.5 + (1 - 1 / tau)},
        {{{2, 3}}, 0.2 + (0.3 + (tau * tau * tau - 1)) / tau, 0.5 + 1.5 * (tau * tau - 1)},
        // An exponent 2.5 is integrated as 2 (halves to even).
        {{{2.5, 3}}, 0.2 + (0.3 + (tau * tau * tau - 1)) / tau, 0.5 + 1.5 * (tau * tau - 1)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(d::cp_table_enthalpy(c.table, tau, 0.3, 0.2), c.h, 1e-14);
        EXPECT_NEAR(d::cp_table_entropy(c.table, tau, 0.4, 0.1), c.s, 1e-14);
        // At tau = 1 only the constants remain.
        EXPECT_NEAR(d::cp_table_enthalpy(c.table, 1, 0.3, 0.2), 0.5, 1e-15);
        EXPECT_NEAR(d::cp_table_entropy(c.table, 1, 0.4, 0.1), 0.5, 1e-15);
    }
    EXPECT_EQ(outcome([] { return d::cp_table_entropy({{0, 1}}, 0, 0, 0); }), "Division by zero");
    EXPECT_EQ(outcome([] { return d::cp_table_entropy({{0, 1}}, -1, 0, 0); }), "Invalid floating point operation");
}

TEST(HelmholtzForms, TermByTerm) {
    const double tau = 0.8, th = 1 / tau, t_c = 2;
    const double a1 = 0.7, a2 = -1.3, a3 = 2.1;
    const d::reduced_caloric base{1 + a3, 1 + a3 + a2 * th, (a3 + a2 * th) - (a1 + a2 * th + a3 * std::log(th))};
    const auto exp_term = [&](double g, double a) {
        const double e = std::exp(-g * th), q = g * th / (1 - e);
        return d::reduced_caloric{a * e * q * q, a * e * q, a * e * q - a * std::log(1 - e)};
    };
    const auto pow_term = [&](double g, double a) {
        const double p = std::pow(th, g);
        return d::reduced_caloric{(1 - g) * g * a * p, g * a * p, g * a * p - a * p};
    };
    const auto sinh_term = [&](double g, double a) {
        const double x = g * th;
        return d::reduced_caloric{a * std::pow(x / std::sinh(x), 2), a * x / std::tanh(x),
                                  a * x / std::tanh(x) - a * std::log(std::sinh(x))};
    };
    const auto cosh_term = [&](double g, double a) {
        const double x = g * th;
        return d::reduced_caloric{a * std::pow(x / std::cosh(x), 2), -a * x * std::tanh(x),
                                  -a * x * std::tanh(x) + a * std::log(std::cosh(x))};
    };
    const d::reduced_caloric none{0, 0, 0};
    const struct {
        const char* type;
        const char* exp_dim;
        d::table table;
        d::reduced_caloric term;
    } cases[] = {
        {"f_exp", "1", {}, none},
        {"f_exp", "1", {{1.5, 0.6}}, exp_term(1.5, 0.6)},
        {"f_exp", "T_c", {{3, 0.6}}, exp_term(1.5, 0.6)},  // kelvin divided by t_c
        {"f_pol", "1", {{-0.25, 0.6}}, pow_term(-0.25, 0.6)},
        {"f_pol", "T_c", {{2, 0.6}}, pow_term(2, 0.6)},  // never divided
        {"f_comb", "1", {{1, -0.25, 0.6}}, pow_term(-0.25, 0.6)},
        {"f_comb", "1", {{2, 1.5, 0.6}}, exp_term(1.5, 0.6)},
        {"f_comb", "T_c", {{2, 1.5, 0.6}}, exp_term(1.5, 0.6)},  // never divided
        {"f_comb", "1", {{3, 1.5, 0.6}}, none},                  // unknown kind
        {"f_comb", "1", {{0, 1.5, 0.6}}, none},
        {"f_hyp", "1", {{1, 1.5, 0.6}}, sinh_term(1.5, 0.6)},
        {"f_hyp", "1", {{2, 1.5, 0.6}}, cosh_term(1.5, 0.6)},
        {"f_hyp", "T_c", {{1, 3, 0.6}}, sinh_term(1.5, 0.6)},
        {"f_hyp", "1", {{3, 1.5, 0.6}}, none},
    };
    for (const auto& c : cases) {
        const d::reduced_caloric r = d::helmholtz_ideal(c.table, c.type, c.exp_dim, tau, t_c, a1, a2, a3);
        const std::string what = std::string(c.type) + " " + c.exp_dim;
        EXPECT_NEAR(r.cp, base.cp + c.term.cp, 1e-13) << what;
        EXPECT_NEAR(r.h, base.h + c.term.h, 1e-13) << what;
        EXPECT_NEAR(r.s, base.s + c.term.s, 1e-13) << what;
    }
    const struct {
        const char* type;
        const char* exp_dim;
        d::table table;
        double t_c;
        const char* fault;
    } faults[] = {
        {"f_exp", "1", {{-1, 0.6}}, 1, "Invalid floating point operation"},
        {"f_exp", "1", {{0, 0.6}}, 1, "Invalid floating point operation"},  // 0/0
        {"f_exp", "T_c", {{1, 0.6}}, 0, "Division by zero"},
        {"f_hyp", "1", {{1, -1, 0.6}}, 1, "Invalid floating point operation"},
    };
    for (const auto& c : faults)
        EXPECT_EQ(outcome([&] { return d::helmholtz_ideal(c.table, c.type, c.exp_dim, 1, c.t_c, 0, 0, 0).s; }), c.fault)
            << c.type;
}

// The ideal part of IAPWS-95 is the "f_exp" form; the release's Table 6 gives
// phi0 and its tau derivatives at T = 500 K, rho = 838.025 kg/m3
// (14-digit values, IAPWS-95 editorial version 2008).
TEST(HelmholtzForms, WaterIdealPartReproducesIapws95Table6) {
    const d::table gamma_n{{1.28728967, 0.012436}, {3.53734222, 0.97315}, {7.74073708, 1.2795},
                           {9.24437796, 0.96956},  {27.5075105, 0.24873}};
    const double tc = 647.096, t = 500, tau_i = tc / t, delta = 838.025 / 322;
    const double phi0 = 0.20479773347960e1, phi0_t = 0.90461110617524e1, phi0_tt = -0.193249185013052e1;
    const d::reduced_caloric r =
        d::helmholtz_ideal(gamma_n, "f_exp", "1", t / tc, tc, -8.3204464837497, 6.6832105275932, 3.00632);
    EXPECT_LT(test::rel(r.cp, 1 - tau_i * tau_i * phi0_tt), 1e-9);
    EXPECT_LT(test::rel(r.h, 1 + tau_i * phi0_t), 1e-9);
    EXPECT_LT(test::rel(r.s, tau_i * phi0_t - (phi0 - std::log(delta))), 1e-9);
}

// R507A, ideal part of Lemmon's pseudo-pure equation (2003) with the IIR
// offsets: the "f_comb" form. Reference values: phi0 and its derivatives
// evaluated independently with mpmath (40 digits, numerical differentiation).
TEST(HelmholtzForms, R507AIdealPartAgreesWithAnIndependentEvaluation) {
    const d::table terms{{1, -0.25, -21.6054}, {2, 1.05886, 0.95006}, {2, 2.37081, 4.1887}, {2, 5.14305, 5.5184}};
    const double a1 = 9.93541 - 0.000171976752843711, a2 = 7.9985 - 1.94367029874932e-05;
    const struct {
        double t, cp, h, s;
    } cases[] = {
        {300, 10.241470898397624, 15.768642834251581, 17.323241440248421},
        {200, 7.9083622431503879, 19.101746669463771, 14.069927336047219},
        {450, 13.074447804833277, 14.422178042108723, 21.63469232718655},
    };
    for (const auto& c : cases) {
        const d::reduced_caloric r = d::helmholtz_ideal(terms, "f_comb", "1", c.t / 343.765, 343.765, a1, a2, -1);
        EXPECT_LT(test::rel(r.cp, c.cp), 1e-9) << c.t;
        EXPECT_LT(test::rel(r.h, c.h), 1e-9) << c.t;
        EXPECT_LT(test::rel(r.s, c.s), 1e-9) << c.t;
    }
}

// A model of R = 287 J/(kg K), k_term = 100 K, in the form and unit given.
d::ideal_model model(d::table rows, const std::string& type_calc = "Cp", const std::string& type_prop = "R",
                     double mu = 8314.472 / 287, double h_0 = 0, double s_0 = 0, double h_0_0 = 0, double s_0_0 = 0,
                     double c_0 = 0) {
    const d::ideal_config c{type_calc, type_prop, "1", 100, c_0, h_0, s_0, h_0_0, s_0_0};
    return d::ideal_model(c, 287, mu, std::move(rows), "config.txt", "c_p.txt");
}

legacy::properties ideal_gas(const d::ideal_model& m, double T, double p, double rho_cr = 0) {
    legacy::properties q;
    legacy::add_ideal_gas(m, {287, 8314.472 / 287, rho_cr, m.helmholtz()}, T, p, q);
    return q;
}

TEST(IdealGasPropertySet, TabulatedConstantHeatCapacity) {
    const double R = 287;
    const legacy::properties p = ideal_gas(model({{0, 2.5}}), 200, 101325);
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
    const legacy::properties twice = ideal_gas(model({{0, 2.5}}), 200, 2 * 101325);
    EXPECT_NEAR(twice.s, p.s - R * std::log(2.0), 1e-10);
    EXPECT_DOUBLE_EQ(twice.s_0, p.s_0);
    // Absolute offsets of the tabulated form.
    const legacy::properties offset = ideal_gas(model({{0, 2.5}}, "Cp", "R", 8314.472 / 287, 0, 0, 5000, 30), 100, 101325);
    EXPECT_NEAR(offset.h, 5000, 1e-9);
    EXPECT_NEAR(offset.s, 30, 1e-12);
}

TEST(IdealGasPropertySet, HeatCapacityUnits) {
    const d::table rows{{0, 2500}, {1, 500}};
    const auto at = [&](const std::string& unit, double mu) {
        return ideal_gas(model(rows, "Cp", unit, mu, 0.2, 0.1), 250, 2e5);
    };
    const legacy::properties r = at("R", 29), j = at("J", 29), kj = at("kJ", 29), mu = at("mu", 2), mu1 = at("mu", 1);
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

TEST(IdealGasPropertySet, HelmholtzEntropyTermUsesTheCriticalDensity) {
    const double R = 287, t = 300, p_at_rho_cr = 3 * R * t;  // the ideal-gas density is then rho_cr = 3
    const d::ideal_model m = model({}, "f_pol", "R", 8314.472 / R, 0, 0, 0, 0, 1.5);
    const legacy::properties p = ideal_gas(m, t, p_at_rho_cr, 3);
    EXPECT_NEAR(p.s, p.s_0, 1e-12);
    EXPECT_NEAR(ideal_gas(m, t, 2 * p_at_rho_cr, 3).s, p.s_0 - R * std::log(2.0), 1e-10);
}

TEST(IdealGasPropertySet, FormsUnitsAndRowsThatAreRefused) {
    const struct {
        std::function<void()> make;
        std::string message;
    } cases[] = {
        {[] { model({{0, 2.5}}, "cp"); }, test::msg::bad_value("type_calc", "cp", "config.txt")},
        {[] { model({{0, 2.5}}, ""); }, test::msg::bad_value("type_calc", "", "config.txt")},
        {[] { model({{0, 2.5}}, "Cp", "kj"); }, test::msg::bad_value("type_prop", "kj", "config.txt")},
        {[] { model({{1, 0.6}}, "f_comb"); }, test::msg::unreadable("c_p.txt")},
        {[] { model({{1, 0.6}}, "f_hyp"); }, test::msg::unreadable("c_p.txt")},
        {[] { model({{1}}, "f_pol"); }, test::msg::unreadable("c_p.txt")},
        {[] { model({{1}}); }, test::msg::unreadable("c_p.txt")},
    };
    for (const auto& c : cases) EXPECT_EQ(test::error_of(c.make), c.message);
}

TEST(IdealGasPropertySet, StateFaults) {
    const d::ideal_model m = model({{0, 2.5}});
    EXPECT_EQ(outcome([&] { return ideal_gas(m, 300, 0).s; }), "Division by zero");
    // T = 0: h_0_0 / (T R) is 0/0 before any division of a non-zero value.
    EXPECT_EQ(outcome([&] { return ideal_gas(m, 0, 1e5).s; }), "Invalid floating point operation");
    EXPECT_EQ(outcome([&] { return ideal_gas(model({{0, 1}}), 300, 1e5).k; }), "Division by zero");  // c_p = R
}

}  // namespace
