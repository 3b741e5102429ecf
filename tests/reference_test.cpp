// Reference states of h and s: the state each one defines, the differences
// that no reference changes (states, flashes, the cycle), and the fluids
// that cannot have one.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "test_support.h"
#include "vantrel/vantrel.h"

using vantrel::input_pair;
using vantrel::reference_state;

namespace {

struct definition {
    reference_state ref;
    const char* name;
    std::optional<double> T, p;  // the saturated liquid at T (K) or p (Pa)
    double h, s;                 // J/kg, J/(kg K)
};

// IIR, ASHRAE and the normal boiling point as the refrigeration literature defines them.
const definition DEFINITIONS[] = {
    {reference_state::iir, "IIR", 273.15, std::nullopt, 200e3, 1e3},
    {reference_state::ashrae, "ASHRAE", 233.15, std::nullopt, 0, 0},
    {reference_state::nbp, "NBP", std::nullopt, 101325, 0, 0},
};

// The fluids that have no saturated liquid at a reference point.
const struct {
    const char* agent;
    reference_state ref;
    const char* message;
} REFUSED[] = {
    {"R718", reference_state::iir,
     "Reference state IIR is not available for R718: it has no saturated liquid at 273.15 K."},
    {"R718", reference_state::ashrae,
     "Reference state ASHRAE is not available for R718: it has no saturated liquid at 233.15 K."},
    {"R744", reference_state::nbp,
     "Reference state NBP is not available for R744: it has no saturated liquid at 101325 Pa."},
};

const char* refused(const std::string& agent, reference_state ref) {
    for (const auto& r : REFUSED)
        if (agent == r.agent && ref == r.ref) return r.message;
    return nullptr;
}

struct h_s {
    double h, s;
};

// The saturated liquid at the definition's point: a blend's on its bubble
// line (the equation's saturated liquid where its own saturation pressure
// lies above the bubble pressure).
h_s saturated_liquid(const vantrel::fluid& f, const definition& d) {
    if (!f.info().glide) {
        const auto sat = d.T ? f.boundary_at_T(*d.T).bubble : f.boundary_at_p(*d.p).bubble;
        const vantrel::state x0 = d.T ? f.at(input_pair::T_x, *d.T, 0) : f.at(input_pair::p_x, *d.p, 0);
        EXPECT_EQ(x0.h, sat.value().h_liquid);  // the states see what the saturation sees
        EXPECT_EQ(x0.s, sat->s_liquid);
        return {sat->h_liquid, sat->s_liquid};
    }
    const double T = d.T ? *d.T : f.boundary_at_p(*d.p).lines.bubble.value();
    const double p_bubble = d.p ? *d.p : f.boundary_at_T(T).lines.bubble.value();
    if (const auto sat = f.boundary_at_T(T).bubble; sat && sat->p >= p_bubble) return {sat->h_liquid, sat->s_liquid};
    const vantrel::state liquid = f.at(input_pair::T_p, T, p_bubble);
    EXPECT_EQ(liquid.phase, vantrel::phase_kind::liquid);
    return {liquid.h, liquid.s};
}

// h_shift of the fluid's configuration (0 where it has none).
double configured_h_shift(const std::string& agent) {
    const std::string text = test::read_file(test::data() / agent / "config.txt");
    const std::size_t at = text.find("\nh_shift=");
    if (at == std::string::npos) return 0;
    const std::size_t from = at + 9;
    return vantrel::parse_number(text.substr(from, text.find('\n', from) - from)).value();
}

void expect_near_h(double got, double want, const std::string& what) {
    EXPECT_LE(std::fabs(got - want), 1e-9 * std::fabs(want) + 1e-6) << what << ": " << got << " vs " << want;
}

void expect_near_s(double got, double want, const std::string& what) {
    EXPECT_LE(std::fabs(got - want), 1e-9 * std::fabs(want) + 1e-9) << what << ": " << got << " vs " << want;
}

// A two-phase state and a gas, the same under every reference but for the
// shift of h and s; flashes by (p, h) and (h, s) find them again, and a
// cycle's figures do not change.
void expect_same_differences(const vantrel::fluid& base, const vantrel::fluid& f) {
    const vantrel::fluid_info& i = base.info();
    const double T_mid = 0.5 * (i.T_min.value_or(i.T_tp) + i.T_cr);
    const vantrel::state a0 = base.at(input_pair::T_x, T_mid, 0.3), b0 = base.at(input_pair::T_p, 1.1 * i.T_cr, 0.5 * i.p_cr);
    const vantrel::state a = f.at(input_pair::T_x, T_mid, 0.3), b = f.at(input_pair::T_p, 1.1 * i.T_cr, 0.5 * i.p_cr);
    expect_near_h(b.h - a.h, b0.h - a0.h, "h2 - h1");
    expect_near_s(b.s - a.s, b0.s - a0.s, "s2 - s1");
    expect_near_h(b.u - a.u, b0.u - a0.u, "u2 - u1");
    EXPECT_LE(test::rel(f.at(input_pair::h_s, b.h, b.s).T, b.T), 1e-9) << "(h, s)";
    EXPECT_LE(std::fabs(*f.at(input_pair::p_h, a.p, a.h).x - 0.3), 1e-9) << "(p, h)";
    if (!(i.T_min.value_or(i.T_tp) < 250 && i.T_cr > 330)) return;
    vantrel::cycle_input in;
    in.T_evap = 263.15;
    in.T_cond = 313.15;
    in.superheat = 5;
    in.subcool = 3;
    in.eta = 0.75;
    const vantrel::cycle_result c0 = vantrel::vapour_compression(base, in), c = vantrel::vapour_compression(f, in);
    EXPECT_LE(test::rel(c.cop_cooling, c0.cop_cooling), 1e-9) << "cycle";
    EXPECT_LE(test::rel(c.t_discharge, c0.t_discharge), 1e-9) << "cycle";
    expect_near_h(c.points[0].s.h - c0.points[0].s.h, b.h - b0.h, "the cycle's point 1");
}

}  // namespace

