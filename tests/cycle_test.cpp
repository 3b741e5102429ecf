// The vapour-compression cycle and the log p-h diagram: water against
// python3-iapws, the cycle's identities on every fluid, impossible cycles,
// the command line's cycle output, and the diagram's curves against the
// engine's states.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cmath>
#include <functional>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/diagram.h"
#include "cli/chart_layout.h"
#include "plot/figure.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
using test::rel;
using vantrel::cycle_input;

namespace {

const fs::path DATA = test::data();

const vantrel::state& point(const vantrel::cycle_result& r, const std::string& name) {
    for (const auto& p : r.points)
        if (p.name == name) return p.s;
    throw std::runtime_error("no point " + name);
}

cycle_input subcritical(double evap_C, double cond_C, double superheat, double subcool, double eta) {
    cycle_input in;
    in.T_evap = evap_C + 273.15;
    in.T_cond = cond_C + 273.15;
    in.superheat = superheat;
    in.subcool = subcool;
    in.eta = eta;
    return in;
}

cycle_input transcritical(double evap_C, double gc_out_C, double high_bar, double superheat, double eta) {
    cycle_input in;
    in.T_evap = evap_C + 273.15;
    in.T_gc_out = gc_out_C + 273.15;
    in.p_high = high_bar * 1e5;
    in.superheat = superheat;
    in.eta = eta;
    return in;
}

cycle_input midpoint(cycle_input in) {
    in.convention = vantrel::glide_convention::midpoint;
    return in;
}

test::process_result run(const std::vector<std::string>& args) {
    test::temp_dir dir;
    std::vector<std::string> a = args;
    a.insert(a.end(), {"--data", DATA.string()});
    return test::run_process(VANTREL_CLI_PATH, dir.path, a);
}

}  // namespace

