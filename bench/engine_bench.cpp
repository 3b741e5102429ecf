// Benchmarks of the engine on loaded fluids: one evaluation of the residual
// derivatives, one (T, p) state, loading a fluid.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/api/fluid.h"
#include "engine/phase/envelope.h"
#include "engine/phase/saturation.h"
#include "vantrel/vantrel.h"

namespace {

vantrel::fluid load(const char* agent) { return vantrel::fluid::load(std::string(VANTREL_SOURCE_DIR) + "/data/" + agent); }

// One evaluation of the derivatives at a liquid-like state (0.8 T_red, 2.5 rho_red).
void engine_derivatives(benchmark::State& state, const char* agent, double rho, double T) {
    const vantrel::fluid f = load(agent);
    for (auto _ : state) benchmark::DoNotOptimize(f.derivatives(rho, T));
}

// One single-phase state with its phase decision and every property, without
// the saturation temperature and pressure (the targets of the engine).
void engine_state(benchmark::State& state, const char* agent, double t_c, double p_bar, vantrel::extras with) {
    const vantrel::fluid f = load(agent);
    for (auto _ : state)
        benchmark::DoNotOptimize(f.at(vantrel::input_pair::T_p, t_c + 273.15, p_bar * 1e5, with));
}

void engine_load(benchmark::State& state, const char* agent) {
    for (auto _ : state) benchmark::DoNotOptimize(load(agent));
}

namespace d = vantrel::detail;

// The fluid's model, or that of a copy without its expansions: saturation by
// the equal-area solver alone, seeded by the correlations.
d::model model_of(const vantrel::fluid& f, bool expansions) {
    const d::model& m = *d::impl_of(f).core.m;
    if (expansions) return m;
    auto copy = std::make_shared<d::component_data>(*m.components.front());
    copy->expansion.reset();
    return d::model_of(copy);
}

// Saturation pressure and both densities at 0.8 T_c (1 - T/T_c = 0.2).
void saturation_T(benchmark::State& state, const char* agent, bool expansions) {
    const vantrel::fluid f = load(agent);
    const d::model m = model_of(f, expansions);
    const double T = 0.8 * f.info().T_cr;
    for (auto _ : state) benchmark::DoNotOptimize(d::solve_saturation(m, d::given::T, T));
}

// Saturation temperature and both densities at 0.3 p_c.
void saturation_p(benchmark::State& state, const char* agent, bool expansions) {
    const vantrel::fluid f = load(agent);
    const d::model m = model_of(f, expansions);
    const double p = 0.3 * f.info().p_cr;
    for (auto _ : state) benchmark::DoNotOptimize(d::solve_saturation(m, d::given::p, p));
}

// Both saturated phases with h and s, at 0.8 T_c: the saturation record of
// the older call, and the phase boundary (bubble and dew points with their
// incipient compositions).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void saturation_record_T(benchmark::State& state, const char* agent) {
    const vantrel::fluid f = load(agent);
    const double T = 0.8 * f.info().T_cr;
    for (auto _ : state) benchmark::DoNotOptimize(f.saturation_at_T(T));
}

void saturation_record_p(benchmark::State& state, const char* agent) {
    const vantrel::fluid f = load(agent);
    const double p = 0.3 * f.info().p_cr;
    for (auto _ : state) benchmark::DoNotOptimize(f.saturation_at_p(p));
}
#pragma GCC diagnostic pop

void boundary_T(benchmark::State& state, const char* agent) {
    const vantrel::fluid f = load(agent);
    const double T = 0.8 * f.info().T_cr;
    for (auto _ : state) benchmark::DoNotOptimize(f.boundary_at_T(T));
}

// The boundary's decision of a (T, p) state (the phase, the points it
// compared with, the density's start): a liquid 1 % above the saturation
// pressure at 0.95 T_c, where only the saturation curve decides.
void boundary_decision(benchmark::State& state, const char* agent) {
    const vantrel::fluid f = load(agent);
    const double T = 0.95 * f.info().T_cr;
    const double p = 1.01 * f.boundary_at_T(T).dew->p;
    const d::boundary_provider& b = *d::impl_of(f).core.boundary;
    for (auto _ : state) benchmark::DoNotOptimize(b.decide(T, p));
}