// Every fluid of the library under every reference state: its saturated
// liquid at the reference point has the defining h and s, by saturation
// and by state; differences of h, s, u and what flashes and cycles make of
// them are those of the configured state; the equation's own state is the
// configured one without h_shift; a fluid without that saturated liquid
// refuses the state with one line of kind input.
TEST(ReferenceState, DefiningStatesSameDifferencesAndRefusals) {
    for (const std::string& agent : test::library_fluids()) {
        SCOPED_TRACE(agent);
        const vantrel::fluid base = vantrel::fluid::load(test::data(), agent);
        for (const definition& d : DEFINITIONS) {
            SCOPED_TRACE(d.name);
            if (const char* message = refused(agent, d.ref)) {
                try {
                    vantrel::fluid::load(test::data(), agent, d.ref);
                    ADD_FAILURE() << "no error";
                } catch (const vantrel::error& e) {
                    EXPECT_EQ(e.kind(), vantrel::error_kind::input);
                    EXPECT_EQ(std::string(e.what()), message);
                }
                continue;
            }
            const vantrel::fluid f = vantrel::fluid::by_name(test::data(), agent, d.ref);
            EXPECT_EQ(f.info().reference_state, d.name);
            const h_s liquid = saturated_liquid(f, d);
            expect_near_h(liquid.h, d.h, "h of the saturated liquid");
            expect_near_s(liquid.s, d.s, "s of the saturated liquid");
            expect_same_differences(base, f);
        }
        SCOPED_TRACE("the equation's own");
        const vantrel::fluid own = vantrel::fluid::load(test::data() / agent, reference_state::equation);
        const vantrel::state s0 = base.at(input_pair::T_p, 1.1 * base.info().T_cr, 0.5 * base.info().p_cr);
        expect_near_h(own.at(input_pair::T_p, s0.T, s0.p).h, s0.h - configured_h_shift(agent), "h");
        expect_same_differences(base, own);
    }
}
