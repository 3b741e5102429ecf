// Validation of the shipped fluid library (data/): every fluid read through
// the program's own readers and checked against published or independently
// computed values; the whole range swept through the front end.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "calc_properties.h"
#include "eos.h"
#include "fp_check.h"
#include "ideal_gas.h"
#include "real_props.h"
#include "saturation.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

const char* const FLUIDS[] = {"R507A", "R404A", "R410A", "R134a", "R32", "R744", "R718"};

// The repository's data/ is looked up under the current directory.
class Library : public ::testing::Test {
protected:
    test::scoped_cwd cwd{VANTREL_SOURCE_DIR};
    Library() { fp_clear(); }
};

struct fluid {
    const_list th_c;
    two_d_array coef;
    explicit fluid(const std::string& agent)
        : th_c(create_const({agent, "config.txt"}, "real", "config.txt")), coef(read_eos_table(th_c)) {}
    // Full property record at (T, rho) as the request layer builds it.
    prop_list at(const std::string& agent, double t, double rho) const {
        prop_list p;
        calc_ideal_props(agent, t, 1e5, p, "real");
        const double omega = rho / th_c.rho_div, tau = t / th_c.tau_div;
        const one_d_array a = calc_therm_derivatives_a(th_c, coef, omega, tau);
        calc_prop_list(t, (1 + a[0]) * rho * th_c.R * t, rho, th_c, p, a);
        return p;
    }
};

double rel(double a, double b) { return std::fabs(a / b - 1); }

// STATES of the coefficient files of CoolProp (dev/fluids/*.json), converted
// to mass units with the file's molar mass: T [K], rho [kg/m3], p [Pa],
// h [J/kg], s [J/(kg K)]. Only values consistent with the equation are
// checked (an independent 30-digit evaluation of each equation found them
// consistent to 1e-9 or better): the nominal critical pressures differ from
// the equation's own, the blends' saturated states mix two ancillary
// densities, and at delta = tau = 1 the non-analytic terms of R744 and R718
// are 0^0-like (the program ends there with a floating-point fault).
TEST_F(Library, ListedStatesOfTheSourceData) {
    const struct {
        const char* agent;
        const char* state;
        double t, rho, p, h, s;
        bool check_p, check_hs;
    } cases[] = {
        {"R507A", "hs_anchor", 378.1415, 441.6660000000001, 6205991.073617177, 390491.3471047125, 1559.7663878932594, true, true},
        {"R507A", "critical", 343.765, 490.7400000000001, 0, 340427.4677624643, 1435.7251259255804, false, true},
        {"R507A", "triple_liquid", 200.0, 1396.869301990553, 23232.992819809653, 0, 0, true, false},
        {"R507A", "triple_vapor", 200.0, 1.406323350957923, 23221.94234304102, 0, 0, true, false},
        {"R404A", "hs_anchor", 379.797, 433.9464947999999, 6226559.494469155, 395254.5018373663, 1572.3509892053025, true, true},
        {"R404A", "critical", 345.27, 482.16277199999996, 0, 344563.00832604646, 1447.3260399195642, false, true},
        {"R404A", "triple_liquid", 200.0, 1386.8661318472653, 22649.187475165232, 0, 0, true, false},
        {"R404A", "triple_vapor", 200.0, 1.2697876275272078, 21264.273816834986, 0, 0, true, false},
        {"R410A", "hs_anchor", 378.94340000000005, 413.12706264, 8014421.638869781, 423817.9460979693, 1651.5100550895004, true, true},
        {"R410A", "critical", 344.494, 459.0300696, 0, 368706.4585002499, 1518.5429750831668, false, true},
        {"R410A", "triple_liquid", 200.0, 1416.121447945016, 29160.33537476026, 0, 0, true, false},
        {"R410A", "triple_vapor", 200.0, 1.2917856330980637, 29009.781591566727, 0, 0, true, false},
        {"R134a", "hs_anchor", 411.598, 457.20000000672496, 6858750.808053112, 445625.7467487681, 1690.0717290787707, true, true},
        {"R134a", "critical", 374.21, 511.89995169599996, 0, 389638.86644058436, 1562.0991079055625, false, true},
        {"R134a", "triple_liquid", 169.85, 1591.1074531655113, 389.56378856198955, 71454.99396925428, 412.61701660049965, true, true},
        {"R134a", "triple_vapor", 169.85, 0.028172288370165798, 389.56379159193614, 334942.0338709124, 1963.9095676497939, true, true},
        {"R32", "hs_anchor", 386.38050000000004, 381.60000110735996, 9738718.54768962, 478473.25902393, 1796.7507419262074, true, true},
        {"R32", "critical", 351.255, 424.00000123039996, 0, 414146.9195629656, 1648.6418921517607, false, true},
        {"R32", "triple_liquid", 136.34, 1429.2732997598787, 47.999893876059375, -19071.91337336035, -104.96709809537367, true, true},
        {"R32", "triple_vapor", 136.34, 0.0022033487812127494, 47.99989396204481, 444305.8022732249, 3293.725255665383, true, true},
        {"R744", "hs_anchor", 334.54102, 420.84000115356605, 12034846.936049871, 389929.5650519517, 1581.968207449809, true, true},
        {"R744", "triple_liquid", 216.592, 1178.4626431725999, 517964.34344772575, 80035.52609341798, 521.3197851428765, true, true},
        {"R744", "triple_vapor", 216.592, 13.760885633069956, 517964.36480694986, 430416.1671197839, 2139.0186819908413, true, true},
        {"R718", "hs_anchor", 711.8056, 289.80000000000007, 38398578.56983617, 2430220.072503115, 4839.065530297947, true, true},
        {"R718", "triple_vapor", 273.16, 0.004854603187424487, 0, 2500915.1876038713, 9155.490787506464, false, true},
    };
    for (const auto& c : cases) {
        const fluid f(c.agent);
        const prop_list p = f.at(c.agent, c.t, c.rho);
        const std::string what = std::string(c.agent) + " " + c.state;
        if (c.check_p) {
            EXPECT_LT(rel(p.p, c.p), 1e-6) << what;
        }
        if (c.check_hs) {
            EXPECT_LT(rel(p.h, c.h), 1e-6) << what;
            EXPECT_LT(rel(p.s, c.s), 1e-6) << what;
        }
        std::cout << "[ states    ] " << what << ": p " << (c.check_p ? rel(p.p, c.p) : 0) << ", h "
                  << (c.check_hs ? rel(p.h, c.h) : 0) << ", s " << (c.check_hs ? rel(p.s, c.s) : 0) << "\n";
    }
}

