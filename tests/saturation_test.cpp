// Equilibrium and saturation: the saturation-line correlations and
// expansions, the equal-area solution, the saturation state and the phase
// decision, and the states of single phases and saturated ones, on the water
// of the tests (IAPWS-95) and on the shipped R718.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/base/fpu.h"
#include "engine/model/sat_expansion.h"
#include "engine/phase/pure_boundary.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace d = vantrel::detail;
using test::error_of;

namespace {

// IAPWS-95, Table 8: T [K], p_sat [MPa], rho' and rho'' [kg/m3].
struct table8_row {
    double t, p_mpa, rho_liq, rho_vap;
};
const table8_row TABLE8[] = {
    {275, 0.698451167e-3, 0.999887406e3, 0.550664919e-2},
    {450, 0.932203564, 0.890341250e3, 0.481200360e1},
    {625, 0.169082693e2, 0.567090385e3, 0.118290280e3},
};

struct WaterSaturation : ::testing::Test {
    std::shared_ptr<const d::model> m = water();
    WaterSaturation() { d::clear_fp(); }
    static std::shared_ptr<const d::model> water(const std::string& dir = test::test_fluid("water").string()) {
        return std::make_shared<const d::model>(d::model_of(d::load_component(dir)));
    }
    const d::component_data& f() const { return m->pure(); }
    vantrel::phase_kind phase(double T, double p) const { return d::pure_boundary(m).decide_phase(T, p).phase; }
    // The water with one key of its configuration rewritten.
    void with(const std::string& key, const std::string& from, const std::string& to) {
        const test::fluid_copy copy(test::test_fluid("water"), "water");
        copy.edit("config.txt", key + "=" + from, key + "=" + to);
        m = water(copy.path.string());
    }
};

TEST_F(WaterSaturation, EqualAreaSolutionReproducesIapws95Table8) {
    const vantrel::fluid water = vantrel::fluid::load(test::test_fluid("water"));
    for (const auto& r : TABLE8) {
        for (const bool by_T : {true, false}) {
            const auto s = by_T ? water.boundary_at_T(r.t).bubble : water.boundary_at_p(r.p_mpa * 1e6).bubble;
            ASSERT_TRUE(s) << r.t;
            const double tol = by_T ? 1e-6 : 2e-6;
            EXPECT_LT(test::rel(s->p, r.p_mpa * 1e6), 1e-6) << r.t;
            EXPECT_LT(test::rel(s->T, r.t), 1e-6) << r.t;
            EXPECT_LT(test::rel(s->rho_liquid, r.rho_liq), tol) << r.t;
            EXPECT_LT(test::rel(s->rho_vapour, r.rho_vap), tol) << r.t;
        }
    }
}

TEST_F(WaterSaturation, SaturationStateOutsideItsRangeIsNotComputed) {
    EXPECT_FALSE(d::solve_saturation(*m, d::given::T, 273.15));
    EXPECT_FALSE(d::solve_saturation(*m, d::given::T, 647.096));
    EXPECT_FALSE(d::solve_saturation(*m, d::given::p, 23e6));
    // With the equal-area rule, just above 0.99995 T_cr: the correlation's
    // value, without densities.
    const auto s = d::solve_saturation(*m, d::given::T, 647.07);
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->p, 22.0e6, 0.1e6);
    EXPECT_FALSE(s->rho_liquid);
}