// R718, evaporation 10 C, condensation 60 C, superheat 5 K, subcooling 3 K,
// eta 0.7, against the same cycle computed with python3-iapws.
TEST(Cycle, WaterAgainstPythonIapws) {
    const auto r = test::run_process("/usr/bin/python3", fs::temp_directory_path(),
                                     {(test::source() / "tests/cycle/water_cycle_iapws.py").string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::map<std::string, std::vector<double>> ref;
    std::istringstream in(r.out);
    for (std::string name; in >> name;) {
        const int n = name == "cop" ? 1 : 6;
        for (int i = 0; i < n; ++i) ref[name].push_back(0), in >> ref[name].back();
    }
    ASSERT_EQ(ref.size(), 6u) << r.out;

    const vantrel::fluid f = vantrel::fluid::load(DATA / "R718");
    const vantrel::cycle_result c = vantrel::vapour_compression(f, subcritical(10, 60, 5, 3, 0.7));
    for (const char* name : {"1", "2s", "2", "3", "4"}) {
        const vantrel::state& s = point(c, name);
        const std::vector<double>& e = ref[name];
        const double got[] = {s.T, s.p, s.h, s.s, s.rho};
        const char* what[] = {"T", "p", "h", "s", "rho"};
        for (int i = 0; i < 5; ++i) EXPECT_LT(rel(got[i], e[i]), 1e-7) << name << " " << what[i] << " " << got[i];
        if (e[5] >= 0) {
            ASSERT_TRUE(s.x) << name;
            EXPECT_LT(rel(*s.x, e[5]), 1e-7) << name;
        } else {
            EXPECT_FALSE(s.x) << name;
        }
    }
    EXPECT_LT(rel(c.cop_cooling, ref["cop"][0]), 1e-7);
}

// What the construction must give on every fluid, subcritical and
// transcritical: the energy balance, the isentropic point, the valve, the
// given temperatures and the figures from the points.
TEST(Cycle, IdentitiesOnEveryFluid) {
    const struct {
        const char* agent;
        cycle_input in;
    } cases[] = {
        {"R507A", subcritical(-10, 40, 5, 3, 1)},  {"R507A", subcritical(-35, 45, 0, 0, 0.65)},
        {"R404A", subcritical(-30, 40, 8, 2, 0.7)}, {"R407C", subcritical(0, 45, 5, 5, 0.75)},
        {"R410A", subcritical(5, 50, 5, 3, 1)},     {"R134a", subcritical(-10, 40, 0, 0, 0.8)},
        {"R32", subcritical(0, 45, 5, 3, 0.7)},     {"R744", subcritical(-30, 10, 5, 2, 0.8)},
        {"R744", transcritical(-5, 35, 90, 5, 1)},  {"R744", transcritical(5, 40, 110, 0, 0.7)},
        {"R718", subcritical(10, 60, 5, 3, 1)},
        // The fluids of today: low-GWP, natural and the HFCs of the blends.
        {"R1234yf", subcritical(-10, 40, 5, 3, 0.7)},     {"R1234ze(E)", subcritical(0, 45, 5, 3, 0.75)},
        {"R1233zd(E)", subcritical(5, 60, 3, 2, 0.8)},    {"R1336mzz(Z)", subcritical(10, 80, 3, 2, 0.8)},
        {"R290", subcritical(-25, 40, 8, 3, 0.7)},        {"R600a", subcritical(-25, 45, 10, 0, 0.65)},
        {"R600", subcritical(0, 60, 5, 3, 1)},            {"R1270", subcritical(-30, 35, 5, 3, 0.75)},
        {"R717", subcritical(-35, 35, 5, 5, 0.75)},       {"R717", subcritical(120, 121, 0, 0, 1)},
        {"R22", subcritical(-10, 40, 5, 3, 0.7)},         {"R125", subcritical(-40, 30, 5, 2, 0.7)},
        {"R143a", subcritical(-30, 40, 5, 3, 0.7)},       {"R152a", subcritical(-10, 45, 5, 3, 0.7)},
        {"R227ea", subcritical(10, 70, 5, 3, 0.8)},       {"R245fa", subcritical(20, 100, 5, 5, 0.75)},
        {"R23", subcritical(-80, -20, 5, 2, 0.7)},        {"R23", transcritical(-40, 35, 60, 5, 0.8)},
        // Mixtures, with their real glide, by either convention.
        {"R454B", subcritical(-10, 40, 5, 3, 0.7)},       {"R454B", midpoint(subcritical(-10, 40, 0, 0, 1))},
        {"R449A", subcritical(-30, 40, 8, 2, 0.7)},       {"R407C.mix", midpoint(subcritical(0, 45, 5, 5, 0.75))},
        {"R455A", subcritical(-20, 45, 5, 3, 0.7)},       {"R32:0.5+R1234ze(E):0.5", subcritical(-5, 40, 5, 3, 0.8)},
        {"R134a", midpoint(subcritical(-10, 40, 0, 0, 0.8))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.agent);
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, c.agent);
        const vantrel::cycle_result r = vantrel::vapour_compression(f, c.in);
        const auto &s1 = point(r, "1"), &s2s = point(r, "2s"), &s2 = point(r, "2"), &s3 = point(r, "3"),
                   &s4 = point(r, "4");
        EXPECT_LT(rel(r.qc, r.q0 + r.w), 1e-9);
        EXPECT_LT(rel(s2s.s, s1.s), 1e-9);
        EXPECT_LT(rel(s2s.h - s1.h, c.in.eta * (s2.h - s1.h)), 1e-9);
        EXPECT_LT(rel(s4.h, s3.h), 1e-12);
        EXPECT_EQ(s4.phase, vantrel::phase_kind::two_phase);
        EXPECT_EQ(s1.p, s4.p);
        EXPECT_EQ(s2.p, s3.p);
        if (c.in.eta == 1) {
            EXPECT_LT(rel(s2.h, s2s.h), 1e-12);
            EXPECT_LT(rel(s2.s, s1.s), 1e-9);
        }
        const bool by_midpoint = c.in.convention == vantrel::glide_convention::midpoint && f.info().glide;
        if (c.in.superheat > 0) {
            const double dew = by_midpoint ? *f.boundary_at_p(s1.p).lines.dew : c.in.T_evap;
            EXPECT_NEAR(s1.T, dew + c.in.superheat, 1e-9);
        }
        if (c.in.T_gc_out) {
            EXPECT_NEAR(s3.T, *c.in.T_gc_out, 1e-9);
        }
        EXPECT_LT(rel(r.cop_cooling, (s1.h - s4.h) / (s2.h - s1.h)), 1e-12);
        EXPECT_LT(rel(r.cop_heating, r.cop_cooling + 1), 1e-9);
        EXPECT_LT(rel(r.qvol, r.q0 * s1.rho), 1e-12);
        EXPECT_EQ(r.t_discharge, s2.T);
        EXPECT_EQ(r.dew_point_convention, f.info().glide && !by_midpoint);
        EXPECT_EQ(r.midpoint_convention, by_midpoint);
        EXPECT_EQ(r.points.size(), c.in.T_cond ? 8u : 6u);
    }
}

// For a blend the evaporating pressure is the dew pressure at evap, and
// subcooling counts from the bubble point at the condensing pressure: the
// pseudo-pure blend's lines and the mixture's.
TEST(Cycle, BlendsCountFromTheirDewAndBubblePoints) {
    for (const char* name : {"R407C", "R407C.mix"}) {
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, name);
        const vantrel::cycle_result r = vantrel::vapour_compression(f, subcritical(0, 45, 5, 4, 0.7));
        EXPECT_LT(rel(point(r, "1").p, *f.boundary_at_T(273.15).lines.dew), 1e-12) << name;
        EXPECT_LT(rel(point(r, "3").p, *f.boundary_at_T(318.15).lines.dew), 1e-12) << name;
        EXPECT_NEAR(point(r, "3").T, *f.boundary_at_p(point(r, "3").p).lines.bubble - 4, 1e-9) << name;
        // R407C's glide is several kelvin: the condenser's outlet lies well
        // below the dew temperature, and the evaporator's inlet below evap.
        EXPECT_LT(point(r, "3").T, 318.15 - 4 - 3) << name;
        EXPECT_LT(point(r, "4").T, 273.15 - 3) << name;
    }
}

// By the midpoint convention evap is the mean of the evaporator's inlet
// (point 4) and dew-point temperatures, cond the mean of the condenser's
// dew- and bubble-point temperatures; for a fluid without glide it is the
// dew convention.
TEST(Cycle, MidpointConventionOfBlends) {
    for (const char* name : {"R454B", "R407C.mix", "R449A", "R407C"}) {
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, name);
        const vantrel::cycle_result r = vantrel::vapour_compression(f, midpoint(subcritical(-5, 40, 5, 2, 0.7)));
        const vantrel::bubble_dew evap = f.boundary_at_p(point(r, "1").p).lines, cond = f.boundary_at_p(point(r, "3").p).lines;
        EXPECT_NEAR(0.5 * (point(r, "4").T + *evap.dew), 268.15, 1e-8) << name;
        EXPECT_NEAR(0.5 * (*cond.bubble + *cond.dew), 313.15, 1e-8) << name;
        EXPECT_TRUE(r.midpoint_convention) << name;
    }
    const vantrel::fluid pure = vantrel::fluid::by_name(DATA, "R134a");
    const auto by_dew = vantrel::vapour_compression(pure, subcritical(-5, 40, 5, 2, 0.7));
    const auto by_mid = vantrel::vapour_compression(pure, midpoint(subcritical(-5, 40, 5, 2, 0.7)));
    EXPECT_EQ(by_dew.cop_cooling, by_mid.cop_cooling);
    EXPECT_FALSE(by_mid.midpoint_convention);
    EXPECT_FALSE(vantrel::convention_note(by_mid));
}

