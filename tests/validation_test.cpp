// Validation of the shipped fluid library: one parametrised test over
// tests/validation, one file per fluid of data/ holding its reference values
// with their sources. Everything is computed through the engine on the fluid
// loaded from the repository's data/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include "engine/api/fluid.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
using test::rel;

namespace {

const fs::path VALIDATION = test::source() / "tests" / "validation";
const fs::path DATA = test::data();

std::vector<std::string> validated_fluids() {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(VALIDATION))
        if (e.path().extension() == ".txt") out.push_back(e.path().stem().string());
    std::sort(out.begin(), out.end());
    return out;
}

class Validation : public ::testing::TestWithParam<std::string> {
protected:
    const std::string agent = GetParam();
    const vantrel::fluid f = vantrel::fluid::load(DATA / agent);
    const std::vector<test::record> records = test::read_records(VALIDATION / (agent + ".txt"));

    std::vector<test::record> of_kind(const std::string& kind) const {
        std::vector<test::record> out;
        for (const auto& r : records)
            if (r.kind == kind) out.push_back(r);
        return out;
    }

    // A tolerance the fluid's file widens (record "tolerance", with its
    // reason in the file), or the common one.
    double tolerance(const std::string& key, double common) const {
        for (const auto& r : of_kind("tolerance"))
            if (r.has(key)) return r.number(key);
        return common;
    }
};

std::string fluid_name(const ::testing::TestParamInfo<std::string>& info) { return test::test_name(info.param); }

INSTANTIATE_TEST_SUITE_P(Fluids, Validation, ::testing::ValuesIn(validated_fluids()), fluid_name);

TEST(ValidationFiles, EveryFluidOfTheLibraryHasOne) {
    for (const std::string& agent : test::library_fluids())
        EXPECT_TRUE(fs::exists(VALIDATION / (agent + ".txt"))) << agent;
}

// The equation at given (T, rho), its single phase there (some points lie
// inside the dome): pressure and caloric properties. Values in the
// publication's own reference state (frame=published) are compared with
// those of the equation's own (the fluid loaded without its shift to IIR).
TEST_P(Validation, PointsOfTheEquation) {
    namespace d = vantrel::detail;
    const vantrel::fluid own = vantrel::fluid::load(DATA / agent, vantrel::reference_state::equation);
    double worst = 0;
    for (const auto& r : of_kind("point")) {
        const double T = r.number("T"), rho = r.number("rho"), tol = r.number("tol");
        const bool published = r.has("frame") && r.text("frame") == "published";
        const d::fluid_core& core = d::impl_of(published ? own : f).core;
        const d::phase_properties q = d::properties_at(*core.m, T, rho, core.z);
        const std::pair<const char*, double> computed[] = {
            {"p", q.p}, {"h", q.h}, {"s", q.s}, {"cv", q.cv}, {"cp", q.cp}, {"w", std::sqrt(q.cp / q.cv * q.p_rho)}};
        for (const auto& [key, value] : computed) {
            if (!r.has(key)) continue;
            const double dev = rel(value, r.number(key));
            worst = std::max(worst, dev);
            EXPECT_LT(dev, tol) << agent << " " << r.text("name") << " T=" << T << " rho=" << rho << " " << key;
        }
    }
    std::cout << "[ points    ] " << agent << " largest relative deviation " << worst << "\n";
}

TEST_P(Validation, CriticalAndReducingValues) {
    const vantrel::fluid_info& i = f.info();
    for (const auto& r : of_kind("critical")) {
        const double tol = r.number("tol");
        EXPECT_DOUBLE_EQ(i.T_reducing, r.number("tau_div")) << agent;
        EXPECT_LT(rel(i.rho_reducing, r.number("rho_div")), 1e-12) << agent;
        EXPECT_LT(rel(i.T_cr, r.number("T_cr")), tol) << agent;
        EXPECT_LT(rel(i.p_cr, r.number("p_cr")), tol) << agent;
    }
}

