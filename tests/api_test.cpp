// The library's public interface: errors and their kinds, the caller's
// floating-point environment, the range of validity, sharing a fluid between
// threads, the floating-point faults of the computations, and the tables of
// units, properties and input keys.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <tuple>

#include "engine/base/fpu.h"
#include "test_support.h"
#include "vantrel/properties.h"
#include "vantrel/vantrel.h"

namespace d = vantrel::detail;
using vantrel::input_pair;

namespace {

vantrel::fluid load(const char* agent) { return vantrel::fluid::load(test::data() / agent); }

vantrel::error_kind kind_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const vantrel::error& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error";
    return vantrel::error_kind::data;
}

// The phase boundary of each kind of fluid: the equal-area rule (R134a),
// correlation lines (R404A, configured without the rule), a pseudo-pure
// blend's bubble and dew lines over its one saturation state (R407C), a
// mixture's envelope (R454B). At T and at p: the bubble point's liquid and
// the dew point's vapour are the saturated states x = 0 and x = 1; a point
// at p gives its T back at T; one component's two points are one state whose
// incipient phase is the fluid itself; lines where the fluid has glide;
// nothing above the critical temperature; the older calls say the same.
TEST(Api, TheBoundaryOfEachKindOfFluid) {
    const struct {
        const char* name;
        vantrel::boundary_kind kind;
    } cases[] = {{"R134a", vantrel::boundary_kind::equal_area},
                 {"R404A", vantrel::boundary_kind::correlation},
                 {"R407C", vantrel::boundary_kind::equal_area},
                 {"R454B", vantrel::boundary_kind::envelope}};
    for (const auto& c : cases) {
        const vantrel::fluid f = vantrel::fluid::by_name(test::data(), c.name);
        EXPECT_EQ(f.info().boundary, c.kind) << c.name;
        const bool mixture = c.kind == vantrel::boundary_kind::envelope;
        for (const bool by_T : {true, false}) {
            const double given = by_T ? 263.15 : 5e5;
            const vantrel::phase_boundary b = by_T ? f.boundary_at_T(given) : f.boundary_at_p(given);
            const std::string at = std::string(c.name) + (by_T ? " T" : " p");
            ASSERT_TRUE(b.bubble && b.dew) << at;
            for (const auto& [point, x] : {std::pair{*b.bubble, 0.0}, std::pair{*b.dew, 1.0}}) {
                EXPECT_EQ(by_T ? point.T : point.p, given) << at;
                const vantrel::state s = f.at(by_T ? input_pair::T_x : input_pair::p_x, given, x);
                EXPECT_LT(test::rel(s.p, point.p) + test::rel(s.T, point.T), 1e-12) << at << " x=" << x;
                EXPECT_LT(test::rel(s.h, x == 0 ? point.h_liquid : point.h_vapour), 1e-12) << at << " x=" << x;
                EXPECT_EQ(point.incipient_mole.size(), f.components().size()) << at;
                const vantrel::phase_boundary back = f.boundary_at_T(point.T);  // a point at p gives its p back at its T
                EXPECT_LT(test::rel((x == 0 ? back.bubble : back.dew)->p, point.p), 1e-9) << at;
            }
            EXPECT_EQ(b.bubble->p == b.dew->p && b.bubble->T == b.dew->T, !mixture) << at;
            EXPECT_EQ(b.bubble->incipient_mole == std::vector<double>{1.0}, !mixture) << at;
            EXPECT_EQ(b.lines.bubble.has_value() && b.lines.dew.has_value(), f.info().glide) << at;
            if (b.lines.bubble) {
                EXPECT_GT(by_T ? *b.lines.bubble : *b.lines.dew, by_T ? *b.lines.dew : *b.lines.bubble) << at;
            }
        }
        const vantrel::phase_boundary above = f.boundary_at_T(f.info().T_cr + 5);
        EXPECT_FALSE(above.bubble || above.dew) << c.name;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!mixture) {
            EXPECT_EQ(f.saturation_at_T(263.15)->h_liq, f.boundary_at_T(263.15).bubble->h_liquid) << c.name;
            EXPECT_EQ(f.saturation_at_p(5e5)->T, f.boundary_at_p(5e5).dew->T) << c.name;
        } else {
            EXPECT_FALSE(f.saturation_at_T(263.15)) << c.name;
            EXPECT_EQ(f.bubble_at_T(263.15).p, f.boundary_at_T(263.15).bubble->p) << c.name;
            EXPECT_EQ(f.dew_at_p(5e5).T, f.boundary_at_p(5e5).dew->T) << c.name;
        }
        EXPECT_EQ(f.bubble_dew_at_T(263.15).bubble, f.boundary_at_T(263.15).lines.bubble) << c.name;
#pragma GCC diagnostic pop
    }
}