TEST_F(WaterSaturation, CorrelationBranchWithoutTheEqualAreaRule) {
    with("maxwell_rule", "1", "0");
    const auto s = d::solve_saturation(*m, d::given::T, 450);
    ASSERT_TRUE(s && s->rho_liquid);
    // The auxiliary vapour-pressure equation, not the equal-area value.
    const double theta = 1 - 450 / 647.096;
    const double ln_p = 647.096 / 450 *
                        (-7.85951783 * theta + 1.84408259 * std::pow(theta, 1.5) - 11.7866497 * std::pow(theta, 3) +
                         22.6807411 * std::pow(theta, 3.5) - 15.9618719 * std::pow(theta, 4) +
                         1.80122502 * std::pow(theta, 7.5));
    EXPECT_NEAR(s->p, 22.064e6 * std::exp(ln_p), 1e-6);
    // Densities solved at that pressure from the density correlations.
    EXPECT_NEAR(*s->rho_liquid, 890.34, 0.1);
    EXPECT_NEAR(*s->rho_vapour, 4.812, 0.01);
    const double delta = *s->rho_liquid / 322;
    EXPECT_NEAR((1 + f().residual.at(delta, 647.096 / 450).d) * delta * 322 * f().cfg.R * 450, s->p, 1e-10 * s->p);
    // By pressure: the correlation's temperature, to the precision of a double.
    EXPECT_NEAR(d::solve_saturation(*m, d::given::p, s->p)->T, 450, 1e-9);
    EXPECT_NEAR(d::saturated(*m, d::given::p, 21e6)->T, 642.9756939662633, 1e-9);  // solved by Python
    // Where the equation gives no two distinct densities at its pressure:
    // the densities of the correlations.
    const auto close = d::saturated(*m, d::given::p, 0.999999 * 22.064e6);
    ASSERT_TRUE(close);
    EXPECT_GT(close->rho_x, 1.01 * close->rho_y);
}

TEST_F(WaterSaturation, PhaseRules) {
    const struct {
        double t, p;
        vantrel::phase_kind phase;
    } cases[] = {
        {700, 30e6, vantrel::phase_kind::supercritical},
        {647.096, 100, vantrel::phase_kind::gas},   // below p_tp
        {647.096, 1e5, vantrel::phase_kind::none},  // at T_cr
        {400, 500, vantrel::phase_kind::gas},       // below p_tp, no saturation computed
        {400, 30e6, vantrel::phase_kind::liquid},   // above p_cr below T_cr
        {700, 1e6, vantrel::phase_kind::gas},       // above T_cr below p_cr
        {400, 1e5, vantrel::phase_kind::gas},       // below the saturation pressure 245.8 kPa
        {400, 1e6, vantrel::phase_kind::liquid},
        {273.16, 1e5, vantrel::phase_kind::none},   // at T_tp
        {250, 1e5, vantrel::phase_kind::none},      // below T_tp
        {700, 22.064e6, vantrel::phase_kind::supercritical},  // at p_cr: counts as above it
        {400, 22.064e6, vantrel::phase_kind::liquid},
        {300, 611.655, vantrel::phase_kind::none},  // at p_tp
        // Close to T_cr and far from p_cr: the correlation's bound decides.
        {0.99994 * 647.096, 0.9 * 22.064e6, vantrel::phase_kind::gas},
    };
    for (const auto& c : cases) EXPECT_EQ(phase(c.t, c.p), c.phase) << c.t << " K " << c.p << " Pa";
    with("sat_id", "1", "0");  // without a saturation model rule 5 decides nothing
    EXPECT_EQ(phase(400, 1e5), vantrel::phase_kind::none);
}