TEST_F(Library, ReducingAndCriticalValues) {
    // Reducing values of the equations (CoolProp EOS.STATES.reducing) and the
    // equations' own critical points, found here by an independent 30-digit
    // evaluation of each equation (dp/drho = d2p/drho2 = 0); R744 and R718
    // carry the formulations' critical points.
    const struct {
        const char* agent;
        double tau_div, rho_div, t_cr, p_cr;
    } cases[] = {
        {"R507A", 343.765, 4964.029650250053 * 0.0988592, 343.692616, 3699135.749},
        {"R404A", 345.27, 4939.999999999999 * 0.0976038, 345.0257384, 3715175.211},
        {"R410A", 344.494, 6323.999999999999 * 0.0725854, 344.4462324, 4896300.531},
        {"R134a", 374.18, 4978.830171000001 * 0.102032, 374.2119666, 4059276.374},
        {"R32", 351.255, 8150.084599999999 * 0.052024, 351.2550004, 5782645.094},
        {"R744", 304.1282, 10624.9063 * 0.0440098, 304.1282, 7377300},
        {"R718", 647.096, 322, 647.096, 22064000},
    };
    for (const auto& c : cases) {
        const fluid f(c.agent);
        EXPECT_DOUBLE_EQ(f.th_c.tau_div, c.tau_div) << c.agent;
        EXPECT_DOUBLE_EQ(f.th_c.k_term, c.tau_div) << c.agent;
        EXPECT_LT(rel(f.th_c.rho_div, c.rho_div), 1e-12) << c.agent;
        EXPECT_EQ(f.th_c.rho_cr, f.th_c.rho_div) << c.agent;
        EXPECT_LT(rel(f.th_c.T_cr, c.t_cr), 1e-6) << c.agent;
        EXPECT_LT(rel(f.th_c.p_cr, c.p_cr), 1e-6) << c.agent;
    }
}