// The names users give fluids: directory names, any case, with or without
// the hyphen after "R", and the aliases of [info].
TEST(Api, FluidsAreFoundByTheNamesUsersGiveThem) {
    const struct {
        const char* name;
        const char* agent;  // "" where no fluid has the name
    } cases[] = {
        {"R134a", "R134a"},       {"r134a", "R134a"},     {"R-134a", "R134a"},  {"R134A", "R134a"},
        {"CO2", "R744"},          {"co2", "R744"},        {"carbon dioxide", "R744"}, {"Carbon Dioxide", "R744"},
        {"water", "R718"},        {"steam", "R718"},      {"propane", "R290"},  {"isobutane", "R600a"},
        {"butane", "R600"},       {"propylene", "R1270"}, {"ammonia", "R717"},  {"NH3", "R717"},
        {"R1234ze(E)", "R1234ze(E)"}, {"r-1234ze(e)", "R1234ze(E)"}, {"R1234zeE", "R1234ze(E)"},
        {"HFO-1234yf", "R1234yf"}, {"R-1234yf", "R1234yf"}, {"r-32", "R32"},     {"R507a", "R507A"},
        {"R134", ""},             {"R-", ""},             {"", ""},             {"../R134a", ""},
        {"R 134a", ""},           {"-134a", ""},
    };
    for (const auto& c : cases) {
        const auto found = vantrel::find_fluid(test::data(), c.name);
        EXPECT_EQ(found.value_or(""), c.agent) << c.name;
        if (*c.agent) {
            EXPECT_EQ(vantrel::fluid::by_name(test::data(), c.name).info().agent, c.agent) << c.name;
        }
    }
    // An unknown name lists the closest known names.
    EXPECT_EQ(test::error_of([] { vantrel::fluid::by_name(test::data(), "R134"); }),
              "Вещество 'R134' не найдено в каталоге " + test::data().string() + "! Ближайшие: R134a, R125, R143a.");
    EXPECT_EQ(test::error_of([] { vantrel::fluid::by_name(test::data(), "amonia"); }),
              "Вещество 'amonia' не найдено в каталоге " + test::data().string() + "! Ближайшие: R717, R134a, R143a.");
    // A path is no name.
    EXPECT_EQ(test::error_of([] { vantrel::fluid::by_name(test::data(), "../R134a"); }),
              "Недопустимое имя '../R134a': имя вещества или файла данных не может быть путём");
}

TEST(Api, ErrorsCarryTheirKind) {
    const vantrel::fluid f = load("R718");
    const auto at = [&](double T, double p) { return [&f, T, p] { f.at(input_pair::T_p, T, p); }; };
    using vantrel::error_kind;
    EXPECT_EQ(kind_of(at(0, 1e5)), error_kind::input);
    EXPECT_EQ(kind_of(at(-5, 1e5)), error_kind::input);
    EXPECT_EQ(kind_of(at(300, 0)), error_kind::input);
    EXPECT_EQ(kind_of(at(NAN, 1e5)), error_kind::input);
    EXPECT_EQ(kind_of(at(300, INFINITY)), error_kind::input);
    EXPECT_EQ(kind_of(at(647.096, 22064000)), error_kind::near_critical);
    EXPECT_EQ(kind_of(at(1e300, 1e5)), error_kind::floating_point);
    EXPECT_EQ(kind_of([&] { f.boundary_at_p(-1); }), error_kind::input);
    EXPECT_EQ(kind_of([] { load("Nope"); }), error_kind::data);
}

