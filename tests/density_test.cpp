// The density solver on the water of the tests (IAPWS-95): the release's
// Table 7, the start values by the side of the saturation line, and the
// end of a solve that cannot converge.
#include <gtest/gtest.h>

#include "engine/density.h"
#include "engine/fluid_data.h"
#include "engine/base/fpu.h"
#include "test_support.h"

namespace d = vantrel::detail;

namespace {

struct WaterDensity : ::testing::Test {
    const std::shared_ptr<const d::fluid_data> f = d::load_fluid(test::test_fluid("water").string());
    const double tau = 500 / f->cfg.tau_div;  // 500 K
    const d::residual_at_tau<double> at{f->residual, tau};
    WaterDensity() { d::clear_fp(); }
    // The start the solver takes at (tau, pi) with the correlation's
    // saturation pressure; how often that pressure was asked for.
    double start(double t, double pi, int* asked = nullptr) const {
        return d::density_start(t, pi, f->z_d, [&] {
            if (asked != nullptr) ++*asked;
            return f->line.p(t * f->cfg.tau_div) / f->cfg.p_cr;
        });
    }
};

// IAPWS-95, Table 7, the four states at T = 500 K (rho in kg/m3, p in MPa):
// from the start value it picks, the solver finds the density at which the
// equation gives that pressure.
TEST_F(WaterDensity, SolverReproducesIapws95Table7At500K) {
    const struct {
        double rho, p_mpa;
    } cases[] = {{0.435, 0.999679423e-1}, {4.532, 0.999938125}, {838.025, 0.100003858e2}, {1084.564, 0.700000405e3}};
    for (const auto& c : cases) {
        const double pi = c.p_mpa * 1e6 / f->cfg.p_cr;
        const double omega = d::solve_density(at, pi, f->z_d, f->delta, start(tau, pi));
        EXPECT_NEAR(d::reduced_pressure(at(omega).z_minus_1, omega, tau, f->z_d), pi, 1e-8 * pi) << c.rho;
        EXPECT_NEAR(omega * f->cfg.rho_div, c.rho, 2e-6 * c.rho) << c.rho;
    }
}

TEST_F(WaterDensity, StartValueBranches) {
    const auto ideal = [&](double t, double pi) { return f->z_d * pi / t; };
    // Below tau = 1: the vapour side below the saturation pressure (2.64 MPa
    // at 500 K), the liquid side at and above it.
    EXPECT_EQ(start(tau, 2.5e6 / f->cfg.p_cr), ideal(tau, 2.5e6 / f->cfg.p_cr));
    EXPECT_EQ(start(tau, 2.7e6 / f->cfg.p_cr), 3.2);
    EXPECT_EQ(d::density_start(tau, 0.5, f->z_d, [] { return 0.5; }), 3.2);
    // From tau = 1 on, without asking for the saturation pressure: the ideal
    // gas below pi = 1.05, a dense estimate from 1.05 on.
    int asked = 0;
    EXPECT_EQ(start(1, 1.04, &asked), ideal(1, 1.04));
    EXPECT_EQ(start(1.2, 1.05, &asked), 9 * 1.05 * f->z_d / ((1.1 * 1.05 + 0.7) * 1.2));
    EXPECT_EQ(start(1.2, 3, &asked), 9 * 3 * f->z_d / ((1.1 * 3 + 0.7) * 1.2));
    EXPECT_EQ(asked, 0);
    start(0.9, 0.5, &asked);
    EXPECT_EQ(asked, 1);
}

TEST_F(WaterDensity, NewtonFromTheRootTakesOneCorrection) {
    const double omega = 838.025 / 322;
    const double pi = d::reduced_pressure(at(omega).z_minus_1, omega, tau, f->z_d);
    EXPECT_NEAR(d::solve_density(at, pi, f->z_d, 1e-9, omega), omega, 1e-14);
}

TEST_F(WaterDensity, NewtonThatCannotConvergeEndsWithAnError) {
    const auto message = [&](const d::residual_at_tau<double>& m, double delta, double start) {
        d::clear_fp();
        return test::error_of([&] { d::solve_density(m, 0.5, f->z_d, delta, start); });
    };
    EXPECT_EQ(message(at, 0, 2.6), "Расчёт плотности не сошёлся за 200 итераций.");
    EXPECT_EQ(message(at, -1, 2.6), "Расчёт плотности не сошёлся за 200 итераций.");
    EXPECT_EQ(message(at, 1e-9, 2.6), "no error");
    // A start at zero density with terms in 1/OMEGA: a fault, not a hang.
    const d::residual_model inverse = d::residual_model::from_table({{0, 1, -1, 0, 0, 0}}, "");
    EXPECT_EQ(message(d::residual_at_tau<double>(inverse, tau), 1e-9, 0), "Division by zero");
}

}  // namespace