TEST_F(Library, ReferenceStates) {
    double worst_h = 0, worst_s = 0;
    for (const char* agent : {"R507A", "R404A", "R410A", "R134a", "R32", "R744"}) {
        // IIR: saturated liquid at 0 C, h = 200 kJ/kg, s = 1 kJ/(kg K).
        prop_list p;
        ASSERT_TRUE(calc_sat_props(0, "t", {"C", "bar"}, agent, p, "liquid")) << agent;
        EXPECT_NEAR(p.h, 200000, 1) << agent;
        EXPECT_NEAR(p.s, 1000, 0.05) << agent;
        worst_h = std::max(worst_h, std::fabs(p.h - 200000));
        worst_s = std::max(worst_s, std::fabs(p.s - 1000));
        std::cout << "[ reference ] " << agent << " h - 200 kJ/kg = " << p.h - 200000
                  << " J/kg, s - 1 kJ/(kg K) = " << p.s - 1000 << " J/(kg K)\n";
    }
    // IAPWS-95: u = 0 and s = 0 for the saturated liquid at the triple point.
    prop_list w;
    ASSERT_TRUE(calc_sat_props(273.16, "t", {"K", "Pa"}, "R718", w, "liquid"));
    EXPECT_NEAR(w.h - w.p / w.rho, 0, 1e-3);
    EXPECT_NEAR(w.s, 0, 1e-6);
}

TEST_F(Library, HeatCapacityIsTheSlopeOfTheEnthalpyAlongAnIsobar) {
    const struct {
        const char* agent;
        double t_min, t_max;
    } fluids[] = {{"R507A", 210, 480}, {"R404A", 210, 480}, {"R410A", 210, 480}, {"R134a", 180, 440},
                  {"R32", 150, 420},   {"R744", 225, 1000}, {"R718", 280, 1200}};
    for (const auto& f : fluids) {
        const fluid fl(f.agent);
        double worst = 0;
        for (int i = 0; i <= 6; ++i) {
            const double t = f.t_min + (f.t_max - f.t_min) * i / 6;
            for (const double p_rel : {0.01, 0.3, 2.0, 5.0}) {
                const double p = p_rel * fl.th_c.p_cr;
                const auto state = [&](double temp) {
                    prop_list r;
                    calc_props(r, temp, "t", p, "p", {"K", "Pa"}, f.agent);
                    return r;
                };
                if (calc_ph_state(t, p, f.agent).empty()) continue;
                // The near-critical band is refused by design.
                if (std::fabs(t / fl.th_c.T_cr - 1) < 1e-3 && p < 1.001 * fl.th_c.p_cr) continue;
                // Stay on one side of the saturation line.
                if (calc_ph_state(t - 0.05, p, f.agent) != calc_ph_state(t + 0.05, p, f.agent)) continue;
                const prop_list mid = state(t);
                const double dt = 0.01;
                const double slope = (state(t + dt).h - state(t - dt).h) / (2 * dt);
                const double dev = rel(slope, mid.c_p);
                worst = std::max(worst, dev);
                EXPECT_LT(dev, 1e-5) << f.agent << " " << t << " K " << p << " Pa";
            }
        }
        std::cout << "[ c_p       ] " << f.agent << " largest |dh/dT / c_p - 1| = " << worst << "\n";
    }
}

TEST_F(Library, SaturationStatesFulfilTheEqualAreaCondition) {
    for (const char* agent : {"R507A", "R410A", "R134a", "R32", "R744", "R718"}) {
        const fluid f(agent);
        double worst_p = 0, worst_g = 0;
        for (int i = 0; i <= 8; ++i) {
            const double t = f.th_c.T_tp + (0.999 * f.th_c.T_cr - f.th_c.T_tp) * i / 8;
            prop_list liq, vap;
            ASSERT_TRUE(calc_sat_props(t, "t", {"K", "Pa"}, agent, liq, "liquid")) << agent << " " << t;
            ASSERT_TRUE(calc_sat_props(t, "t", {"K", "Pa"}, agent, vap, "gas")) << agent << " " << t;
            // The reported pressure comes from the liquid; the vapour's own
            // pressure from the equation, and the Gibbs energies, must agree.
            const double p_vap = vap.z * vap.rho * vap.r * t;
            const double dp = rel(p_vap, liq.p);
            const double dg = std::fabs((liq.h - t * liq.s) - (vap.h - t * vap.s)) / (f.th_c.R * t);
            worst_p = std::max(worst_p, dp);
            worst_g = std::max(worst_g, dg);
            EXPECT_LT(dp, 1e-7) << agent << " " << t;
            EXPECT_LT(dg, 1e-7) << agent << " " << t;
        }
        std::cout << "[ maxwell   ] " << agent << " largest |p''/p' - 1| = " << worst_p
                  << ", largest |g' - g''|/(R T) = " << worst_g << "\n";
    }
}

