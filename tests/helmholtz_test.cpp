// The residual Helmholtz energy and its derivatives in delta and tau =
// T_r / T: closed forms, IAPWS-95 against its release's Table 6, every term
// kind against finite differences of the published term forms, and the rows
// of the table checked as they load.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <random>

#include "engine/base/fpu.h"
#include "engine/model/residual.h"
#include "test_support.h"

namespace d = vantrel::detail;
using elements = std::array<double, 6>;

namespace {

// alpha, delta alpha_delta, tau alpha_tau, delta^2 alpha_delta_delta,
// delta tau alpha_delta_tau and tau^2 alpha_tau_tau, in this order.
elements derivs(const d::table& rows, double delta, double tau) {
    const d::alpha_derivatives<double> a = d::residual_terms::from_table(rows, "").at(delta, tau);
    return {a.a, a.d, a.t, a.dd, a.dt, a.tt};
}

d::table water_rows() { return d::read_table((test::test_fluid("water") / "eos_coeff.txt").string()); }

TEST(Helmholtz, SimpleTablesGiveTheirClosedForms) {
    EXPECT_EQ(derivs({}, 0.7, 1.3), elements{});
    const double w = 0.7, t = 1.3, b = -0.4;
    const elements delta = derivs({{0, 1, 1, 0, 0, 0}}, w, t);         // alpha_r = delta
    const elements virial = derivs({{0, b, 1, 1, 0, 0}}, w, t);        // alpha_r = b delta tau
    const elements want_delta{w, w, 0, 0, 0, 0};
    const elements want_virial{b * w * t, b * w * t, b * w * t, 0, b * w * t, 0};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(delta[i], want_delta[i], 1e-15) << i;
        EXPECT_NEAR(virial[i], want_virial[i], 1e-15) << i;
    }
}

// IAPWS-95, Table 6: phi_r and its derivatives at T = 500 K, rho = 838.025
// kg/m3 (14-digit values of the editorial version 2008).
TEST(Helmholtz, WaterReproducesIapws95Table6) {
    const d::table rows = water_rows();
    ASSERT_EQ(rows.size(), 56u);
    const double dd = 838.025 / 322, x = 647.096 / 500;
    const double phi = -0.34269320568156e1, phi_d = -0.36436665036388, phi_dd = 0.85606370097461,
                 phi_t = -0.58140343523842e1, phi_tt = -0.223440736884336e1, phi_dt = -0.11217691467031e1;
    const elements want{phi, dd * phi_d, x * phi_t, dd * dd * phi_dd, dd * x * phi_dt, x * x * phi_tt};
    const elements a = derivs(rows, dd, x);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(a[i], want[i], 1e-9 * std::fabs(want[i])) << i;
}

TEST(Helmholtz, ReorderingRowsChangesNothingBeyondRounding) {
    const d::table rows = water_rows();
    d::table shuffled = rows;
    std::mt19937 rng(42);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    for (const auto& [w, t] : {std::pair{2.6, 1.3}, {1.05, 0.99}, {0.01, 2.0}, {3.1, 0.625}}) {
        const elements a = derivs(rows, w, t), b = derivs(shuffled, w, t);
        for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(a[i], b[i], 1e-12 * (1 + std::fabs(a[i]))) << w << " " << t;
    }
}

// alpha_r of one row, written directly from the published term forms, in
// dd = delta and x = tau.
double alpha_of_row(const std::vector<double>& r, double dd, double x) {
    const double base = r[1] * std::pow(dd, r[2]) * std::pow(x, r[3]);
    if (r[0] == 0) return base * std::exp(r[4] * std::pow(dd, r[5]));
    if (r[0] == 3) return base * (r[4] == 0 ? 1 : std::exp(-std::pow(dd, r[4]))) * (r[5] == 0 ? 1 : std::exp(-std::pow(x, r[5])));
    if (r[0] == 4) return base * std::exp(r[4] * (dd - r[7]) * (dd - r[7]) + 1 / (r[5] * (x - r[6]) * (x - r[6]) + r[8]));
    const double gauss = std::exp(-r[6] * (dd - r[8]) * (dd - r[8]) - r[7] * (x - r[9]) * (x - r[9]));
    if (r[0] == 1) return base * gauss;
    const double s2 = (dd - 1) * (dd - 1);
    const double theta = (1 - x) + r[13] * std::pow(s2, 1 / (2 * r[12]));
    const double delta = theta * theta + r[14] * std::pow(s2, r[11]);
    return base * std::pow(delta, r[10]) * gauss;
}

