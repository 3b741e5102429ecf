// The program's routines: each forwards to the engine and gives its numbers
// bit for bit (one table, a row per routine), and each keeps the contract of
// its record, identifiers and units.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "calc_properties.h"
#include "density.h"
#include "engine/density.h"
#include "engine/equilibrium.h"
#include "engine/flash.h"
#include "eos.h"
#include "fp_check.h"
#include "general_func.h"
#include "ideal_gas.h"
#include "phase_eq.h"
#include "real_props.h"
#include "sat_line.h"
#include "saturation.h"
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
    std::shared_ptr<const d::fluid_data> f;
    const_list th_c;
    two_d_array coef;
    Routines() {
        test::copy_test_fluid(dir.path, "water");
        f = d::load_fluid((dir.path / "data" / "water").string());
        th_c = create_const(names, "real", "config.txt");
        coef = read_eos_table(th_c);
    }
    std::string path(const std::string& file = "") const {
        return (fs::current_path() / "data" / "water" / file).string();
    }
};

TEST_F(Routines, EachGivesTheEnginesNumbers) {
    const double tau = 450 / 647.096, omega = 2.76, pi = 0.0422, z_d = f->z_d, delta = f->delta, T = 450;
    const double Tk = change_dimension_t("K", "K", T);  // a temperature in K as the requests take it
    const d::residual_at_tau<double> at(f->residual, tau);
    const d::table cp = d::read_table(path("c_p.txt"));
    const auto helmholtz = [&](double t) {
        double c_p = 0, h = 0, s = 0;
        ideal_caloric_exp({"water", "c_p.txt"}, "f_exp", "1", t, 647.096, -8.3, 6.7, 3.0, c_p, h, s);
        return values{c_p, h, s};
    };
    const auto sat_t = [&](auto solve) {
        double w1 = 2.5, w2 = 0.0149;
        solve(w1, w2);
        return values{w1, w2};
    };
    const auto sat_p = [&](auto solve) {
        double w1 = 2.76, w2 = 0.0149, t = tau;
        solve(w1, w2, t);
        return values{w1, w2, t};
    };
    const auto saturated = [&](const std::string& side, vantrel::phase_kind kind) {
        prop_list by_routine, by_engine;
        calc_sat_props(T, "t", DIM_STD, "water", by_routine, side);
        d::add_saturated(*f, *d::saturated_states(*f, d::given::T, Tk), kind, by_engine);
        reverse_dimensions(DIM_STD, by_engine);
        return std::pair{record(by_routine), record(by_engine)};
    };
    const vantrel::fluid water(f);
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
         [&] { prop_list p; d::add_ideal_gas(*f->ideal, d::constants_of(*f), T, 1e5, p); return record(p); }},
        {"calc_therm_derivatives_a", [&] { return calc_therm_derivatives_a(th_c, coef, omega, tau); },
         [&] { return of(at(omega)); }},
        {"therm_derivatives_fund", [&] { return therm_derivatives_fund(th_c, coef, omega, tau); },
         [&] { return of(at(omega)); }},
        {"calc_compres_coeff", [&] { return values{calc_compres_coeff(th_c, coef, omega, tau)}; },
         [&] { return values{at(omega).z_minus_1}; }},
        {"calc_eq_state", [&] { return values{calc_eq_state(th_c, coef, omega, tau, pi, z_d)}; },
         [&] { return values{pi - d::reduced_pressure(at(omega).z_minus_1, omega, tau, z_d)}; }},
        {"calc_p_sat", [&] { return values{calc_p_sat(th_c, T)}; }, [&] { return values{f->line.p(T)}; }},
        {"calc_t_sat", [&] { return values{calc_t_sat(th_c, 1e6, 300, 600, 1e-6)}; },
         [&] { return values{f->line.T_at(1e6, 300, 600, 1e-6)}; }},
        {"sat_range", [&] { return values{1.0 * sat_range(T, "t", th_c, 1), 1.0 * sat_range(3e7, "p", th_c, 0)}; },
         [&] { return values{1.0 * d::in_saturation_range(f->cfg, d::given::T, T, 1), 0}; }},
        {"calc_omega_sat", [&] { double a = 0, b = 0; calc_omega_sat(th_c, tau, a, b); return values{a, b}; },
         [&] {
             const std::string dir = path();
             return values{d::load_density_line(f->cfg, "liq", dir).omega(tau),
                           d::load_density_line(f->cfg, "gas", dir).omega(tau)};
         }},
        {"calc_rho_newton", [&] { return values{calc_rho_newton(th_c, coef, tau, pi, z_d, delta, 3.2)}; },
         [&] { return values{d::solve_density(at, pi, z_d, delta, 3.2)}; }},
        {"calc_rho_start", [&] { return values{calc_rho_start(th_c, tau, pi, z_d, 0), calc_rho_start(th_c, tau, pi, z_d, 3e6)}; },
         [&] {
             const double pi_s = f->line.p(T) / f->cfg.p_cr;
             return values{d::density_start(tau, pi, z_d, [&] { return pi_s; }),
                           d::density_start(tau, pi, z_d, [&] { return 3e6 / f->cfg.p_cr; })};
         }},
        {"calc_rho_real", [&] { return values{calc_rho_real(th_c, coef, tau, pi, z_d, delta, 0)}; },
         [&] {
             const double pi_s = f->line.p(T) / f->cfg.p_cr;
             return values{d::solve_density(at, pi, z_d, delta, d::density_start(tau, pi, z_d, [&] { return pi_s; }))};
         }},
        {"sat_f1, sat_f2", [&] { return values{sat_f1(th_c, coef, tau, 2.5, 0.0149), sat_f2(th_c, coef, tau, 2.5, 0.0149)}; },
         [&] { const auto e = d::equal_area_at(at, 2.5, 0.0149); return values{e.f[0], e.f[1]}; }},
        {"sat_df_t", [&] { const TReal2DArray w = sat_df_t(th_c, coef, 2.5, 0.0149, delta, tau); return values(w.values.begin(), w.values.begin() + 4); },
         [&] { const auto w = d::equal_area_at(at, 2.5, 0.0149).w; return values{w(0, 0), w(0, 1), w(1, 0), w(1, 1)}; }},
        {"sat_df_p", [&] { const TReal2DArray w = sat_df_p(th_c, coef, 2.5, 0.0149, tau, pi, z_d, delta); return values(w.values.begin(), w.values.end()); },
         [&] {
             const Eigen::Matrix3d w = d::equal_area_jacobian_p(f->residual, 2.5, 0.0149, tau, z_d);
             values v;
             for (int i = 0; i < 3; ++i)
                 for (int j = 0; j < 3; ++j) v.push_back(w(i, j));
             return v;
         }},
        {"calc_sat_density_t", [&] { return sat_t([&](double& a, double& b) { calc_sat_density_t(th_c, coef, a, b, delta, tau); }); },
         [&] { return sat_t([&](double& a, double& b) { d::equal_area_at_T(at, a, b, delta); }); }},
        {"calc_sat_density_p", [&] { return sat_p([&](double& a, double& b, double& t) { calc_sat_density_p(th_c, coef, a, b, t, pi, z_d, delta); }); },
         [&] { return sat_p([&](double& a, double& b, double& t) { d::equal_area_at_p(f->residual, a, b, t, pi, z_d, delta); }); }},
        {"cacl_sat_par", [&] { double a = 0, b = 0; const auto p = cacl_sat_par(T, "t", names, a, b); return values{*p, a, b}; },
         [&] { const auto s = d::solve_saturation(*f, d::given::T, T); return values{s->p, *s->omega_1, *s->omega_2}; }},
        {"calc_prop_list", [&] { prop_list p; p.c_v = 1400; p.h = 2.8e6; p.s_0 = 7e3; calc_prop_list(T, 1e6, 5, th_c, p, derivative_vector(at(0.015))); return record(p); },
         [&] { prop_list p; p.c_v = 1400; p.h = 2.8e6; p.s_0 = 7e3; d::add_residual(d::constants_of(*f), T, 1e6, 5, at(0.015), p); return record(p); }},
        {"calc_real_props", [&] { prop_list p; calc_real_props(T, 1e6, DIM_STD, "water", p); return record(p); },
         [&] {
             prop_list p;
             const auto s = d::solve_tp(*f, T, 1e6);
             d::add_residual(d::constants_of(*f), T, 1e6, s.rho, s.a, p);
             d::single_phase_x(s.phase, p);
             reverse_dimensions(DIM_STD, p);
             return record(p);
         }},
        {"calc_sat_props, no phase", [&] { return saturated(UNDEFINE_ST, vantrel::phase_kind::none).first; },
         [&] { return saturated(UNDEFINE_ST, vantrel::phase_kind::none).second; }},
        {"calc_sat_props, liquid", [&] { return saturated("liquid", vantrel::phase_kind::liquid).first; },
         [&] { return saturated("liquid", vantrel::phase_kind::liquid).second; }},
        {"calc_props, monophase_props", [&] { prop_list p; calc_props(p, T, "t", 1e5, "p", DIM_STD, "water"); return values{p.h, p.rho, p.x}; },
         [&] { const vantrel::state s = water.at(vantrel::input_pair::T_p, Tk, 1e5); return values{s.h, s.rho, 1}; }},
        {"calc_props by (p, h)", [&] { prop_list p; calc_props(p, 2.8e6, "h", 1e5, "p", DIM_STD, "water"); return values{p.s, p.x}; },
         [&] { const vantrel::state s = water.at(vantrel::input_pair::p_h, 1e5, 2.8e6); return values{s.s, 1}; }},
        {"calc_property_h", [&] { return values{calc_property_h(1e5, "p", T, "t", DIM_STD, "water")}; },
         [&] { return values{water.at(vantrel::input_pair::T_p, Tk, 1e5).h}; }},
    };
    for (const auto& c : cases) EXPECT_EQ(c.routine_value(), c.engine_value()) << c.routine;
    EXPECT_EQ(calc_ph_state(T, 1e5, "water"), vantrel::phase_name(d::decide_phase(*f, T, 1e5).phase));
    EXPECT_EQ(calc_phase_state(T, 1e5, DIM_STD, "water"), "gas");
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
    EXPECT_EQ(calc_rho_start(th_c, 0.7, 0.2, f->z_d, 3e6), 3.2);
    EXPECT_THROW(calc_rho_start(th_c, 0.7, 0.2, f->z_d, 0), std::runtime_error);
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
