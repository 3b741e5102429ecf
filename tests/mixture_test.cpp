// The multi-fluid mixture model: its values against an independent 50-digit
// evaluation (tests/mixtures/reference.txt), its composition derivatives
// against differences in extended precision, its independence of the
// components' order, and the refusal of damaged mixture data.
#include <gtest/gtest.h>

#include <boost/multiprecision/cpp_bin_float.hpp>
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "engine/base/text.h"
#include "engine/model/caloric.h"
#include "engine/model/fugacity.h"
#include "engine/phase/mixture_boundary.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
using namespace vantrel::detail;
using real = boost::multiprecision::cpp_bin_float_50;

namespace {

const std::string DATA = test::data().string();

// A predefined blend's model and mole fractions.
struct blend_model {
    std::shared_ptr<const model> m;
    composition x;
};

const blend_model& blend(const std::string& name) {
    static std::map<std::string, blend_model> loaded;
    auto it = loaded.find(name);
    if (it == loaded.end()) {
        const std::string path = DATA + "/mixtures/blends.txt";
        const std::vector<blend_data> blends = read_blends(path);
        std::vector<std::string> names;
        composition w;
        for (const auto& [c, f] : find_blend(blends, name, path).mass_fractions) names.push_back(c), w.push_back(f);
        auto m = std::make_shared<const model>(load_mixture(DATA, names));
        it = loaded.emplace(name, blend_model{m, mole_fractions(*m, w)}).first;
    }
    return it->second;
}

const mixture_boundary& mixture(const std::string& name) {
    static std::map<std::string, std::unique_ptr<mixture_boundary>> made;
    auto it = made.find(name);
    if (it == made.end())
        it = made.emplace(name, std::make_unique<mixture_boundary>(blend(name).m, blend(name).x)).first;
    return *it->second;
}

template <class S, class X>
residual_values<S> residual_of(const model& m, const S& T, const S& rho, const X& x) {
    return model_at<S>(m, T, x).at(rho);
}

// The fractions in extended precision, made to add up to 1 in it.
std::vector<real> to_real(const composition& v) {
    std::vector<real> out(v.begin(), v.end());
    real sum(0);
    for (const real& x : out) sum += x;
    for (real& x : out) x /= sum;
    return out;
}

// |a - b| relative to |b|, or to 1 where |b| is below 1 (ln phi near 0).
double deviation(double a, double b) { return std::fabs(a - b) / std::max(std::fabs(b), 1.0); }

}  // namespace

// alpha_r, p and ln phi_i of R454B, R513A, R449A and R407C.mix at five
// temperatures, a gas and a dense state each, against the 50-digit
// evaluation of tools/reference/mixture_mpmath.py.
TEST(Mixture, AgreesWithTheIndependentEvaluation) {
    const auto records = test::read_records(test::source() / "tests" / "mixtures" / "reference.txt");
    ASSERT_EQ(records.size(), 40u);
    double worst = 0;
    for (const auto& rec : records) {
        const blend_model& b = blend(rec.text("blend"));
        const double T = rec.number("T"), rho = rec.number("rho");
        const auto r = residual_of(*b.m, T, rho, b.x);
        const auto f = ln_fugacity_coefficients(r, b.x);
        const std::string at = rec.text("blend") + " T=" + rec.text("T") + " rho=" + rec.text("rho");
        EXPECT_LT(deviation(r.alpha.a, rec.number("alpha_r")), 1e-12) << at;
        EXPECT_LT(deviation(pressure_of(*b.m, r), rec.number("p")), 1e-12) << at;
        worst = std::max({worst, deviation(r.alpha.a, rec.number("alpha_r")), deviation(pressure_of(*b.m, r), rec.number("p"))});
        for (std::size_t k = 0; k < b.x.size(); ++k) {
            const double want = rec.number("ln_phi_" + std::to_string(k + 1));
            EXPECT_LT(deviation(f.ln_phi[k], want), 1e-12) << at << " component " << k + 1;
            worst = std::max(worst, deviation(f.ln_phi[k], want));
        }
    }
    RecordProperty("worst_deviation", number_text(worst));
}

