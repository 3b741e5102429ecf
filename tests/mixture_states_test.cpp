// States of mixtures through the public API: two-phase (T, p) states
// against an independent 50-digit evaluation, round trips through every
// pair on each predefined blend, the phase decided next to the bubble and
// dew lines, the refusals, and a grid of (p, h) states across each envelope.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "test_support.h"
#include "vantrel/vantrel.h"

using vantrel::input_pair;
using vantrel::phase_kind;

namespace {

const std::string DATA = test::data().string();

const vantrel::fluid& blend(const std::string& name) {
    static std::map<std::string, vantrel::fluid> loaded;
    auto it = loaded.find(name);
    if (it == loaded.end()) it = loaded.emplace(name, vantrel::fluid::by_name(DATA, name)).first;
    return it->second;
}

std::vector<std::string> blend_names() {
    std::vector<std::string> out;
    for (const auto& b : vantrel::list_blends(DATA)) out.push_back(b.info.agent);
    return out;
}

vantrel::state at(const vantrel::fluid& f, input_pair pair, double a, double b) {
    return f.at(pair, a, b, vantrel::extras::none);
}

// The kind of error a state gets, or "answered".
std::string outcome(const vantrel::fluid& f, input_pair pair, double a, double b) {
    try {
        at(f, pair, a, b);
        return "answered";
    } catch (const vantrel::error& e) {
        return e.kind() == vantrel::error_kind::near_critical ? "near critical"
               : e.kind() == vantrel::error_kind::input       ? "input"
                                                              : std::string("failed: ") + e.what();
    }
}

}  // namespace

// Two-phase (T, p) states of R454B, R449A and R407C.mix: the vapour mass
// fraction and both phases' mole fractions to 1e-9 of the 50-digit solution
// of tools/reference/mixture_mpmath.py --flash, the mass fractions
// consistent with them and the whole's h between the phases'.
TEST(MixtureStates, TwoPhaseAtTAndPAgainstTheIndependentEvaluation) {
    const auto records = test::read_records(test::source() / "tests" / "mixtures" / "flash.txt");
    ASSERT_EQ(records.size(), 27u);
    for (const auto& rec : records) {
        const vantrel::fluid& f = blend(rec.text("blend"));
        const std::string where = rec.text("blend") + " T=" + rec.text("T") + " p=" + rec.text("p");
        const vantrel::state s = at(f, input_pair::T_p, rec.number("T"), rec.number("p"));
        ASSERT_EQ(s.phase, phase_kind::two_phase) << where;
        ASSERT_TRUE(s.phases && s.x) << where;
        EXPECT_NEAR(*s.x, rec.number("x_mass"), 1e-9) << where;
        const auto& c = f.components();
        for (std::size_t i = 0; i < c.size(); ++i) {
            const std::string k = std::to_string(i + 1);
            EXPECT_NEAR(s.phases->liquid_mole[i], rec.number("x_" + k), 1e-9) << where << " x_" << k;
            EXPECT_NEAR(s.phases->vapour_mole[i], rec.number("y_" + k), 1e-9) << where << " y_" << k;
            // The liquid's mass fraction of the feed's share, with x of the vapour: the balance in mass.
            const double mass = (1 - *s.x) * s.phases->liquid_mass[i] + *s.x * s.phases->vapour_mass[i];
            EXPECT_NEAR(mass, c[i].mass_fraction, 1e-12) << where;
        }
        EXPECT_FALSE(s.cp || s.cv || s.w || s.jt) << where;
    }
}

