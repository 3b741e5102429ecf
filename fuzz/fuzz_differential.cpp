// libFuzzer target: identities of thermodynamics that a wrong formula,
// branch or unit breaks, on (T, p) states of the shipped fluids:
//   c_p = (dh/dT)_p and c_v = (du/dT)_rho by differences, the Maxwell
//   relation (ds/dv)_T = (dp/dT)_v, the Joule-Thomson coefficient
//   (dT/dp)_h through the (p, h) flash; (T, p) -> (T, rho) -> p and
//   (T, p) -> (p, h) -> T round trips; equal pressure and Gibbs energy of
//   the saturated phases.
// A difference quotient is trusted only where the quotients of two step
// sizes agree (no phase boundary, no rounding noise in between); states the
// engine refuses are left to fuzz_state. Saturation taken from correlations
// (R404A) is not the equation's equal-area state and is left out.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "vantrel/vantrel.h"

namespace {

using vantrel::input_pair;

const char* const FLUIDS[] = {"R507A", "R404A", "R410A", "R407C", "R134a", "R32", "R744", "R718"};

const std::vector<vantrel::fluid>& fluids() {
    static const std::vector<vantrel::fluid> loaded = [] {
        std::vector<vantrel::fluid> v;
        for (const char* f : FLUIDS) v.push_back(vantrel::fluid::load(std::string(VANTREL_SOURCE_DIR) + "/data/" + f));
        return v;
    }();
    return loaded;
}

double unit(const std::uint8_t* data) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, sizeof bits);
    return static_cast<double>(bits >> 11) / static_cast<double>(1ull << 53);
}

// A state that does not serve a difference: another phase, or none.
struct unusable {};

bool close(double a, double b, double tol) { return std::fabs(a - b) <= tol * std::max(std::fabs(a), std::fabs(b)); }

// dg/dx by central differences of steps d and d/2 (Richardson); nothing
// where the two disagree.
std::optional<double> slope(const std::function<double(double)>& g, double x, double d) {
    try {
        const double a = (g(x + d) - g(x - d)) / (2 * d), b = (g(x + d / 2) - g(x - d / 2)) / d;
        if (!close(a, b, 1e-6)) return std::nullopt;
        return (4 * b - a) / 3;
    } catch (const unusable&) {
        return std::nullopt;
    } catch (const vantrel::error&) {
        return std::nullopt;
    }
}

[[noreturn]] void broken(const char* identity, const char* agent, double T, double p, double got, double want) {
    std::fprintf(stderr, "%s fails for %s at T = %.17g K, p = %.17g Pa: %.17g against %.17g\n", identity, agent, T,
                 p, got, want);
    std::abort();
}

void expect(bool holds, const char* identity, const char* agent, const vantrel::state& s, double got, double want) {
    if (!holds) broken(identity, agent, s.T, s.p, got, want);
}

void derivatives(const vantrel::fluid& f, const char* agent, const vantrel::state& s) {
    const auto same_phase = [&](const vantrel::state& t) -> const vantrel::state& {
        if (t.phase != s.phase) throw unusable{};
        return t;
    };
    const auto at_Tp = [&](double T) { return same_phase(f.at(input_pair::T_p, T, s.p, vantrel::extras::none)); };
    const auto at_Trho = [&](double T, double rho) {
        return same_phase(f.at(input_pair::T_rho, T, rho, vantrel::extras::none));
    };
    const double dT = 1e-4 * s.T, drho = 1e-4 * s.rho;
    if (const auto cp = slope([&](double T) { return at_Tp(T).h; }, s.T, dT))
        expect(close(*cp, *s.cp, 1e-5), "c_p = (dh/dT)_p", agent, s, *cp, *s.cp);
    if (const auto cv = slope([&](double T) { return at_Trho(T, s.rho).u; }, s.T, dT))
        expect(close(*cv, *s.cv, 1e-5), "c_v = (du/dT)_rho", agent, s, *cv, *s.cv);
    const auto dp_dT = slope([&](double T) { return at_Trho(T, s.rho).p; }, s.T, dT);
    const auto ds_drho = slope([&](double rho) { return at_Trho(s.T, rho).s; }, s.rho, drho);
    if (dp_dT && ds_drho) {
        const double ds_dv = -s.rho * s.rho * *ds_drho;
        expect(close(ds_dv, *dp_dT, 1e-5), "(ds/dv)_T = (dp/dT)_v", agent, s, ds_dv, *dp_dT);
    }
    // The flash finds T to 1e-14 of itself: the change of T over the steps
    // must stand well above that.
    const double dp = 1e-2 * s.p;
    if (std::fabs(*s.jt) * dp < 1e-8 * s.T) return;
    const auto at_ph = [&](double p) { return same_phase(f.at(input_pair::p_h, p, s.h, vantrel::extras::none)).T; };
    if (const auto jt = slope(at_ph, s.p, dp))
        expect(std::fabs(*jt - *s.jt) <= 1e-5 * std::fabs(*s.jt) + 1e-12, "jt = (dT/dp)_h", agent, s, *jt, *s.jt);
}

