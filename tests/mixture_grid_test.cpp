// A grid of (p, h) states across the envelope of every predefined blend:
// 100 pressures from 0.5 bar (or the envelope's lowest bubble pressure) to
// 0.9 of the critical pressure, 100 enthalpies from 20 K below the bubble
// point to 30 K above the dew point at each; every state answers and
// reproduces its p and h. Under the sanitizers, 10 by 10.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "test_support.h"
#include "vantrel/vantrel.h"

using vantrel::input_pair;

TEST(MixtureGrid, EveryStateAcrossEachEnvelope) {
#ifdef VANTREL_SANITIZED
    const int n = 10;
#else
    const int n = 100;
#endif
    const std::string data = test::data().string();
    for (const auto& b : vantrel::list_blends(data)) {
        const vantrel::fluid f = vantrel::fluid::by_name(data, b.info.agent);
        const vantrel::phase_envelope& e = f.envelope();
        const double p_low = std::max({0.5e5, e.bubble.front().p, e.dew.front().p}) * (1 + 1e-9);
        const double p_high = 0.9 * e.p_critical;
        int failed = 0, two_phase = 0;
        for (int i = 0; i < n; ++i) {
            const double p = p_low * std::pow(p_high / p_low, i / (n - 1.0));
            const vantrel::phase_boundary at_p = f.boundary_at_p(p);
            const double h_low = f.at(input_pair::T_p, at_p.bubble->T - 20, p, vantrel::extras::none).h;
            const double h_high = f.at(input_pair::T_p, at_p.dew->T + 30, p, vantrel::extras::none).h;
            for (int j = 0; j < n; ++j) {
                const double h = h_low + (h_high - h_low) * j / (n - 1.0);
                try {
                    const vantrel::state s = f.at(input_pair::p_h, p, h, vantrel::extras::none);
                    two_phase += s.phase == vantrel::phase_kind::two_phase;
                    EXPECT_LT(test::rel(s.p, p), 1e-9) << b.info.agent << " p=" << p << " h=" << h;
                    EXPECT_LT(std::fabs(s.h - h), 1e-9 * std::fabs(h) + 1e-6) << b.info.agent << " p=" << p << " h=" << h;
                } catch (const vantrel::error& err) {
                    if (++failed <= 5) ADD_FAILURE() << b.info.agent << " p=" << p << " h=" << h << ": " << err.what();
                }
            }
        }
        EXPECT_EQ(failed, 0) << b.info.agent;
        EXPECT_GT(two_phase, n * n / 2) << b.info.agent;  // most of the grid lies inside the envelope
    }
}
