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

#include "engine/mixture.h"
#include "engine/mixture_fluid.h"
#include "engine/text.h"
#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
using namespace vantrel::detail;
using real = boost::multiprecision::cpp_bin_float_50;

namespace {

const std::string DATA = test::data().string();

const blend_model& blend(const std::string& name) {
    static std::map<std::string, blend_model> loaded;
    auto it = loaded.find(name);
    if (it == loaded.end()) it = loaded.emplace(name, load_blend(DATA, name)).first;
    return it->second;
}

const mixture_fluid& mixture(const std::string& name) {
    static std::map<std::string, mixture_fluid> made;
    auto it = made.find(name);
    if (it == made.end()) it = made.emplace(name, make_mixture_fluid(blend(name).model, blend(name).x)).first;
    return it->second;
}

// The fractions in extended precision, made to add up to 1 in it.
std::vector<real> to_real(const std::vector<double>& v) {
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
        const auto r = residual_of(b.model, T, rho, b.x);
        const auto f = fugacity_of(r, b.x);
        const std::string at = rec.text("blend") + " T=" + rec.text("T") + " rho=" + rec.text("rho");
        EXPECT_LT(deviation(r.alpha.a, rec.number("alpha_r")), 1e-12) << at;
        EXPECT_LT(deviation(pressure_of(r), rec.number("p")), 1e-12) << at;
        worst = std::max({worst, deviation(r.alpha.a, rec.number("alpha_r")), deviation(pressure_of(r), rec.number("p"))});
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
        const auto f = fugacity_of(residual_of(b.model, T, rho, x), x);
        const real z = 1 + residual_of(b.model, T, rho, x).alpha.d;
        // n alpha_r at constant T and V (n = 1 mol in V = 1/rho): mole numbers n.
        auto n_alpha = [&](std::vector<real> n) {
            real total(0);
            for (const real& v : n) total += v;
            for (real& v : n) v /= total;
            return total * residual_of(b.model, T, rho * total, n).alpha.a;
        };
        auto ln_phi = [&](const real& Tv, const real& rv, std::size_t i) {
            return fugacity_of(residual_of(b.model, Tv, rv, x), x).ln_phi[i];
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
        const auto dn = fugacity_n_derivatives(residual_of(b.model, T, rho, x), x);
        for (std::size_t j = 0; j < x.size(); ++j) {
            auto ln_phi_n = [&](const real& step) {
                std::vector<real> n = x;
                n[j] += step;
                const real total = 1 + step;
                for (real& v : n) v /= total;
                return fugacity_of(residual_of(b.model, T, rho * total, n), n).ln_phi;
            };
            const auto up = ln_phi_n(h), down = ln_phi_n(-h);
            for (std::size_t i = 0; i < x.size(); ++i)
                EXPECT_LT(abs(dn[i][j] - (up[i] - down[i]) / (2 * h)), tol)
                    << c.blend << ": n d ln phi_" << i + 1 << "/d n_" << j + 1;
        }
    }
}

// The ideal part: rho d alpha_0/d rho = 1, and -T d alpha_0/dT = sum x_i h_i/(R_i T) - 1
// with h_i the component's ideal-gas enthalpy (a wrong sign or unit of h or s
// of a component shows), and the entropy of mixing, at gas and liquid
// densities of binary and four-component blends.
TEST(Mixture, IdealPartIsThatOfTheComponents) {
    const double T = 300, step = 1e-4;
    for (const char* name : {"R454B", "R449A"}) {
        const blend_model& b = blend(name);
        for (double rho : {100.0, 10000.0}) {
            const double up = ideal_alpha(b.model, T, rho * (1 + step), b.x);
            const double down = ideal_alpha(b.model, T, rho * (1 - step), b.x);
            EXPECT_NEAR((up - down) / (2 * step), 1, 1e-8) << name;
            double h = 0;
            for (std::size_t i = 0; i < b.x.size(); ++i) {
                const auto& c = b.model.components[i];
                h += b.x[i] * c.fluid->ideal->at(T).h / (c.fluid->cfg.R * T);
            }
            const double dT = T * step;
            const double t_dt = -T * (ideal_alpha(b.model, T + dT, rho, b.x) - ideal_alpha(b.model, T - dT, rho, b.x)) /
                                (2 * dT);
            EXPECT_NEAR(t_dt, h - 1, 1e-7 * std::fabs(h)) << name;
            // The entropy of mixing: alpha_0 - sum x_i alpha_0,i = sum x_i ln x_i.
            double mixing = ideal_alpha(b.model, T, rho, b.x);
            for (std::size_t i = 0; i < b.x.size(); ++i) {
                std::vector<double> pure(b.x.size(), 0.0);
                pure[i] = 1;
                mixing -= b.x[i] * (ideal_alpha(b.model, T, rho, pure) + std::log(b.x[i]));
            }
            EXPECT_NEAR(mixing, 0, 1e-12) << name;
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
        for (const auto& c : b.model.components) names.push_back(c.name);
        std::reverse(names.begin(), names.end());
        const mixture_model reversed = load_mixture(DATA, names);
        const std::vector<double> xr(b.x.rbegin(), b.x.rend());
        for (double rho : {400.0, 8000.0}) {
            const auto r = residual_of(b.model, 380.0, rho, b.x);
            const auto rr = residual_of(reversed, 380.0, rho, xr);
            EXPECT_LT(deviation(rr.alpha.a, r.alpha.a), 1e-14) << name << " rho=" << rho;
            const auto f = fugacity_of(r, b.x), fr = fugacity_of(rr, xr);
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
        const mixture_fluid& f = mixture(rec.text("blend"));
        const bool bubble = rec.kind == "bubble", at_T = rec.text("given") == "T";
        const auto side = bubble ? saturation_side::bubble : saturation_side::dew;
        const two_phase s = at_T ? saturation_at_T(f, side, rec.number("T")) : saturation_at_p(f, side, rec.number("p"));
        const std::string at = rec.kind + " " + rec.text("blend") + (at_T ? " T=" + rec.text("T") : " p=" + rec.text("p"));
        const auto liquid = residual_of(f.model, s.T, s.rho_x, s.x);
        const auto vapour = residual_of(f.model, s.T, s.rho_y, s.y);
        for (const auto* r : {&liquid, &vapour}) {
            const double off = 1 + r->alpha.d - s.p / (r->rho * R_MIXTURE * s.T);
            EXPECT_LT(std::fabs(off) / (1 + std::fabs(r->alpha.d)), 1e-12) << at;
        }
        const auto ql = shares_of(liquid, s.x), qv = shares_of(vapour, s.y);
        const std::vector<double>& incipient = bubble ? s.y : s.x;
        for (std::size_t i = 0; i < f.z.size(); ++i) {
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
// lower limit and in the critical neighbourhood.
TEST(Mixture, EnvelopeOfEveryBlend) {
    for (const auto& b : read_blends(DATA + "/mixtures/blends.txt")) {
        const mixture_fluid& f = mixture(b.name);
        const envelope_data& e = f.envelope;
        const std::size_t n = f.z.size();
        const std::string at = b.name;
        EXPECT_NEAR(std::exp(e.points.front().v(ln_T_index(n))), e.T_low, 1e-9 * e.T_low) << at;
        EXPECT_NEAR(std::exp(e.points.back().v(ln_T_index(n))), e.T_low, 1e-9 * e.T_low) << at;
        EXPECT_GE(e.cricondenbar.p, e.critical.p * (1 - 1e-9)) << at;
        EXPECT_GE(e.cricondentherm.T, e.critical.T * (1 - 1e-9)) << at;
        for (double share : {0.0, 0.3, 0.6, 0.9, 0.99}) {
            const double T = e.T_low + share * (f.T_refused - e.T_low) * (1 - 1e-9);
            const two_phase bub = saturation_at_T(f, saturation_side::bubble, T);
            const two_phase dew = saturation_at_T(f, saturation_side::dew, T);
            EXPECT_GE(bub.p, dew.p * (1 - 1e-12)) << at << " T=" << T;
            EXPECT_LT(std::fabs(saturation_at_p(f, saturation_side::bubble, bub.p).T / T - 1), 1e-11) << at << T;
            EXPECT_LT(std::fabs(saturation_at_p(f, saturation_side::dew, dew.p).T / T - 1), 1e-11) << at << T;
        }
        const auto kind_of = [&](double T) {
            try {
                saturation_at_T(f, saturation_side::dew, T);
                return std::string("answered");
            } catch (const vantrel::error& err) {
                return std::string(err.kind() == vantrel::error_kind::near_critical ? "near critical" : "input");
            }
        };
        EXPECT_EQ(kind_of(e.T_low - 1), "input") << at;
        EXPECT_EQ(kind_of(f.T_refused * (1 + 1e-9)), "near critical") << at;
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
        {"blends.txt", "R454B R32", "R454X R32", "R454B", "Blend 'R454B' not found in file"},
    };
    for (const auto& c : cases) {
        test::temp_dir root;
        fs::copy(test::data() / "mixtures", root.path / "mixtures", fs::copy_options::recursive);
        for (const char* fluid : {"R32", "R1234yf"}) fs::copy(test::data() / fluid, root.path / fluid);
        test::edit_file(root.path / "mixtures" / c.file, c.from, c.to);
        try {
            load_blend(root.path.string(), c.blend);
            ADD_FAILURE() << c.file << ": not refused";
        } catch (const vantrel::error& e) {
            EXPECT_EQ(e.kind(), vantrel::error_kind::data);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}