// In 50 digits: ln phi_i against central differences of n alpha_r in n_i at
// constant T and V, T d ln phi_i/dT and rho d ln phi_i/d rho against
// differences at constant composition, n d ln phi_i/d n_j against
// differences at constant T and V. Binary and four-component blends with
// Kunz-Wagner pairs, Lemmon-Jacobsen pairs and both.
TEST(Mixture, CompositionDerivativesMatchExtendedPrecisionDifferences) {
    struct case_ {
        const char* blend;
        double T, rho;
    };
    const case_ cases[] = {{"R454B", 280, 300}, {"R454B", 300, 17000}, {"R410A.mix", 260, 18000},
                           {"R449A", 250, 500}, {"R449A", 320, 12500}, {"R407C.mix", 340, 12200}};
    const real h("1e-20"), tol("1e-24");
    for (const auto& c : cases) {
        const blend_model& b = blend(c.blend);
        const std::vector<real> x = to_real(b.x);
        const real T(c.T), rho(c.rho);
        const model& m = *b.m;
        const auto f = ln_fugacity_coefficients(residual_of(m, T, rho, x), x);
        const real z = 1 + residual_of(m, T, rho, x).alpha.d;
        // n alpha_r at constant T and V (n = 1 mol in V = 1/rho): mole numbers n.
        auto n_alpha = [&](std::vector<real> n) {
            real total(0);
            for (const real& v : n) total += v;
            for (real& v : n) v /= total;
            return total * residual_of(m, T, real(rho * total), n).alpha.a;
        };
        auto ln_phi = [&](const real& Tv, const real& rv, std::size_t i) {
            return ln_fugacity_coefficients(residual_of(m, Tv, rv, x), x).ln_phi[i];
        };
        for (std::size_t i = 0; i < x.size(); ++i) {
            std::vector<real> up = x, down = x;
            up[i] += h, down[i] -= h;
            const real fd = (n_alpha(up) - n_alpha(down)) / (2 * h) - log(z);
            const std::string at = std::string(c.blend) + " component " + std::to_string(i + 1);
            EXPECT_LT(abs(f.ln_phi[i] - fd), tol) << at << ": ln phi";
            const real dT = T * (ln_phi(T + h, rho, i) - ln_phi(T - h, rho, i)) / (2 * h);
            EXPECT_LT(abs(f.T_dT[i] - dT), tol) << at << ": T d ln phi/dT";
            const real drho = rho * (ln_phi(T, rho + h, i) - ln_phi(T, rho - h, i)) / (2 * h);
            EXPECT_LT(abs(f.rho_drho[i] - drho), tol) << at << ": rho d ln phi/d rho";
        }
        // n d ln phi_i/d n_j at constant T and V: n = x + h e_j in V = 1/rho.
        const auto dn = n_dlnphi_dnj(residual_of(m, T, rho, x), x);
        for (std::size_t j = 0; j < x.size(); ++j) {
            auto ln_phi_n = [&](const real& step) {
                std::vector<real> n = x;
                n[j] += step;
                const real total = 1 + step;
                for (real& v : n) v /= total;
                return ln_fugacity_coefficients(residual_of(m, T, real(rho * total), n), n).ln_phi;
            };
            const auto up = ln_phi_n(h), down = ln_phi_n(-h);
            for (std::size_t i = 0; i < x.size(); ++i)
                EXPECT_LT(abs(dn[i][j] - (up[i] - down[i]) / (2 * h)), tol)
                    << c.blend << ": n d ln phi_" << i + 1 << "/d n_" << j + 1;
        }
    }
}