// Reference values from the Debian package python3-iapws 1.5.3 (IAPWS-95),
// with /usr/bin/python3:
//   single phase: w = iapws.IAPWS95(T=T, P=P_MPa); w.h * 1000, w.rho, w.phase
//   saturation:   l = iapws.IAPWS95(T=T, x=0); v = iapws.IAPWS95(T=T, x=1);
//                 l.P * 1e6, l.rho, v.rho, l.h * 1000, v.h * 1000
TEST_F(Library, WaterAgreesWithPythonIapws) {
    const struct {
        double t, p_mpa, h, rho;
        const char* phase;
    } single[] = {
        {280, 0.1, 28894.097010333695, 999.9103569376807, "liquid"},
        {300, 1, 113482.04749206573, 996.9600226950615, "liquid"},
        {320, 50, 239179.58465607697, 1010.1055169043156, "liquid"},
        {350, 0.1, 321838.072373602, 973.7278533785807, "liquid"},
        {370, 100, 482391.1520245022, 1001.735243273811, "liquid"},
        {400, 5, 536216.8466640533, 939.9104231533983, "liquid"},
        {420, 0.2, 2762580.790792351, 1.0502804685876101, "gas"},
        {450, 0.5, 2805471.477704531, 2.4912824169486365, "gas"},
        {500, 3, 975508.0409108741, 831.652413069018, "liquid"},
        {520, 20, 1071943.5765866693, 820.4412519803594, "liquid"},
        {550, 1, 3001800.3940051664, 4.058098680424859, "gas"},
        {580, 50, 1356906.8098250076, 766.2952296957802, "liquid"},
        {600, 10, 2819964.1400874993, 49.77258186850754, "gas"},
        {630, 20, 1706728.502056511, 567.644450279791, "liquid"},
        {660, 10, 3055773.01290482, 39.259052439603806, "gas"},
        {680, 40, 1994279.8843678662, 492.93211558063757, "supercritical"},
        {700, 1, 3321740.1769304164, 3.1305354368731058, "gas"},
        {750, 25, 3074032.3360183984, 97.09791793936706, "supercritical"},
        {800, 60, 2759642.0687946132, 285.65063896911266, "supercritical"},
        {900, 5, 3729242.218697932, 12.290792990451195, "gas"},
        {1000, 30, 3819278.0993948122, 70.42024928607192, "supercritical"},
        {1100, 100, 3809842.3696218044, 220.62304514644583, "supercritical"},
        {1200, 0.5, 4461656.148891604, 0.9032511539467072, "gas"},
        {1273, 1, 4639572.884760092, 1.7031701872472937, "gas"},
    };
    double worst_h = 0, worst_rho = 0;
    for (const auto& c : single) {
        prop_list p;
        calc_props(p, c.t, "t", c.p_mpa, "p", {"K", "MPa"}, "R718");
        worst_h = std::max(worst_h, rel(p.h, c.h));
        worst_rho = std::max(worst_rho, rel(p.rho, c.rho));
        EXPECT_LT(rel(p.h, c.h), 1e-7) << c.t << " K " << c.p_mpa << " MPa";
        EXPECT_LT(rel(p.rho, c.rho), 1e-7) << c.t << " K " << c.p_mpa << " MPa";
        EXPECT_EQ(calc_phase_state(c.t, c.p_mpa, {"K", "MPa"}, "R718"), c.phase) << c.t << " K " << c.p_mpa;
    }
    const struct {
        double t, p, rho_l, rho_v, h_l, h_v;
    } sat[] = {
        {280, 991.8203199181272, 999.8622100221065, 0.007681162498178105, 28796.289383698946, 2513448.4231619085},
        {300, 3536.806752269706, 996.5130274681917, 0.025589673682887924, 112564.85985318846, 2549854.101094752},
        {350, 41681.729737941205, 973.7018393142704, 0.2602886660704975, 321791.2518365121, 2637726.869890334},
        {400, 245769.34556555204, 937.4860393928658, 1.3694075410051056, 532952.7340539015, 2715703.7520165546},
        {450, 932203.5636276777, 890.3412497617447, 4.812003601253979, 749161.585011859, 2774410.7798895193},
        {500, 2639195.871760647, 831.3134495855536, 13.198906510093517, 975430.555058097, 2802478.400027984},
        {550, 6117183.639589006, 755.8079239268197, 31.474130184555793, 1220472.7638642401, 2783300.3635728406},
        {600, 12344824.357181897, 649.4114062019449, 72.84231718278538, 1505359.605490764, 2677814.6009962605},
        {620, 15900579.384964233, 586.8776188277695, 106.30709284947925, 1645735.111962111, 2583899.364250351},
        {640, 20265209.26802377, 481.52614604523797, 177.14545262029054, 1841773.2917032568, 2395505.34298198},
    };
    double worst_sat = 0;
    for (const auto& c : sat) {
        prop_list l, v;
        ASSERT_TRUE(calc_sat_props(c.t, "t", {"K", "Pa"}, "R718", l, "liquid"));
        ASSERT_TRUE(calc_sat_props(c.t, "t", {"K", "Pa"}, "R718", v, "gas"));
        for (const double d : {rel(l.p, c.p), rel(l.rho, c.rho_l), rel(v.rho, c.rho_v), rel(l.h, c.h_l), rel(v.h, c.h_v)}) {
            worst_sat = std::max(worst_sat, d);
            EXPECT_LT(d, 1e-7) << c.t;
        }
    }
    std::cout << "[ iapws     ] R718 largest relative deviation: h " << worst_h << ", rho " << worst_rho
              << ", saturation " << worst_sat << "\n";
}