// A state by another pair, from the h or s of a (T, p) state.
void engine_pair(benchmark::State& state, const char* agent, vantrel::input_pair pair, double t_c, double p_bar,
                 double x) {
    const vantrel::fluid f = load(agent);
    const vantrel::state ref = x < 0 ? f.at(vantrel::input_pair::T_p, t_c + 273.15, p_bar * 1e5)
                                     : f.at(vantrel::input_pair::T_x, t_c + 273.15, x);
    const double first = pair == vantrel::input_pair::h_s ? ref.h : ref.p;
    const double second = pair == vantrel::input_pair::p_h ? ref.h : ref.s;
    for (auto _ : state) benchmark::DoNotOptimize(f.at(pair, first, second, vantrel::extras::none));
}

// A saturated state by (T, x) at t_c, or by (p, x) at the saturation
// pressure there.
void saturated_state(benchmark::State& state, const char* agent, vantrel::input_pair pair, double t_c, double x) {
    const vantrel::fluid f = load(agent);
    const double T = t_c + 273.15, first = pair == vantrel::input_pair::T_x ? T : f.boundary_at_T(T).dew->p;
    for (auto _ : state) benchmark::DoNotOptimize(f.at(pair, first, x, vantrel::extras::none));
}

// A fixed grid of 200 single-phase states inside the stated range, a third
// each gas (5 to 80 K above the dew line, 0.01 to 0.9 p_c), liquid (5 K above
// the triple point to 0.95 T_c, from 1.05 p_sat to p_max) and supercritical
// (1.05 T_c to T_max, 1.05 p_c to p_max), spread by a Kronecker sequence.
std::vector<vantrel::state> state_grid(const vantrel::fluid& f) {
    const vantrel::fluid_info& i = f.info();
    const double T_lo = std::max(i.T_tp, i.T_min.value_or(i.T_tp)), T_hi = i.T_max.value(), p_hi = i.p_max.value();
    const auto geo = [](double lo, double hi, double u) { return lo * std::pow(hi / lo, u); };
    std::vector<vantrel::state> grid;
    for (int k = 0; k < 200; ++k) {
        const double u = std::fmod(0.5 + k * 0.6180339887498949, 1.0), v = std::fmod(0.5 + k * 0.7548776662466927, 1.0);
        double T = 0, p = 0;
        if (k % 3 == 0) {
            p = geo(std::max(0.01 * i.p_cr, 1.5 * i.p_tp), 0.9 * i.p_cr, u);
            T = std::min(f.boundary_at_p(p).dew->T + 5 + 75 * v, T_hi);
        } else if (k % 3 == 1) {
            T = T_lo + 5 + u * (0.95 * i.T_cr - T_lo - 5);
            p = geo(1.05 * f.boundary_at_T(T).bubble->p, p_hi, v);
        } else {
            T = 1.05 * i.T_cr + u * (T_hi - 1.05 * i.T_cr);
            p = geo(1.05 * i.p_cr, p_hi, v);
        }
        grid.push_back(f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none));
    }
    return grid;
}

// Runs one() over the inputs in each iteration; items per second are
// inputs, the counter median_us the median over the inputs of one call (the
// median of 9 calls each, timed after the run).
template <class Input, class One>
void run_each(benchmark::State& state, const std::vector<Input>& inputs, const One& one) {
    for (auto _ : state)
        for (const Input& in : inputs) benchmark::DoNotOptimize(one(in));
    std::vector<double> medians;
    for (const Input& in : inputs) {
        std::vector<double> us;
        for (int r = 0; r < 9; ++r) {
            const auto t0 = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(one(in));
            us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
        }
        std::nth_element(us.begin(), us.begin() + 4, us.end());
        medians.push_back(us[4]);
    }
    const auto middle = medians.begin() + static_cast<std::ptrdiff_t>(medians.size() / 2);
    std::nth_element(medians.begin(), middle, medians.end());
    state.counters["median_us"] = *middle;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputs.size()));
}

