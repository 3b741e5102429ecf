// Grids of states of every predefined blend, each state asked again by
// another pair:
// - (p, h) across the envelope: 100 pressures from 0.5 bar (or the
//   envelope's lowest bubble pressure) to 0.9 of the critical pressure, 100
//   enthalpies from 20 K below the bubble point to 30 K above the dew
//   point at each; every state answers and reproduces its p and h;
// - (h, s) of a 60 by 60 (T, p) grid over the stated range (T evenly, p from
//   10 kPa to p_max evenly in ln p) and of 20 by 20 two-phase (p, x) states
//   inside the envelope: every state answers with its T and p.
// Under the sanitizers, 10 by 10 each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "test_support.h"
#include "vantrel/vantrel.h"

using vantrel::input_pair;

namespace {

#ifdef VANTREL_SANITIZED
constexpr int SCALE = 10;
#else
constexpr int SCALE = 0;
#endif

// Each blend's n by n grid: at(f, i, j) gives the state to ask again (or
// nothing), again(f, s) asks it and checks the answer. Failures are counted
// per blend, the first five reported.
void over_blends(int n, const std::function<std::optional<vantrel::state>(const vantrel::fluid&, int, int)>& at,
                 const std::function<void(const vantrel::fluid&, const vantrel::state&)>& again) {
    const std::string data = test::data().string();
    for (const auto& b : vantrel::list_blends(data)) {
        const vantrel::fluid f = vantrel::fluid::by_name(data, b.info.agent);
        int failed = 0, asked = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const std::optional<vantrel::state> s = at(f, i, j);
                if (!s) continue;
                ++asked;
                try {
                    again(f, *s);
                } catch (const vantrel::error& err) {
                    if (++failed <= 5) ADD_FAILURE() << b.info.agent << " T=" << s->T << " p=" << s->p << ": " << err.what();
                }
            }
        EXPECT_EQ(failed, 0) << b.info.agent;
        EXPECT_GT(asked, n * n / 2) << b.info.agent;
    }
}

double between(double lo, double hi, int i, int n) { return lo + (hi - lo) * i / (n - 1.0); }
double geometric(double lo, double hi, int i, int n) { return lo * std::pow(hi / lo, i / (n - 1.0)); }

}  // namespace

TEST(MixtureGrid, EveryStateAcrossEachEnvelope) {
    const int n = SCALE ? SCALE : 100;
    int two_phase = 0;
    const auto at = [&](const vantrel::fluid& f, int i, int j) -> std::optional<vantrel::state> {
        const vantrel::phase_envelope& e = f.envelope();
        const double p_low = std::max({0.5e5, e.bubble.front().p, e.dew.front().p}) * (1 + 1e-9);
        const double p = geometric(p_low, 0.9 * e.p_critical, i, n);
        const vantrel::phase_boundary at_p = f.boundary_at_p(p);
        const double h_low = f.at(input_pair::T_p, at_p.bubble->T - 20, p, vantrel::extras::none).h;
        const double h_high = f.at(input_pair::T_p, at_p.dew->T + 30, p, vantrel::extras::none).h;
        vantrel::state s;
        s.p = p;
        s.h = between(h_low, h_high, j, n);
        return s;
    };
    over_blends(n, at, [&](const vantrel::fluid& f, const vantrel::state& given) {
        const vantrel::state s = f.at(input_pair::p_h, given.p, given.h, vantrel::extras::none);
        two_phase += s.phase == vantrel::phase_kind::two_phase;
        EXPECT_LT(test::rel(s.p, given.p), 1e-9) << f.info().agent << " p=" << given.p << " h=" << given.h;
        EXPECT_LT(std::fabs(s.h - given.h), 1e-9 * std::fabs(given.h) + 1e-6) << f.info().agent << " h=" << given.h;
    });
    // Most of each grid lies inside the envelope.
    EXPECT_GT(two_phase, static_cast<int>(vantrel::list_blends(test::data().string()).size()) * n * n / 2);
}

TEST(MixtureGrid, StatesAskedAgainByHAndS) {
    const auto by_h_s = [](const vantrel::fluid& f, const vantrel::state& given) {
        const vantrel::state s = f.at(input_pair::h_s, given.h, given.s, vantrel::extras::none);
        // A liquid's p answers its density to ~1e-10 magnified by its stiffness.
        EXPECT_LT(test::rel(s.T, given.T), 1e-9) << f.info().agent << " T=" << given.T << " p=" << given.p;
        EXPECT_LT(test::rel(s.p, given.p), 1e-7) << f.info().agent << " T=" << given.T << " p=" << given.p;
    };
    const int n = SCALE ? SCALE : 60;
    over_blends(n, [&](const vantrel::fluid& f, int i, int j) -> std::optional<vantrel::state> {
        const vantrel::fluid_info& info = f.info();
        const double T = between(*info.T_min, *info.T_max, i, n), p = geometric(1e4, *info.p_max, j, n);
        try {
            return f.at(input_pair::T_p, T, p, vantrel::extras::none);
        } catch (const vantrel::error& e) {
            EXPECT_EQ(e.kind(), vantrel::error_kind::near_critical) << info.agent << " T=" << T << " p=" << p;
            return std::nullopt;
        }
    }, by_h_s);
    const int m = SCALE ? SCALE : 20;
    over_blends(m, [&](const vantrel::fluid& f, int i, int j) -> std::optional<vantrel::state> {
        const vantrel::phase_envelope& e = f.envelope();
        const double p_low = std::max(e.bubble.front().p, e.dew.front().p) * (1 + 1e-9);
        const double p = geometric(p_low, 0.9 * e.p_critical, i, m);
        return f.at(input_pair::p_x, p, between(0.025, 0.975, j, m), vantrel::extras::none);
    }, by_h_s);
}
