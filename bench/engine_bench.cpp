// Benchmarks of the engine on loaded fluids: one evaluation of the residual
// derivatives, one (T, p) state, loading a fluid.
#include <benchmark/benchmark.h>

#include <string>

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

BENCHMARK_CAPTURE(engine_derivatives, R507A, "R507A", 0.8 * 490.74, 0.8 * 343.765);
BENCHMARK_CAPTURE(engine_derivatives, R744, "R744", 2.5 * 467.6, 0.8 * 304.1282);
BENCHMARK_CAPTURE(engine_derivatives, R718, "R718", 2.5 * 322, 0.8 * 647.096);
BENCHMARK_CAPTURE(engine_state, R507A_20C_5bar, "R507A", 20, 5, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_state, R507A_m70C_1bar, "R507A", -70, 1, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_state, R507A_20C_5bar_with_saturation, "R507A", 20, 5, vantrel::extras::saturation);
BENCHMARK_CAPTURE(engine_state, R744_20C_50bar, "R744", 20, 50, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_state, R718_200C_5bar, "R718", 200, 5, vantrel::extras::none);
BENCHMARK_CAPTURE(engine_load, R507A, "R507A");

}  // namespace
