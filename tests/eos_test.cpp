// Equation of state: the derivative vector against IAPWS-95 and finite
// differences, the pressure equation and the density solver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>

#include "density.h"
#include "eos.h"
#include "fp_check.h"
#include "read_files.h"
#include "test_support.h"
#include "water_fixture.h"

namespace {

const const_list NO_CONFIG{};

one_d_array derivs(const two_d_array& coef, double omega, double tau) {
    return calc_therm_derivatives_a(NO_CONFIG, coef, omega, tau);
}

TEST(Eos, SimpleTablesGiveTheirClosedForms) {
    EXPECT_EQ(derivs({}, 0.7, 1.3), one_d_array(6, 0.0));
    const double w = 0.7, t = 1.3, b = -0.4;
    // alpha_r = OMEGA
    const one_d_array a = derivs({{0, 1, 1, 0, 0, 0}}, w, t);
    const double expected_a[] = {w, 2 * w, w, w, -w, 0};
    // alpha_r = b OMEGA / TAU
    const one_d_array v = derivs({{0, b, 1, 1, 0, 0}}, w, t);
    const double expected_v[] = {b * w / t, 2 * b * w / t, 0, 2 * b * w / t, 0, 0};
    for (std::size_t i = 0; i < LEN_ACC; ++i) {
        EXPECT_NEAR(a[i], expected_a[i], 1e-15) << i;
        EXPECT_NEAR(v[i], expected_v[i], 1e-15) << i;
    }
}

// IAPWS-95, Table 6: phi_r and its derivatives at T = 500 K, rho = 838.025
// kg/m3 (14-digit values of the editorial version 2008).
TEST_F(Water, ResidualPartReproducesIapws95Table6) {
    ASSERT_EQ(coef.size(), 56u);
    const double d = 838.025 / 322, x = 647.096 / 500;
    const double phi = -0.34269320568156e1, phi_d = -0.36436665036388, phi_dd = 0.85606370097461,
                 phi_t = -0.58140343523842e1, phi_tt = -0.223440736884336e1, phi_dt = -0.11217691467031e1;
    const double expected[] = {d * phi_d,          2 * d * phi_d + d * d * phi_dd, d * phi_d - d * x * phi_dt,
                               d * phi_d + x * phi_t, x * phi_t - phi,               -x * x * phi_tt};
    const one_d_array a = derivs(coef, d, 500 / 647.096);
    for (std::size_t i = 0; i < LEN_ACC; ++i) EXPECT_NEAR(a[i], expected[i], 1e-9 * std::fabs(expected[i])) << i;
}

TEST_F(Water, ReorderingRowsChangesNothingBeyondRounding) {
    two_d_array shuffled = coef;
    std::mt19937 rng(42);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    for (const auto& [w, t] : {std::pair{2.6, 0.77}, {1.05, 1.01}, {0.01, 0.5}, {3.1, 1.6}}) {
        const one_d_array a = derivs(coef, w, t), b = derivs(shuffled, w, t);
        for (std::size_t i = 0; i < LEN_ACC; ++i)
            EXPECT_NEAR(a[i], b[i], 1e-12 * (1 + std::fabs(a[i]))) << w << " " << t << " " << i;
    }
}

// alpha_r of one row, written directly from the published term forms, in
// d = OMEGA and x = 1/TAU.
double alpha_of_row(const one_d_array& r, double d, double x) {
    const double base = r[1] * std::pow(d, r[2]) * std::pow(x, r[3]);
    if (r[0] == 0) return base * std::exp(r[4] * std::pow(d, r[5]));
    const double gauss = std::exp(-r[6] * (d - r[8]) * (d - r[8]) - r[7] * (x - r[9]) * (x - r[9]));
    if (r[0] == 1) return base * gauss;
    const double s2 = (d - 1) * (d - 1);
    const double theta = (1 - x) + r[13] * std::pow(s2, 1 / (2 * r[12]));
    const double delta = theta * theta + r[14] * std::pow(s2, r[11]);
    return base * std::pow(delta, r[10]) * gauss;
}

// The six elements from central finite differences of alpha_r with steps
// h and h/2, combined by Richardson extrapolation.
one_d_array finite_difference_elements(const std::function<double(double, double)>& alpha, double d, double x) {
    const auto elements = [&](double h) {
        const double hd = h * d, hx = h * x;
        const double a = alpha(d, x);
        const double a_d = (alpha(d + hd, x) - alpha(d - hd, x)) / (2 * hd);
        const double a_x = (alpha(d, x + hx) - alpha(d, x - hx)) / (2 * hx);
        const double a_dd = (alpha(d + hd, x) - 2 * a + alpha(d - hd, x)) / (hd * hd);
        const double a_xx = (alpha(d, x + hx) - 2 * a + alpha(d, x - hx)) / (hx * hx);
        const double a_dx = (alpha(d + hd, x + hx) - alpha(d + hd, x - hx) - alpha(d - hd, x + hx) +
                             alpha(d - hd, x - hx)) /
                            (4 * hd * hx);
        return one_d_array{d * a_d,         2 * d * a_d + d * d * a_dd, d * a_d - d * x * a_dx,
                           d * a_d + x * a_x, x * a_x - a,              -x * x * a_xx};
    };
    const one_d_array coarse = elements(2e-4), fine = elements(1e-4);
    one_d_array out(LEN_ACC);
    for (std::size_t i = 0; i < LEN_ACC; ++i) out[i] = (4 * fine[i] - coarse[i]) / 3;
    return out;
}

TEST(Eos, EveryElementAgreesWithFiniteDifferencesForEachKind) {
    const struct {
        const char* name;
        one_d_array row;
        double omega, tau;
    } cases[] = {
        {"kind 0 plain", {0, 0.7, 2, 1.5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.8, 0.9},
        {"kind 0 exponential", {0, -0.3, 3, 2.25, -1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1.3, 1.1},
        {"kind 0 exponential G = 1.5", {0, 0.2, 1, 0.5, -1.5, 1.5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.6, 0.7},
        {"kind 1", {1, -31.3, 3, 1, 0, 0, 20, 150, 1, 1.21, 0, 0, 0, 0, 0}, 1.1, 0.87},
        {"kind 1 off centre", {1, 2.5, 2, 0.5, 0, 0, 3, 5, 0.8, 1.1, 0, 0, 0, 0, 0}, 1.4, 0.8},
        {"kind 2", {2, -0.1487, 1, 0, 0, 0, 28, 700, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2}, 1.2, 1 / 1.05},
        {"kind 2 other side", {2, 0.318, 1, 0, 0, 0, 32, 800, 1, 1, 0.95, 3.5, 0.3, 0.32, 0.2}, 0.85, 1 / 0.97},
    };
    for (const auto& c : cases) {
        fp_clear();
        const one_d_array a = derivs({c.row}, c.omega, c.tau);
        EXPECT_NO_THROW(fp_check()) << c.name;
        const one_d_array fd = finite_difference_elements(
            [&](double d, double x) { return alpha_of_row(c.row, d, x); }, c.omega, 1 / c.tau);
        for (std::size_t i = 0; i < LEN_ACC; ++i)
            EXPECT_NEAR(a[i], fd[i], 1e-6 * (std::fabs(fd[i]) + 1e-3)) << c.name << " element " << i;
    }
}

TEST(Eos, NonAnalyticTermAtItsDensityCentreTakesTheLimit) {
    // At OMEGA = EPSILON = 1 the second density derivative comes from the
    // limit; element 1 = element 0 + OMEGA d(element 0)/dOMEGA there too.
    const one_d_array row{2, -0.1487, 1, 0, 0, 0, 28, 700, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2};
    const double tau = 1 / 1.05, h = 1e-6;
    fp_clear();
    const one_d_array at = derivs({row}, 1, tau);
    EXPECT_NO_THROW(fp_check());
    const double e0_slope = (derivs({row}, 1 + h, tau)[0] - derivs({row}, 1 - h, tau)[0]) / (2 * h);
    EXPECT_NEAR(at[1], at[0] + e0_slope, 1e-7 * std::fabs(at[1]));
    // Continuous with its neighbours.
    for (std::size_t i = 0; i < LEN_ACC; ++i) {
        const double beside = 0.5 * (derivs({row}, 1 + h, tau)[i] + derivs({row}, 1 - h, tau)[i]);
        EXPECT_NEAR(at[i], beside, 1e-7 * (std::fabs(at[i]) + 1e-6)) << i;
    }
}

TEST(Eos, NonAnalyticCutOffIsStrictlyAbove30) {
    // BETA (1/TAU - GAMMA)^2 with 1/TAU = 2, GAMMA = 1: exactly BETA.
    const auto row = [](double beta) {
        return one_d_array{2, 1, 1, 0, 0, 0, 1, beta, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2};
    };
    EXPECT_NE(derivs({row(30)}, 1.2, 0.5)[0], 0);
    EXPECT_EQ(derivs({row(30.5)}, 1.2, 0.5)[0], 0);
    EXPECT_EQ(derivs({row(30.5)}, 1.2, 0.5)[4], 0);
}

TEST(Eos, GaussianFactorsFarFromTheirCentreVanishWithoutFault) {
    fp_clear();
    const two_d_array coef{{1, -2521.3, 3, 4, 0, 0, 20, 250, 1, 1.25, 0, 0, 0, 0, 0},
                           {2, -0.1487, 1, 0, 0, 0, 28, 700, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2}};
    const one_d_array a = derivs(coef, 300, 0.05);
    EXPECT_NO_THROW(fp_check());
    for (double v : a) EXPECT_EQ(v, 0);
}

TEST(Eos, PressureEquation) {
    const two_d_array empty;
    EXPECT_EQ(calc_compres_coeff(NO_CONFIG, empty, 0.5, 1.2), 0);
    EXPECT_DOUBLE_EQ(calc_eq_state(NO_CONFIG, empty, 0.5, 1.2, 2, 0.3), 2 - 0.5 * 1.2 / 0.3);
    const two_d_array virial{{0, -0.4, 1, 1, 0, 0}};
    EXPECT_DOUBLE_EQ(calc_compres_coeff(NO_CONFIG, virial, 0.5, 1.25), -0.4 * 0.5 / 1.25);
    const double c = calc_compres_coeff(NO_CONFIG, virial, 0.5, 1.25);
    const double pi = (1 + c) * (1.25 * 0.5 / 0.3);
    EXPECT_EQ(calc_eq_state(NO_CONFIG, virial, 0.5, 1.25, pi, 0.3), 0);
}

TEST_F(Water, TableRowsAreChecked) {
    const std::string path = (dir.path / "data" / "water" / "eos_coeff.txt").string();
    const struct {
        const char* content;
        std::string message;
    } cases[] = {
        {"2 6 0\n0 1 1 0 0 0\n3 1 1 0 0 0\n",
         "Недопустимое значение kind = '3' в файле " + path + ", строка 2"},
        {"1 6 0\n-1 1 1 0 0 0\n", "Недопустимое значение kind = '-1' в файле " + path + ", строка 1"},
        {"1 6 0\n2.7 1 1 0 0 0\n", "Недопустимое значение kind = '2.7' в файле " + path + ", строка 1"},
        {"1 6 0\n1 1 1 0 0 0\n",
         "При чтении файла " + path + " произошла ошибка. Проверьте синтаксис файла."},
        {"1 10 0\n2 1 1 0 0 0 1 1 1 1\n",
         "При чтении файла " + path + " произошла ошибка. Проверьте синтаксис файла."},
        {"1 0 0\n", "При чтении файла " + path + " произошла ошибка. Проверьте синтаксис файла."},
    };
    for (const auto& c : cases) {
        test::write_fluid_file(dir.path, "water", "eos_coeff.txt", c.content);
        try {
            read_eos_table(th_c);
            ADD_FAILURE() << c.content;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    test::write_fluid_file(dir.path, "water", "eos_coeff.txt", "2 10 0\n0 1 1 0 0 0 9 9 9 9\n1.4 1 1 0 0 0 1 1 1 1\n");
    EXPECT_EQ(read_eos_table(th_c).size(), 2u);
}

// IAPWS-95, Table 7, the four states at T = 500 K (rho in kg/m3, p in MPa):
// the solver, from the start value calc_rho_real picks, finds the density at
// which the equation gives that pressure.
TEST_F(Water, DensitySolverReproducesIapws95Table7At500K) {
    const struct {
        double rho, p_mpa;
    } cases[] = {{0.435, 0.999679423e-1}, {4.532, 0.999938125}, {838.025, 0.100003858e2}, {1084.564, 0.700000405e3}};
    const double tau = 500 / th_c.tau_div;
    for (const auto& c : cases) {
        const double pi = c.p_mpa * 1e6 / th_c.p_cr;
        const double omega = calc_rho_real(th_c, coef, tau, pi, z_d, delta, 0);
        EXPECT_NEAR(calc_eq_state(th_c, coef, omega, tau, pi, z_d), 0, 1e-8 * pi) << c.rho;
        EXPECT_NEAR(omega * th_c.rho_div, c.rho, 2e-6 * c.rho) << c.rho;
    }
}

TEST_F(Water, StartValueBranches) {
    const double tau = 500 / th_c.tau_div;
    const double p_s = 2.6e6, pi_s = p_s / th_c.p_cr;
    const auto ideal = [&](double t, double pi) { return z_d * pi / t; };
    // Below tau = 1: vapour side below the saturation pressure, liquid side at and above it.
    EXPECT_EQ(calc_rho_start(th_c, tau, 0.9 * pi_s, z_d, p_s), ideal(tau, 0.9 * pi_s));
    EXPECT_EQ(calc_rho_start(th_c, tau, pi_s, z_d, p_s), 3.2);
    EXPECT_EQ(calc_rho_start(th_c, tau, 2 * pi_s, z_d, p_s), 3.2);
    // p_s = 0: the correlation decides (2.64 MPa at 500 K).
    EXPECT_EQ(calc_rho_start(th_c, tau, 2.5e6 / th_c.p_cr, z_d, 0), ideal(tau, 2.5e6 / th_c.p_cr));
    EXPECT_EQ(calc_rho_start(th_c, tau, 2.7e6 / th_c.p_cr, z_d, 0), 3.2);
    // tau >= 1: ideal-gas start below pi = 1.05, the dense estimate from 1.05 on.
    EXPECT_EQ(calc_rho_start(th_c, 1, 1.04, z_d, 0), ideal(1, 1.04));
    EXPECT_EQ(calc_rho_start(th_c, 1.2, 1.05, z_d, 0), 9 * 1.05 * z_d / ((1.1 * 1.05 + 0.7) * 1.2));
    EXPECT_EQ(calc_rho_start(th_c, 1.2, 3, z_d, 0), 9 * 3 * z_d / ((1.1 * 3 + 0.7) * 1.2));

    // With a given p_s, or at tau = 1, the saturation-line file is not read.
    std::filesystem::remove(dir.path / "data" / "water" / "sat_line.txt");
    EXPECT_EQ(calc_rho_start(th_c, tau, 2 * pi_s, z_d, p_s), 3.2);
    EXPECT_EQ(calc_rho_start(th_c, 1, 0.5, z_d, 0), ideal(1, 0.5));
    EXPECT_THROW(calc_rho_start(th_c, tau, 0.5, z_d, 0), std::runtime_error);
}

TEST_F(Water, NewtonFromTheRootTakesOneCorrection) {
    const double tau = 500 / th_c.tau_div, omega = 838.025 / 322;
    const double pi = (1 + calc_compres_coeff(th_c, coef, omega, tau)) * omega * tau / z_d;
    EXPECT_NEAR(calc_rho_newton(th_c, coef, tau, pi, z_d, 1e-9, omega), omega, 1e-14);
}

TEST_F(Water, NewtonThatCannotConvergeEndsWithAnError) {
    const double tau = 500 / th_c.tau_div;
    const auto message = [&](double delta, double start) -> std::string {
        fp_clear();
        try {
            calc_rho_newton(th_c, coef, tau, 0.5, z_d, delta, start);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "converged";
    };
    EXPECT_EQ(message(0, 2.6), "Расчёт плотности не сошёлся за 200 итераций.");
    EXPECT_EQ(message(-1, 2.6), "Расчёт плотности не сошёлся за 200 итераций.");
    EXPECT_EQ(message(1e-9, 2.6), "converged");
    // A start at zero density with terms in 1/OMEGA: a fault, not a hang.
    const two_d_array inverse{{0, 1, -1, 0, 0, 0}};
    fp_clear();
    try {
        calc_rho_newton(th_c, inverse, tau, 0.5, z_d, 1e-9, 0);
        ADD_FAILURE();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Division by zero");
    }
}

}  // namespace