// The ideal part: s falls by R = sum x_i M_i R_i per unit of ln rho, h does
// not depend on rho, dh/dT = c_p, and h = sum x_i M_i h_i of the components'
// ideal-gas enthalpies (a wrong sign or unit of h or s of a component
// shows), with the entropy of mixing -R sum x_i ln x_i, at gas and liquid
// densities of binary and four-component blends.
TEST(Mixture, IdealPartIsThatOfTheComponents) {
    const double T = 300, step = 1e-4;
    for (const char* name : {"R454B", "R449A"}) {
        const blend_model& b = blend(name);
        const model& m = *b.m;
        for (double rho : {100.0, 10000.0}) {
            const ideal_part g = ideal_of(m, T, rho, b.x);
            const ideal_part up = ideal_of(m, T, rho * (1 + step), b.x), down = ideal_of(m, T, rho * (1 - step), b.x);
            EXPECT_NEAR((up.s - down.s) / (2 * step), -g.R, 1e-8 * g.R) << name;
            EXPECT_EQ(up.h, g.h) << name;
            const double dT = T * step;
            EXPECT_NEAR((ideal_of(m, T + dT, rho, b.x).h - ideal_of(m, T - dT, rho, b.x).h) / (2 * dT), g.cp,
                        1e-7 * g.cp)
                << name;
            double h = 0, s = 0;
            for (std::size_t i = 0; i < b.x.size(); ++i) {
                const component_data& c = *m.components[i];
                h += b.x[i] * c.M() * c.ideal->at(T).h;
                composition pure(b.x.size(), 0.0);
                pure[i] = 1;
                s += b.x[i] * (ideal_of(m, T, rho, pure).s - m.R * std::log(b.x[i]));
            }
            EXPECT_NEAR(g.h, h, 1e-9 * std::fabs(h)) << name;
            EXPECT_NEAR(g.s, s, 1e-9 * std::fabs(s)) << name;
        }
    }
}

// The same blend with its components in the reverse order: the Kunz-Wagner
// beta of a pair read the other way round becomes 1/beta, so alpha_r, p and
// each component's ln phi stay what they were.
TEST(Mixture, ComponentOrderDoesNotMatter) {
    for (const char* name : {"R454B", "R449A", "R452A"}) {
        const blend_model& b = blend(name);
        std::vector<std::string> names;
        for (const auto& c : b.m->components) names.push_back(c->info.agent);
        std::reverse(names.begin(), names.end());
        const model reversed = load_mixture(DATA, names);
        const composition xr(b.x.rbegin(), b.x.rend());
        for (double rho : {400.0, 8000.0}) {
            const auto r = residual_of(*b.m, 380.0, rho, b.x);
            const auto rr = residual_of(reversed, 380.0, rho, xr);
            EXPECT_LT(deviation(rr.alpha.a, r.alpha.a), 1e-14) << name << " rho=" << rho;
            const auto f = ln_fugacity_coefficients(r, b.x), fr = ln_fugacity_coefficients(rr, xr);
            for (std::size_t k = 0; k < b.x.size(); ++k)
                EXPECT_LT(deviation(fr.ln_phi[b.x.size() - 1 - k], f.ln_phi[k]), 1e-13) << name << " component " << k;
        }
    }
}