// The six derivatives from central finite differences of alpha_r with steps
// h and h/2, combined by Richardson extrapolation.
elements finite_difference_elements(const std::function<double(double, double)>& alpha, double dd, double x) {
    const auto at_step = [&](double h) {
        const double hd = h * dd, hx = h * x;
        const double a = alpha(dd, x);
        const double a_d = (alpha(dd + hd, x) - alpha(dd - hd, x)) / (2 * hd);
        const double a_x = (alpha(dd, x + hx) - alpha(dd, x - hx)) / (2 * hx);
        const double a_dd = (alpha(dd + hd, x) - 2 * a + alpha(dd - hd, x)) / (hd * hd);
        const double a_xx = (alpha(dd, x + hx) - 2 * a + alpha(dd, x - hx)) / (hx * hx);
        const double a_dx =
            (alpha(dd + hd, x + hx) - alpha(dd + hd, x - hx) - alpha(dd - hd, x + hx) + alpha(dd - hd, x - hx)) /
            (4 * hd * hx);
        return elements{a, dd * a_d, x * a_x, dd * dd * a_dd, dd * x * a_dx, x * x * a_xx};
    };
    const elements coarse = at_step(2e-4), fine = at_step(1e-4);
    elements out;
    for (std::size_t i = 0; i < 6; ++i) out[i] = (4 * fine[i] - coarse[i]) / 3;
    return out;
}