// IAPWS-95, Table 7: T [K], rho [kg/m3], c_v [kJ/(kg K)], w [m/s], s [kJ/(kg K)].
TEST_F(WaterSaturation, PropertySetReproducesIapws95Table7) {
    const struct {
        double t, rho, cv, w, s;
    } cases[] = {
        {300, 0.9965560e3, 0.413018112e1, 0.150151914e4, 0.393062643},
        {300, 0.1005308e4, 0.406798347e1, 0.153492501e4, 0.387405401},
        {300, 0.1188202e4, 0.346135580e1, 0.244357992e4, 0.132609616},
        {500, 0.4350000, 0.150817541e1, 0.548314253e3, 0.794488271e1},
        {500, 0.4532000e1, 0.166991025e1, 0.535739001e3, 0.682502725e1},
        {500, 0.8380250e3, 0.322106219e1, 0.127128441e4, 0.256690919e1},
        {500, 0.1084564e4, 0.307437693e1, 0.241200877e4, 0.203237509e1},
        {647, 0.3580000e3, 0.618315728e1, 0.252145078e3, 0.432092307e1},
        {900, 0.2410000, 0.175890657e1, 0.724027147e3, 0.916653194e1},
        {900, 0.5261500e2, 0.193510526e1, 0.698445674e3, 0.659070225e1},
        {900, 0.8707690e3, 0.266422350e1, 0.201933608e4, 0.417223802e1},
    };
    const vantrel::fluid water = vantrel::fluid::load(test::test_fluid("water"));
    for (const auto& c : cases) {
        const vantrel::state q = water.at(vantrel::input_pair::T_rho, c.t, c.rho, vantrel::extras::none);
        ASSERT_TRUE(q.cv && q.w) << c.t << " " << c.rho;
        EXPECT_LT(test::rel(*q.cv, c.cv * 1e3), 1e-8) << c.t << " " << c.rho;
        EXPECT_LT(test::rel(*q.w, c.w), 1e-8) << c.t << " " << c.rho;
        EXPECT_LT(test::rel(q.s, c.s * 1e3), 1e-8) << c.t << " " << c.rho;
        EXPECT_DOUBLE_EQ(q.v, 1 / c.rho);
    }
}

// Reference values from the Debian package python3-iapws 1.5.3 (iapws.IAPWS95,
// IAPWS-95 itself), run with /usr/bin/python3 as
//   w = iapws.IAPWS95(T=T, P=P_MPa); print(w.h * 1000, w.rho, w.phase)
// Its phases map: Liquid and Compressible liquid to "liquid", Vapour and Gas
// to "gas", Supercritical fluid to "supercritical".
TEST_F(WaterSaturation, StatesAgreeWithPythonIapws) {
    const struct {
        double t, p_mpa, h, rho;
        const char* phase;
    } cases[] = {
        {300, 0.1, 112653.6796882387, 996.556340388965, "liquid"},
        {300, 10, 121734.2812568628, 1000.9550298924377, "liquid"},
        {350, 1, 322560.6352704069, 974.1288271330601, "liquid"},
        {450, 5, 751283.0057936291, 892.9869127290976, "liquid"},
        {550, 20, 1215838.627514017, 775.7098742722694, "liquid"},
        {373.15, 0.05, 2682423.3685398344, 0.29251121480146586, "gas"},
        {400, 0.1, 2730427.156802709, 0.5476054152259426, "gas"},
        {500, 1, 2891218.2989588897, 4.532294271839078, "gas"},
        {600, 5, 3005865.1934927544, 20.393170853075997, "gas"},
        {800, 10, 3443746.64824139, 29.107183917670373, "gas"},
        {700, 30, 2631439.8235883913, 184.23678566070026, "supercritical"},
        {900, 100, 3000129.3748114742, 343.6136774598521, "supercritical"},
        {1000, 1, 3985723.427733442, 2.1723035577863055, "gas"},
        {650, 50, 1727573.9521213744, 636.9396812544292, "supercritical"},
        {280, 50, 76742.24264189058, 1022.9012662631851, "liquid"},
    };
    const vantrel::fluid water = vantrel::fluid::load(test::test_fluid("water"));
    for (const auto& c : cases) {
        const vantrel::state s = water.at(vantrel::input_pair::T_p, c.t, c.p_mpa * 1e6);
        EXPECT_LT(test::rel(s.h, c.h), 1e-7) << c.t << " K " << c.p_mpa << " MPa";
        EXPECT_LT(test::rel(s.rho, c.rho), 1e-7) << c.t << " K " << c.p_mpa << " MPa";
        EXPECT_STREQ(vantrel::phase_name(s.phase), c.phase);
    }
}