// Every predefined blend at three pressures: a liquid 15 K below the bubble
// point, a gas 15 K above the dew point, and two-phase states at a quarter
// and three quarters of the glide, each named again by (p, h), (p, s),
// (T, rho) and (h, s) and found the same; a two-phase state's x names it by
// (p, x) and (T, x) as well.
TEST(MixtureStates, RoundTripsThroughEveryPair) {
    for (const std::string& name : blend_names()) {
        const vantrel::fluid& f = blend(name);
        const vantrel::phase_envelope& e = f.envelope();
        const double p_low = std::max(e.bubble.front().p, 1e5);
        for (double p : {p_low * 1.5, std::sqrt(p_low * e.p_critical), 0.8 * e.p_critical}) {
            const double T_bub = f.boundary_at_p(p).bubble.value().T, T_dew = f.boundary_at_p(p).dew.value().T;
            for (double T : {T_bub - 15, T_bub + 0.25 * (T_dew - T_bub), T_bub + 0.75 * (T_dew - T_bub), T_dew + 15}) {
                const std::string where = name + " T=" + std::to_string(T) + " p=" + std::to_string(p);
                const vantrel::state s = at(f, input_pair::T_p, T, p);
                const bool two = T > T_bub && T < T_dew;
                ASSERT_EQ(s.phase == phase_kind::two_phase, two) << where;
                EXPECT_EQ(s.phase == phase_kind::liquid, T < T_bub) << where;
                std::vector<vantrel::state> again = {at(f, input_pair::p_h, p, s.h), at(f, input_pair::p_s, p, s.s),
                                                     at(f, input_pair::T_rho, T, s.rho), at(f, input_pair::h_s, s.h, s.s)};
                if (two) {
                    again.push_back(at(f, input_pair::p_x, p, *s.x));
                    again.push_back(at(f, input_pair::T_x, T, *s.x));
                }
                for (const vantrel::state& r : again) {
                    EXPECT_LT(test::rel(r.T, T), 1e-9) << where;
                    EXPECT_LT(test::rel(r.p, p), 1e-9) << where;
                    EXPECT_LT(test::rel(r.h, s.h), 1e-9) << where;
                    EXPECT_EQ(r.phase, s.phase) << where;
                    if (two) {
                        EXPECT_NEAR(*r.x, *s.x, 1e-9) << where;
                    }
                }
            }
        }
    }
}

// Next to the lines, where the phase is decided by the line's point and a
// stability test: 1e-7 above the bubble pressure a liquid, below it two
// phases with the vapour's share near 0; likewise at the dew point. The
// state at x = 0 and x = 1 is the bubble and the dew point.
TEST(MixtureStates, PhaseNextToTheLines) {
    for (const std::string name : {"R454B", "R449A", "R407C.mix", "R513A"}) {
        const vantrel::fluid& f = blend(name);
        const double T = 270;
        const vantrel::equilibrium_point b = f.boundary_at_T(T).bubble.value(), d = f.boundary_at_T(T).dew.value();
        const struct {
            double p;
            phase_kind phase;
            double x;  // two-phase: about
        } cases[] = {{b.p * (1 + 1e-7), phase_kind::liquid, 0}, {b.p * (1 - 1e-7), phase_kind::two_phase, 0},
                     {d.p * (1 + 1e-7), phase_kind::two_phase, 1}, {d.p * (1 - 1e-7), phase_kind::gas, 1}};
        for (const auto& c : cases) {
            const vantrel::state s = at(f, input_pair::T_p, T, c.p);
            EXPECT_EQ(s.phase, c.phase) << name << " p=" << c.p;
            if (s.x) {
                EXPECT_NEAR(*s.x, c.x, 0.05) << name << " p=" << c.p;
            }
        }
        const vantrel::state at_0 = at(f, input_pair::T_x, T, 0), at_1 = at(f, input_pair::T_x, T, 1);
        EXPECT_LT(test::rel(at_0.p, b.p), 1e-12) << name;
        EXPECT_LT(test::rel(at_0.h, b.h_liquid), 1e-12) << name;
        EXPECT_LT(test::rel(at_1.p, d.p), 1e-12) << name;
        EXPECT_LT(test::rel(at_1.h, d.h_vapour), 1e-12) << name;
        EXPECT_EQ(at_0.phases->vapour_mole, b.incipient_mole) << name;
        // The saturation values of a blend are the dew point's.
        const vantrel::state g = f.at(input_pair::T_p, T, d.p * 0.5);
        EXPECT_DOUBLE_EQ(*g.p_sat, d.p) << name;
        EXPECT_DOUBLE_EQ(*g.p_dew, d.p) << name;
        EXPECT_DOUBLE_EQ(*g.p_bubble, b.p) << name;
        EXPECT_DOUBLE_EQ(*g.T_sat, f.boundary_at_p(d.p * 0.5).dew.value().T) << name;
        EXPECT_DOUBLE_EQ(*g.glide, *g.T_dew - *g.T_bubble) << name;
    }
}