// Bubble and dew points of four blends at five temperatures and five
// pressures, started from the envelope: the two phases at the pressure found
// (Z - p/(rho R T) to 1e-12 of 1 + |delta alpha_delta|, the rounding of a
// liquid's Z at low pressure) with equal fugacities (ln f_i = ln(x_i rho R T)
// + q_i recomputed from the model at the returned densities), and T or p, the densities and the incipient phase against the
// 50-digit solution of the same equations by tools/reference/mixture_mpmath.py.
TEST(Mixture, BubbleAndDewPointsAtTAndP) {
    const auto records = test::read_records(test::source() / "tests" / "mixtures" / "equilibrium.txt");
    ASSERT_EQ(records.size(), 80u);
    for (const auto& rec : records) {
        const mixture_boundary& f = mixture(rec.text("blend"));
        const model& m = *blend(rec.text("blend")).m;
        const bool bubble = rec.kind == "bubble", at_T = rec.text("given") == "T";
        const two_phase s = *f.point(bubble ? side::bubble : side::dew, at_T ? given::T : given::p,
                                     rec.number(at_T ? "T" : "p"));
        const std::string at = rec.kind + " " + rec.text("blend") + (at_T ? " T=" + rec.text("T") : " p=" + rec.text("p"));
        const auto liquid = residual_of(m, s.T, s.rho_x, s.x);
        const auto vapour = residual_of(m, s.T, s.rho_y, s.y);
        for (const auto* r : {&liquid, &vapour}) {
            const double off = 1 + r->alpha.d - s.p / (r->rho * R_MIXTURE * s.T);
            EXPECT_LT(std::fabs(off) / (1 + std::fabs(r->alpha.d)), 1e-12) << at;
        }
        const auto ql = n_dnalphar_dni(liquid, s.x), qv = n_dnalphar_dni(vapour, s.y);
        const composition& incipient = bubble ? s.y : s.x;
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            const double ln_fl = std::log(s.x[i] * s.rho_x) + ql.q[i], ln_fv = std::log(s.y[i] * s.rho_y) + qv.q[i];
            EXPECT_LT(std::fabs(ln_fl - ln_fv), 1e-10) << at;
            const double want = rec.number((bubble ? "y_" : "x_") + std::to_string(i + 1));
            EXPECT_LT(std::fabs(incipient[i] - want), 1e-10) << at;
        }
        EXPECT_LT(test::rel(s.T, rec.number("T")), 1e-11) << at;
        EXPECT_LT(test::rel(s.p, rec.number("p")), 1e-11) << at;
        EXPECT_LT(test::rel(s.rho_x, rec.number("rho_liquid")), 1e-10) << at;
        EXPECT_LT(test::rel(s.rho_y, rec.number("rho_vapour")), 1e-10) << at;
    }
}

// The envelope of every predefined blend: closed from T_low round to T_low,
// its critical point within the cricondenbar and cricondentherm, bubble
// pressures above dew pressures (equal only at an azeotrope) and T at p the
// inverse of p at T along both lines; refused above the envelope, below the
// lower limit (not a rounding below it) and in the critical neighbourhood.
TEST(Mixture, EnvelopeOfEveryBlend) {
    for (const auto& b : read_blends(DATA + "/mixtures/blends.txt")) {
        const mixture_boundary& f = mixture(b.name);
        const envelope_data& e = f.envelope();
        const std::size_t n = f.envelope_z().size();
        const std::string at = b.name;
        EXPECT_NEAR(std::exp(e.points.front().v(ln_T_index(n))), e.T_low, 1e-9 * e.T_low) << at;
        EXPECT_NEAR(std::exp(e.points.back().v(ln_T_index(n))), e.T_low, 1e-9 * e.T_low) << at;
        EXPECT_GE(e.cricondenbar.p, e.critical.p * (1 - 1e-9)) << at;
        EXPECT_GE(e.cricondentherm.T, e.critical.T * (1 - 1e-9)) << at;
        for (double share : {0.0, 0.3, 0.6, 0.9, 0.99}) {
            const double T = e.T_low + share * (f.T_refused() - e.T_low) * (1 - 1e-9);
            const two_phase bub = *f.point(side::bubble, given::T, T);
            const two_phase dew = *f.point(side::dew, given::T, T);
            EXPECT_GE(bub.p, dew.p * (1 - 1e-12)) << at << " T=" << T;
            EXPECT_LT(std::fabs(f.point(side::bubble, given::p, bub.p)->T / T - 1), 1e-11) << at << T;
            EXPECT_LT(std::fabs(f.point(side::dew, given::p, dew.p)->T / T - 1), 1e-11) << at << T;
        }
        const auto kind_of = [&](double T) {
            try {
                f.point(side::dew, given::T, T);
                return std::string("answered");
            } catch (const vantrel::error& err) {
                return std::string(err.kind() == vantrel::error_kind::near_critical ? "near critical" : "input");
            }
        };
        EXPECT_EQ(kind_of(e.T_low - 1), "input") << at;
        EXPECT_EQ(kind_of(e.T_low * (1 - 2e-16)), "answered") << at;  // the lower limit, a rounding below
        EXPECT_EQ(kind_of(f.T_refused() * (1 + 1e-9)), "near critical") << at;
        EXPECT_EQ(kind_of(e.cricondentherm.T + 0.01), "input") << at;
    }
}