TEST_F(WaterSaturation, NearCriticalStatesAreRefused) {
    const double tc = 647.096, pc = 22.064e6;
    // Refused only within 5e-5 of both the critical temperature and pressure.
    const struct {
        double t, p;
        bool refused;
    } cases[] = {
        {tc, pc, true},
        {1.000049 * tc, 0.999951 * pc, true},
        {0.999951 * tc, 1.000049 * pc, true},
        {1.00004 * tc, 1.00004 * pc, true},
        {0.99995 * tc, 0.9 * pc, false},
        {0.99994 * tc, 0.9 * pc, false},
        {1.00006 * tc, 0.99995 * pc, false},
        {1.00006 * tc, 1.00005 * pc, false},
        {tc, 1.00006 * pc, false},
        {tc, 0.99994 * pc, false},
        {1.00005 * tc, 0.5 * pc, false},
        {tc, 1e5, false},
    };
    const vantrel::fluid water = vantrel::fluid::load(test::test_fluid("water"));
    for (const auto& c : cases)
        EXPECT_EQ(error_of([&] { water.at(vantrel::input_pair::T_p, c.t, c.p); }),
                  c.refused ? test::msg::near_critical() : "no error")
            << c.t / tc << " " << c.p / pc;
}

TEST_F(WaterSaturation, SaturatedStatesOfEachSide) {
    const vantrel::fluid water = vantrel::fluid::load(test::test_fluid("water"));
    const auto s = water.boundary_at_T(450).bubble;
    ASSERT_TRUE(s);
    EXPECT_LT(test::rel(s->p, TABLE8[1].p_mpa * 1e6), 1e-6);
    EXPECT_EQ(s->T, 450);
    EXPECT_LT(test::rel(s->rho_liquid, TABLE8[1].rho_liq), 1e-6);
    EXPECT_LT(test::rel(s->rho_vapour, TABLE8[1].rho_vap), 1e-6);
    // Table 8: h' and h'' in kJ/kg, and h'' - h' = T (s'' - s').
    EXPECT_LT(test::rel(s->h_liquid, 0.749161585e6), 1e-6);
    EXPECT_LT(test::rel(s->h_vapour, 0.277441078e7), 1e-6);
    EXPECT_LT(test::rel(s->s_vapour - s->s_liquid, (s->h_vapour - s->h_liquid) / 450), 1e-6);
    // The states of x = 0 and 1 are the saturated phases.
    EXPECT_EQ(water.at(vantrel::input_pair::T_x, 450, 0).h, s->h_liquid);
    EXPECT_EQ(water.at(vantrel::input_pair::T_x, 450, 1).s, s->s_vapour);
    // No state: below the triple point, within 5e-5 of T_cr under the
    // equal-area rule without expansions, within 1e-6 in any case, above p_cr.
    for (const auto& [by_T, v] : {std::pair{true, 273.15}, {true, 0.99995 * 647.096}, {false, 0.99995 * 22.064e6},
                                  {true, 0.9999999 * 647.096}, {false, 30e6}})
        EXPECT_FALSE(by_T ? water.boundary_at_T(v).bubble : water.boundary_at_p(v).bubble) << v;
}

// Without expansions the correlation decides the phase away from the
// saturation line only where it stays within sat_line_margin of the
// equal-area pressure: the margin holds at least twice the gap, on a grid
// finer than the one it was derived on, and closer to the critical point.
TEST_F(WaterSaturation, SaturationLineMarginHoldsTwiceTheGap) {
    const d::config& c = f().cfg;
    ASSERT_TRUE(c.sat_line_margin);
    const double lo = c.T_tp, hi = (1 - d::CRITICAL_BAND) * c.T_cr;
    double worst = 0;
    int solved = 0;
    for (int k = 0; k <= 1000; ++k) {
        const double T = k <= 800 ? lo + (hi - lo) * k / 800.5
                                  : c.T_cr * (1 - std::pow(10.0, -2 - 2.0 * (k - 800) / 200));
        std::optional<d::sat_solution> s;
        try {
            s = d::solve_saturation(*m, d::given::T, T);
        } catch (const vantrel::error&) {
            continue;  // without expansions the equal-area solve may fail close to the critical point
        }
        if (!s || !s->rho_liquid) continue;
        ++solved;
        worst = std::max(worst, std::fabs(f().line.p(T) / s->p - 1));
    }
    EXPECT_GT(solved, 800);
    EXPECT_LE(2 * worst, *c.sat_line_margin);
}