TEST(Cycle, WithCapacityAndVolumetricEfficiency) {
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R134a");
    cycle_input in = subcritical(-10, 40, 5, 3, 0.7);
    in.capacity = 10e3;
    in.vol_eff = 0.8;
    const vantrel::cycle_result r = vantrel::vapour_compression(f, in);
    ASSERT_TRUE(r.mass_flow && r.volume_flow && r.swept_volume_flow);
    EXPECT_LT(rel(*r.mass_flow * r.q0, 10e3), 1e-12);
    EXPECT_LT(rel(*r.volume_flow * point(r, "1").rho, *r.mass_flow), 1e-12);
    EXPECT_LT(rel(*r.swept_volume_flow * 0.8, *r.volume_flow), 1e-12);
    in.vol_eff.reset();
    EXPECT_FALSE(vantrel::vapour_compression(f, in).swept_volume_flow);
}

TEST(Cycle, ImpossibleCyclesAreRefusedWithOneLine) {
    const auto with = [](cycle_input in, auto change) {
        change(in);
        return in;
    };
    const cycle_input base = subcritical(-10, 40, 5, 3, 0.7);
    const struct {
        const char* agent;
        cycle_input in;
        const char* message;
    } cases[] = {
        {"R507A", subcritical(40, 40, 5, 3, 1), "Температура кипения 313.15 K должна быть ниже температуры конденсации 313.15 K."},
        {"R507A", subcritical(-10, 75, 5, 3, 1), "Температура конденсации 348.15 K не ниже критической"},
        {"R744", transcritical(-5, 35, 70, 5, 1), "Высокое давление 7000000 Pa не выше критического"},
        {"R744", transcritical(-5, -10, 90, 5, 1), "Температура на выходе из газоохладителя 263.15 K должна быть выше"},
        {"R507A", subcritical(-100, 40, 5, 3, 1), "Температура кипения 173.15 K ниже нижней границы уравнения состояния 200 K."},
        {"R507A", with(base, [](cycle_input& i) { i.eta = 0; }), "Недопустимый КПД компрессора eta = 0:"},
        {"R507A", with(base, [](cycle_input& i) { i.eta = 1.01; }), "Недопустимый КПД компрессора eta = 1.01:"},
        {"R507A", with(base, [](cycle_input& i) { i.vol_eff = 0; }), "Недопустимый коэффициент подачи vol_eff = 0:"},
        {"R507A", with(base, [](cycle_input& i) { i.vol_eff = 1.5; }), "Недопустимый коэффициент подачи vol_eff = 1.5:"},
        {"R507A", with(base, [](cycle_input& i) { i.superheat = -1; }), "Недопустимый перегрев -1 K:"},
        {"R507A", with(base, [](cycle_input& i) { i.subcool = -0.5; }), "Недопустимое переохлаждение -0.5 K:"},
        {"R507A", with(base, [](cycle_input& i) { i.capacity = -1; }), "Недопустимая холодопроизводительность"},
    };
    for (const auto& c : cases) {
        const vantrel::fluid f = vantrel::fluid::load(DATA / c.agent);
        try {
            vantrel::vapour_compression(f, c.in);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const vantrel::error& e) {
            EXPECT_EQ(e.kind(), vantrel::error_kind::input);
            const std::string text = e.message(vantrel::language::ru);
            EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
            EXPECT_EQ(text.find('\n'), std::string::npos);
        }
    }
}

// The command line: its JSON keys and units, its errors and exit statuses.
TEST(Cycle, CommandLineJsonHoldsEveryKey) {
    const auto r = run({"cycle", "R407C", "evap=0", "cond=45", "superheat=5", "subcool=3", "eta=0.7",
                        "capacity=10", "vol_eff=0.8", "--format", "json"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    for (const char* key : {"fluid", "units", "points", "q0", "w", "qc", "cop_cooling", "cop_heating",
                            "pressure_ratio", "t_discharge", "qvol", "mass_flow", "volume_flow", "convention"})
        EXPECT_TRUE(j.contains(key)) << key;
    EXPECT_EQ(j["units"]["T"], "°C");
    EXPECT_EQ(j["units"]["q0"], "kJ/kg");
    EXPECT_EQ(j["units"]["volume_flow"], "m³/h");
    std::vector<std::string> names;
    for (const auto& p : j["points"]) {
        names.push_back(p["name"]);
        for (const char* key : {"T", "p", "h", "s", "rho", "x"}) EXPECT_TRUE(p.contains(key)) << key;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"1", "2s", "2", "3", "4", "1''", "2''", "3'"}));
    // The library's numbers in the output's units, exactly.
    const vantrel::fluid f = vantrel::fluid::load(DATA / "R407C");
    cycle_input in = subcritical(0, 45, 5, 3, 0.7);
    in.capacity = 10e3;
    in.vol_eff = 0.8;
    const vantrel::cycle_result c = vantrel::vapour_compression(f, in);
    EXPECT_EQ(j["q0"].get<double>(), c.q0 / 1e3);
    EXPECT_EQ(j["points"][2]["T"].get<double>(), point(c, "2").T - 273.15);
    EXPECT_EQ(j["volume_flow"].get<double>(), *c.volume_flow / (1.0 / 3600));
    EXPECT_TRUE(j["points"][0]["x"].is_null());
    // A mixture by the midpoint convention says so.
    const auto m = run({"cycle", "R454B", "evap=-10", "cond=40", "--convention", "midpoint", "--format", "json"});
    ASSERT_EQ(m.exit_code, 0) << m.err;
    EXPECT_EQ(nlohmann::json::parse(m.out)["convention"].get<std::string>().rfind("Температура evap — среднее", 0), 0u);
}