// The grid's states by (T, p) or by (h, s). The time is that of the whole
// grid, items per second the states; the counter median_us is the median of
// one state, timed state by state (the median of 9 calls each) after the run.
void engine_grid(benchmark::State& state, const char* agent, vantrel::input_pair pair) {
    const vantrel::fluid f = load(agent);
    const std::vector<vantrel::state> grid = state_grid(f);
    const auto one = [&](const vantrel::state& s) {
        return pair == vantrel::input_pair::h_s ? f.at(pair, s.h, s.s, vantrel::extras::none)
                                                : f.at(pair, s.T, s.p, vantrel::extras::none);
    };
    run_each(state, grid, one);
}

// Bubble or dew points of a mixture at 50 temperatures from -40 to 50 C, or
// 50 pressures from 1 to 20 bar; items per second are points, the counter
// median_us the median of one point (the median of 9 calls each).
void mixture_point(benchmark::State& state, const char* name, bool bubble, bool at_T) {
    const vantrel::fluid f = vantrel::fluid::by_name(std::string(VANTREL_SOURCE_DIR) + "/data", name);
    std::vector<double> values;
    for (int k = 0; k < 50; ++k) values.push_back(at_T ? 233.15 + 90.0 * k / 49 : 1e5 + 19e5 * k / 49);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const auto one = [&](double v) {
        return at_T ? (bubble ? f.bubble_at_T(v) : f.dew_at_T(v)) : (bubble ? f.bubble_at_p(v) : f.dew_at_p(v));
    };
#pragma GCC diagnostic pop
    run_each(state, values, one);
}

// The phase boundary (both points) at the same 50 temperatures or pressures.
void mixture_boundary(benchmark::State& state, const char* name, bool at_T) {
    const vantrel::fluid f = vantrel::fluid::by_name(std::string(VANTREL_SOURCE_DIR) + "/data", name);
    std::vector<double> values;
    for (int k = 0; k < 50; ++k) values.push_back(at_T ? 233.15 + 90.0 * k / 49 : 1e5 + 19e5 * k / 49);
    run_each(state, values, [&](double v) { return at_T ? f.boundary_at_T(v) : f.boundary_at_p(v); });
}

// States of a mixture at 50 pressures from 1 to 20 bar, without extras:
// (T, p) of a gas 30 K above the dew point (far from the envelope), 1e-4 of
// T above it (near: the dew point solved and the stability test), in the
// middle of the glide; (p, h) in the middle of the glide and of the gas 30 K
// above the dew point; (h, s) of the same two. Counters as for mixture_point.
enum class mixture_case { tp_far, tp_near, tp_glide, ph_glide, ph_gas, hs_glide, hs_gas };

void mixture_state(benchmark::State& state, const char* name, mixture_case c) {
    const vantrel::fluid f = vantrel::fluid::by_name(std::string(VANTREL_SOURCE_DIR) + "/data", name);
    std::vector<std::pair<double, double>> inputs;
    for (int k = 0; k < 50; ++k) {
        const double p = 1e5 + 19e5 * k / 49;
        const vantrel::phase_boundary b = f.boundary_at_p(p);
        const double T_bub = b.bubble->T, T_dew = b.dew->T, T_mid = 0.5 * (T_bub + T_dew);
        const auto at = [&](double T) { return f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none); };
        switch (c) {
            case mixture_case::tp_far: inputs.emplace_back(T_dew + 30, p); break;
            case mixture_case::tp_near: inputs.emplace_back(T_dew * (1 + 1e-4), p); break;
            case mixture_case::tp_glide: inputs.emplace_back(T_mid, p); break;
            case mixture_case::ph_glide: inputs.emplace_back(p, at(T_mid).h); break;
            case mixture_case::ph_gas: inputs.emplace_back(p, at(T_dew + 30).h); break;
            case mixture_case::hs_glide: inputs.emplace_back(at(T_mid).h, at(T_mid).s); break;
            case mixture_case::hs_gas: inputs.emplace_back(at(T_dew + 30).h, at(T_dew + 30).s); break;
        }
    }
    const vantrel::input_pair pair = c == mixture_case::ph_glide || c == mixture_case::ph_gas   ? vantrel::input_pair::p_h
                                     : c == mixture_case::hs_glide || c == mixture_case::hs_gas ? vantrel::input_pair::h_s
                                                                                                : vantrel::input_pair::T_p;
    const auto one = [&](const std::pair<double, double>& v) {
        return f.at(pair, v.first, v.second, vantrel::extras::none);
    };
    run_each(state, inputs, one);
}

