// The program's routines: each forwards to the engine and gives its numbers
// bit for bit (one table, a row per routine; the equal-area routines, which
// keep their own Newton passes, the engine's saturation to its precision),
// and each keeps the contract of its record, identifiers and units.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>

#include "engine/phase/density.h"
#include "engine/phase/pure_boundary.h"
#include "legacy/calc_properties.h"
#include "legacy/density.h"
#include "legacy/eos.h"
#include "legacy/fp_check.h"
#include "legacy/general_func.h"
#include "legacy/ideal_gas.h"
#include "legacy/phase_eq.h"
#include "legacy/real_props.h"
#include "legacy/record.h"
#include "legacy/sat_line.h"
#include "legacy/saturation.h"
#include "test_support.h"

namespace d = vantrel::detail;
namespace fs = std::filesystem;
using values = std::vector<double>;

namespace {

values record(const prop_list& r) {
    return {r.t,   r.p, r.rho,       r.v,         r.r,       r.mu,      r.z,       r.fug,     r.c_v, r.c_p,
            r.h,   r.s, r.s_r,       r.s_0,       r.k,       r.xi,      r.c,       r.isoth_eff, r.adiab_eff,
            r.k_alpha, r.k_betta, r.k_gamma, r.mu_t, r.mu_p, r.x, r.dh};
}

values of(const vantrel::residual_derivatives& a) { return {a.z_minus_1, a.p_rho, a.p_T, a.h, a.s, a.cv}; }

values flat(const d::table& t) {
    values v;
    for (const auto& row : t) v.insert(v.end(), row.begin(), row.end());
    return v;
}

// The water of the tests as data/water of the current directory.
struct Routines : ::testing::Test {
    test::temp_dir dir;
    test::scoped_cwd cwd{dir.path};
    const str_arr names{"water", "config.txt"};
    std::shared_ptr<const d::fluid_impl> water;
    const d::component_data* f = nullptr;
    const_list th_c;
    two_d_array coef;
    double z_d = 0;
    Routines() {
        test::copy_test_fluid(dir.path, "water");
        water = d::pure_fluid(d::load_component((dir.path / "data" / "water").string()));
        f = &water->core.m->pure();
        th_c = create_const(names, "real", "config.txt");
        coef = read_eos_table(th_c);
        z_d = th_c.p_cr / (th_c.tau_div * th_c.R * th_c.rho_div);
    }
    std::string path(const std::string& file = "") const {
        return (fs::current_path() / "data" / "water" / file).string();
    }
};

TEST_F(Routines, EachGivesTheEnginesNumbers) {
    // The routines' reduced variables: omega the equation's delta, TAU = T / tau_div
    // the inverse of its tau, pi = p / p_cr.
    const double tau = 450 / 647.096, omega = 2.76, pi = 0.0422, delta = f->delta_tolerance(), T = 450;
    const double Tk = change_dimension_t("K", "K", T);  // a temperature in K as the requests take it
    const d::residual_at<double> at(f->residual, 1 / tau);
    const auto derivs = [&](double w) { return legacy::derivatives_of(at(w)); };
    const d::table cp = d::read_table(path("c_p.txt"));
    const auto helmholtz = [&](double t) {
        double c_p = 0, h = 0, s = 0;
        ideal_caloric_exp({"water", "c_p.txt"}, "f_exp", "1", t, 647.096, -8.3, 6.7, 3.0, c_p, h, s);
        return values{c_p, h, s};
    };
    const auto saturated = [&](const std::string& side, vantrel::phase_kind kind) {
        prop_list by_routine, by_engine;
        calc_sat_props(T, "t", DIM_STD, "water", by_routine, side);
        legacy::add_saturated(*water, *water->core.boundary->point(d::side::bubble, d::given::T, Tk), kind, by_engine);
        reverse_dimensions(DIM_STD, by_engine);
        return std::pair{record(by_routine), record(by_engine)};
    };
    const auto start = [&](double p_s) {
        return d::density_start(1 / tau, z_d * pi / tau, pi, [&] { return pi < p_s / f->cfg.p_cr; });
    };
    const vantrel::fluid fluid(water);
    const legacy::property_constants constants = legacy::constants_of(*f);
    const struct {
        const char* routine;
        std::function<values()> routine_value, engine_value;
    } cases[] = {
        {"data_array", [&] { return flat(data_array(path("sat_line.txt"))); },
         [&] { return flat(d::read_table(path("sat_line.txt"))); }},
        {"create_coeff_table", [&] { return flat(create_coeff_table(names, "sat_line.txt", "liq")); },
         [&] { return flat(d::read_table(path("sat_line_liq.txt"))); }},
        {"create_const", [&] { return values{th_c.R, th_c.mu, th_c.p_cr, th_c.k_term, th_c.sat_xi, 1.0 * th_c.sat_liq_id}; },
         [&] { return values{f->cfg.R, f->cfg.mu, f->cfg.p_cr, f->cfg.ideal.k_term, f->cfg.sat_xi, 1.0 * f->cfg.sat_liq_id}; }},
        {"read_eos_table", [&] { return flat(coef); }, [&] { return flat(d::read_table(path("eos_coeff.txt"))); }},
        {"power", [&] { return values{power(2.5, -3), power(-2.0, 3), power(8.0, 1.0 / 3)}; },
         [&] { return values{d::power(2.5, -3), d::power(-2.0, 3), d::power(8.0, 1.0 / 3)}; }},
        {"calc_t_polynom", [&] { return values{calc_t_polynom(cp, 1.3, 0.5, true), calc_t_polynom(str_arr{"water", "c_p.txt"}, 1.3, 0, false)}; },
         [&] { return values{d::t_polynom(cp, 1.3, 0.5, true), d::t_polynom(cp, 1.3, 0, false)}; }},
        {"calc_frac_polynom", [&] { return values{calc_frac_polynom(cp, 0.4, 3)}; },
         [&] { return values{d::frac_polynom(cp, 0.4, 3)}; }},
        {"calc_ideal_enthalpy", [&] { return values{calc_ideal_enthalpy({"water", "c_p.txt"}, 1.3, 0.3, 0.2)}; },
         [&] { return values{d::cp_table_enthalpy(cp, 1.3, 0.3, 0.2)}; }},
        {"calc_ideal_entropy", [&] { return values{calc_ideal_entropy({"water", "c_p.txt"}, 1.3, 0.4, 0.1)}; },
         [&] { return values{d::cp_table_entropy(cp, 1.3, 0.4, 0.1)}; }},
        {"ideal_caloric_exp", [&] { return helmholtz(0.7); },
         [&] {
             const d::reduced_caloric r = d::helmholtz_ideal(cp, "f_exp", "1", 0.7, 647.096, -8.3, 6.7, 3.0);
             return values{r.cp, r.h, r.s};
         }},
        {"calc_ideal_therm", [&] { prop_list p; calc_ideal_therm(names, th_c, T, p); return values{p.c_p, p.h, p.s, p.s_0}; },
         [&] { const d::ideal_values v = f->ideal->at(T); return values{v.cp, v.h, v.s, v.s}; }},
        {"calc_ideal_props", [&] { prop_list p; calc_ideal_props("water", T, 1e5, p, "real"); return record(p); },
         [&] { prop_list p; legacy::add_ideal_gas(*f->ideal, constants, T, 1e5, p); return record(p); }},
        {"calc_therm_derivatives_a", [&] { return calc_therm_derivatives_a(th_c, coef, omega, tau); },
         [&] { return of(derivs(omega)); }},
        {"therm_derivatives_fund", [&] { return therm_derivatives_fund(th_c, coef, omega, tau); },
         [&] { return of(derivs(omega)); }},
        {"calc_compres_coeff", [&] { return values{calc_compres_coeff(th_c, coef, omega, tau)}; },
         [&] { return values{at(omega).d}; }},
        {"calc_eq_state", [&] { return values{calc_eq_state(th_c, coef, omega, tau, pi, z_d)}; },
         [&] { return values{pi - (1 + at(omega).d) * (tau * omega / z_d)}; }},
        {"calc_p_sat", [&] { return values{calc_p_sat(th_c, T)}; }, [&] { return values{f->line.p(T)}; }},
        {"calc_t_sat", [&] { return values{calc_t_sat(th_c, 1e6, 300, 600, 1e-6)}; },
         [&] { return values{f->line.T_at(1e6, 300, 600, 1e-6)}; }},
        {"sat_range", [&] { return values{1.0 * sat_range(T, "t", th_c, 1), 1.0 * sat_range(3e7, "p", th_c, 0)}; },
         [&] { return values{1.0 * d::in_saturation_range(f->cfg, d::given::T, T, 1), 0}; }},
        {"calc_omega_sat", [&] { double a = 0, b = 0; calc_omega_sat(th_c, tau, a, b); return values{a, b}; },
         [&] {
             const std::string dir = path();
             return values{d::load_density_line(f->cfg, "liq", dir).delta(th_c.tau_div * tau),
                           d::load_density_line(f->cfg, "gas", dir).delta(th_c.tau_div * tau)};
         }},
        {"calc_rho_newton", [&] { return values{calc_rho_newton(th_c, coef, tau, pi, z_d, delta, 3.2)}; },
         [&] { return values{*d::solve_delta(at, z_d * pi / tau, delta, 3.2)}; }},
        {"calc_rho_start", [&] { return values{calc_rho_start(th_c, tau, pi, z_d, 0), calc_rho_start(th_c, tau, pi, z_d, 3e6)}; },
         [&] { return values{start(f->line.p(T)), start(3e6)}; }},
        {"calc_rho_real", [&] { return values{calc_rho_real(th_c, coef, tau, pi, z_d, delta, 0)}; },
         [&] { return values{*d::solve_delta(at, z_d * pi / tau, delta, start(f->line.p(T)))}; }},
        {"cacl_sat_par", [&] { double a = 0, b = 0; const auto p = cacl_sat_par(T, "t", names, a, b); return values{*p, a, b}; },
         [&] {
             const auto s = d::solve_saturation(*water->core.m, d::given::T, T);
             return values{s->p, *s->rho_liquid / f->cfg.rho_div, *s->rho_vapour / f->cfg.rho_div};
         }},
        {"calc_prop_list", [&] { prop_list p; p.c_v = 1400; p.h = 2.8e6; p.s_0 = 7e3; calc_prop_list(T, 1e6, 5, th_c, p, derivative_vector(derivs(0.015))); return record(p); },
         [&] { prop_list p; p.c_v = 1400; p.h = 2.8e6; p.s_0 = 7e3; legacy::add_residual(constants, T, 1e6, 5, derivs(0.015), p); return record(p); }},
        {"calc_real_props", [&] { prop_list p; calc_real_props(T, 1e6, DIM_STD, "water", p); return record(p); },
         [&] {
             prop_list p;
             const d::flash_state s = d::at_T_p(water->core, T, 1e6);
             legacy::add_residual(constants, T, 1e6, s.rho * water->core.M, legacy::derivatives_of(s.alpha), p);
             legacy::single_phase_x(s.phase, p);
             reverse_dimensions(DIM_STD, p);
             return record(p);
         }},
        {"calc_sat_props, no phase", [&] { return saturated(UNDEFINE_ST, vantrel::phase_kind::none).first; },
         [&] { return saturated(UNDEFINE_ST, vantrel::phase_kind::none).second; }},
        {"calc_sat_props, liquid", [&] { return saturated("liquid", vantrel::phase_kind::liquid).first; },
         [&] { return saturated("liquid", vantrel::phase_kind::liquid).second; }},
        {"calc_props, monophase_props", [&] { prop_list p; calc_props(p, T, "t", 1e5, "p", DIM_STD, "water"); return values{p.h, p.rho, p.x}; },
         [&] { const vantrel::state s = fluid.at(vantrel::input_pair::T_p, Tk, 1e5); return values{s.h, s.rho, 1}; }},
        {"calc_props by (p, h)", [&] { prop_list p; calc_props(p, 2.8e6, "h", 1e5, "p", DIM_STD, "water"); return values{p.s, p.x}; },
         [&] { const vantrel::state s = fluid.at(vantrel::input_pair::p_h, 1e5, 2.8e6); return values{s.s, 1}; }},
        {"calc_property_h", [&] { return values{calc_property_h(1e5, "p", T, "t", DIM_STD, "water")}; },
         [&] { return values{fluid.at(vantrel::input_pair::T_p, Tk, 1e5).h}; }},
    };
    for (const auto& c : cases) EXPECT_EQ(c.routine_value(), c.engine_value()) << c.routine;
    const auto& b = static_cast<const d::pure_boundary&>(*water->core.boundary);
    EXPECT_EQ(calc_ph_state(T, 1e5, "water"), vantrel::phase_name(b.decide_phase(T, 1e5).phase));
    EXPECT_EQ(calc_phase_state(T, 1e5, DIM_STD, "water"), "gas");
}

// The equal-area routines: their residuals and Jacobians from the
// derivative vector's formulas, and their Newton passes ending on the
// engine's saturation state (IAPWS-95, Table 8 at 450 K).
TEST_F(Routines, EqualAreaRoutinesEndOnTheEnginesSaturation) {
    const double tau = 450 / 647.096, delta = f->delta_tolerance(), w1 = 2.5, w2 = 0.0149;
    const double rho_liq = 0.890341250e3, rho_vap = 0.481200360e1;
    const one_d_array a1 = calc_therm_derivatives_a(th_c, coef, w1, tau), a2 = calc_therm_derivatives_a(th_c, coef, w2, tau);
    // Both residuals negative at the start (-1.32 and -0.50): a signed test
    // would stop after one update, far from the solution.
    EXPECT_EQ(sat_f1(th_c, coef, tau, w1, w2), (1 + a1[0]) * w1 - (1 + a2[0]) * w2);
    EXPECT_EQ(sat_f2(th_c, coef, tau, w1, w2), std::log(w1 / w2) + (a1[3] - a1[4]) - (a2[3] - a2[4]));
    ASSERT_LT(sat_f1(th_c, coef, tau, w1, w2), -1);
    ASSERT_LT(sat_f2(th_c, coef, tau, w1, w2), -0.4);
    const TReal2DArray w = sat_df_t(th_c, coef, w1, w2, delta, tau);
    EXPECT_EQ(values(w.values.begin(), w.values.begin() + 4),
              (values{1 + a1[1], -(1 + a2[1]), (1 + a1[1]) / w1, -(1 + a2[1]) / w2}));
    const TReal2DArray wp = sat_df_p(th_c, coef, 2.76, w2, tau, 0.04, z_d, delta);
    EXPECT_EQ(wp[0][1], 0);  // exact zeros across the phases
    EXPECT_EQ(wp[1][0], 0);
    EXPECT_NE(wp[2][2], 0);
    const auto s = water->core.boundary->point(d::side::bubble, d::given::T, 450);
    double t1 = w1, t2 = w2;
    calc_sat_density_t(th_c, coef, t1, t2, delta, tau);
    EXPECT_LT(test::rel(t1 * 322, rho_liq), 1e-6);
    EXPECT_LT(test::rel(t2 * 322, rho_vap), 1e-6);
    EXPECT_LT(test::rel(t1, s->rho_x / f->cfg.rho_div), 1e-9);
    EXPECT_LT(test::rel(t2, s->rho_y / f->cfg.rho_div), 1e-9);
    double p1 = 2.76, p2 = w2, t = tau;
    calc_sat_density_p(th_c, coef, p1, p2, t, s->p / th_c.p_cr, z_d, delta);
    EXPECT_LT(test::rel(t, tau), 1e-9);
    EXPECT_LT(test::rel(p1, s->rho_x / f->cfg.rho_div), 1e-9);
    // With the tolerance 2 both start residuals pass their test; the steps do
    // not (the first makes the vapour density negative, and the guard sets it
    // to 1e-8), so the solve goes on to the solution; from which it stays there.
    double g1 = 2.76, g2 = 0.03;
    calc_sat_density_t(th_c, coef, g1, g2, 2, tau);
    EXPECT_LT(test::rel(g1, t1), 1e-7);
    EXPECT_LT(test::rel(g2, t2), 1e-7);
    calc_sat_density_t(th_c, coef, g1, g2, delta, tau);
    EXPECT_NEAR(g1, t1, 1e-12 * t1);
}

TEST_F(Routines, EqualAreaRoutinesGiveUpAfter100PassesOrOnASingularJacobian) {
    const std::string cap = "Расчёт фазового равновесия не сошёлся за 100 итераций.";
    const std::string singular = "Вырожденная матрица Якоби в расчёте фазового равновесия.";
    const struct {
        double w1, w2, delta;
        std::string message;
    } cases[] = {
        {2.5, 0.0149, -1, cap},      // a negative tolerance: no residual and no step ever passes
        {1.5, 1.5, 1e-8, singular},  // equal densities: the residuals depend on both alike
    };
    for (const auto& c : cases) {
        double w1 = c.w1, w2 = c.w2, v1 = c.w1, v2 = c.w2, t = 450 / 647.096;
        EXPECT_EQ(test::error_of([&] { calc_sat_density_t(th_c, coef, w1, w2, c.delta, 0.7); }), c.message);
        EXPECT_EQ(test::error_of([&] { calc_sat_density_p(th_c, coef, v1, v2, t, 0.0422, z_d, c.delta); }), c.message);
        EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT & ~FE_INEXACT & ~FE_UNDERFLOW), 0) << "flags left raised";
    }
}

