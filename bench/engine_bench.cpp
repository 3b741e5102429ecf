// Benchmarks of the engine on loaded fluids: one evaluation of the residual
// derivatives, one (T, p) state, loading a fluid.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/states.h"
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

// The fluid without its expansions: saturation by the equal-area solver
// alone, seeded by the correlations.
d::fluid_data equal_area_only(const vantrel::fluid& f) {
    d::fluid_data copy = f.data();
    copy.expansion.reset();
    return copy;
}

// Saturation pressure and both densities at 0.8 T_c (1 - T/T_c = 0.2).
void saturation_T(benchmark::State& state, const char* agent, bool expansions) {
    const vantrel::fluid f = load(agent);
    const d::fluid_data fd = expansions ? f.data() : equal_area_only(f);
    const double T = 0.8 * fd.cfg.T_cr;
    for (auto _ : state) benchmark::DoNotOptimize(d::solve_saturation(fd, d::given::T, T));
}

// Saturation temperature and both densities at 0.3 p_c.
void saturation_p(benchmark::State& state, const char* agent, bool expansions) {
    const vantrel::fluid f = load(agent);
    const d::fluid_data fd = expansions ? f.data() : equal_area_only(f);
    const double p = 0.3 * fd.cfg.p_cr;
    for (auto _ : state) benchmark::DoNotOptimize(d::solve_saturation(fd, d::given::p, p));
}

// Both saturated phases with h and s (the public record), at 0.8 T_c.
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

// The phase decision of a (T, p) state: a liquid 1 % above the saturation
// pressure at 0.95 T_c, where only the saturation curve decides.
void phase_decision(benchmark::State& state, const char* agent) {
    const vantrel::fluid f = load(agent);
    const double T = 0.95 * f.info().T_cr;
    const double p = 1.01 * f.saturation_at_T(T)->p;
    for (auto _ : state) benchmark::DoNotOptimize(d::decide_phase(f.data(), T, p));
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

BENCHMARK_CAPTURE(engine_pair, R507A_ph_gas_20C_5bar, "R507A", vantrel::input_pair::p_h, 20, 5, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_ph_liquid_m30C_20bar, "R507A", vantrel::input_pair::p_h, -30, 20, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_ph_two_phase_m10C_x03, "R507A", vantrel::input_pair::p_h, -10, 0, 0.3);
BENCHMARK_CAPTURE(engine_pair, R507A_ps_gas_20C_5bar, "R507A", vantrel::input_pair::p_s, 20, 5, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_ps_two_phase_m10C_x03, "R507A", vantrel::input_pair::p_s, -10, 0, 0.3);
BENCHMARK_CAPTURE(engine_pair, R507A_hs_gas_20C_5bar, "R507A", vantrel::input_pair::h_s, 20, 5, -1);
BENCHMARK_CAPTURE(engine_pair, R507A_hs_two_phase_m10C_x03, "R507A", vantrel::input_pair::h_s, -10, 0, 0.3);

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
BENCHMARK_CAPTURE(phase_decision, R507A, "R507A");
BENCHMARK_CAPTURE(phase_decision, R718, "R718");

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

}  // namespace