// The trace of a blend's phase envelope, and the whole load of the blend
// (the trace, the reference state and the envelope in mass units).
void mixture_envelope(benchmark::State& state, const char* name) {
    const vantrel::fluid f = vantrel::fluid::by_name(std::string(VANTREL_SOURCE_DIR) + "/data", name);
    const d::fluid_core& c = d::impl_of(f).core;
    for (auto _ : state) benchmark::DoNotOptimize(d::trace_envelope(*c.m, c.z, f.info().T_tp));
}

void mixture_load(benchmark::State& state, const char* name) {
    const std::string data = std::string(VANTREL_SOURCE_DIR) + "/data";
    for (auto _ : state) benchmark::DoNotOptimize(vantrel::fluid::by_name(data, name));
}

BENCHMARK_CAPTURE(engine_pair, R507A_ph_gas_20C_5bar, "R507A", vantrel::input_pair::p_h, 20, 5, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_ph_liquid_m30C_20bar, "R507A", vantrel::input_pair::p_h, -30, 20, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_ph_two_phase_m10C_x03, "R507A", vantrel::input_pair::p_h, -10, 0, 0.3);
BENCHMARK_CAPTURE(engine_pair, R507A_ps_gas_20C_5bar, "R507A", vantrel::input_pair::p_s, 20, 5, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_ps_two_phase_m10C_x03, "R507A", vantrel::input_pair::p_s, -10, 0, 0.3);
BENCHMARK_CAPTURE(engine_pair, R507A_hs_gas_20C_5bar, "R507A", vantrel::input_pair::h_s, 20, 5, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_hs_two_phase_m10C_x03, "R507A", vantrel::input_pair::h_s, -10, 0, 0.3);

BENCHMARK_CAPTURE(engine_pair, R134a_ph_two_phase_m10C_x03, "R134a", vantrel::input_pair::p_h, -10, 0, 0.3);
BENCHMARK_CAPTURE(engine_pair, R134a_ps_two_phase_m10C_x03, "R134a", vantrel::input_pair::p_s, -10, 0, 0.3);
BENCHMARK_CAPTURE(saturated_state, R134a_Tx_liquid_0C, "R134a", vantrel::input_pair::T_x, 0, 0);
BENCHMARK_CAPTURE(saturated_state, R134a_Tx_vapour_0C, "R134a", vantrel::input_pair::T_x, 0, 1);
BENCHMARK_CAPTURE(saturated_state, R134a_px_liquid_0C, "R134a", vantrel::input_pair::p_x, 0, 0);
BENCHMARK_CAPTURE(saturated_state, R134a_px_vapour_0C, "R134a", vantrel::input_pair::p_x, 0, 1);

BENCHMARK_CAPTURE(saturation_T, R507A_expansions, "R507A", true);
BENCHMARK_CAPTURE(saturation_T, R507A_equal_area, "R507A", false);
BENCHMARK_CAPTURE(saturation_T, R718_expansions, "R718", true);
BENCHMARK_CAPTURE(saturation_T, R718_equal_area, "R718", false);
BENCHMARK_CAPTURE(saturation_p, R507A_expansions, "R507A", true);
BENCHMARK_CAPTURE(saturation_p, R507A_equal_area, "R507A", false);
BENCHMARK_CAPTURE(saturation_p, R718_expansions, "R718", true);
BENCHMARK_CAPTURE(saturation_p, R718_equal_area, "R718", false);
BENCHMARK_CAPTURE(saturation_record_T, R507A, "R507A");
BENCHMARK_CAPTURE(saturation_record_T, R718, "R718");
BENCHMARK_CAPTURE(saturation_record_p, R507A, "R507A");
BENCHMARK_CAPTURE(saturation_record_p, R718, "R718");
BENCHMARK_CAPTURE(boundary_T, R507A, "R507A");
BENCHMARK_CAPTURE(boundary_T, R718, "R718");
BENCHMARK_CAPTURE(boundary_decision, R507A, "R507A");
BENCHMARK_CAPTURE(boundary_decision, R718, "R718");