// Every state of a grid over each fluid's range, through the program itself:
// exit code 0 with four lines, or 1 with one of the program's own messages;
// never a number printed as nan or inf; never more than a second.
TEST_F(Library, SweepOfEachRangeThroughTheProgram) {
    const struct {
        const char* agent;
        double t_min, t_max, p_min, p_max;  // K, Pa
    } ranges[] = {
        {"R507A", 200, 500, 2e3, 5e7}, {"R404A", 200, 500, 2e3, 5e7}, {"R410A", 200, 500, 2e3, 5e7},
        {"R134a", 170, 455, 1e3, 7e7}, {"R32", 137, 435, 1e3, 7e7},    {"R744", 217, 1100, 1e4, 8e8},
        {"R718", 274, 1273, 1e3, 1e9},
    };
    const char* const own_messages[] = {"Состояние слишком близко к критической точке",
                                        "Расчёт плотности не сошёлся", "Расчёт фазового равновесия не сошёлся"};
    test::temp_dir bin;
    for (const auto& r : ranges) {
        for (int i = 0; i < 9; ++i) {
            for (int j = 0; j < 9; ++j) {
                const double t = r.t_min + (r.t_max - r.t_min) * i / 8;
                const double p = std::exp(std::log(r.p_min) + (std::log(r.p_max) - std::log(r.p_min)) * j / 8);
                char t_arg[32], p_arg[32];
                std::snprintf(t_arg, sizeof t_arg, "%.4f", t - 273.15);
                std::snprintf(p_arg, sizeof p_arg, "%.6g", p / 1e5);
                const auto started = std::chrono::steady_clock::now();
                const auto run = test::run_cli(bin.path, VANTREL_SOURCE_DIR, {t_arg, p_arg, r.agent});
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
                const std::string what = std::string(r.agent) + " " + t_arg + " C " + p_arg + " bar";
                EXPECT_LT(seconds, 1.0) << what;
                EXPECT_EQ(run.output.find("nan"), std::string::npos) << what;
                EXPECT_EQ(run.output.find("inf"), std::string::npos) << what;
                const auto lines = test::lines(run.output);
                if (run.exit_code == 0) {
                    EXPECT_EQ(lines.size(), 4u) << what;
                } else {
                    EXPECT_EQ(run.exit_code, 1) << what;
                    ASSERT_FALSE(lines.empty()) << what;
                    bool own = false;
                    for (const char* m : own_messages) own = own || lines.back().rfind(m, 0) == 0;
                    EXPECT_TRUE(own) << what << ": " << lines.back();
                }
            }
        }
    }
}

TEST_F(Library, DefaultFluidAnswersOutOfTheBox) {
    test::temp_dir bin;
    const auto run = test::run_cli(bin.path, VANTREL_SOURCE_DIR, {"20", "5"});
    EXPECT_EQ(run.exit_code, 0);
    const auto lines = test::lines(run.output);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Phase State = gas");
    // Equal-area saturation of R507A at 20 C: 11.2134 bar.
    EXPECT_EQ(lines[3], "Saturation P = 11.21 bar");
}

}  // namespace