TEST(Api, StatesOutsideTheStatedRangeAreComputedWithAWarning) {
    const vantrel::fluid f = load("R718");
    const vantrel::state hot = f.at(input_pair::T_p, 5273.15, 1e9 * 1.0001);
    ASSERT_TRUE(hot.warning);
    EXPECT_EQ(hot.warning->text({vantrel::language::ru, std::nullopt}), "Состояние вне области применимости уравнения R718 (T от 273.16 до 1273 K, p до 1000 MPa).");
    EXPECT_TRUE(std::isfinite(hot.h));
    EXPECT_TRUE(f.at(input_pair::T_p, 263.15, 1e5).warning);
    EXPECT_FALSE(f.at(input_pair::T_p, 300, 1e5).warning);
    // Below the triple point: supercooled water at -35 C, 1 bar, is the
    // equation's. Refused: at -80 C, 5 bar, Newton's method settles where a
    // term of the equation is singular (rho = rho_c, h = -3.4e31 J/kg); at
    // 200 K, 200 MPa the equation's root is unstable (c_p < 0); at 176 K,
    // 1.7 GPa its sound speed is imaginary.
    EXPECT_TRUE(f.at(input_pair::T_p, 238.15, 1e5).warning);
    for (const auto& [T, p, text] : {std::tuple{193.15, 5e5, "T = 193.15 K и p = 500000 Pa"},
                                     std::tuple{200.0, 2e8, "T = 200 K и p = 200000000 Pa"},
                                     std::tuple{176.14197955475686, 1706580523.8522041,
                                                "T = 176.14197955475686 K и p = 1706580523.852204 Pa"}}) {
        try {
            f.at(input_pair::T_p, T, p);
            ADD_FAILURE() << "a state at " << T << " K, " << p << " Pa";
        } catch (const vantrel::error& e) {
            EXPECT_EQ(test::russian(e), "Состояние с " + std::string(text) +
                                    " лежит ниже нижней границы уравнения состояния R718 (T = 273.16 K).");
        }
    }
}

// The caller's floating-point flags and traps are as they were after every
// call, whether it succeeds or fails, and the engine's own flags stay inside.
TEST(Api, CallersFloatingPointEnvironmentSurvivesACall) {
    const vantrel::fluid f = load("R507A");
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    const int traps_before = fegetexcept();
    feenableexcept(FE_OVERFLOW);
    const auto check = [&](const char* what) {
        EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_DIVBYZERO) << what;
        EXPECT_EQ(fegetexcept(), traps_before | FE_OVERFLOW) << what;
    };
    f.at(input_pair::T_p, 293.15, 5e5);  // raises inexact and underflow inside
    check("a state");
    f.boundary_at_T(250);
    check("a saturation state");
    EXPECT_THROW(f.at(input_pair::T_p, 1e300, 1e5), vantrel::error);  // overflows inside, trap or not
    check("a floating-point error");
    EXPECT_THROW(f.at(input_pair::T_p, 343.6926, 3699136), vantrel::error);  // the critical point
    check("a refused state");
    fedisableexcept(FE_ALL_EXCEPT);
    feenableexcept(traps_before);
    std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(Api, OneFluidSharedBetweenThreads) {
    const vantrel::fluid f = load("R744");
    std::vector<double> first(200), second(200);
    const auto run = [&f](std::vector<double>& out) {
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = f.at(input_pair::T_p, 220 + 2.0 * i, 4e6).h;
    };
    std::thread a(run, std::ref(first)), b(run, std::ref(second));
    a.join();
    b.join();
    EXPECT_EQ(first, second);
}