// Saturation at 647.00, 647.05 and 647.09 K (T_c = 647.096 K), and at 22.00,
// 22.05 and 22.06 MPa (p_c = 22.064 MPa), of the shipped R718 against
// python3-iapws computed in the test. iapws's own saturation pressure at the
// program's saturation temperature is the strict check of the latter: its
// solve at given pressure is less exact.
TEST(NearCritical, WaterAgainstPythonIapws) {
    const vantrel::fluid f = vantrel::fluid::load(test::data() / "R718");
    std::string script;
    const double temperatures[] = {647.00, 647.05, 647.09};
    for (double T : temperatures)
        script += "s = IAPWS95()._saturation(" + test::digits17(T) + "); print(s[2] * 1000, s[0], s[1])\n";
    const double pressures[] = {22.00e6, 22.05e6, 22.06e6};
    for (double p : pressures) {
        const auto s = f.boundary_at_p(p).bubble;
        ASSERT_TRUE(s) << p;
        script += "print(IAPWS95()._saturation(" + test::digits17(s->T) + ")[2] * 1000)\n";
    }
    const std::vector<double> ref = test::iapws_numbers(script);
    ASSERT_EQ(ref.size(), 12u);
    for (int i = 0; i < 3; ++i) {
        const auto s = f.boundary_at_T(temperatures[i]).bubble;
        ASSERT_TRUE(s) << temperatures[i];
        EXPECT_LT(test::rel(s->p, ref[3 * i]), 1e-9) << temperatures[i];
        EXPECT_LT(test::rel(s->rho_liquid, ref[3 * i + 1]), 1e-6) << temperatures[i];
        EXPECT_LT(test::rel(s->rho_vapour, ref[3 * i + 2]), 1e-6) << temperatures[i];
        EXPECT_LT(test::rel(pressures[i], ref[9 + i]), 1e-9) << pressures[i];
    }
}

// A made-up table of expansions in x = sqrt(1 - T/T_c): ln(p/p_c) on two
// pieces, the densities on one, each a short Chebyshev sum written out here
// term by term (T_0 = 1, T_1 = u, T_2 = 2u^2 - 1, T_3 = 4u^3 - 3u).
TEST(Expansions, EvaluateTheirChebyshevSums) {
    const d::table rows{{0, 300, 5e6, 400, 0, 0},
                        {1, 0.01, 0.3, -0.5, -0.4, 0.03, -0.002},
                        {1, 0.3, 0.8, -2.218, -1.3, 0.05, 0.004},  // continuous at x = 0.3
                        {2, 0.01, 0.8, 0.6, 0.5, -0.02, 0.001},
                        {3, 0.01, 0.8, -1.5, -2.0, 0.1, -0.01}};
    const d::sat_expansion e = d::sat_expansion::from_table(rows, "e.txt");
    const auto sum = [](const std::vector<double>& c, double lo, double hi, double x) {
        const double u = (2 * x - lo - hi) / (hi - lo);
        return c[0] + c[1] * u + c[2] * (2 * u * u - 1) + c[3] * (4 * u * u * u - 3 * u);
    };
    for (const double x : {0.05, 0.2, 0.31, 0.45, 0.79}) {
        const double T = 300 * (1 - x * x);
        const auto s = e.at_T(T);
        ASSERT_TRUE(s) << x;
        const double ln_p = x < 0.3 ? sum({-0.5, -0.4, 0.03, -0.002}, 0.01, 0.3, x) : sum({-2.218, -1.3, 0.05, 0.004}, 0.3, 0.8, x);
        EXPECT_LT(test::rel(s->p, 5e6 * std::exp(ln_p)), 4e-15) << x;  // x back from T: a few bits
        EXPECT_LT(test::rel(s->rho_liq, 400 * std::exp(sum({0.6, 0.5, -0.02, 0.001}, 0.01, 0.8, x))), 4e-15) << x;
        EXPECT_LT(test::rel(s->rho_vap, 400 * std::exp(sum({-1.5, -2.0, 0.1, -0.01}, 0.01, 0.8, x))), 4e-15) << x;
        EXPECT_LT(test::rel(e.at_p(s->p)->T, T), 1e-15) << x;  // the inverse
    }
    EXPECT_FALSE(e.at_T(300 * (1 - 0.9 * 0.9)));  // beyond the pieces
    EXPECT_FALSE(e.at_T(301));
    // Pieces that leave a gap, or a quantity without any, are a read error.
    d::table gap = rows;
    gap[2][1] = 0.31;
    EXPECT_EQ(error_of([&] { d::sat_expansion::from_table(gap, "e.txt"); }), test::msg::unreadable("e.txt"));
    EXPECT_EQ(error_of([&] { d::sat_expansion::from_table({rows[0], rows[1], rows[2], rows[3]}, "e.txt"); }),
              test::msg::unreadable("e.txt"));
}