// CSV for a spreadsheet: the points' rows, then figure, value and unit, the
// same exact numbers as JSON.
TEST(Cycle, CommandLineCsvHoldsWhatJsonHolds) {
    const std::vector<std::string> args{"cycle", "R407C", "evap=0", "cond=45", "superheat=5", "capacity=10"};
    auto csv_args = args, json_args = args;
    csv_args.insert(csv_args.end(), {"--format", "csv"});
    json_args.insert(json_args.end(), {"--format", "json"});
    const auto csv = run(csv_args), json = run(json_args);
    ASSERT_EQ(csv.exit_code, 0) << csv.err;
    const nlohmann::json j = nlohmann::json::parse(json.out);
    const auto rows = test::lines(csv.out);
    ASSERT_GT(rows.size(), 12u);
    EXPECT_EQ(rows[0], "point,T,p,h,s,rho,x");
    EXPECT_EQ(rows[1].substr(0, rows[1].find(',', 2)), "1,5");  // 5 K above the dew point at evap
    EXPECT_EQ(rows[9], "");
    EXPECT_EQ(rows[10], "figure,value,unit");
    std::size_t figures = 0;
    for (std::size_t i = 11; i < rows.size() && !rows[i].empty(); ++i, ++figures) {
        const auto name = rows[i].substr(0, rows[i].find(','));
        const auto rest = rows[i].substr(name.size() + 1);
        const double value = std::stod(rest.substr(0, rest.find(',')));
        EXPECT_EQ(value, j[name].get<double>()) << rows[i];
        const std::string unit = rest.substr(rest.find(',') + 1);
        EXPECT_EQ(unit, j["units"][name].get<std::string>()) << rows[i];
    }
    EXPECT_EQ(figures, 10u);  // q0 ... qvol, mass and volume flow
    EXPECT_NE(csv.out.find("\"Температуры evap и cond"), std::string::npos);
}

TEST(Cycle, CommandLineErrorsAndExitStatuses) {
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* first_line;
    } cases[] = {
        {{"cycle", "evap=40", "cond=30"}, 1, "Температура кипения 40 °C должна быть ниже температуры конденсации 30 °C."},
        {{"cycle", "evap=-10", "cond=40", "eta=1.2"}, 1, "Недопустимый КПД компрессора eta = 1.2: он должен быть больше 0 и не больше 1."},
        {{"cycle", "R744", "evap=-5", "gc_out=35", "high=60"}, 1, "Высокое давление 60 bar не выше критического 73.7729837 bar: транскритический цикл невозможен."},
        {{"cycle", "cond=40"}, 2, "Не задана температура кипения evap."},
        {{"cycle", "evap=-10"}, 2, "Задайте cond=T для докритического цикла или gc_out=T и high=p для транскритического."},
        {{"cycle", "evap=-10", "cond=40", "high=90"}, 2, "Задайте cond=T для докритического цикла или gc_out=T и high=p для транскритического."},
        {{"cycle", "R744", "evap=-5", "gc_out=35", "high=90", "subcool=3"}, 2, "Переохлаждение subcool не применяется к транскритическому циклу: задайте gc_out."},
        {{"cycle", "evap=-10", "cond=40", "sh=5"}, 2, "Неизвестный параметр цикла 'sh': допустимы evap, cond, gc_out, high, superheat, subcool, eta, vol_eff, capacity."},
        {{"cycle", "evap=-10", "cond=4O"}, 2, "Неизвестная единица 'O' в cond=4O: допустимы °C, K, °F."},
        {{"cycle", "evap=-10", "cond=40", "--format", "xml"}, 2, "Недопустимый формат 'xml': допустимы table, csv, json."},
        {{"cycle", "evap=-10", "cond=40", "--diagram", "c.gif"}, 2, "Недопустимое имя файла рисунка 'c.gif': допустимы расширения .svg, .png, .pdf (.json: рисунок как данные)."},
        {{"diagram", "-o", "d.png", "--scale", "5"}, 2, "Параметр --scale: ожидается число от 1 до 4, задано '5'."},
        {{"diagram", "R507A"}, 2, "Не задан файл рисунка: -o FILE.svg|png|pdf."},
        {{"diagram", "-o", "d.svg", "--p-range", "5:1"}, 2, "Параметр --p-range: LO должно быть меньше HI."},
        {{"cycle", "evap=-10", "cond=40", "capacity=1e306"}, 2, "Значение capacity = 1e+306 kW в единицах СИ выходит за пределы чисел double."},
        // An axis must be finite and wide enough to be divided.
        {{"diagram", "-o", "d.svg", "--h-range=300:300.00000000000006"}, 2, "Параметр --h-range: диапазон 300:300.00000000000006 слишком узок, его ширина должна быть не меньше 1e-6 наибольшего по модулю предела."},
        {{"diagram", "-o", "d.svg", "--p-range=1:1.0000009"}, 2, "Параметр --p-range: диапазон 1:1.0000009 слишком узок, его ширина должна быть не меньше 1e-6 наибольшего по модулю предела."},
        {{"diagram", "-o", "d.svg", "--h-range=-1e308:1e308", "--units", "si"}, 2, "Параметр --h-range: ширина диапазона -1e308:1e308 выходит за пределы чисел double."},
        {{"diagram", "-o", "d.svg", "--h-range=-1e306:1e306"}, 2, "Значение --h-range = -1e+306 kJ/kg в единицах СИ выходит за пределы чисел double."},
        {{"diagram", "-o", "d.svg", "--p-range=0:5"}, 2, "Параметр --p-range: давление должно быть больше 0."},
        {{"cycle", "R454B", "evap=-10", "cond=40", "--convention", "wet"}, 2, "Параметр --convention: dew или midpoint, а не 'wet'."},
        {{"diagram", "-o", "d.svg", "--cycle", "evap=-10", "cond=90"}, 1, "Температура конденсации 90 °C не ниже критической 70.542616 °C: для транскритического цикла задайте температуру на выходе из газоохладителя и высокое давление."},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.exit_code, c.exit) << c.args[1] << r.err;
        const auto lines = test::lines(r.err);
        ASSERT_FALSE(lines.empty()) << c.first_line;
        EXPECT_EQ(lines[0], c.first_line);
        EXPECT_EQ(lines.size(), c.exit == 2 ? 2u : 1u) << r.err;
    }
}