// What is refused, with its kind: the critical neighbourhood, the two-phase
// states below the envelope's lower limit; what is not: (h, s), a liquid
// below that limit and every phase above the envelope.
TEST(MixtureStates, RefusalsAndTheirKinds) {
    const vantrel::fluid& f = blend("R454B");
    const vantrel::phase_envelope& e = f.envelope();
    const struct {
        input_pair pair;
        double a, b;
        std::string want;
    } cases[] = {
        {input_pair::T_p, e.T_critical, e.p_critical, "near critical"},
        {input_pair::T_p, e.T_refused, e.p_refused * 1.001, "near critical"},
        {input_pair::T_x, e.T_refused * 1.0001, 0.5, "near critical"},
        {input_pair::p_x, e.p_refused * 1.0001, 0.5, "near critical"},
        {input_pair::p_h, e.p_critical, f.at(input_pair::T_p, e.T_critical, e.p_critical * 1.01).h, "near critical"},
        {input_pair::h_s, 4e5, 1.8e3, "answered"},
        {input_pair::T_x, e.dew.front().T - 1, 0.5, "input"},
        {input_pair::T_p, e.T_cricondentherm * 1.01, e.p_critical * 1.01, "answered"},
        {input_pair::T_p, e.T_critical * 0.9, e.p_cricondenbar * 1.01, "answered"},
        {input_pair::T_p, e.T_critical * 1.5, 1e5, "answered"},
        {input_pair::T_p, e.dew.front().T - 10, 50e5, "answered"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome(f, c.pair, c.a, c.b), c.want) << static_cast<int>(c.pair) << " " << c.a << " " << c.b;
}

// A liquid compressed past the cricondenbar, where no bubble point guides
// the density, continues the liquid below it: denser, and its enthalpy
// moved by less than 5 v dp (dh = v (1 - T beta) dp, T beta of a liquid
// near its critical point a few; a spurious root of the equation has an
// absurd enthalpy). Cold, where such roots lie, and near the critical point;
// each state named again by (p, h) and (p, s), which must not stop at such a
// root on their way down from the critical neighbourhood, nor take the phase
// of the isobar's two phases below T_refused (from p_refused up, the isobar
// can still cross the envelope below the critical neighbourhood).
TEST(MixtureStates, LiquidAboveTheCricondenbarContinuesTheLiquid) {
    for (const std::string& name : blend_names()) {
        const vantrel::fluid& f = blend(name);
        const vantrel::phase_envelope& e = f.envelope();
        for (const double T : {e.bubble.front().T + 5, std::max(213.15, e.bubble.front().T + 10), 0.95 * e.T_critical}) {
            const double p_below = 0.95 * e.p_cricondenbar;
            const vantrel::state below = at(f, input_pair::T_p, T, p_below);
            ASSERT_EQ(below.phase, phase_kind::liquid) << name << " T=" << T;
            for (const double times : {1.1, 1.5, 2.0, 3.0}) {
                const double p = times * e.p_cricondenbar;
                const vantrel::state s = at(f, input_pair::T_p, T, p);
                const std::string where = name + " T=" + std::to_string(T) + " p=" + std::to_string(p);
                EXPECT_EQ(s.phase, phase_kind::liquid) << where;
                EXPECT_GT(s.rho, below.rho) << where;
                EXPECT_LT(std::fabs(s.h - below.h), 5 * (p - p_below) / below.rho) << where;
            }
            for (const double p : {p_below, e.p_refused * (1 + 1e-4), 0.5 * (e.p_refused + e.p_cricondenbar),
                                   1.5 * e.p_cricondenbar}) {
                const std::string where = name + " T=" + std::to_string(T) + " p=" + std::to_string(p);
                const vantrel::state s = at(f, input_pair::T_p, T, p);
                for (const vantrel::state& r : {at(f, input_pair::p_h, p, s.h), at(f, input_pair::p_s, p, s.s)}) {
                    EXPECT_LT(test::rel(r.T, T), 1e-9) << where;
                    EXPECT_EQ(r.phase, s.phase) << where;
                }
            }
        }
    }
}

// A phase of a tiny share: states a fraction d of the span between the
// bubble and dew values away from a line, inside and outside, by (p, h),
// (p, s) and (T, p), at the envelope's low end (where a liquid's density
// rounding is worth 1e-9 of p), at 1 kPa and at a common pressure; and
// (p, x) with x of the same size. Outside, the line's phase; inside, two
// phases, or at d = 3e-9 the line's phase where the smaller one vanished.
TEST(MixtureStates, StatesAtTheEdgeOfTheLines) {
    for (const std::string& name : blend_names()) {
        const vantrel::fluid& f = blend(name);
        const vantrel::phase_envelope& e = f.envelope();
        const double p_low = std::max(e.bubble.front().p, e.dew.front().p) * 1.001;
        for (const double p : {p_low, std::max(p_low, 1e3), 3e5}) {
            const vantrel::state b = at(f, input_pair::p_x, p, 0), d = at(f, input_pair::p_x, p, 1);
            for (const double del : {3e-9, 1e-7, 1e-5}) {
                // t: the fraction of the way from the bubble to the dew value.
                for (const double t : {-del, del, 1 - del, 1 + del}) {
                    const bool inside = t > 0 && t < 1;
                    const phase_kind line = t < 0.5 ? phase_kind::liquid : phase_kind::gas;
                    const std::string where = name + " p=" + std::to_string(p) + " t=" + std::to_string(t);
                    const vantrel::state got[] = {at(f, input_pair::p_h, p, b.h + t * (d.h - b.h)),
                                                  at(f, input_pair::p_s, p, b.s + t * (d.s - b.s)),
                                                  at(f, input_pair::T_p, b.T + t * (d.T - b.T), p)};
                    for (const vantrel::state& s : got) {
                        if (inside && !(del < 1e-8 && s.phase == line)) {
                            ASSERT_EQ(s.phase, phase_kind::two_phase) << where;
                            EXPECT_NEAR(*s.x, t < 0.5 ? 0 : 1, 1e-3) << where;
                        } else {
                            EXPECT_EQ(s.phase, line) << where;
                        }
                    }
                    if (inside) {
                        EXPECT_NEAR(*at(f, input_pair::p_x, p, t).x, t, 1e-12) << where;
                    }
                }
            }
        }
    }
}

// Below the lowest pressure of the bubble line, where the bubble point at p
// lies below the envelope's lower limit T_low, and below both lines' lowest
// pressures: every state (T, p) answers from T_low up (two phases and gas,
// or gas only) is named again by (p, h) and (p, s), and two phases by
// (p, x), the same phase at the same T.
TEST(MixtureStates, StatesBelowTheLinesLowestPressures) {
    for (const std::string& name : blend_names()) {
        const vantrel::fluid& f = blend(name);
        const vantrel::phase_envelope& e = f.envelope();
        const double dew_foot = e.dew.front().p, bubble_foot = e.bubble.front().p, T_low = e.bubble.front().T;
        for (const double p : {0.5 * dew_foot, 0.5 * (dew_foot + bubble_foot)}) {
            int two = 0;
            for (int k = 0; k <= 20; ++k) {
                const double T = T_low + 0.01 + 40 * k / 20.0;
                const std::string where = name + " T=" + std::to_string(T) + " p=" + std::to_string(p);
                const vantrel::state s = at(f, input_pair::T_p, T, p);
                std::vector<vantrel::state> again{at(f, input_pair::p_h, p, s.h), at(f, input_pair::p_s, p, s.s)};
                if (s.phase == phase_kind::two_phase) ++two, again.push_back(at(f, input_pair::p_x, p, *s.x));
                for (const vantrel::state& r : again) {
                    EXPECT_LT(test::rel(r.T, T), 1e-9) << where;
                    EXPECT_EQ(r.phase, s.phase) << where;
                }
            }
            EXPECT_EQ(two > 0, p > dew_foot) << name << " p=" << p;
        }
    }
}
