// The model of a fluid: the reduced residual Helmholtz energy of the
// multi-fluid model,
//   alpha_r = sum x_i alpha_r,i(delta, tau) + sum_{i<j} x_i x_j F_ij alpha_r,ij(delta, tau),
// delta = rho / rho_r(x), tau = T_r(x) / T, built from three kinds of small
// objects: the reducing functions (reducing_function), the components'
// residual terms and the departure functions of the pairs (departure). A
// pure fluid is a model of one component: the reducing functions are its
// own T_r and rho_r, the sum its own alpha_r, and the evaluation takes that
// short way. The evaluation is written once for any number type S.
//
// Densities and the gas constant are per amount: moles for a mixture (the
// universal R_MIXTURE), kilograms for one component (its equation's own R).
// Each component's alpha_r,i is its equation's own function of (delta,
// tau), unchanged: the equations were fitted with their own R (8.314471 for
// R32 and R134a, 8.314472 for R125, R143a and R1234ze(E), 8.31451 for R744),
// which differ from R_MIXTURE in the 6th digit. A pure component's pressure
// in a mixture is therefore its equation's pressure times R_MIXTURE/R_i,
// 1 - 1.0e-6 for R32: far inside the equations' uncertainties, and the price
// of one consistent ideal-gas limit for every composition.
#pragma once

#include <boost/container/small_vector.hpp>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/component.h"
#include "engine/model/mixture_data.h"
#include "engine/model/residual.h"

namespace vantrel::detail {

// Values per component, and per pair of components, held inline up to a
// blend's usual size: a solver's step allocates nothing for them.
inline constexpr std::size_t INLINE_COMPONENTS = 6;
template <class S>
using per_component = boost::container::small_vector<S, INLINE_COMPONENTS>;
template <class S>
using per_pair = boost::container::small_vector<per_component<S>, INLINE_COMPONENTS>;

// Mole (or mass) fractions of the components, in their order.
using composition = per_component<double>;

// Universal gas constant, J/(mol K) (CODATA 2018, exact in the SI since 2019).
inline constexpr double R_MIXTURE = 8.314462618;

// A mixture's densities are solved to the last digits: the check of a
// two-phase state asks each phase's pressure of them.
inline constexpr double MIXTURE_DELTA_TOLERANCE = 1e-10;

// A reducing function Y(x) (T_r in K or v_r = 1/rho_r in m3/mol):
//   Y = sum x_i^2 Y_i + sum_{i<j} c_ij(x_i, x_j),
// Kunz-Wagner: c_ij = 2 beta gamma Y_ij x_i x_j (x_i + x_j)/(beta^2 x_i + x_j);
// Lemmon-Jacobsen: c_ij = x_i x_j (Y_i + Y_j + k_ij), which with sum x = 1 is
// their sum x_i Y_i + sum x_i x_j k_ij; so pairs of both forms combine.
struct reducing_pair {
    std::size_t i = 0, j = 0;
    reducing_form form = reducing_form::kunz_wagner;
    double beta = 1, gamma = 1, y_ij = 0;  // Kunz-Wagner
    double k = 0;                          // Lemmon-Jacobsen: xi or zeta
};

// Y and its first and second partial derivatives by the x_i (the others
// fixed); none for one component.
template <class S>
struct reducing_value {
    S y{};
    per_component<S> y_x;
    per_pair<S> y_xx;
};

class reducing_function {
public:
    std::vector<double> y;  // Y_i of the components
    std::vector<reducing_pair> pairs;

    template <class S, class X>
    reducing_value<S> at(const X& x) const {
        const std::size_t n = x.size();
        // One component: its own Y, without derivatives by x (a composition
        // of one cannot change).
        if (n == 1) return {S(y[0]), {}, {}};
        reducing_value<S> r{S(0), per_component<S>(n, S(0)), per_pair<S>(n, per_component<S>(n, S(0)))};
        for (std::size_t i = 0; i < n; ++i) {
            r.y += x[i] * x[i] * y[i];
            r.y_x[i] += 2 * x[i] * y[i];
            r.y_xx[i][i] += 2 * y[i];
        }
        for (const auto& p : pairs) add_pair<S>(r, p, x[p.i], x[p.j]);
        return r;
    }

private:
    template <class S>
    void add_pair(reducing_value<S>& r, const reducing_pair& p, const S& xi, const S& xj) const {
        if (p.form == reducing_form::lemmon_jacobsen) {
            const double c = y[p.i] + y[p.j] + p.k;
            r.y += c * xi * xj;
            r.y_x[p.i] += c * xj;
            r.y_x[p.j] += c * xi;
            r.y_xx[p.i][p.j] += c;
            r.y_xx[p.j][p.i] += c;
            return;
        }
        const S den = p.beta * p.beta * xi + xj;
        if (den == 0) return;  // both fractions 0: the term and its derivatives vanish
        const double c = 2 * p.beta * p.gamma * p.y_ij;
        // f = u/D with u = x_i x_j (x_i + x_j), D = beta^2 x_i + x_j; index 0 is x_i, 1 is x_j.
        const S u = xi * xj * (xi + xj);
        const S u1[2] = {2 * xi * xj + xj * xj, xi * xi + 2 * xi * xj};
        const S u2[2][2] = {{2 * xj, 2 * (xi + xj)}, {2 * (xi + xj), 2 * xi}};
        const double d1[2] = {p.beta * p.beta, 1};
        const std::size_t at[2] = {p.i, p.j};
        r.y += c * u / den;
        for (int a = 0; a < 2; ++a) {
            r.y_x[at[a]] += c * (u1[a] / den - u * d1[a] / (den * den));
            for (int b = 0; b < 2; ++b)
                r.y_xx[at[a]][at[b]] += c * (u2[a][b] / den - (u1[a] * d1[b] + u1[b] * d1[a]) / (den * den) +
                                             2 * u * d1[a] * d1[b] / (den * den * den));
        }
    }
};

// The departure term of a pair: F alpha_r,ij.
struct departure {
    std::size_t i = 0, j = 0;
    double F = 0;
    std::shared_ptr<const residual_terms> function;
};

class model {
public:
    std::vector<std::shared_ptr<const component_data>> components;
    reducing_function T_r, v_r;  // K, m3/mol
    std::vector<departure> departures;
    // The amount of the model: moles of a mixture, kilograms of a pure
    // fluid (whose densities are then kg/m3, h J/kg, R its own J/(kg K)).
    // M: kg per amount of each component, its molar mass in a mixture, 1
    // for a pure fluid. R: J/(amount K), R_MIXTURE for a mixture.
    std::vector<double> M;
    double R = 0;
    // Where the density solver stops, in delta: a pure fluid's configured
    // step of the density, a mixture's MIXTURE_DELTA_TOLERANCE.
    double delta_tolerance = 0;