// Damaged mixture data, each refused with its message.
TEST(MixtureData, DamagedFilesAreRefused) {
    struct case_ {
        const char* file;
        const char* from;
        const char* to;
        const char* blend;
        const char* message;
    };
    const case_ cases[] = {
        {"departure/R32-R1234yf.txt", "\n0 0.449487", "\n1 0.449487", "R454B",
         "has a term of kind 1 (line 1): only the exponential kind 0 is known"},
        {"pairs.txt", "KW R32 R1234yf", "KW R32 R1234ze(E)", "R454B", "No binary pair R32/R1234yf in file"},
        {"pairs.txt", "KW R32 R1234yf 1.011011", "KW R32 R1234yf 1,011011", "R454B", "'1,011011' is not a number"},
        {"blends.txt", "R454B R32 0.689", "R454B R32 0.698", "R454B", "the mass fractions do not add up to 1"},
        {"blends.txt", "R454B R32", "R454X R32", "R454B", "Closest: R454C, R454X"},
    };
    for (const auto& c : cases) {
        test::temp_dir root;
        fs::copy(test::data() / "mixtures", root.path / "mixtures", fs::copy_options::recursive);
        for (const char* fluid : {"R32", "R1234yf"}) fs::copy(test::data() / fluid, root.path / fluid);
        test::edit_file(root.path / "mixtures" / c.file, c.from, c.to);
        try {
            vantrel::fluid::by_name(root.path, c.blend);
            ADD_FAILURE() << c.file << ": not refused";
        } catch (const vantrel::error& e) {
            EXPECT_EQ(e.kind(), vantrel::error_kind::data);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

namespace {

vantrel::fluid mixture_named(const std::string& name, vantrel::reference_state ref = vantrel::reference_state::configured) {
    return vantrel::fluid::by_name(DATA, name, ref);
}

}  // namespace

// Names of mixtures: predefined blends as names compare, typed compositions,
// and each kind of wrong composition refused with its kind and message.
TEST(MixtureApi, NamesAndCompositions) {
    struct case_ {
        const char* name;
        const char* agent;  // nullptr: refused
        std::size_t components;
        vantrel::error_kind kind;
        const char* message;
    };
    using k = vantrel::error_kind;
    const case_ cases[] = {
        {"R454B", "R454B", 2, k::input, ""},
        {"r-454b", "R454B", 2, k::input, ""},
        {"R407C.mix", "R407C.mix", 3, k::input, ""},
        {"R32:0.689+R1234yf:0.311", "R32:0.689+R1234yf:0.311", 2, k::input, ""},
        {"r32:0.5+CO2:0.5", "r32:0.5+CO2:0.5", 2, k::input, ""},
        {"R32:0.5+R125:0.4", nullptr, 0, k::input, "The mass fractions of R32:0.5+R125:0.4 add up to 0.9, not 1."},
        {"R32:0.5+R32:0.5", nullptr, 0, k::input, "R32 appears twice in R32:0.5+R32:0.5."},
        {"R32:1", nullptr, 0, k::input, "A mixture needs two components or more: R32:1."},
        {"R32:0.5+R125:x", nullptr, 0, k::input, "'R125:x' in R32:0.5+R125:x is not a component"},
        {"R32:0.5+R125", nullptr, 0, k::input, "'R125' in R32:0.5+R125 is not a component"},
        {"R32:1.5+R125:-0.5", nullptr, 0, k::input, "'R32:1.5' in"},
        {"R32:0.5+R999:0.5", nullptr, 0, k::data, "Fluid 'R999' not found"},
        {"R32:0.5+R143a:0.5", nullptr, 0, k::data, "No binary pair R32/R143a"},
        {"R454", nullptr, 0, k::data, "Closest: R454B, R454C"},
    };
    for (const auto& c : cases) {
        try {
            const vantrel::fluid f = mixture_named(c.name);
            ASSERT_TRUE(c.agent) << c.name << ": not refused";
            EXPECT_TRUE(f.is_mixture()) << c.name;
            EXPECT_EQ(f.info().agent, c.agent);
            ASSERT_EQ(f.components().size(), c.components) << c.name;
            double w = 0, x = 0;
            for (const auto& comp : f.components()) w += comp.mass_fraction, x += comp.mole_fraction;
            EXPECT_NEAR(w, 1, 1e-15) << c.name;
            EXPECT_NEAR(x, 1, 1e-15) << c.name;
        } catch (const vantrel::error& e) {
            EXPECT_FALSE(c.agent) << c.name << ": " << e.what();
            EXPECT_EQ(e.kind(), c.kind) << c.name;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
        }
    }
    // A pure fluid (and a blend described as one) is its own one component.
    const vantrel::fluid pure = mixture_named("R507A");
    EXPECT_FALSE(pure.is_mixture());
    ASSERT_EQ(pure.components().size(), 1u);
    EXPECT_EQ(pure.components()[0].agent, "R507A");
    EXPECT_EQ(pure.components()[0].mass_fraction, 1);
}

// The blend's reference states: h and s of its bubble-point liquid at the
// reference point on the state's values, and differences of h and s the
// same from every reference state.
TEST(MixtureApi, ReferenceStatesOfABlend) {
    using r = vantrel::reference_state;
    const vantrel::fluid iir = mixture_named("R449A"), ashrae = mixture_named("R449A", r::ashrae),
                         nbp = mixture_named("R449A", r::nbp), def = mixture_named("R449A", r::equation);
    EXPECT_EQ(iir.info().reference_state, "IIR");
    EXPECT_NEAR(iir.boundary_at_T(273.15).bubble->h_liquid, 200e3, 1e-8);
    EXPECT_NEAR(iir.boundary_at_T(273.15).bubble->s_liquid, 1e3, 1e-11);
    EXPECT_NEAR(ashrae.boundary_at_T(233.15).bubble->h_liquid, 0, 1e-8);
    EXPECT_NEAR(ashrae.boundary_at_T(233.15).bubble->s_liquid, 0, 1e-11);
    EXPECT_NEAR(nbp.boundary_at_p(101325).bubble->h_liquid, 0, 1e-8);
    EXPECT_NEAR(nbp.boundary_at_p(101325).bubble->s_liquid, 0, 1e-11);
    EXPECT_EQ(def.info().reference_state, "DEF");
    for (const vantrel::fluid* f : {&ashrae, &nbp, &def}) {
        const auto a = *f->boundary_at_p(5e5).dew, b = *iir.boundary_at_p(5e5).dew;
        EXPECT_NEAR((a.h_vapour - a.h_liquid) - (b.h_vapour - b.h_liquid), 0, 1e-6) << f->info().reference_state;
        EXPECT_NEAR((a.s_vapour - a.s_liquid) - (b.s_vapour - b.s_liquid), 0, 1e-9) << f->info().reference_state;
    }
}

// A phase's h and s from the mixture model where one component's fraction
// is 1 are that component's own at the same T and rho: the ideal part, its
// density term and the residual part each as the pure fluid has them (the
// residual part to the ratio of the gas constants, 1e-6 of up to 4e5 J/kg
// and 2000 J/(kg K)).
TEST(MixtureApi, PhaseOfOneComponentIsThatFluid) {
    const model m = load_mixture(DATA, {"R32", "R1234yf"});
    const vantrel::fluid pure = vantrel::fluid::load(test::data() / "R32");
    const double M = m.components[0]->M();
    for (const auto& [T, rho_mass] : {std::pair{300.0, 20.0}, {250.0, 1200.0}, {400.0, 400.0}}) {
        const phase_properties c = properties_at(m, T, rho_mass / M, {1, 0});
        const vantrel::state s = pure.at(vantrel::input_pair::T_rho, T, rho_mass, vantrel::extras::none);
        EXPECT_NEAR(c.h / M, s.h, 0.4) << T << " " << rho_mass;
        EXPECT_NEAR(c.s / M, s.s, 2e-3) << T << " " << rho_mass;
    }
}

// The envelope in mass units: each line in rising pressure, the bubble line
// above the dew line, the critical point between the lines' ends, and the
// boundary's lines its points' values; a mixture's (h, s) states answered;
// a pure fluid has no envelope.
TEST(MixtureApi, EnvelopeAndLines) {
    const vantrel::fluid f = mixture_named("R452A");
    const vantrel::phase_envelope& e = f.envelope();
    for (const auto* line : {&e.dew, &e.bubble})
        for (std::size_t i = 1; i < line->size(); ++i) EXPECT_GT((*line)[i].p, (*line)[i - 1].p) << i;
    EXPECT_NEAR(e.dew.back().p / e.p_critical, 1, 0.05);
    EXPECT_NEAR(e.bubble.back().p / e.p_critical, 1, 0.05);
    EXPECT_GT(e.rho_critical, e.dew.back().rho_vapour);
    EXPECT_LT(e.rho_critical, e.dew.back().rho_liquid);
    const vantrel::phase_boundary at_T = f.boundary_at_T(280), at_p = f.boundary_at_p(10e5);
    EXPECT_DOUBLE_EQ(*at_T.lines.bubble, at_T.bubble->p);
    EXPECT_DOUBLE_EQ(*at_T.lines.dew, at_T.dew->p);
    EXPECT_DOUBLE_EQ(*at_p.lines.bubble, at_p.bubble->T);
    EXPECT_DOUBLE_EQ(*at_p.lines.dew, at_p.dew->T);
    EXPECT_FALSE(f.boundary_at_T(e.T_cricondentherm + 1).lines.bubble);
    EXPECT_FALSE(f.boundary_at_p(e.p_refused * 1.0001).lines.dew);
    const vantrel::state hs = f.at(vantrel::input_pair::h_s, 4e5, 1.8e3);
    EXPECT_LT(test::rel(hs.h, 4e5), 1e-9);
    try {
        f.derivatives(10, 280);
        ADD_FAILURE() << "a mixture's residual derivatives answered";
    } catch (const vantrel::error& err) {
        EXPECT_EQ(err.id(), vantrel::message_id::mixture_no_derivatives);
    }
    try {
        mixture_named("R32").envelope();
        ADD_FAILURE() << "a pure fluid's envelope answered";
    } catch (const vantrel::error& err) {
        EXPECT_EQ(err.id(), vantrel::message_id::not_a_mixture);
    }
}

// The four blends that have both: the mixture's bubble and dew temperatures
// at p within 0.02 K of the pseudo-pure equation's bubble and dew lines (the
// lines were fitted to the mixture model), its bubble liquid and dew vapour
// densities within 0.2 % of the pseudo-pure equation's at the same (T, p), or
// its saturated phase where its dome lies a few mK the other side.
TEST(MixtureApi, PseudoPureBlendsAgreeWithTheirMixtures) {
    for (const char* name : {"R404A", "R407C", "R410A", "R507A"}) {
        const vantrel::fluid pure = mixture_named(name), mix = mixture_named(std::string(name) + ".mix");
        for (double p : {1e5, 5e5, 10e5, 20e5, 30e5}) {
            const vantrel::bubble_dew lines = pure.boundary_at_p(p).lines;
            const vantrel::equilibrium_point bubble = *mix.boundary_at_p(p).bubble, dew = *mix.boundary_at_p(p).dew;
            const std::string at = std::string(name) + " p=" + std::to_string(p);
            ASSERT_TRUE(lines.bubble && lines.dew) << at;
            EXPECT_NEAR(bubble.T, *lines.bubble, 0.02) << at;
            EXPECT_NEAR(dew.T, *lines.dew, 0.02) << at;
            const auto rho = [&](double T, bool liquid) {
                const vantrel::state s = pure.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none);
                if ((s.phase == vantrel::phase_kind::liquid) == liquid) return s.rho;
                return liquid ? pure.boundary_at_p(p).bubble->rho_liquid : pure.boundary_at_p(p).bubble->rho_vapour;
            };
            EXPECT_LT(std::fabs(bubble.rho_liquid / rho(bubble.T, true) - 1), 2e-3) << at;
            EXPECT_LT(std::fabs(dew.rho_vapour / rho(dew.T, false) - 1), 2e-3) << at;
        }
    }
}