// What the program's records, identifiers and units must be.
TEST_F(Routines, KeepTheirContracts) {
    // Paths under the current directory; a fluid or file name is one name.
    const std::string root = fs::current_path().string();
    EXPECT_EQ(create_path({"R507A", "config.txt"}), root + "/data/R507A/config.txt");
    EXPECT_EQ(create_path({"R507A", ""}), root + "/data/R507A");
    EXPECT_EQ(create_path({"", ""}), root + "/data");
    EXPECT_EQ(test::error_of([] { create_path({"..", "x"}); }), test::msg::not_a_name(".."));
    EXPECT_EQ(test::error_of([] { create_coeff_table({"water", "x"}, "sat_line.txt", "mid"); }),
              test::msg::missing(root + "/data/water/sat_line_mid.txt"));
    // The sections a description type does not read stay zero.
    EXPECT_EQ(create_const(names, "ideal", "config.txt").p_cr, 0);
    EXPECT_EQ(create_const(names, "base", "config.txt").k_term, 0);
    EXPECT_EQ(create_const(names, "real", "config.txt").names, names);
    EXPECT_EQ(create_const({"Nope", "config.txt"}, "real", "config.txt").type_calc, "Cp");  // every default
    // A correlation form is refused before its table is read; a bracket
    // already narrow enough, or a given saturation pressure, reads none.
    const_list bad = th_c;
    bad.sat_id = 12;
    EXPECT_EQ(test::error_of([&] { calc_p_sat(bad, 400); }), test::msg::bad_value("sat_id", "12", path("config.txt")));
    fs::remove(path("sat_line.txt"));
    EXPECT_DOUBLE_EQ(calc_t_sat(th_c, 1e6, 400, 400.04, 0.05), 400.02);
    EXPECT_EQ(calc_rho_start(th_c, 0.7, 0.2, z_d, 3e6), 3.2);
    EXPECT_THROW(calc_rho_start(th_c, 0.7, 0.2, z_d, 0), std::runtime_error);
    test::copy_test_fluid(dir.path, "water");

    // Requests: (t, p) in either order, the role by the first identifier;
    // identifiers exactly, other pairs by theirs; anything else changes nothing.
    const T_dim_info eng{"C", "bar"};
    prop_list a, b, none;
    calc_props(a, 150, "t", 20, "p", eng, "water");
    calc_props(b, 20, "p", 150, "t", eng, "water");
    EXPECT_EQ(record(a), record(b));
    EXPECT_NEAR(a.t, 150, 1e-9);  // back in the caller's units
    EXPECT_NEAR(a.p, 20, 1e-12);
    EXPECT_EQ(a.x, 0);
    for (const auto& [id_1, id_2] : {std::pair{"h", "x"}, {"t", "s"}, {"t", "h"}, {"h", "h"}, {"t", "P"}, {"rho", "p"}, {"T", "p"}})
        calc_props(none, 150, id_1, 20, id_2, eng, "water");
    EXPECT_EQ(record(none), record(prop_list{}));
    prop_list ref;
    calc_props(ref, 150, "t", 2, "p", eng, "water");
    for (const auto& [id_1, v_1, id_2, v_2] : {std::tuple{"h", ref.h, "p", 2.0}, {"s", ref.s, "h", ref.h}, {"t", 150.0, "rho", ref.rho}}) {
        prop_list p;
        calc_props(p, v_1, id_1, v_2, id_2, eng, "water");
        EXPECT_NEAR(p.t, 150, 1e-7) << id_1 << id_2;
        EXPECT_NEAR(p.p, 2, 1e-9) << id_1 << id_2;
        EXPECT_EQ(p.x, 1) << id_1 << id_2;
    }
    prop_list wet;
    wet.c_p = 7;  // undefined for a two-phase state: kept
    calc_props(wet, 0.4, "x", 120, "t", eng, "water");
    EXPECT_NEAR(wet.x, 0.4, 1e-15);
    EXPECT_NEAR(wet.p, 1.98665, 1e-4);  // the saturation pressure of 120 C, in bar
    EXPECT_EQ(wet.c_p, 7);
    EXPECT_GT(wet.dh, 2e6);

    // Saturated states in the caller's units; none computed: the record as it was.
    prop_list by_p;
    ASSERT_TRUE(calc_sat_props(9.32203564, "p", eng, "water", by_p, UNDEFINE_ST));
    EXPECT_NEAR(by_p.t, 450 - 273.15, 1e-4);
    EXPECT_NEAR(by_p.p, 9.32203564, 1e-12);
    // The saturation line alone: t, p and dh, no phase's properties.
    EXPECT_LT(test::rel(by_p.dh, (0.277441078e4 - 0.749161585e3) * 1e3), 1e-6);
    EXPECT_EQ(by_p.h, 0);
    prop_list vapour;
    vapour.x = 0.5;
    ASSERT_TRUE(calc_sat_props(450, "t", DIM_STD, "water", vapour, "gas"));
    EXPECT_EQ(vapour.x, 1);
    EXPECT_LT(test::rel(vapour.dh, (0.277441078e4 - 0.749161585e3) * 1e3), 1e-6);
    prop_list kept;
    kept.t = 1;
    for (const auto& [v, id] : {std::pair{0.0, "t"}, {400.0, "x"}, {300.0, "p"}})
        EXPECT_FALSE(calc_sat_props(v, id, eng, "water", kept, "gas")) << id;
    EXPECT_EQ(kept.t, 1);
}