TEST_P(Validation, ReferenceState) {
    for (const auto& r : of_kind("reference")) {
        std::optional<vantrel::equilibrium_point> s = f.boundary_at_T(r.number("T")).bubble;
        ASSERT_TRUE(s) << agent;
        if (r.has("at") && r.text("at") == "bubble") {
            // A blend's saturated liquid is its liquid at the bubble point.
            const double T = r.number("T");
            const auto p_bubble = f.at(vantrel::input_pair::T_p, T, s->p).p_bubble;
            ASSERT_TRUE(p_bubble) << agent;
            const vantrel::state l = f.at(vantrel::input_pair::T_p, T, *p_bubble * (1 + 1e-12));
            s->h_liquid = l.h;
            s->s_liquid = l.s;
            s->rho_liquid = l.rho;
            s->p = l.p;
        }
        if (r.has("h_liq")) {
            EXPECT_NEAR(s->h_liquid, r.number("h_liq"), r.number("tol_h")) << agent;
        }
        if (r.has("u_liq")) {
            EXPECT_NEAR(s->h_liquid - s->p / s->rho_liquid, r.number("u_liq"), r.number("tol_u")) << agent;
        }
        EXPECT_NEAR(s->s_liquid, r.number("s_liq"), r.number("tol_s")) << agent;
        std::cout << "[ reference ] " << agent << " h' = " << s->h_liquid << " J/kg, s' = " << s->s_liquid << " J/(kg K)\n";
    }
}

TEST_P(Validation, StatesAtTemperatureAndPressure) {
    for (const auto& r : of_kind("state")) {
        const double T = r.number("T"), p = r.number("p"), tol = r.number("tol");
        const vantrel::state s = f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none);
        EXPECT_LT(rel(s.h, r.number("h")), tol) << agent << " " << T << " K " << p << " Pa";
        EXPECT_LT(rel(s.rho, r.number("rho")), tol) << agent << " " << T << " K " << p << " Pa";
        EXPECT_EQ(vantrel::phase_name(s.phase), r.text("phase")) << agent << " " << T << " K " << p << " Pa";
    }
}

TEST_P(Validation, SaturationStates) {
    double worst = 0;
    for (const auto& r : of_kind("saturation")) {
        const double T = r.number("T"), tol = r.number("tol");
        const auto s = f.boundary_at_T(T).bubble;
        ASSERT_TRUE(s) << agent << " " << T;
        const std::pair<const char*, double> computed[] = {{"p", s->p},         {"rho_liq", s->rho_liquid},
                                                           {"rho_vap", s->rho_vapour}, {"h_liq", s->h_liquid},
                                                           {"h_vap", s->h_vapour},   {"s_liq", s->s_liquid},
                                                           {"s_vap", s->s_vapour}};
        for (const auto& [key, value] : computed) {
            if (!r.has(key)) continue;
            const double dev = rel(value, r.number(key));
            worst = std::max(worst, dev);
            EXPECT_LT(dev, tol) << agent << " " << T << " K " << key;
        }
    }
    if (!of_kind("saturation").empty())
        std::cout << "[ saturation] " << agent << " largest relative deviation " << worst << "\n";
}

// c_p against the slope of h along isobars over the stated range, on each
// side of the saturation line and away from the critical point.
TEST_P(Validation, HeatCapacityIsTheSlopeOfTheEnthalpy) {
    const vantrel::fluid_info& i = f.info();
    ASSERT_TRUE(i.T_min && i.T_max) << agent;
    const auto phase_at = [&](double T, double p) { return f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none).phase; };
    double worst = 0;
    for (int k = 0; k <= 6; ++k) {
        const double T = *i.T_min + 10 + (*i.T_max - *i.T_min - 20) * k / 6;
        for (const double p_rel : {0.01, 0.3, 2.0, 5.0}) {
            const double p = p_rel * i.p_cr;
            if (std::fabs(T / i.T_cr - 1) < 1e-3 && p < 1.001 * i.p_cr) continue;
            if (phase_at(T - 0.05, p) != phase_at(T + 0.05, p)) continue;
            const double dt = 0.01;
            const double slope = (f.at(vantrel::input_pair::T_p, T + dt, p, vantrel::extras::none).h -
                                  f.at(vantrel::input_pair::T_p, T - dt, p, vantrel::extras::none).h) /
                                 (2 * dt);
            const double dev = rel(slope, *f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none).cp);
            worst = std::max(worst, dev);
            EXPECT_LT(dev, 1e-5) << agent << " " << T << " K " << p << " Pa";
        }
    }
    std::cout << "[ c_p       ] " << agent << " largest |dh/dT / c_p - 1| = " << worst << "\n";
}