BENCHMARK_CAPTURE(engine_derivatives, R507A, "R507A", 0.8 * 490.74, 0.8 * 343.765);
BENCHMARK_CAPTURE(engine_derivatives, R744, "R744", 2.5 * 467.6, 0.8 * 304.1282);
BENCHMARK_CAPTURE(engine_derivatives, R718, "R718", 2.5 * 322, 0.8 * 647.096);
BENCHMARK_CAPTURE(engine_state, R507A_20C_5bar, "R507A", 20, 5, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_state, R507A_m70C_1bar, "R507A", -70, 1, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_state, R507A_20C_5bar_with_saturation, "R507A", 20, 5, vantrel::extras::saturation);
BENCHMARK_CAPTURE(engine_state, R507A_20C_5bar_with_glide, "R507A", 20, 5, vantrel::extras::glide);
BENCHMARK_CAPTURE(engine_state, R744_20C_50bar, "R744", 20, 50, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_state, R718_200C_5bar, "R718", 200, 5, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_load, R507A, "R507A");
BENCHMARK_CAPTURE(engine_grid, R134a_Tp, "R134a", vantrel::input_pair::T_p);
BENCHMARK_CAPTURE(engine_grid, R134a_hs, "R134a", vantrel::input_pair::h_s);
BENCHMARK_CAPTURE(engine_grid, R744_Tp, "R744", vantrel::input_pair::T_p);
BENCHMARK_CAPTURE(engine_grid, R744_hs, "R744", vantrel::input_pair::h_s);
BENCHMARK_CAPTURE(engine_grid, R718_Tp, "R718", vantrel::input_pair::T_p);
BENCHMARK_CAPTURE(engine_grid, R718_hs, "R718", vantrel::input_pair::h_s);

// Every fluid of the library (library/FLUID/...): a (T, p) state with every
// property but the saturation values at 0.8 T_c and half and twice the
// saturation pressure there (gas, liquid), saturation at 0.8 T_c and at
// 0.3 p_c from the expansions, and loading the fluid. The counter "terms" is
// the number of terms of the residual part.
void library_tp(benchmark::State& state, const std::string& agent, double p_factor) {
    const vantrel::fluid f = load(agent.c_str());
    const double T = 0.8 * f.info().T_cr, p = p_factor * f.boundary_at_T(T).dew->p;
    for (auto _ : state) benchmark::DoNotOptimize(f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none));
    state.counters["terms"] = static_cast<double>(d::impl_of(f).core.m->components.front()->residual.size());
}

const bool library_registered = [] {
    static std::vector<std::string> agents;  // the benchmarks keep pointers to the names
    for (const auto& e : std::filesystem::directory_iterator(std::string(VANTREL_SOURCE_DIR) + "/data"))
        if (e.is_directory() && std::filesystem::exists(e.path() / "config.txt"))
            agents.push_back(e.path().filename().string());
    std::sort(agents.begin(), agents.end());
    for (const std::string& a : agents) {
        const std::string name = "library/" + a + "/";
        benchmark::RegisterBenchmark((name + "Tp_gas").c_str(), library_tp, a, 0.5);
        benchmark::RegisterBenchmark((name + "Tp_liquid").c_str(), library_tp, a, 2.0);
        benchmark::RegisterBenchmark((name + "sat_T").c_str(), saturation_T, a.c_str(), true);
        benchmark::RegisterBenchmark((name + "sat_p").c_str(), saturation_p, a.c_str(), true);
        benchmark::RegisterBenchmark((name + "load").c_str(), engine_load, a.c_str());
    }
    return true;
}();

// The C++ loop the Python module's vectorised call is measured against: h
// and rho of N single-phase (T, p) states of R134a, the gas between 300 and
// 400 K and 1 and 2 bar, stored in two arrays (python_bench.py asks the
// module for the same states).
void props_loop(benchmark::State& state) {
    constexpr std::size_t N = 1000000;
    const vantrel::fluid f = load("R134a");
    std::vector<double> h(N), rho(N);
    for (auto _ : state) {
        for (std::size_t i = 0; i < N; ++i) {
            const double T = 300 + 100.0 * static_cast<double>(i) / N, p = 1e5 + 1e5 * static_cast<double>(i % 1000) / 1000;
            const vantrel::state s = f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none);
            h[i] = s.h;
            rho[i] = s.rho;
        }
        benchmark::DoNotOptimize(h.data());
        benchmark::DoNotOptimize(rho.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * N));
}

}  // namespace
BENCHMARK(props_loop)->Unit(benchmark::kMillisecond)->Iterations(3);

