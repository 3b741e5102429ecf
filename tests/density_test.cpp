// The density solver on the water of the tests (IAPWS-95): the release's
// Table 7, the start values by the side of the saturation line, and the
// end of a solve that cannot converge.
#include <gtest/gtest.h>

#include "engine/base/fpu.h"
#include "engine/model/component.h"
#include "engine/phase/density.h"
#include "test_support.h"

namespace d = vantrel::detail;

namespace {

struct WaterDensity : ::testing::Test {
    const std::shared_ptr<const d::component_data> f = d::load_component(test::test_fluid("water").string());
    const double tau = f->cfg.tau_div / 500;  // 500 K
    const d::residual_at<double> at{f->residual, tau};
    WaterDensity() { d::clear_fp(); }
    // delta of the ideal gas at tau and p.
    double ideal(double t, double p) const { return p / (f->cfg.rho_div * f->cfg.R * f->cfg.tau_div / t); }
    // The start the solver takes at (tau, p) with the correlation's
    // saturation pressure; how often that pressure was asked for.
    double start(double t, double p, int* asked = nullptr) const {
        return d::density_start(t, ideal(t, p), p / f->cfg.p_cr, [&] {
            if (asked != nullptr) ++*asked;
            return p < f->line.p(f->cfg.tau_div / t);
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
        const double p = c.p_mpa * 1e6, delta_id = ideal(tau, p);
        const double delta = *d::solve_delta(at, delta_id, f->delta_tolerance(), start(tau, p));
        EXPECT_NEAR((1 + at(delta).d) * delta, delta_id, 1e-8 * delta_id) << c.rho;
        EXPECT_NEAR(delta * f->cfg.rho_div, c.rho, 2e-6 * c.rho) << c.rho;
    }
}

TEST_F(WaterDensity, StartValueBranches) {
    // Above tau = 1: the vapour side below the saturation pressure (2.64 MPa
    // at 500 K), the liquid side at and above it.
    EXPECT_EQ(start(tau, 2.5e6), ideal(tau, 2.5e6));
    EXPECT_EQ(start(tau, 2.7e6), 3.2);
    EXPECT_EQ(d::density_start(tau, 0.1, 0.5, [] { return false; }), 3.2);
    // From tau = 1 down, without asking for the saturation pressure: the ideal
    // gas below 1.05 p_cr, a dense estimate from 1.05 p_cr on.
    int asked = 0;
    const double p_cr = f->cfg.p_cr;
    EXPECT_EQ(start(1, 1.04 * p_cr, &asked), ideal(1, 1.04 * p_cr));
    EXPECT_EQ(start(1 / 1.2, 1.05 * p_cr, &asked), 9 * ideal(1 / 1.2, 1.05 * p_cr) / (1.1 * 1.05 + 0.7));
    EXPECT_EQ(start(1 / 1.2, 3 * p_cr, &asked), 9 * ideal(1 / 1.2, 3 * p_cr) / (1.1 * 3 + 0.7));
    EXPECT_EQ(asked, 0);
    start(1 / 0.9, 0.5 * p_cr, &asked);
    EXPECT_EQ(asked, 1);
}

TEST_F(WaterDensity, NewtonFromTheRootTakesOneCorrection) {
    const double delta = 838.025 / 322, delta_id = (1 + at(delta).d) * delta;
    EXPECT_NEAR(*d::solve_delta(at, delta_id, 1e-9, delta), delta, 1e-14);
}

TEST_F(WaterDensity, NewtonThatCannotConvergeEndsWithAnError) {
    const auto message = [&](const d::residual_at<double>& m, double tolerance, double start) {
        d::clear_fp();
        return test::error_of([&] { d::solve_delta(m, ideal(tau, 0.5 * f->cfg.p_cr), tolerance, start); });
    };
    EXPECT_EQ(message(at, 0, 2.6), "Расчёт плотности не сошёлся за 200 итераций.");
    EXPECT_EQ(message(at, -1, 2.6), "Расчёт плотности не сошёлся за 200 итераций.");
    EXPECT_EQ(message(at, 1e-9, 2.6), "no error");
    // A start at zero density with terms in 1/delta: a fault, not a hang.
    const d::residual_terms inverse = d::residual_terms::from_table({{0, 1, -1, 0, 0, 0}}, "");
    EXPECT_EQ(message(d::residual_at<double>(inverse, tau), 1e-9, 0), "Division by zero");
}

}  // namespace