// Equal pressure and equal Gibbs energy of the saturated phases that the
// equal-area rule gives, from the triple point to 0.999 T_cr.
TEST_P(Validation, SaturationFulfilsTheEqualAreaCondition) {
    const vantrel::fluid_info& c = f.info();
    if (c.boundary != vantrel::boundary_kind::equal_area) GTEST_SKIP() << agent << " takes its saturation from correlations";
    double worst_p = 0, worst_g = 0;
    for (int k = 0; k <= 8; ++k) {
        const double T = c.T_tp + (0.999 * c.T_cr - c.T_tp) * k / 8;
        const auto s = f.boundary_at_T(T).bubble;
        ASSERT_TRUE(s) << agent << " " << T;
        const double p_vap = (1 + f.derivatives(s->rho_vapour, T).z_minus_1) * s->rho_vapour * c.R * T;
        const double dp = rel(p_vap, s->p);
        const double dg = std::fabs((s->h_liquid - T * s->s_liquid) - (s->h_vapour - T * s->s_vapour)) / (c.R * T);
        worst_p = std::max(worst_p, dp);
        worst_g = std::max(worst_g, dg);
        EXPECT_LT(dp, 1e-7) << agent << " " << T;
        EXPECT_LT(dg, 1e-7) << agent << " " << T;
    }
    std::cout << "[ maxwell   ] " << agent << " largest |p''/p' - 1| = " << worst_p
              << ", largest |g' - g''|/(R T) = " << worst_g << "\n";
}

// T_cr and p_cr of the configuration are the equation's own critical point.
TEST_P(Validation, CriticalPointIsTheEquationsOwn) {
    const auto records = of_kind("eos_critical");
    ASSERT_EQ(records.size(), 1u) << agent;
    EXPECT_LT(rel(f.info().T_cr, records[0].number("T")), 1e-7) << agent;
    EXPECT_LT(rel(f.info().p_cr, records[0].number("p")), 1e-7) << agent;
}

// Saturation states against an independent 50-digit equal-area solve, at
// relative distances 1e-2 ... 1e-6 below T_cr and below p_cr: p_s and T_s
// to 1e-14, the densities to 2e-12 down to 1e-4 below T_cr and to 5e-10 closer.
TEST_P(Validation, SaturationAgreesWithAnIndependentSolve) {
    const double tol_ps = tolerance("sat_ps", 1e-14), tol_rho = tolerance("sat_rho", 2e-12);
    double worst_ps = 0, worst_rho = 0, worst_rho_close = 0;
    for (const auto& kind : {"sat_T", "sat_p"}) {
        for (const auto& r : of_kind(kind)) {
            const bool by_t = std::string(kind) == "sat_T";
            const auto s = by_t ? f.boundary_at_T(r.number("T")).bubble : f.boundary_at_p(r.number("p")).bubble;
            ASSERT_TRUE(s) << agent << " " << kind << " " << r.text("d");
            const double ps = by_t ? rel(s->p, r.number("p")) : rel(s->T, r.number("T"));
            const double rho = std::max(rel(s->rho_liquid, r.number("rho_liq")), rel(s->rho_vapour, r.number("rho_vap")));
            const bool close = 1 - r.number("T") / f.info().T_cr < 1e-4;
            EXPECT_LT(ps, tol_ps) << agent << " " << kind << " " << r.text("d");
            EXPECT_LT(rho, close ? 5e-10 : tol_rho) << agent << " " << kind << " " << r.text("d");
            worst_ps = std::max(worst_ps, ps);
            (close ? worst_rho_close : worst_rho) = std::max(close ? worst_rho_close : worst_rho, rho);
        }
    }
    std::cout << "[ near T_c  ] " << agent << ": p_s and T_s " << worst_ps << ", densities " << worst_rho
              << " (closer than 1e-4: " << worst_rho_close << ")\n";
}

// Saturation exists at every temperature and pressure from the triple point
// up to 1e-6 below the critical point, and not closer in.
TEST_P(Validation, SaturationUpToTheCriticalPoint) {
    const vantrel::fluid_info& i = f.info();
    for (const double d : {1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6}) {
        const auto by_t = f.boundary_at_T(i.T_cr * (1 - d)).bubble;
        const auto by_p = f.boundary_at_p(i.p_cr * (1 - d)).bubble;
        ASSERT_TRUE(by_t && by_p) << agent << " " << d;
        EXPECT_GT(by_t->rho_liquid, by_t->rho_vapour) << agent << " " << d;
        EXPECT_GT(by_p->rho_liquid, by_p->rho_vapour) << agent << " " << d;
        EXPECT_LT(by_t->p, i.p_cr) << agent << " " << d;
        EXPECT_LT(by_p->T, i.T_cr) << agent << " " << d;
        EXPECT_GT(by_t->h_vapour, by_t->h_liquid) << agent << " " << d;
    }
    for (const double T : {i.T_tp, i.T_tp + 1e-9}) EXPECT_TRUE(f.boundary_at_T(T).bubble) << agent << " " << T;
    EXPECT_TRUE(f.boundary_at_p(i.p_tp).bubble) << agent;
    if (i.boundary == vantrel::boundary_kind::equal_area) {
        EXPECT_FALSE(f.boundary_at_T(i.T_cr * (1 - 0.9e-6)).bubble) << agent;
        EXPECT_FALSE(f.boundary_at_p(i.p_cr * (1 - 0.9e-6)).bubble) << agent;
    }
}

