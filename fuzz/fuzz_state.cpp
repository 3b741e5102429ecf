// libFuzzer target: states of every pair on every shipped fluid, from a
// (T, p) state within T_tp <= T <= 2 T_max and 0 < p <= 2 p_max and the
// values that state has (h, s, rho; x drawn). No crash or hang; a state
// computed is all finite; a failure is one of the engine's error kinds with
// a one-line message of the program's own.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "vantrel/vantrel.h"

namespace {

using vantrel::input_pair;

const char* const FLUIDS[] = {"R507A", "R404A", "R410A", "R407C", "R134a", "R32", "R744", "R718"};
using enum vantrel::message_id;
const vantrel::message_id MESSAGES[] = {
    near_critical,       density_no_convergence, equilibrium_no_convergence, equilibrium_singular,
    state_no_convergence, state_not_reproduced,  bubble_dew_no_convergence,  no_state,
    below_lower_limit,   no_gas,                 invalid_operation,          division_by_zero,
    overflow,
};
const input_pair PAIRS[] = {input_pair::T_p, input_pair::p_h, input_pair::p_s, input_pair::T_x,
                            input_pair::p_x, input_pair::T_rho, input_pair::h_s};

std::vector<vantrel::fluid>& fluids() {
    static std::vector<vantrel::fluid> loaded = [] {
        std::vector<vantrel::fluid> v;
        for (const char* f : FLUIDS) v.push_back(vantrel::fluid::load(std::string(VANTREL_SOURCE_DIR) + "/data/" + f));
        return v;
    }();
    return loaded;
}

// A number in [0, 1] from eight bytes.
double unit(const std::uint8_t* data) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, sizeof bits);
    return static_cast<double>(bits >> 11) / static_cast<double>(1ull << 53);
}

void check(const vantrel::state& s) {
    for (double v : {s.T, s.p, s.rho, s.v, s.h, s.s, s.u, s.z})
        if (!std::isfinite(v)) std::abort();
    for (const auto& v : {s.cp, s.cv, s.w, s.jt, s.x, s.T_sat, s.p_sat})
        if (v && !std::isfinite(*v)) std::abort();
}

void check(const vantrel::error& e) {
    const std::string m = e.what();
    bool own = false;
    for (const vantrel::message_id known : MESSAGES) own = own || e.id() == known;
    if (!own || m.find('\n') != std::string::npos || e.kind() == vantrel::error_kind::data) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 26) return 0;
    const vantrel::fluid& f = fluids()[data[0] % std::size(FLUIDS)];
    const vantrel::fluid_info& i = f.info();
    const double T = i.T_tp + (2 * *i.T_max - i.T_tp) * unit(data + 1);
    // Pressures over the whole span, evenly in their logarithm.
    const double p = 2 * *i.p_max * std::pow(10.0, -12 * unit(data + 9));
    const input_pair pair = PAIRS[data[17] % std::size(PAIRS)];
    const double x = unit(data + 18);
    if (!(p > 0)) return 0;
    try {
        const vantrel::state s = f.at(input_pair::T_p, T, p);
        check(s);
        const double first = pair == input_pair::h_s ? s.h : (pair == input_pair::T_p || pair == input_pair::T_x ||
                                                              pair == input_pair::T_rho) ? T : p;
        const double second = pair == input_pair::T_p ? p : pair == input_pair::p_h ? s.h
                            : pair == input_pair::p_s || pair == input_pair::h_s ? s.s
                            : pair == input_pair::T_rho ? s.rho : x;
        check(f.at(pair, first, second));
    } catch (const vantrel::error& e) {
        check(e);
    }
    return 0;
}
