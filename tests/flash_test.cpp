// States from every input pair: round trips through the other pairs on a
// grid of every shipped fluid, two-phase states, water against
// python3-iapws, blends and their glide.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "vantrel/vantrel.h"

using test::rel;
using vantrel::input_pair;

namespace {

const std::vector<std::string> FLUIDS = test::library_fluids();

vantrel::fluid load(const std::string& agent) { return vantrel::fluid::load(test::data() / agent); }

// Single-phase states over each fluid's range: liquid, vapour, supercritical
// and 1e-3 off the saturation line on both sides.
std::vector<std::pair<double, double>> grid(const vantrel::fluid& f) {
    const vantrel::fluid_info& i = f.info();
    std::vector<std::pair<double, double>> states;
    for (const double t : {0.05, 0.3, 0.6, 0.9, 0.97}) {
        const double T = i.T_tp + t * (i.T_cr - i.T_tp);
        const double p_s = f.boundary_at_T(T).bubble->p;
        for (const double k : {0.01, 0.5, 0.999, 1.001, 2.0}) states.emplace_back(T, k * p_s);
        states.emplace_back(T, 3 * i.p_cr);
    }
    for (const double T : {1.1 * i.T_cr, 1.5 * i.T_cr, 0.95 * *i.T_max})
        for (const double p : {0.1 * i.p_cr, 1.5 * i.p_cr, 0.5 * *i.p_max}) states.emplace_back(T, p);
    return states;
}

struct round_trip {
    input_pair pair;
    const char* name;
};

// The pair's name in the test's name and in its listing.
void PrintTo(const round_trip& r, std::ostream* out) { *out << r.name; }

class Pairs : public ::testing::TestWithParam<round_trip> {};

// (T, p) -> (h, s) and back through the pair: T to 1e-9, p to 1e-9 (beyond a liquid's stiffness).
TEST_P(Pairs, RecoverTheStateOfTemperatureAndPressure) {
    const round_trip c = GetParam();
    for (const std::string& agent : FLUIDS) {
        const vantrel::fluid f = load(agent);
        double worst_t = 0, worst_p = 0;
        for (const auto& [T, p] : grid(f)) {
            const vantrel::state s = f.at(input_pair::T_p, T, p, vantrel::extras::none);
            const double first = c.pair == input_pair::h_s ? s.h : p;
            const double second = c.pair == input_pair::p_h ? s.h : s.s;
            const vantrel::state back = f.at(c.pair, first, second, vantrel::extras::none);
            const std::string what = std::string(agent) + " " + std::to_string(T) + " K " + std::to_string(p) + " Pa";
            EXPECT_LT(rel(back.T, T), 1e-9) << what;
            // A liquid's stiffness rho w^2 magnifies in p the last bits of a density that h and s give.
            EXPECT_LT(std::fabs(back.p - p), 1e-9 * p + 1e-13 * s.rho * *s.w * *s.w) << what << ": " << back.p;
            EXPECT_EQ(back.phase, s.phase) << what;
            worst_t = std::max(worst_t, rel(back.T, T));
            worst_p = std::max(worst_p, rel(back.p, p));
        }
        std::cout << "[ " << c.name << " ] " << agent << " largest relative deviation: T " << worst_t << ", p "
                  << worst_p << "\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Flashes, Pairs,
                         ::testing::Values(round_trip{input_pair::p_h, "p, h"}, round_trip{input_pair::p_s, "p, s"},
                                           round_trip{input_pair::h_s, "h, s"}),
                         [](const auto& info) {
                             return std::string(info.param.pair == input_pair::p_h   ? "PH"
                                                : info.param.pair == input_pair::p_s ? "PS"
                                                                                     : "HS");
                         });

// (T, x) -> (p, h) -> x, and through (p, s), (h, s), (T, rho) and (p, x).
TEST(TwoPhase, QualityRecoveredThroughEveryPair) {
    for (const std::string& agent : FLUIDS) {
        const vantrel::fluid f = load(agent);
        const vantrel::fluid_info& i = f.info();
        double worst = 0;
        // From the triple point itself (the lower end of the saturation line)
        // to 1e-3 below the critical temperature.
        for (const double t : {0.0, 0.02, 0.3, 0.6, 0.9, 0.999}) {
            const double T = std::min(i.T_tp + t * (i.T_cr - i.T_tp), i.T_cr * (1 - 1e-3));
            for (const double x : {0.0, 1e-4, 0.25, 0.5, 0.9, 1.0}) {
                const vantrel::state s = f.at(input_pair::T_x, T, x);
                ASSERT_EQ(*s.x, x);
                EXPECT_EQ(s.phase, x == 0   ? vantrel::phase_kind::liquid
                                   : x == 1 ? vantrel::phase_kind::gas
                                            : vantrel::phase_kind::two_phase);
                // R404A's saturation comes from correlations; within about 1 % of
                // its critical point the equation gives one density at their
                // pressure and the correlations' densities stand in: there the
                // mixing lines of neighbouring temperatures cross in (h, s), and
                // (h, s) may find either.
                const bool crossing = agent == "R404A" && T > i.T_cr * (1 - 1e-2);
                const vantrel::state by[] = {f.at(input_pair::p_h, s.p, s.h), f.at(input_pair::p_s, s.p, s.s),
                                             crossing ? s : f.at(input_pair::h_s, s.h, s.s),
                                             f.at(input_pair::T_rho, T, s.rho), f.at(input_pair::p_x, s.p, x)};
                // R22's terms cancel to three digits: h' and s' carry some
                // 1e-12 of noise, which (h, s) a hair inside the dome, where
                // the lines nearly coincide, magnifies.
                const double tol = agent == "R22" ? 1e-8 : 1e-9;
                for (const auto& b : by) {
                    // On the dome's edge (h, s) may land on its single-phase side.
                    ASSERT_TRUE(b.x || x == 0 || x == 1) << agent << " " << T << " " << x;
                    if (b.x) {
                        EXPECT_NEAR(*b.x, x, tol) << agent << " " << T << " " << x;
                    }
                    EXPECT_LT(rel(b.T, T), tol) << agent << " " << T << " " << x;
                    if (b.x) worst = std::max(worst, std::fabs(*b.x - x));
                }
            }
        }
        std::cout << "[ quality   ] " << agent << " largest |x - x0| " << worst << "\n";
    }
}

// The edges of the dome and of the equation, for every pair on every fluid:
// h', h'', s', s'' at -4 ... +4 ulps, the triple line, below the triple
// point, T = T_cr and p = p_cr exactly, compressed liquid up to p_max. Each
// state is computed, on its side of the dome (the library returns no state
// that does not reproduce its inputs).
TEST(Boundaries, EveryPairAtTheEdgesOfEveryFluid) {
    for (const std::string& agent : FLUIDS) {
        SCOPED_TRACE(agent);
        const vantrel::fluid f = load(agent);
        const vantrel::fluid_info& i = f.info();
        // R404A's saturation comes from correlations: next to its critical
        // point the equation has no gas at their saturated vapour's h or s,
        // and their saturated states lie a hair off the equation's, so (h, s)
        // at them may land on the other side or fail.
        const bool equal_area = agent != "R404A";
        for (const double q : {0.0, 0.25, 0.5, 0.9, 0.999}) {
            if (q == 0.999 && !equal_area) continue;
            const double p = i.p_tp + q * (i.p_cr - i.p_tp);
            const auto sat = f.boundary_at_p(p).bubble;
            ASSERT_TRUE(sat) << p;
            const struct {
                input_pair pair;
                double edge;
                bool vapour;
            } edges[] = {{input_pair::p_h, sat->h_liquid, false}, {input_pair::p_h, sat->h_vapour, true},
                         {input_pair::p_s, sat->s_liquid, false}, {input_pair::p_s, sat->s_vapour, true}};
            for (const auto& e : edges) {
                double v = e.edge;
                for (int k = 0; k < 4; ++k) v = std::nextafter(v, -INFINITY);
                for (int k = -4; k <= 4; ++k, v = std::nextafter(v, INFINITY)) {
                    const vantrel::state s = f.at(e.pair, p, v);
                    // Inside, two phases, or the saturated phase itself where x rounds to 0 or 1.
                    const auto edge = e.vapour ? vantrel::phase_kind::gas : vantrel::phase_kind::liquid;
                    const bool inside = e.vapour ? k < 0 : k > 0;
                    EXPECT_TRUE(inside ? s.phase == vantrel::phase_kind::two_phase || s.x == (e.vapour ? 1.0 : 0.0)
                                       : s.phase == edge)
                        << p << " Pa, " << k << " ulps from " << (e.vapour ? "the vapour" : "the liquid");
                }
            }
            if (!equal_area) continue;
            EXPECT_NO_THROW(f.at(input_pair::h_s, sat->h_vapour, sat->s_vapour)) << p;
            EXPECT_NO_THROW(f.at(input_pair::h_s, sat->h_liquid, sat->s_liquid)) << p;
        }
        // The triple line: its two-phase states by (h, s) as well.
        const vantrel::state wet = f.at(input_pair::T_x, i.T_tp, 0.3);
        EXPECT_NEAR(*f.at(input_pair::h_s, wet.h, wet.s).x, 0.3, 1e-9);
        // Below the triple point a gas is computed, with its warning, or refused.
        const vantrel::state cold = f.at(input_pair::T_p, i.T_tp - 2, 0.1 * i.p_tp);
        for (const input_pair pair : {input_pair::p_h, input_pair::p_s}) {
            try {
                const vantrel::state back = f.at(pair, cold.p, pair == input_pair::p_h ? cold.h : cold.s);
                EXPECT_LT(rel(back.T, cold.T), 1e-9);
            } catch (const vantrel::error& e) {
                EXPECT_EQ(e.id(), vantrel::message_id::below_lower_limit) << e.what();
            }
        }
        // The critical temperature and pressure exactly, away from each other,
        // and compressed liquid up to p_max: computed, and found again by (h, s).
        const std::pair<double, double> states[] = {
            {i.T_cr, 0.5 * i.p_cr}, {i.T_cr, 0.99 * i.p_cr}, {i.T_cr, 1.01 * i.p_cr}, {i.T_cr, 2 * i.p_cr},
            {0.9 * i.T_cr, i.p_cr}, {1.1 * i.T_cr, i.p_cr},  {i.T_tp + 5, *i.p_max},  {0.8 * i.T_cr, *i.p_max}};
        for (const auto& [T, p] : states) {
            const vantrel::state s = f.at(input_pair::T_p, T, p);
            EXPECT_LT(rel(f.at(input_pair::h_s, s.h, s.s).T, T), 1e-9) << T << " K " << p << " Pa";
            EXPECT_LT(rel(f.at(input_pair::p_h, p, s.h).T, T), 1e-9) << T << " K " << p << " Pa";
        }
    }
}

// Mixture values: v, h, s, u weighted by x, rho = 1/v, no c_p, c_v, w, JT.
TEST(TwoPhase, MixtureOfTheSaturatedPhases) {
    const vantrel::fluid f = load("R718");
    const auto sat = f.boundary_at_T(400).bubble;
    const vantrel::state s = f.at(input_pair::T_x, 400, 0.25);
    const double v = 0.75 / sat->rho_liquid + 0.25 / sat->rho_vapour;
    EXPECT_EQ(s.phase, vantrel::phase_kind::two_phase);
    EXPECT_STREQ(vantrel::phase_name(s.phase), "two-phase");
    EXPECT_DOUBLE_EQ(s.v, v);
    EXPECT_DOUBLE_EQ(s.rho, 1 / v);
    EXPECT_DOUBLE_EQ(s.h, 0.75 * sat->h_liquid + 0.25 * sat->h_vapour);
    EXPECT_DOUBLE_EQ(s.s, 0.75 * sat->s_liquid + 0.25 * sat->s_vapour);
    EXPECT_DOUBLE_EQ(s.u, s.h - sat->p * v);
    EXPECT_EQ(s.p, sat->p);
    EXPECT_FALSE(s.cp || s.cv || s.w || s.jt);
    // A (T, p) state is never two-phase, and has no x.
    const vantrel::state single = f.at(input_pair::T_p, 400, 2e5);
    EXPECT_FALSE(single.x);
    EXPECT_TRUE(single.cp && single.w);
}

// Values no state has: one-line errors of the input kind.
TEST(TwoPhase, InputsWithoutAState) {
    const vantrel::fluid f = load("R718");
    const struct {
        input_pair pair;
        double first, second;
        const char* message;
    } cases[] = {
        {input_pair::T_x, 400, 1.5, "Недопустимая доля пара x = 1.5: она должна быть от 0 до 1."},
        {input_pair::T_x, 700, 0.5, "Состояния с T = 700 K и x = 0.5 не существует."},
        {input_pair::p_x, 3e7, 0.5, "Состояния с p = 30000000 Pa и x = 0.5 не существует."},
        {input_pair::T_rho, 400, -1, "Недопустимая плотность rho = -1 kg/m3: она должна быть больше 0."},
        {input_pair::p_h, 1e5, 1e9, "Состояния с p = 100000 Pa и h = 1000000000 J/kg не существует."},
        {input_pair::h_s, -1e7, -1e6, "Состояния с h = -10000000 J/kg и s = -1000000 J/(kg K) не существует."},
    };
    for (const auto& c : cases) {
        try {
            f.at(c.pair, c.first, c.second);
            ADD_FAILURE() << c.message;
        } catch (const vantrel::error& e) {
            EXPECT_EQ(e.kind(), vantrel::error_kind::input);
            EXPECT_EQ(test::russian(e), c.message);
        }
    }
}


// Water by (p, h), (p, s), (T, x) and (h, s) against python3-iapws, computed
// in the test: T to 1e-7, x to 1e-6, at single-phase and two-phase states.
TEST(WaterFlashes, AgreeWithPythonIapws) {
    const vantrel::fluid f = load("R718");
    // States by (T, p) and by (T, x) over the range; their h and s drive the flashes.
    std::vector<vantrel::state> states;
    for (const double T : {280.0, 330.0, 400.0, 480.0, 560.0, 620.0, 700.0, 900.0})
        for (const double p : {5e4, 1e6, 3e7}) states.push_back(f.at(input_pair::T_p, T, p));
    for (const double T : {300.0, 373.15, 450.0, 550.0, 640.0})
        for (const double x : {0.1, 0.6}) states.push_back(f.at(input_pair::T_x, T, x));
    // iapws's own flash solvers do not converge everywhere, and inside the
    // dome its (P, s) solve may return a state off its own saturation line:
    // such a state prints nan and is left out. Its (T, P) state must give
    // back the h and s asked for, and a two-phase state's T must have
    // iapws's own saturation pressure.
    std::string script =
        "import warnings\nwarnings.simplefilter('ignore')\n"
        "def flash(**k):\n"
        "    try:\n"
        "        w = IAPWS95(**k)\n"
        "        if 0 < w.x < 1:\n"
        "            ok = abs(IAPWS95()._saturation(w.T)[2] / 1000 / w.P - 1) < 1e-9\n"
        "        else:\n"
        "            v = IAPWS95(T=w.T, P=w.P)\n"
        "            ok = all(abs(getattr(v, q) / k[q] - 1) < 1e-9 for q in ('h', 's') if q in k)\n"
        "        return '%r %r' % (w.T, w.x) if ok else 'nan nan'\n"
        "    except Exception:\n"
        "        return 'nan nan'\n";
    for (const auto& s : states) {
        const std::string P = test::digits17(s.p / 1e6), h = test::digits17(s.h / 1e3), e = test::digits17(s.s / 1e3);
        script += "print(flash(P=" + P + ", h=" + h + "), flash(P=" + P + ", s=" + e + "), flash(h=" + h + ", s=" +
                  e + "))\n";
    }
    for (const double T : {300.0, 450.0, 600.0, 640.0})
        for (const double x : {0.2, 0.7}) script += "d = IAPWS95(T=" + test::digits17(T) + ", x=" + test::digits17(x) + "); print(d.P * 1e6, d.h * 1e3, d.s * 1e3)\n";
    const std::vector<double> ref = test::iapws_numbers(script);
    ASSERT_EQ(ref.size(), 6 * states.size() + 3 * 8);
    double worst_t = 0, worst_x = 0;
    int compared[3] = {0, 0, 0};
    for (std::size_t k = 0; k < states.size(); ++k) {
        const vantrel::state& s = states[k];
        const vantrel::state by[] = {f.at(input_pair::p_h, s.p, s.h), f.at(input_pair::p_s, s.p, s.s),
                                     f.at(input_pair::h_s, s.h, s.s)};
        for (int j = 0; j < 3; ++j) {
            const double T = ref[6 * k + 2 * j], x = ref[6 * k + 2 * j + 1];
            if (std::isnan(T)) continue;
            ++compared[j];
            EXPECT_LT(rel(by[j].T, T), 1e-7) << k << " " << j << " at " << s.T << " K";
            worst_t = std::max(worst_t, rel(by[j].T, T));
            if (by[j].x && x > 0 && x < 1) {
                EXPECT_NEAR(*by[j].x, x, 1e-6) << k << " " << j;
                worst_x = std::max(worst_x, std::fabs(*by[j].x - x));
            }
        }
    }
    std::size_t k = 6 * states.size();
    for (const double T : {300.0, 450.0, 600.0, 640.0}) {
        for (const double x : {0.2, 0.7}) {
            const vantrel::state s = f.at(input_pair::T_x, T, x);
            EXPECT_LT(rel(s.p, ref[k]), 1e-7) << T << " " << x;
            EXPECT_LT(rel(s.h, ref[k + 1]), 1e-7) << T << " " << x;
            EXPECT_LT(rel(s.s, ref[k + 2]), 1e-7) << T << " " << x;
            k += 3;
        }
    }
    for (int n : compared) EXPECT_GE(n, 20);
    std::cout << "[ iapws     ] flashes: states compared by (p, h), (p, s), (h, s): " << compared[0] << ", "
              << compared[1] << ", " << compared[2] << "; largest relative deviation of T " << worst_t << ", of x "
              << worst_x << "\n";
}

// Blends: bubble and dew values at T and p, the glide between them, up to
// the equation's critical temperature.
TEST(Blends, BubbleDewAndGlide) {
    const struct {
        const char* agent;
        double glide_min, glide_max;  // K, at 5 bar
    } cases[] = {{"R407C", 5.5, 7.5}, {"R404A", 0.3, 0.8}, {"R410A", 0.05, 0.2}, {"R507A", 0, 0.05}};
    for (const auto& c : cases) {
        const vantrel::fluid f = load(c.agent);
        EXPECT_TRUE(f.info().glide) << c.agent;
        const vantrel::state s = f.at(input_pair::T_p, 273.15, 5e5);
        ASSERT_TRUE(s.glide && s.p_bubble && s.p_dew && s.T_bubble && s.T_dew) << c.agent;
        EXPECT_GT(*s.glide, c.glide_min) << c.agent;
        EXPECT_LT(*s.glide, c.glide_max) << c.agent;
        EXPECT_GT(*s.p_bubble, *s.p_dew) << c.agent;
        EXPECT_NEAR(*s.T_dew - *s.T_bubble, *s.glide, 1e-12) << c.agent;
        // The bubble temperature at the bubble pressure is the temperature.
        const vantrel::state b = f.at(input_pair::T_p, 273.15, *s.p_bubble);
        EXPECT_NEAR(*b.T_bubble, 273.15, 1e-9) << c.agent;
        const vantrel::state hot = f.at(input_pair::T_p, f.info().T_cr + 1, 5e5);
        EXPECT_FALSE(hot.p_bubble || hot.p_dew) << c.agent;
    }
    const vantrel::fluid pure = load("R134a");
    EXPECT_FALSE(pure.info().glide);
    EXPECT_FALSE(pure.at(input_pair::T_p, 273.15, 5e5).glide);
}

}  // namespace