// ------------------------------------------------- saturation-line correlations

d::line_config line(int form, const std::string& base) {
    return {form, base, 300, 1e5, 0.2, 0.3, 1.5, 7.2, 0.1, "sat_line.txt"};
}

d::pressure_line pressure_line(const d::line_config& c, d::table rows = {{1, -2}, {2, 0.5}}) {
    return d::pressure_line(c, std::move(rows), "config.txt", "sat_line.txt");
}

TEST(SatLine, EveryPressureFormInBothBases) {
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
        for (int form = 1; form <= 9; ++form)
            EXPECT_LT(test::rel(pressure_line(line(form, base_name)).p(240), expected[form]), 1e-10)
                << "form " << form << " base " << base_name;
    }
}

TEST(SatLine, FormsAndBasesOutsideTheDefinedOnesAreRejected) {
    EXPECT_EQ(error_of([] { pressure_line(line(0, "exp")).p(250); }), test::msg::bad_value("sat_id", "0", "config.txt"));
    EXPECT_EQ(error_of([] { pressure_line(line(10, "exp")); }), test::msg::bad_value("sat_id", "10", "config.txt"));
    EXPECT_EQ(error_of([] { pressure_line(line(1, "EXP")); }), test::msg::bad_value("sat_base", "EXP", "config.txt"));
    // Forms 6 and 7 use no base, and form 7 reads no table.
    EXPECT_NO_THROW(pressure_line(line(6, "EXP")).p(250));
    EXPECT_NO_THROW(pressure_line(line(7, "EXP"), {}).p(250));
    const test::temp_dir dir;
    EXPECT_NO_THROW(d::load_pressure_line(line(7, "exp"), dir.path.string(), "config.txt"));
    EXPECT_EQ(error_of([&] { d::load_pressure_line(line(1, "exp"), dir.path.string(), "config.txt"); }),
              test::msg::missing(dir.path / "sat_line.txt"));
}

TEST(SatLine, BisectionEdgeCases) {
    // Form 6 with the table (1, 1): p_s = 1000 T, linear.
    d::line_config c = line(6, "exp");
    c.sat_tau = 1;
    c.p_s_0 = 1000;
    const d::pressure_line l = pressure_line(c, {{1, 1}});
    EXPECT_NEAR(l.T_at(233000, 200, 300, 0.05), 233, 0.05);
    // A root met exactly, at a midpoint or at t_min, is returned.
    EXPECT_EQ(l.T_at(250000, 200, 300, 0.05), 250);
    EXPECT_EQ(l.T_at(200000, 200, 300, 0.05), 200);
    // A bracket without a sign change: the result approaches t_max.
    EXPECT_NEAR(l.T_at(900000, 200, 300, 0.05), 300, 0.025);
    EXPECT_NEAR(l.T_at(10000, 200, 300, 0.05), 300, 0.025);
    // A bracket no wider than delta_t: its midpoint.
    EXPECT_DOUBLE_EQ(l.T_at(250000, 250, 250.04, 0.05), 250.02);
    // A tolerance that cannot be met ends once the bracket stops narrowing.
    EXPECT_NEAR(l.T_at(233000, 200, 300, 0), 233, 1e-9);
    EXPECT_NEAR(l.T_at(233000, 200, 300, -1), 233, 1e-9);
}

