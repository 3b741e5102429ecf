// Benchmarks of the hot routines and of whole requests on the shipped fluids.
// Run from anywhere: the repository's data/ is made the current directory.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "legacy/calc_properties.h"
#include "legacy/density.h"
#include "legacy/eos.h"
#include "legacy/phase_eq.h"
#include "legacy/real_props.h"
#include "legacy/saturation.h"

namespace {

const T_dim_info USER{"C", "bar"};

struct fluid {
    const_list th_c;
    two_d_array coef;
    explicit fluid(const char* agent)
        : th_c(create_const({agent, "config.txt"}, "real", "config.txt")), coef(read_eos_table(th_c)) {}
    double z_d() const { return th_c.p_cr / (th_c.tau_div * th_c.R * th_c.rho_div); }
    double delta() const { return th_c.delta_rho / th_c.rho_div; }
};

// One evaluation of the derivative vector at a liquid-like state.
void derivative_vector(benchmark::State& state, const char* agent) {
    const fluid f(agent);
    for (auto _ : state) benchmark::DoNotOptimize(calc_therm_derivatives_a(f.th_c, f.coef, 2.5, 0.8));
    state.SetLabel(std::to_string(f.coef.size()) + " rows");
}

// The density of a compressed liquid at 0.8 T_reducing and 2 p_cr, from 3.2.
void density_newton(benchmark::State& state, const char* agent) {
    const fluid f(agent);
    for (auto _ : state)
        benchmark::DoNotOptimize(calc_rho_newton(f.th_c, f.coef, 0.8, 2, f.z_d(), f.delta(), 3.2));
}

// Equal-area solution at 0.8 T_reducing from the start values the program uses.
void equal_area_t(benchmark::State& state, const char* agent) {
    const fluid f(agent);
    double w1 = 0, w2 = 0;
    const double p_s = *cacl_sat_par(0.8 * f.th_c.tau_div, "t", {agent, "config.txt"}, w1, w2);
    const double pi = p_s / f.th_c.p_cr;
    const double start_1 = calc_rho_real(f.th_c, f.coef, 0.8, 1.03 * pi, f.z_d(), f.delta(), p_s);
    const double start_2 = calc_rho_real(f.th_c, f.coef, 0.8, 0.97 * pi, f.z_d(), f.delta(), p_s);
    for (auto _ : state) {
        double a = start_1, b = start_2;
        calc_sat_density_t(f.th_c, f.coef, a, b, f.delta(), 0.8);
        benchmark::DoNotOptimize(a);
    }
}

void equal_area_p(benchmark::State& state, const char* agent) {
    const fluid f(agent);
    double w1 = 0, w2 = 0;
    const double p_s = *cacl_sat_par(0.8 * f.th_c.tau_div, "t", {agent, "config.txt"}, w1, w2);
    const double pi = p_s / f.th_c.p_cr;
    const double start_1 = calc_rho_real(f.th_c, f.coef, 0.8 * 0.97, 1.03 * pi, f.z_d(), f.delta(), p_s);
    const double start_2 = calc_rho_real(f.th_c, f.coef, 0.8 * 1.03, 0.97 * pi, f.z_d(), f.delta(), p_s);
    for (auto _ : state) {
        double a = start_1, b = start_2, tau = 0.8;
        calc_sat_density_p(f.th_c, f.coef, a, b, tau, pi, f.z_d(), f.delta());
        benchmark::DoNotOptimize(tau);
    }
}

// The four requests of one run of the program at 20 C and 5 bar.
void request_h(benchmark::State& state, const char* agent) {
    for (auto _ : state) benchmark::DoNotOptimize(calc_property_h(20, "t", 5, "p", USER, agent));
}
void request_phase(benchmark::State& state, const char* agent) {
    for (auto _ : state) benchmark::DoNotOptimize(calc_phase_state(20, 5, USER, agent));
}
void request_sat_t(benchmark::State& state, const char* agent) {
    for (auto _ : state) {
        prop_list p;
        benchmark::DoNotOptimize(calc_sat_props(5, "p", USER, agent, p, UNDEFINE_ST));
    }
}
void request_sat_p(benchmark::State& state, const char* agent) {
    for (auto _ : state) {
        prop_list p;
        benchmark::DoNotOptimize(calc_sat_props(20, "t", USER, agent, p, UNDEFINE_ST));
    }
}
void full_run(benchmark::State& state, const char* agent) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(calc_property_h(20, "t", 5, "p", USER, agent));
        benchmark::DoNotOptimize(calc_phase_state(20, 5, USER, agent));
        prop_list by_p, by_t;
        benchmark::DoNotOptimize(calc_sat_props(5, "p", USER, agent, by_p, UNDEFINE_ST));
        benchmark::DoNotOptimize(calc_sat_props(20, "t", USER, agent, by_t, UNDEFINE_ST));
    }
}

#define FOR_FLUIDS(fn)                            \
    BENCHMARK_CAPTURE(fn, R507A, "R507A");        \
    BENCHMARK_CAPTURE(fn, R744, "R744");          \
    BENCHMARK_CAPTURE(fn, R718, "R718")

FOR_FLUIDS(derivative_vector);
FOR_FLUIDS(density_newton);
FOR_FLUIDS(equal_area_t);
FOR_FLUIDS(equal_area_p);
FOR_FLUIDS(request_h);
FOR_FLUIDS(request_phase);
FOR_FLUIDS(request_sat_t);
FOR_FLUIDS(request_sat_p);
FOR_FLUIDS(full_run);

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::current_path(VANTREL_SOURCE_DIR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
