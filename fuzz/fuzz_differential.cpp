// libFuzzer target: the engine and the program's routines on the same (T, p)
// of the shipped fluids give the four results of the command line alike (the
// enthalpy, the phase, the saturation temperature and pressure), or both fail
// with the same message.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

#include "calc_properties.h"
#include "real_props.h"
#include "vantrel/vantrel.h"

namespace {

const char* const FLUIDS[] = {"R507A", "R404A", "R410A", "R134a", "R32", "R744", "R718"};

double unit(const std::uint8_t* data) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, sizeof bits);
    return static_cast<double>(bits >> 11) / static_cast<double>(1ull << 53);
}

struct results {
    double h = 0;
    std::string phase;
    std::optional<double> t_s, p_s;
    std::string error;
    bool operator==(const results&) const = default;
};

// Temperatures in degrees Celsius, as the command line gives them, so that
// both sides convert them alike.
results by_engine(const char* agent, double t_c, double p) {
    results r;
    try {
        const vantrel::fluid f = vantrel::fluid::load(std::string("data/") + agent);
        const vantrel::state s = f.at(vantrel::input_pair::T_p, t_c + 273.15, p);
        r.h = s.h;
        r.phase = vantrel::phase_name(s.phase);
        if (s.T_sat) r.t_s = *s.T_sat - 273.15;
        r.p_s = s.p_sat;
    } catch (const vantrel::error& e) {
        r.error = e.what();
    }
    return r;
}

results by_routines(const char* agent, double t_c, double p) {
    results r;
    const T_dim_info dims{"C", "Pa"};
    try {
        r.h = calc_property_h(t_c, "t", p, "p", dims, agent);
        r.phase = calc_phase_state(t_c, p, dims, agent);
        prop_list by_p, by_t;
        if (calc_sat_props(p, "p", dims, agent, by_p, UNDEFINE_ST)) r.t_s = by_p.t;
        if (calc_sat_props(t_c, "t", dims, agent, by_t, UNDEFINE_ST)) r.p_s = by_t.p;
    } catch (const std::exception& e) {
        r = results{};
        r.error = e.what();
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return chdir(VANTREL_SOURCE_DIR); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 17) return 0;
    const char* agent = FLUIDS[data[0] % std::size(FLUIDS)];
    const vantrel::fluid_info i = vantrel::fluid::load(std::string("data/") + agent).info();
    const double t_c = i.T_tp + (2 * *i.T_max - i.T_tp) * unit(data + 1) - 273.15;
    const double p = 2 * *i.p_max * std::pow(10.0, -12 * unit(data + 9));
    if (!(p > 0)) return 0;
    const results e = by_engine(agent, t_c, p), r = by_routines(agent, t_c, p);
    if (!(e == r)) std::abort();
    return 0;
}