// The saturated liquid's (or a mixture's bubble liquid's) or vapour's (dew
// vapour's) enthalpy at p; nothing in a mixture's refused neighbourhood of
// the critical point.
std::optional<double> saturated_h(const vantrel::fluid& f, double p, bool liquid) {
    if (!f.is_mixture()) {
        const auto s = f.boundary_at_p(p).bubble;
        if (!s) throw std::runtime_error("no saturation at " + std::to_string(p));
        return liquid ? s->h_liquid : s->h_vapour;
    }
    if (p >= f.envelope().p_refused) return std::nullopt;
    return liquid ? f.boundary_at_p(p).bubble.value().h_liquid : f.boundary_at_p(p).dew.value().h_vapour;
}

// The diagram's curves are the engine's states: the dome is the saturated
// liquid (a mixture's bubble line) up to the critical point and the
// saturated vapour (its dew line) down from it, the cycle its points, and
// the window the one asked for.
TEST(Diagram, CurvesAreTheEnginesStates) {
    for (const std::string name : {"R507A", "R454B"}) {
        SCOPED_TRACE(name);
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, name);
        const vantrel::cycle_result c = vantrel::vapour_compression(f, subcritical(-10, 40, 5, 3, 0.7));
        cli::diagram_request req{cli::unit_system::eng, std::pair{0.5, 60.0}, std::pair{150.0, 450.0}, &c};
        const plot::figure fig = cli::log_ph_diagram(f, req);
        EXPECT_EQ(fig.x_min, 150);
        EXPECT_EQ(fig.x_max, 450);
        EXPECT_EQ(fig.y_min, 0.5);
        EXPECT_EQ(fig.y_max, 60);
        // The dome (drawn in its own colour): each point a state of its side.
        int checked = 0;
        ASSERT_FALSE(fig.markers.empty());
        const plot::point critical = fig.markers[0].at;
        EXPECT_NEAR(critical.y, f.info().p_cr / 1e5, 1e-9 * f.info().p_cr);
        for (const plot::curve& cv : fig.curves) {
            if (cv.style.color != "#c00000") continue;
            bool liquid = true;
            for (const plot::point& p : cv.points) {
                if (p.x == critical.x && p.y == critical.y) {
                    liquid = false;
                    continue;
                }
                const std::optional<double> h = saturated_h(f, p.y * 1e5, liquid);
                if (!h) continue;
                EXPECT_LT(rel(p.x * 1e3, *h), 1e-8) << (liquid ? "liquid " : "vapour ") << p.x << " " << p.y;
                ++checked;
            }
            EXPECT_FALSE(liquid) << "no critical point on the dome";
        }
        EXPECT_GT(checked, 200);
        // The cycle: 1, 2, 3, 4 and back to 1.
        const plot::curve& cycle = fig.curves[fig.curves.size() - 2];
        ASSERT_EQ(cycle.points.size(), 5u);
        const char* names[] = {"1", "2", "3", "4", "1"};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(cycle.points[i].x, point(c, names[i]).h / 1e3);
            EXPECT_EQ(cycle.points[i].y, point(c, names[i]).p / 1e5);
        }
    }
}