TEST(Helmholtz, EveryElementAgreesWithFiniteDifferencesForEachKind) {
    const struct {
        const char* name;
        std::vector<double> row;
        double delta, tau;
    } cases[] = {
        {"kind 0 plain", {0, 0.7, 2, 1.5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.8, 1 / 0.9},
        {"kind 0 exponential", {0, -0.3, 3, 2.25, -1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1.3, 1 / 1.1},
        {"kind 0 exponential G = 1.5", {0, 0.2, 1, 0.5, -1.5, 1.5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.6, 1 / 0.7},
        {"kind 1", {1, -31.3, 3, 1, 0, 0, 20, 150, 1, 1.21, 0, 0, 0, 0, 0}, 1.1, 1 / 0.87},
        {"kind 1 off centre", {1, 2.5, 2, 0.5, 0, 0, 3, 5, 0.8, 1.1, 0, 0, 0, 0, 0}, 1.4, 1 / 0.8},
        {"kind 2", {2, -0.1487, 1, 0, 0, 0, 28, 700, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2}, 1.2, 1.05},
        {"kind 2 other side", {2, 0.318, 1, 0, 0, 0, 32, 800, 1, 1, 0.95, 3.5, 0.3, 0.32, 0.2}, 0.85, 0.97},
        // R125's terms with a factor of tau (m = 1.7, 7) and without one.
        {"kind 3 m = 1.7", {3, -1.532005, 2, 4.5, 2, 1.7}, 1.2, 1.1},
        {"kind 3 m = 7", {3, -0.05883649, 3, 29, 3, 7}, 0.9, 1.05},
        {"kind 3 l = 0", {3, 0.6, 2, 1.5, 0, 2}, 1.3, 0.9},
        {"kind 3 m = 0", {3, 4.777189, 1, 2, 1, 0}, 0.7, 1 / 0.8},
        // Ammonia's first term, either side of its centres.
        {"kind 4", {4, -1.6909858, 1, 4.3315, -2.8452, 0.3696, 1.108, 0.4478, 1.244}, 1.1, 1.2},
        {"kind 4 other side", {4, 0.93739074, 1, 4.015, -2.8342, 0.2962, 1.313, 0.44689, 0.6826}, 0.3, 0.8},
    };
    for (const auto& c : cases) {
        d::clear_fp();
        const elements a = derivs({c.row}, c.delta, c.tau);
        EXPECT_NO_THROW(d::check_fp()) << c.name;
        const elements fd = finite_difference_elements(
            [&](double dd, double x) { return alpha_of_row(c.row, dd, x); }, c.delta, c.tau);
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_NEAR(a[i], fd[i], 1e-6 * (std::fabs(fd[i]) + 1e-3)) << c.name << " derivative " << i;
    }
}

TEST(Helmholtz, NonAnalyticTermAtItsDensityCentreTakesTheLimit) {
    // At delta = 1 the second density derivative comes from the limit:
    // delta^2 alpha_delta_delta = delta d(delta alpha_delta)/d delta - delta alpha_delta there too.
    const d::table row{{2, -0.1487, 1, 0, 0, 0, 28, 700, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2}};
    const double tau = 1.05, h = 1e-6;
    d::clear_fp();
    const elements at = derivs(row, 1, tau), above = derivs(row, 1 + h, tau), below = derivs(row, 1 - h, tau);
    EXPECT_NO_THROW(d::check_fp());
    EXPECT_NEAR(at[3], (above[1] - below[1]) / (2 * h) - at[1], 1e-7 * std::fabs(at[3]));
    for (std::size_t i = 0; i < 6; ++i)  // continuous with its neighbours
        EXPECT_NEAR(at[i], 0.5 * (above[i] + below[i]), 1e-7 * (std::fabs(at[i]) + 1e-6)) << i;
}

TEST(Helmholtz, NonAnalyticCutOffIsStrictlyAbove30AndGaussiansVanishFarOut) {
    // beta (tau - gamma)^2 with tau = 2, gamma = 1: exactly beta.
    const auto row = [](double beta) {
        return std::vector<double>{2, 1, 1, 0, 0, 0, 1, beta, 1, 1, 0.85, 3.5, 0.3, 0.32, 0.2};
    };
    EXPECT_NE(derivs({row(30)}, 1.2, 2)[0], 0);
    EXPECT_EQ(derivs({row(30.5)}, 1.2, 2)[0], 0);
    EXPECT_EQ(derivs({row(30.5)}, 1.2, 2)[4], 0);
    d::clear_fp();
    const elements far = derivs({{1, -2521.3, 3, 4, 0, 0, 20, 250, 1, 1.25, 0, 0, 0, 0, 0}, row(700)}, 300, 20);
    EXPECT_NO_THROW(d::check_fp());
    EXPECT_EQ(far, elements{});
}

TEST(Helmholtz, TableRowsAreCheckedAsTheyLoad) {
    const struct {
        const char* content;
        std::string message;
    } cases[] = {
        {"2 6 0\n0 1 1 0 0 0\n5 1 1 0 0 0\n", "Недопустимое значение kind = '5' в файле eos.txt, строка 2"},
        {"1 6 0\n3 1 1 0 -1 1\n", "Недопустимое значение l = '-1' в файле eos.txt, строка 1"},
        {"1 6 0\n3 1 1 0 1 -0.5\n", "Недопустимое значение m = '-0.5' в файле eos.txt, строка 1"},
        {"1 9 0\n4 1 1 1 2.8 0.4 1.1 0.4 1.2\n", "Недопустимое значение eta = '2.8' в файле eos.txt, строка 1"},
        {"1 9 0\n4 1 1 1 -2.8 -0.4 1.1 0.4 1.2\n", "Недопустимое значение beta = '-0.4' в файле eos.txt, строка 1"},
        {"1 9 0\n4 1 1 1 -2.8 0.4 1.1 0.4 0\n", "Недопустимое значение b = '0' в файле eos.txt, строка 1"},
        {"1 8 0\n4 1 1 1 -2.8 0.4 1.1 0.4\n", test::msg::unreadable("eos.txt")},
        {"1 5 0\n3 1 1 1 1\n", test::msg::unreadable("eos.txt")},
        {"1 6 0\n-1 1 1 0 0 0\n", "Недопустимое значение kind = '-1' в файле eos.txt, строка 1"},
        {"1 6 0\n4.7 1 1 0 0 0\n", "Недопустимое значение kind = '4.7' в файле eos.txt, строка 1"},
        {"1 6 0\n1 1 1 0 0 0\n", test::msg::unreadable("eos.txt")},
        {"1 10 0\n2 1 1 0 0 0 1 1 1 1\n", test::msg::unreadable("eos.txt")},
        {"1 0 0\n", test::msg::unreadable("eos.txt")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::error_of([&] { d::residual_terms::from_table(d::parse_table(c.content, "eos.txt"), "eos.txt"); }),
                  c.message);
    const d::residual_terms m =
        d::residual_terms::from_table(d::parse_table("2 10 0\n0 1 1 0 0 0 9 9 9 9\n1.4 1 1 0 0 0 1 1 1 1\n", "e"), "e");
    EXPECT_EQ(m.power_.size() + m.gaussian_.size(), 2u);
    // A kind-3 row without its factor of tau joins the power terms, sharing
    // exp(-d) with a kind-0 row.
    const d::residual_terms r = d::residual_terms::from_table(
        d::parse_table("3 6 0\n3 1 1 0 1 0\n0 2 1 0 -1 1\n3 1 1 0 1 2\n", "e"), "e");
    EXPECT_EQ(r.power_.size(), 2u);
    EXPECT_EQ(r.shared_g_.size(), 1u);
    EXPECT_EQ(r.lemmon_.size(), 1u);
}

}  // namespace