// An invalid operation, a division by zero or an overflow ends a computation
// with its message, once; underflow and inexact results pass.
TEST(Api, FloatingPointFaultsHaveTheirMessages) {
    static volatile double zero = 0.0, one = 1.0, big = 1e300, tiny = 1e-300;
    const struct {
        double (*f)();
        const char* message;
    } cases[] = {
        {[] { return one / zero; }, "Division by zero"},
        {[] { return std::log(zero); }, "Division by zero"},
        {[] { return zero / zero; }, "Invalid floating point operation"},
        {[] { return std::sqrt(-one); }, "Invalid floating point operation"},
        {[] { return big * big; }, "Floating point overflow"},
        {[] { return std::exp(1000 * one); }, "Floating point overflow"},
        {[] { return tiny * tiny; }, "no error"},
        {[] { return one / 3.0; }, "no error"},
    };
    for (const auto& c : cases) {
        d::clear_fp();
        volatile double sink = c.f();
        (void)sink;
        EXPECT_EQ(test::error_of(d::check_fp), c.message);
        EXPECT_EQ(test::error_of(d::check_fp), "no error");  // cleared by the first check
    }
    EXPECT_EQ(test::error_of([] { d::finite(INFINITY); }), "Invalid floating point operation");
    EXPECT_EQ(d::finite(-1.5), -1.5);
}

TEST(Api, NumbersReadTheDecimalGrammarOnly) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"20", 20},           {"-5.5", -5.5},       {"+7", 7},          {"1.5E-3", 1.5e-3},   {"2e+2", 200},
        {"5.", 5},            {".5", 0.5},          {"-0", -0.0},       {"1e-320", 1e-320},   {"", std::nullopt},
        {"+", std::nullopt},  {".", std::nullopt},  {"nan", std::nullopt}, {"inf", std::nullopt},
        {"0x10", std::nullopt}, {" 1", std::nullopt}, {"1 ", std::nullopt}, {"1,5", std::nullopt},
        {"5bar", std::nullopt}, {"1e", std::nullopt}, {"e5", std::nullopt}, {"1e400", std::nullopt},
        {"1e-400", std::nullopt}, {"+-1", std::nullopt}, {"--1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(vantrel::parse_number(c.text), c.value) << '"' << c.text << '"';
}

// One value of each quantity in both systems, and every unit's round trip.
TEST(Api, UnitsConvertBothWaysAndNameThemselves) {
    using vantrel::quantity;
    using vantrel::unit_system;
    const struct {
        quantity q;
        double eng, si;
        const char *eng_name, *si_name;
    } cases[] = {
        {quantity::temperature, 20, 293.15, "°C", "K"},
        {quantity::temperature_difference, 7, 7, "K", "K"},
        {quantity::pressure, 5, 5e5, "bar", "Pa"},
        {quantity::energy, 383.854, 383854, "kJ/kg", "J/kg"},
        {quantity::entropy, 1.5, 1500, "kJ/(kg·K)", "J/(kg·K)"},
        {quantity::density, 22.3, 22.3, "kg/m³", "kg/m³"},
        {quantity::volume, 0.05, 0.05, "m³/kg", "m³/kg"},
        {quantity::speed, 153, 153, "m/s", "m/s"},
        {quantity::jt, 2.5, 2.5e-5, "K/bar", "K/Pa"},
        {quantity::fraction, 0.3, 0.3, "-", "-"},
        {quantity::volumetric, 2, 2000, "kJ/m³", "J/m³"},
        {quantity::power, 10, 1e4, "kW", "W"},
        {quantity::mass_flow, 0.1, 0.1, "kg/s", "kg/s"},
        {quantity::volume_flow, 36, 0.01, "m³/h", "m³/s"},
    };
    for (const auto& c : cases) {
        EXPECT_LT(test::rel(vantrel::to_si(c.q, unit_system::eng, c.eng), c.si), 1e-15) << c.eng_name;
        EXPECT_LT(test::rel(vantrel::from_si(c.q, unit_system::eng, c.si), c.eng), 1e-15) << c.eng_name;
        EXPECT_EQ(vantrel::to_si(c.q, unit_system::si, c.si), c.si) << c.si_name;
        EXPECT_EQ(vantrel::unit_of(c.q, unit_system::eng).name, c.eng_name);
        EXPECT_EQ(vantrel::unit_of(c.q, unit_system::si).name, c.si_name);
    }
    // Exact factors: 1 bar is 1e5 Pa to the last bit, both ways; -0 stays.
    EXPECT_EQ(vantrel::from_si(quantity::pressure, unit_system::eng, 1234567.0), 1234567.0 / 1e5);
    EXPECT_EQ(vantrel::from_si(quantity::jt, unit_system::eng, 3e-6), 3e-6 * 1e5);
    EXPECT_TRUE(std::signbit(vantrel::to_si(quantity::energy, unit_system::si, -0.0)));
    EXPECT_EQ(vantrel::find_unit("atm", quantity::pressure)->factor, 101325);
    EXPECT_EQ(vantrel::find_unit("bars", quantity::pressure), nullptr);
}