// The expansions against the equal-area solution the library computes
// without them (the fluid's copy without its sat_expansion key), at
// temperatures that are no nodes of the fit.
TEST_P(Validation, ExpansionsAgreeWithTheEqualAreaSolver) {
    if (f.info().boundary != vantrel::boundary_kind::equal_area) GTEST_SKIP() << agent << " has no expansions";
    const test::fluid_copy copy(agent);
    copy.edit("config.txt", "sat_expansion=", "; sat_expansion=");
    const vantrel::fluid solved = vantrel::fluid::load(copy.path);
    const vantrel::fluid_info& i = f.info();
    double worst_p = 0, worst_rho = 0;
    const double closest = tolerance("expansion_closest", 1e-4);
    for (int k = 0; k < 300; ++k) {
        const double theta = std::pow(10.0, -4.0 + 3.9 * (k + 0.37) / 300);  // 1 - T/T_c from 1e-4 up
        const double T = i.T_cr * (1 - theta);
        if (T < i.T_tp || theta < closest) continue;
        const auto s = f.boundary_at_T(T).bubble, e = solved.boundary_at_T(T).bubble;
        ASSERT_TRUE(s && e) << agent << " " << T;
        worst_p = std::max(worst_p, rel(s->p, e->p));
        worst_rho = std::max({worst_rho, rel(s->rho_liquid, e->rho_liquid), rel(s->rho_vapour, e->rho_vapour)});
    }
    EXPECT_LT(worst_p, 1e-10) << agent;
    EXPECT_LT(worst_rho, tolerance("expansion_rho", 1e-9)) << agent;
    std::cout << "[ expansion ] " << agent << " against the equal-area solver: p " << worst_p << ", densities "
              << worst_rho << "\n";
}

// The single-phase states on either side of the saturation line, a hair
// away from it, get their phases; saturation by p inverts saturation by T.
TEST_P(Validation, PhaseNextToTheSaturationLine) {
    const vantrel::fluid_info& i = f.info();
    for (const double d : {0.3, 1e-2, 1e-4, 1e-6}) {
        const double T = std::max(i.T_cr * (1 - d), i.T_tp + 1);
        const auto s = f.boundary_at_T(T).bubble;
        ASSERT_TRUE(s) << agent << " " << T;
        for (const double side : {-1.0, 1.0}) {
            const double p = s->p * (1 + side * 1e-9);
            if (std::fabs(T / i.T_cr - 1) <= 5e-5 && std::fabs(p / i.p_cr - 1) <= 5e-5) continue;
            const auto st = f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none);
            EXPECT_EQ(st.phase, side < 0 ? vantrel::phase_kind::gas : vantrel::phase_kind::liquid) << agent << " " << T;
        }
        const auto back = f.boundary_at_p(s->p).bubble;
        ASSERT_TRUE(back) << agent << " " << s->p;
        EXPECT_LT(rel(back->T, T), 1e-12) << agent << " " << T;
    }
}

// Every state of a grid over the stated range through the engine: computed,
// or refused with one of its errors; never a number that is not finite.
TEST_P(Validation, SweepOfTheRange) {
    const vantrel::fluid_info& i = f.info();
    ASSERT_TRUE(i.T_min && i.T_max && i.p_max) << agent;
    for (int k = 0; k < 9; ++k) {
        for (int j = 0; j < 9; ++j) {
            const double T = *i.T_min + 0.3 + (*i.T_max - *i.T_min - 0.6) * k / 8;
            const double p = std::exp(std::log(1e3) + (std::log(*i.p_max * (1 - 1e-12)) - std::log(1e3)) * j / 8);
            try {
                const vantrel::state s = f.at(vantrel::input_pair::T_p, T, p);
                for (double v : {s.h, s.rho, s.s, *s.cp, *s.w}) EXPECT_TRUE(std::isfinite(v)) << agent << T << " " << p;
                EXPECT_FALSE(s.warning) << s.warning->text();
            } catch (const vantrel::error& e) {
                EXPECT_TRUE(e.kind() == vantrel::error_kind::near_critical ||
                            e.kind() == vantrel::error_kind::no_convergence)
                    << agent << " " << T << " K " << p << " Pa: " << e.what();
            }
        }
    }
}

}  // namespace