TEST(Units, TemperatureAndPressureConversions) {
    const struct {
        const char *from, *to;
        double value, expected;
    } temperatures[] = {
        {"C", "K", 20, 293.15}, {"K", "C", 293.15, 20}, {"K", "K", 300, 300}, {"C", "C", -5, -5},
        {"F", "K", 0, 273.15},  {"k", "K", 0, 273.15},  // only "K" is kelvin
        {"", "K", 1, 274.15},   {"K", "", 273.15, 0},
    };
    for (const auto& c : temperatures)
        EXPECT_NEAR(change_dimension_t(c.from, c.to, c.value), c.expected, 1e-12) << c.from << "->" << c.to;
    const struct {
        const char *from, *to;
        double value, expected;
    } pressures[] = {
        {"bar", "Pa", 5, 500000}, {"Pa", "bar", 500000, 5}, {"atm", "at", 1, 101325 / 98066.5},
        {"MPa", "kPa", 1, 1000},  {"at", "Pa", 2, 196133},   {"Pa", "atm", 101325, 1},
        {"kPa", "MPa", 2500, 2.5}, {"mpa", "Pa", 3, 3},      {"Bar", "Pa", 3, 3},  // unknown names and cases are Pa
        {"psi", "Pa", 3, 3},      {"Pa", "psi", 3, 3},
    };
    for (const auto& c : pressures)
        EXPECT_NEAR(change_dimension_p(c.from, c.to, c.value), c.expected, 1e-12 * c.expected) << c.from << "->" << c.to;
    // Out of Pa a decimal unit multiplies by its reciprocal power of ten, the others divide.
    static_assert(300000 * 1e-5 != 300000 / 1e5 && 123456.789 * 1e-6 != 123456.789 / 1e6);  // values that tell
    EXPECT_EQ(change_dimension_p("Pa", "bar", 300000), 300000 * 1e-5);
    EXPECT_EQ(change_dimension_p("Pa", "MPa", 123456.789), 123456.789 * 1e-6);
    EXPECT_EQ(change_dimension_p("Pa", "at", 1234567), 1234567 / 98066.5);
    prop_list prop;
    prop.t = 273.15;
    prop.p = prop.fug = 100000;
    prop.h = 1234.5;
    reverse_dimensions({"C", "bar"}, prop);
    EXPECT_NEAR(prop.t, 0, 1e-12);
    EXPECT_EQ(prop.p, 1);
    EXPECT_EQ(prop.fug, 1);
    EXPECT_EQ(prop.h, 1234.5);
}