void round_trips(const vantrel::fluid& f, const char* agent, const vantrel::state& s) {
    // The density solver stops within about 1e-10 of the density: a liquid's
    // stiffness (dp/drho)_T = w^2 c_v/c_p magnifies that in the pressure.
    const vantrel::state by_rho = f.at(input_pair::T_rho, s.T, s.rho, vantrel::extras::none);
    const double stiffness = *s.w * *s.w * *s.cv / *s.cp;
    expect(std::fabs(by_rho.p - s.p) <= 1e-9 * s.p + 1e-10 * s.rho * stiffness, "(T, p) -> (T, rho) -> p", agent, s,
           by_rho.p, s.p);
    const vantrel::state by_h = f.at(input_pair::p_h, s.p, s.h, vantrel::extras::none);
    expect(close(by_h.T, s.T, 1e-9), "(T, p) -> (p, h) -> T", agent, s, by_h.T, s.T);
}

void saturation(const vantrel::fluid& f, const char* agent, const vantrel::state& s) {
    if (f.info().boundary != vantrel::boundary_kind::equal_area) return;
    const auto sat = f.boundary_at_T(s.T).dew;
    // Next to the critical point the saturated phases are refused as states.
    if (!sat || sat->T > f.info().T_cr * (1 - 1e-3)) return;
    const double p_liq = f.at(input_pair::T_rho, sat->T, sat->rho_liquid, vantrel::extras::none).p;
    const double p_vap = f.at(input_pair::T_rho, sat->T, sat->rho_vapour, vantrel::extras::none).p;
    expect(close(p_vap, sat->p, 1e-9), "p'' = p_s", agent, s, p_vap, sat->p);
    // The liquid's pressure magnifies the last bit of its density by its stiffness.
    expect(close(p_liq, sat->p, 1e-6) || std::fabs(p_liq - sat->p) < 1, "p' = p_s", agent, s, p_liq, sat->p);
    const double g_liq = sat->h_liquid - sat->T * sat->s_liquid, g_vap = sat->h_vapour - sat->T * sat->s_vapour;
    const double scale = std::fabs(sat->h_vapour) + sat->T * std::fabs(sat->s_vapour);
    expect(std::fabs(g_liq - g_vap) <= 1e-9 * scale, "g' = g''", agent, s, g_liq, g_vap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 17) return 0;
    const std::size_t k = data[0] % std::size(FLUIDS);
    const vantrel::fluid& f = fluids()[k];
    const vantrel::fluid_info& i = f.info();
    const double T = i.T_tp + (*i.T_max - i.T_tp) * unit(data + 1);
    const double p = *i.p_max * std::pow(10.0, -8 * unit(data + 9));
    // Derivatives grow without bound towards the critical point.
    if (std::fabs(T / i.T_cr - 1) < 0.02 && std::fabs(p / i.p_cr - 1) < 0.2) return 0;
    vantrel::state s;
    try {
        s = f.at(input_pair::T_p, T, p, vantrel::extras::none);
    } catch (const vantrel::error&) {
        return 0;
    }
    if (s.phase == vantrel::phase_kind::none) return 0;
    try {
        round_trips(f, FLUIDS[k], s);
        saturation(f, FLUIDS[k], s);
    } catch (const vantrel::error& e) {
        broken(e.what(), FLUIDS[k], T, p, 0, 0);
    }
    derivatives(f, FLUIDS[k], s);
    return 0;
}