// Every drawn point of an isotherm, isentrope, isochore or quality line is
// a state of its family: (p, h) read back gives the curve's T, s, rho or x.
// A mixture's isotherms cross the two-phase region through its states
// (their temperature glides there), never straight from the gas's last
// point to the liquid's first.
TEST(Diagram, FamiliesReadBackTheirValue) {
    const struct {
        const char* color;
        double (*value)(const vantrel::state&);
    } families[] = {
        {"#1f5fbf", [](const vantrel::state& s) { return s.T; }},
        {"#2e8b57", [](const vantrel::state& s) { return s.s; }},
        {"#b8860b", [](const vantrel::state& s) { return s.rho; }},
        {"#a0a0a0", [](const vantrel::state& s) { return s.x.value_or(-1); }},
    };
#ifdef VANTREL_SANITIZED
    const std::vector<std::string> names{"R134a", "R454B"};  // every state takes far longer there
#else
    const std::vector<std::string> names{"R134a", "R454B", "R407C.mix"};
#endif
    for (const std::string& name : names) {
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, name);
        const plot::figure fig = cli::log_ph_diagram(f, {cli::unit_system::si, std::nullopt, std::nullopt, nullptr});
        const plot::point critical = fig.markers.at(0).at;
        for (const auto& fam : families) {
            int curves = 0;
            for (const plot::curve& cv : fig.curves) {
                if (cv.style.color != fam.color) continue;
                ++curves;
                const auto at = [&](const plot::point& p) { return f.at(vantrel::input_pair::p_h, p.y, p.x); };
                // The curve's value: that of its middle point; every fifth point agrees.
                const double first = fam.value(at(cv.points[cv.points.size() / 2]));
                std::map<vantrel::phase_kind, int> phases;
                for (std::size_t k = 0; k < cv.points.size(); ++k) {
                    const plot::point& p = cv.points[k];
                    if (p.x == critical.x && p.y == critical.y) continue;  // where the quality lines meet
                    const vantrel::state s = at(p);
                    ++phases[s.phase];
                    if (k % 5 == 0) {
                        EXPECT_LT(rel(fam.value(s), first), 1e-6) << name << " " << fam.color << " at " << p.x << " "
                                                                   << p.y;
                    }
                }
                if (f.is_mixture() && phases[vantrel::phase_kind::gas] > 0 && phases[vantrel::phase_kind::liquid] > 0) {
                    EXPECT_GE(phases[vantrel::phase_kind::two_phase], 10) << name << " " << fam.color << " " << first;
                }
            }
            EXPECT_GE(curves, 3) << name << " " << fam.color;
        }
    }
}