TEST(Numbers, CommasFixedDecimalsAndIntegers) {
    EXPECT_EQ(commatopoint("-1,5"), "-1.5");
    EXPECT_EQ(commatopoint("1,000,5"), "1.000.5");
    const struct {
        double value;
        const char* text;
    } fixed[] = {
        {0, "0.00"},       {-0.0, "0.00"},      {-0.004, "0.00"}, {0.005, "0.01"}, {1.234, "1.23"},
        {-1.235, "-1.24"}, {11.2134, "11.21"},  {-7.5, "-7.50"},  {1e6, "1000000.00"},
        {198776.125, "198776.12"},  // halfway in binary: round to even
    };
    for (const auto& c : fixed) EXPECT_EQ(format_fixed2(c.value), c.text) << c.value;
    const struct {
        const char* text;
        std::optional<int> value;
    } ints[] = {
        {"0", 0},  {"12", 12}, {"-3", -3}, {"+4", 4}, {"2147483647", 2147483647}, {"", std::nullopt},
        {"1.0", std::nullopt}, {"1e2", std::nullopt}, {"+-1", std::nullopt}, {"2147483648", std::nullopt},
        {" 1", std::nullopt}, {"0x1", std::nullopt},
    };
    for (const auto& c : ints) EXPECT_EQ(parse_int(c.text), c.value) << c.text;
}

}  // namespace