#define MIXTURE_STATES(tag, name)                                                      \
    BENCHMARK_CAPTURE(mixture_state, tag##_Tp_far, name, mixture_case::tp_far);        \
    BENCHMARK_CAPTURE(mixture_state, tag##_Tp_near, name, mixture_case::tp_near);      \
    BENCHMARK_CAPTURE(mixture_state, tag##_Tp_glide, name, mixture_case::tp_glide);    \
    BENCHMARK_CAPTURE(mixture_state, tag##_ph_glide, name, mixture_case::ph_glide);    \
    BENCHMARK_CAPTURE(mixture_state, tag##_ph_gas, name, mixture_case::ph_gas);        \
    BENCHMARK_CAPTURE(mixture_state, tag##_hs_glide, name, mixture_case::hs_glide);    \
    BENCHMARK_CAPTURE(mixture_state, tag##_hs_gas, name, mixture_case::hs_gas)
MIXTURE_STATES(R454B, "R454B");
MIXTURE_STATES(R454B_typed, "R32:0.689+R1234yf:0.311");
MIXTURE_STATES(R449A, "R449A");
MIXTURE_STATES(R448A, "R448A");
MIXTURE_STATES(R407C_mix, "R407C.mix");
BENCHMARK_CAPTURE(mixture_point, R454B_bubble_T, "R454B", true, true);
BENCHMARK_CAPTURE(mixture_point, R454B_dew_T, "R454B", false, true);
BENCHMARK_CAPTURE(mixture_point, R454B_bubble_p, "R454B", true, false);
BENCHMARK_CAPTURE(mixture_point, R454B_dew_p, "R454B", false, false);
BENCHMARK_CAPTURE(mixture_point, R454B_typed_bubble_T, "R32:0.689+R1234yf:0.311", true, true);
BENCHMARK_CAPTURE(mixture_point, R454B_typed_dew_p, "R32:0.689+R1234yf:0.311", false, false);
BENCHMARK_CAPTURE(mixture_point, R513A_bubble_T, "R513A", true, true);
BENCHMARK_CAPTURE(mixture_point, R513A_dew_p, "R513A", false, false);
BENCHMARK_CAPTURE(mixture_point, R449A_bubble_T, "R449A", true, true);
BENCHMARK_CAPTURE(mixture_point, R449A_dew_T, "R449A", false, true);
BENCHMARK_CAPTURE(mixture_point, R449A_bubble_p, "R449A", true, false);
BENCHMARK_CAPTURE(mixture_point, R449A_dew_p, "R449A", false, false);
BENCHMARK_CAPTURE(mixture_point, R448A_bubble_T, "R448A", true, true);
BENCHMARK_CAPTURE(mixture_point, R448A_dew_p, "R448A", false, false);
BENCHMARK_CAPTURE(mixture_point, R407C_mix_bubble_T, "R407C.mix", true, true);
BENCHMARK_CAPTURE(mixture_point, R407C_mix_dew_p, "R407C.mix", false, false);
BENCHMARK_CAPTURE(mixture_boundary, R454B_T, "R454B", true);
BENCHMARK_CAPTURE(mixture_boundary, R454B_p, "R454B", false);
BENCHMARK_CAPTURE(mixture_envelope, R454B, "R454B");
BENCHMARK_CAPTURE(mixture_envelope, R513A, "R513A");
BENCHMARK_CAPTURE(mixture_envelope, R449A, "R449A");
BENCHMARK_CAPTURE(mixture_envelope, R448A, "R448A");
BENCHMARK_CAPTURE(mixture_envelope, R455A, "R455A");
BENCHMARK_CAPTURE(mixture_envelope, R407C_mix, "R407C.mix");
BENCHMARK_CAPTURE(mixture_load, R454B, "R454B");
BENCHMARK_CAPTURE(mixture_load, R448A, "R448A");