// The shapes the chart's layout keeps apart: boxes, turned boxes, the
// segments of lines and points share a point or are separated, also where
// their bounding rectangles overlap.
TEST(Diagram, LayoutTellsTouchingShapes) {
    using shape = std::vector<plot::point>;
    const shape box{{0, 0}, {10, 0}, {10, 4}, {0, 4}};
    // A 20 x 2 box turned by 45 degrees about (20, 20): its bounding square is 15.6 wide.
    const shape turned{{12.2, 26.4}, {26.4, 12.2}, {27.8, 13.6}, {13.6, 27.8}};
    const struct {
        const char* name;
        shape a, b;
        bool touching;
    } cases[] = {
        {"apart", box, {{11, 0}, {20, 0}, {20, 4}, {11, 4}}, false},
        {"overlapping", box, {{9, 3}, {20, 3}, {20, 8}, {9, 8}}, true},
        {"one inside the other", box, {{2, 1}, {3, 1}, {3, 2}, {2, 2}}, true},
        {"turned, in the corner of its bounding square", turned, {{12, 12}, {16, 12}, {16, 16}, {12, 16}}, false},
        {"turned, across its middle", turned, {{18, 18}, {22, 18}, {22, 22}, {18, 22}}, true},
        {"a segment through the box", box, {{-5, 2}, {15, 2}}, true},
        {"a segment past a corner", box, {{8, -4}, {14, 2}}, false},
        {"a segment cutting a corner", box, {{8, -1}, {12, 3}}, true},
        {"a point inside", box, {{5, 2}}, true},
        {"a point outside", box, {{5, 5}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::touching(c.a, c.b), c.touching) << c.name;
        EXPECT_EQ(cli::touching(c.b, c.a), c.touching) << c.name << ", the other way round";
    }
}

// SVG, PNG (of the page's size or twice it), PDF and the figure as JSON are
// written and open: PNG and PDF by their signatures and, for the PDF,
// pdftoppm (poppler-utils) rendering it; the SVG is sized in pixels with its
// texts as text; the JSON is a figure vantrel_plot would take.
TEST(Diagram, WritesEachFormat) {
    test::temp_dir dir;
    for (const auto& [name, scale] : {std::pair{"d.svg", "1"}, {"d.png", "1"}, {"d2.png", "2"}, {"d.pdf", "1"},
                                      {"d.json", "1"}}) {
        const auto r = test::run_process(VANTREL_CLI_PATH, dir.path,
                                         {"diagram", "R134a", "-o", name, "--scale", scale, "--data", DATA.string(),
                                          "--cycle", "evap=-10", "cond=40", "superheat=5"});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_GT(fs::file_size(dir.path / name), 10000u) << name;
    }
    // The PNG's width and height, big-endian in its header.
    const auto png_size = [&](const char* name) {
        const std::string head = test::read_file(dir.path / name).substr(16, 8);
        const auto word = [&](std::size_t at) {
            unsigned v = 0;
            for (std::size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(head[at + k]);
            return v;
        };
        return std::pair{word(0), word(4)};
    };
    EXPECT_EQ(png_size("d.png"), (std::pair<unsigned, unsigned>{plot::PAGE_WIDTH, plot::PAGE_HEIGHT}));
    EXPECT_EQ(png_size("d2.png"), (std::pair<unsigned, unsigned>{2 * plot::PAGE_WIDTH, 2 * plot::PAGE_HEIGHT}));
    const std::string svg = test::read_file(dir.path / "d.svg");
    EXPECT_NE(svg.find("width=\"" + std::to_string(plot::PAGE_WIDTH) + "px\""), std::string::npos);
    EXPECT_NE(svg.find("<text"), std::string::npos);
    EXPECT_FALSE(plot::figure_from_json(test::read_file(dir.path / "d.json")).labels.empty());
    EXPECT_EQ(test::read_file(dir.path / "d.png").substr(1, 3), "PNG");
    EXPECT_EQ(test::read_file(dir.path / "d.pdf").substr(0, 5), "%PDF-");
    EXPECT_NE(test::read_file(dir.path / "d.svg").find("<svg"), std::string::npos);
    const auto pdf = test::run_process("/usr/bin/pdftoppm", dir.path, {"-png", "-r", "30", "d.pdf", "page"});
    ASSERT_EQ(pdf.exit_code, 0) << pdf.err;
    EXPECT_TRUE(fs::exists(dir.path / "page-1.png"));
    // A picture that cannot be written is one line and exit status 1.
    const auto bad = test::run_process(VANTREL_CLI_PATH, dir.path,
                                       {"diagram", "-o", "missing/d.svg", "--data", DATA.string()});
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_EQ(test::lines(bad.err),
              std::vector<std::string>{"Не удалось записать файл missing/d.svg: No such file or directory"});
}

// The picture is drawn into a new temporary file beside its name and renamed
// over it once complete: a file or a link in its place is replaced (the
// link's target untouched), a FIFO, a device or a directory is refused with
// one line and left as it was, and no temporary file stays. PLplot never sees
// the name, so a "%" in it is written as given; invalid UTF-8 in a fluid's
// [info] texts is replaced in the figure, not an error.
TEST(Diagram, PictureReplacesAFileOrALinkAndNothingElse) {
    test::temp_dir dir;
    const fs::path victim = dir.path / "victim.txt";
    test::write_file(victim, "keep\n");
    const test::fluid_copy odd("R134a");
    odd.edit("config.txt", "description=", "description=\xff\xfe ");
    const auto refused = [](const std::string& name, const char* kind) {
        return "Файл рисунка " + name + " не заменяется: на его месте " + kind + ".";
    };
    const struct {
        std::string name;
        std::function<bool(const fs::path&)> plant;  // what stands at the name before; false: cannot be made here
        std::string error;                           // none: drawn
        fs::path data;
    } cases[] = {
        {"a%n%s.svg", nullptr, "", DATA},
        {"old.png", [](const fs::path& p) { return test::write_file(p, "old"), true; }, "", DATA},
        {"link.pdf", [&](const fs::path& p) { return fs::create_symlink(victim, p), true; }, "", DATA},
        {"fifo.svg", [](const fs::path& p) { return mkfifo(p.c_str(), 0600) == 0; }, refused("fifo.svg", "FIFO"), DATA},
        {"dir.svg", [](const fs::path& p) { return fs::create_directory(p); }, refused("dir.svg", "каталог"), DATA},
        {"null.svg", [](const fs::path& p) { return mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
         refused("null.svg", "устройство"), DATA},  // /dev/null's numbers; needs root
        {"utf8.svg", nullptr, "", odd.root.path / "data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = dir.path / c.name;
        if (c.plant && !c.plant(target)) continue;
        const fs::file_type before = fs::symlink_status(target).type();
        const auto r = test::run_process(VANTREL_CLI_PATH, dir.path,
                                         {"diagram", "R134a", "-o", c.name, "--data", c.data.string()});
        if (c.error.empty()) {
            EXPECT_EQ(r.exit_code, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(fs::symlink_status(target).type(), fs::file_type::regular);
            EXPECT_GT(fs::file_size(target), 10000u);
            EXPECT_NE(fs::status(target).permissions() & fs::perms::others_read, fs::perms::none);  // by the umask
        } else {
            EXPECT_EQ(r.exit_code, 1);
            EXPECT_EQ(r.err, c.error + "\n");
            EXPECT_EQ(fs::symlink_status(target).type(), before);
        }
    }
    EXPECT_EQ(test::read_file(victim), "keep\n");
    for (const auto& e : fs::directory_iterator(dir.path)) {
        const std::string ext = e.path().extension().string();
        EXPECT_TRUE(ext == ".svg" || ext == ".png" || ext == ".pdf" || ext == ".txt") << "left behind: " << e.path();
    }
}

// vantrel_plot trusts nothing it reads: a truncated, huge, deep or ill-typed
// figure, absurd sizes and a degenerate axis each end at once with one line
// and exit status 1 (a picture it cannot write with status 3); a valid
// figure still draws.
TEST(Diagram, RendererRefusesHostileFigures) {
    plot::figure fig;
    fig.title = "t";
    fig.x_min = 0, fig.x_max = 1, fig.y_min = 1, fig.y_max = 10;
    fig.curves = {{{{0, 1}, {0.5, 5}, {1, 10}}, {}}};
    fig.labels = {{{0.5, 5}, {1, 10}, "l"}};
    fig.markers = {{{0.5, 5}, "1"}};
    fig.legend = {{"line", {}}};
    const nlohmann::json valid = plot::to_json(fig);
    const auto changed = [&](const std::function<void(nlohmann::json&)>& change) {
        nlohmann::json j = valid;
        change(j);
        return j.dump();
    };
    const std::string bad = "Недопустимое описание рисунка: ";
    const std::string whole = valid.dump();
    const struct {
        std::string name, input;
        int exit;
        std::string message;  // the whole line, or its start when it ends in "…"
        std::string format = "svg", stdout_to = "";
    } cases[] = {
        {"valid", whole, 0, ""},
        {"truncated", whole.substr(0, whole.size() / 2), 1, bad + "JSON повреждён или оборван…"},
        {"empty", "", 1, bad + "JSON повреждён или оборван…"},
        {"huge", std::string(plot::MAX_JSON_BYTES + 1, ' '), 1, bad + "больше 16777216 байт."},
        {"deep", std::string(100000, '['), 1, bad + "вложенность глубже 6 уровней."},
        {"number beyond double", "{\"x_min\": 1e999}", 1, bad + "число за пределами чисел double."},
        {"not an object", "[]", 1, bad + "рисунок: ожидается объект."},
        {"missing field", changed([](auto& j) { j.erase("legend"); }), 1, bad + "legend: нет такого поля."},
        {"text for a number", changed([](auto& j) { j["x_min"] = "0"; }), 1, bad + "x_min: ожидается конечное число."},
        {"object for an array", changed([](auto& j) { j["curves"] = nlohmann::json::object(); }), 1,
         bad + "curves: ожидается массив."},
        {"short point", changed([](auto& j) { j["curves"][0]["points"][1] = {0.5}; }), 1,
         bad + "curves[0].points[1]: ожидается пара конечных чисел [x, y], y больше 0."},
        {"point off the log axis", changed([](auto& j) { j["labels"][0]["towards"] = {1, 0}; }), 1,
         bad + "labels[0].towards: ожидается пара конечных чисел [x, y], y больше 0."},
        {"colour", changed([](auto& j) { j["curves"][0]["style"]["color"] = "red"; }), 1,
         bad + "curves[0].style.color: ожидается цвет #rrggbb."},
        {"dashes", changed([](auto& j) { j["legend"][0]["style"]["dashes"] = 99; }), 1,
         bad + "legend[0].style.dashes: ожидается целое число от 1 до 8."},
        {"long text", changed([](auto& j) { j["title"] = std::string(1001, 'x'); }), 1,
         bad + "title: текст не длиннее 1000 байт."},
        {"too many curves", changed([](auto& j) { j["curves"] = std::vector<nlohmann::json>(2001, j["curves"][0]); }), 1,
         bad + "curves: не более 2000 элементов."},
        {"too many points",
         changed([](auto& j) { j["curves"][0]["points"] = std::vector<std::vector<double>>(20001, {0.5, 5}); }), 1,
         bad + "curves[0].points: не более 20000 элементов."},
        {"equal ends", changed([](auto& j) { j["x_max"] = 0; }), 1,
         "Недопустимые пределы осей рисунка: x от 0 до 0, y от 1 до 10."},
        {"too narrow", changed([](auto& j) { j["x_min"] = 300; j["x_max"] = 300.00000000000006; }), 1,
         "Недопустимые пределы осей рисунка: x от 300 до 300.00000000000006, y от 1 до 10."},
        {"zero on the log axis", changed([](auto& j) { j["y_min"] = 0; }), 1,
         "Недопустимые пределы осей рисунка: x от 0 до 1, y от 0 до 10."},
        {"picture not written", whole, 3, "Не удалось записать рисунок: No space left on device", "png", "/dev/full"},
        {"anchor beyond the text", changed([](auto& j) { j["labels"][0]["just"] = 1.5; }), 1,
         bad + "labels[0].just: ожидается число от 0 до 1."},
        {"unknown format", whole, 2, "Use: vantrel_plot svg|png|pdf < FIGURE.json > PICTURE, vantrel_plot png SCALE < ...",
         "gif"},
    };
    test::temp_dir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = test::run_process(VANTREL_PLOT_PATH, dir.path, {c.format}, c.input, {}, false, c.stdout_to);
        EXPECT_EQ(r.exit_code, c.exit);
        if (c.exit == 0) {
            EXPECT_EQ(r.err, "");
            EXPECT_TRUE(r.out.starts_with("<?xml") && r.out.find("<svg") != std::string::npos);
            continue;
        }
        ASSERT_EQ(test::lines(r.err).size(), 1u) << r.err;
        if (c.message.ends_with("…"))
            EXPECT_TRUE(r.err.starts_with(c.message.substr(0, c.message.size() - std::string("…").size()))) << r.err;
        else
            EXPECT_EQ(r.err, c.message + "\n");
        EXPECT_EQ(r.out, "");
    }
}

// However the renderer fails, vantrel_cli says so in one line and the
// picture of an earlier run stays as it was, with no temporary file beside
// it: a renderer (a script in vantrel_plot's place) that explains itself on
// several lines, says nothing, is killed by a signal, cannot write the
// picture, stops in the middle of it, or ends well without reading the figure.
TEST(Diagram, RendererFailuresLeaveAnEarlierPictureAlone) {
    const struct {
        std::string script, message;
    } cases[] = {
        {"echo 'PLplot: a warning' >&2; echo 'Недопустимое описание рисунка: x.' >&2; exit 1",
         "Недопустимое описание рисунка: x."},
        {"exit 5", "Рисунок old.svg не построен: vantrel_plot завершился с кодом 5."},
        {"kill -SEGV $$", "Рисунок old.svg не построен: vantrel_plot завершился по сигналу 11 (Segmentation fault)."},
        {"echo 'Не удалось записать рисунок: No space left on device' >&2; exit 3",
         "Не удалось записать файл old.svg: No space left on device"},
        {"cat > /dev/null; printf '<svg' ; echo 'Недостаточно памяти для рисунка.' >&2; exit 1",
         "Недостаточно памяти для рисунка."},
        {"exit 0", "Рисунок old.svg не построен: vantrel_plot прочитал не всё описание рисунка."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        test::temp_dir dir;
        const fs::path exe = test::cli_copy(dir.path / "bin");
        test::write_file(dir.path / "bin" / "vantrel_plot", "#!/bin/sh\n" + c.script + "\n");
        fs::permissions(dir.path / "bin" / "vantrel_plot", fs::perms::owner_all);
        test::write_file(dir.path / "old.svg", "an earlier picture");
        const auto r = test::run_process(exe, dir.path, {"diagram", "R134a", "-o", "old.svg", "--data", DATA.string()});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, c.message + "\n");
        EXPECT_EQ(test::read_file(dir.path / "old.svg"), "an earlier picture");
        int files = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++files;
        EXPECT_EQ(files, 2);  // bin and the picture
    }
}