    std::size_t size() const { return components.size(); }
    const component_data& pure() const { return *components.front(); }
};

// The model of one pure fluid.
model model_of(std::shared_ptr<const component_data> c);

// The model of the components named (fluid directories under data_dir),
// with the pairs of data_dir/mixtures/pairs.txt and their departure
// functions; every pair of components must be there.
model load_mixture(const std::string& data_dir, const std::vector<std::string>& names);

// The mass of an amount of composition x: kg/mol (1 for a pure fluid).
double molar_mass(const model& m, const composition& x);

// Mole fractions of mass fractions w, and mass fractions of mole fractions x.
composition mole_fractions(const model& m, const composition& w);
composition mass_fractions(const model& m, const composition& x);

// The residual part at (T, rho) and x: alpha_r with its derivatives by delta
// and tau, alpha_x[i] = d alpha_r/d x_i (the others fixed) with its
// derivatives by delta and tau, and alpha_xx[i][j] = d2 alpha_r/d x_i d x_j.
template <class S>
struct residual_values {
    S T{}, rho{}, delta{}, tau{};
    reducing_value<S> T_r, v_r;
    alpha_derivatives<S> alpha;
    per_component<alpha_derivatives<S>> alpha_x;
    per_pair<S> alpha_xx;
};

// The model at one temperature and composition: the reducing values and the
// factors of tau of every term are computed once, for the densities of a
// solver at (T, x).
template <class S>
class model_at {
public:
    template <class X>
    model_at(const model& m, const S& T, const X& x)
        : m_(m), T_(T), x_(x.begin(), x.end()), T_r_(m.T_r.at<S>(x)), v_r_(m.v_r.at<S>(x)), tau_(T_r_.y / T) {
        terms_.reserve(m.size() + m.departures.size());
        for (const auto& c : m.components) terms_.emplace_back(c->residual, tau_);
        for (const auto& d : m.departures) terms_.emplace_back(*d.function, tau_);
    }

    S delta(const S& rho) const { return rho * v_r_.y; }

    // alpha_r and its derivatives by delta and tau only, at rho or at delta.
    alpha_derivatives<S> alpha(const S& rho) const { return alpha_at(rho * v_r_.y); }

    alpha_derivatives<S> alpha_at(const S& delta) const {
        if (x_.size() == 1) return terms_[0](delta);
        alpha_derivatives<S> a;
        for (std::size_t i = 0; i < x_.size(); ++i) a.add(x_[i], terms_[i](delta));
        for (std::size_t k = 0; k < m_.departures.size(); ++k) {
            const departure& d = m_.departures[k];
            a.add(x_[d.i] * x_[d.j] * d.F, terms_[x_.size() + k](delta));
        }
        return a;
    }

    // With the derivatives by the composition.
    residual_values<S> at(const S& rho) const {
        residual_values<S> r{T_, rho, rho * v_r_.y, tau_, T_r_, v_r_, {}, {}, {}};
        const std::size_t n = x_.size();
        r.alpha_x.resize(n);
        r.alpha_xx.assign(n, per_component<S>(n, S(0)));
        for (std::size_t i = 0; i < n; ++i) {
            r.alpha_x[i] = terms_[i](r.delta);
            r.alpha.add(x_[i], r.alpha_x[i]);
        }
        for (std::size_t k = 0; k < m_.departures.size(); ++k) {
            const departure& d = m_.departures[k];
            const alpha_derivatives<S> f = terms_[n + k](r.delta);
            r.alpha.add(x_[d.i] * x_[d.j] * d.F, f);
            r.alpha_x[d.i].add(x_[d.j] * d.F, f);
            r.alpha_x[d.j].add(x_[d.i] * d.F, f);
            r.alpha_xx[d.i][d.j] += d.F * f.a;
            r.alpha_xx[d.j][d.i] += d.F * f.a;
        }
        return r;
    }

    const model& of() const { return m_; }
    const S& T() const { return T_; }
    const S& tau() const { return tau_; }
    // 1 / rho_r of the composition, m3/mol.
    const S& v_r() const { return v_r_.y; }
    const per_component<S>& x() const { return x_; }

private:
    const model& m_;
    S T_;
    per_component<S> x_;
    reducing_value<S> T_r_, v_r_;
    S tau_;
    // The components' terms, then the departures'.
    boost::container::small_vector<residual_at<S>, 2 * INLINE_COMPONENTS> terms_;
};

extern template class model_at<double>;

// Pressure, Pa, of the residual values' state: rho R T (1 + delta alpha_r_delta).
template <class S>
S pressure_of(const model& m, const residual_values<S>& r) {
    return r.rho * m.R * r.T * (1 + r.alpha.d);
}

}  // namespace vantrel::detail