// Every property's name, quantity and value, and every pair by its keys in
// either order.
TEST(Api, TablesOfPropertiesAndInputKeys) {
    const vantrel::fluid f = load("R407C");
    const vantrel::state s = f.at(input_pair::T_p, 280, 3e5);
    for (const vantrel::property_info& p : vantrel::properties()) {
        EXPECT_EQ(vantrel::find_property(p.name), &p);
        EXPECT_EQ(&vantrel::info_of(p.id), &p);
        if (p.value && p.id != vantrel::property::x) {
            EXPECT_TRUE(p.value(s)) << p.name;  // a gas: all but x
        }
    }
    EXPECT_EQ(vantrel::info_of(vantrel::property::cp).value(s), s.cp);
    EXPECT_EQ(vantrel::info_of(vantrel::property::pdew).needs, vantrel::extras::glide);
    EXPECT_EQ(vantrel::find_property("T_sat"), nullptr);
    std::size_t pairs = 0;
    for (const auto& a : vantrel::input_keys())
        for (const auto& b : vantrel::input_keys()) {
            const auto o = vantrel::pair_of(a.id, b.id);
            if (!o) continue;
            ++pairs;
            const auto [first, second] = vantrel::keys_of(o->pair);
            EXPECT_EQ(o->swapped ? std::pair(b.id, a.id) : std::pair(a.id, b.id), std::pair(first, second));
        }
    EXPECT_EQ(pairs, 14u);  // seven pairs, each in both orders
}

}  // namespace

// The installed data as the library finds it: $VANTREL_DATA when set and
// not empty, else the installed tree's (for this static archive, the data
// directory of the prefix it was built for); a directory that is not there
// is one line of kind data naming it.
TEST(Api, DefaultDataDirectoryFromTheVariableOrTheInstalledTree) {
    const auto outcome = [] {  // the directory found, or the message
        try {
            return vantrel::default_data_directory().string();
        } catch (const vantrel::error& e) {
            EXPECT_EQ(e.kind(), vantrel::error_kind::data);
            return std::string(e.what());
        }
    };
    std::string unset;
    {
        const test::scoped_env env("VANTREL_DATA", std::nullopt);
        unset = outcome();
    }
    const bool found = unset.ends_with("/share/vantrel/data");
    EXPECT_TRUE(found || (unset.starts_with("Data directory /") &&
                          unset.ends_with("/share/vantrel/data of the installed library not found: set VANTREL_DATA.")))
        << unset;
    const test::temp_dir root;
    const std::string missing = (root.path / "none").string();
    const struct {
        std::string variable, expected;
    } cases[] = {
        {root.path.string(), root.path.string()},
        {test::data().string(), test::data().string()},
        {missing, "Data directory " + missing + " named by VANTREL_DATA not found."},
        {"", unset},  // an empty variable is none
    };
    for (const auto& c : cases) {
        const test::scoped_env env("VANTREL_DATA", c.variable);
        EXPECT_EQ(outcome(), c.expected) << "VANTREL_DATA=" << c.variable;
    }
}