TEST(SatLine, RangeAtItsBoundsForBothLevels) {
    const auto cfg = [](int sat_id, bool maxwell) {
        d::config c;
        c.line.sat_id = sat_id;
        c.T_tp = 200, c.T_cr = 300, c.p_tp = 1000, c.p_cr = 1e6;
        c.maxwell_rule = maxwell;
        return c;
    };
    const d::config m = cfg(1, true), k = cfg(1, false), none = cfg(0, true);
    using d::given;
    const struct {
        double par;
        given g;
        const d::config* c;
        int level;
        bool expected;
    } cases[] = {
        {200, given::T, &m, 0, true},        {199.999, given::T, &m, 0, false}, {300, given::T, &m, 0, false},
        {299.99, given::T, &m, 0, true},     {1000, given::p, &m, 0, true},     {999, given::p, &m, 0, false},
        {199.99999999999997, given::T, &m, 0, true},  // a rounding below T_tp is within
        // Level 1 with the equal-area rule: up to 1 - 1e-6 of the critical
        // value, inclusive.
        {1e6, given::p, &m, 0, false},       {299.9997, given::T, &m, 1, true}, {0.999999 * 300, given::T, &m, 1, true},
        {299.9998, given::T, &m, 1, false},  {299.9998, given::T, &k, 1, true}, {999999, given::p, &m, 1, true},
        {999999.5, given::p, &m, 1, false},  {999999.5, given::p, &k, 1, true},
        {250, given::T, &m, 2, false},       {250, given::T, &none, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d::in_saturation_range(*c.c, c.g, c.par, c.level), c.expected) << c.par << " " << c.level;
}

TEST(SatLine, SaturatedDensityForms) {
    const d::table liq{{1, 0.5}, {2, -0.25}}, gas{{3, -1.5}};
    const double tau = 0.75, y = 0.25;  // T / tau_div, the correlation's reduced temperature
    const double liq_sum = 0.5 * y - 0.25 * y * y, gas_sum = -1.5 * y * y * y;
    const struct {
        int form;
        double liq, gas;
    } cases[] = {
        {1, std::exp(liq_sum), std::exp(gas_sum)},
        {2, liq_sum, gas_sum},
        {3, std::exp(liq_sum / tau), std::exp(gas_sum / tau)},
        {11, 1 + 0.5 * std::cbrt(y) - 0.25 * std::cbrt(y * y), 1 + (-1.5 * y)},
        {12, std::exp(0.5 * std::pow(y, 1.0 / 6) - 0.25 * std::cbrt(y)), std::exp(-1.5 * std::sqrt(y))},
    };
    const auto omega = [&](int form, const d::table& rows) {
        return d::density_line(form, "sat_liq_id", rows, 500, 250, 400, "config.txt", "t").delta(tau * 400);
    };
    for (const auto& k : cases) {
        EXPECT_NEAR(omega(k.form, liq), 2 * k.liq, 1e-14) << "form " << k.form;
        EXPECT_NEAR(omega(k.form, gas), 2 * k.gas, 1e-14) << "form " << k.form;
    }
    EXPECT_EQ(error_of([&] { omega(4, liq); }), test::msg::bad_value("sat_liq_id", "4", "config.txt"));
    EXPECT_EQ(error_of([&] { d::density_line(0, "sat_gas_id", gas, 1, 1, 1, "config.txt", "t"); }),
              test::msg::bad_value("sat_gas_id", "0", "config.txt"));
}

}  // namespace
