// The multi-fluid mixture model: the reduced residual Helmholtz energy of a
// mixture of the library's pure fluids,
//   alpha_r = sum x_i alpha_r,i(delta, tau) + sum_{i<j} x_i x_j F_ij alpha_r,ij(delta, tau),
// delta = rho / rho_r(x), tau = T_r(x) / T, built from three kinds of small
// objects: the reducing functions (reducing_function), the pure fluids'
// residual terms (the loaded fluids') and the departure functions of the
// pairs (departure). The evaluation is written once for any number type S.
//
// The gas constant: one universal value for the mixture, R_MIXTURE below.
// Each component's alpha_r,i is its equation's own function of (delta, tau),
// unchanged: the equations were fitted with their own R (8.314471 for R32 and
// R134a, 8.314472 for R125, R143a and R1234ze(E), 8.31451 for R744), which
// differ from R_MIXTURE in the 6th digit. A pure component's pressure in the
// mixture model is therefore its equation's pressure times R_MIXTURE/R_i,
// 1 - 1.0e-6 for R32: far inside the equations' uncertainties, and the price
// of one consistent ideal-gas limit for every composition.
#pragma once

#include <boost/container/small_vector.hpp>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/fluid_data.h"
#include "engine/helmholtz.h"
#include "engine/model/mixture_data.h"

namespace vantrel::detail {

// Values per component, and per pair of components, held inline up to a
// blend's usual size: a solver's step allocates nothing for them.
inline constexpr std::size_t INLINE_COMPONENTS = 6;
template <class S>
using per_component = boost::container::small_vector<S, INLINE_COMPONENTS>;
template <class S>
using per_pair = boost::container::small_vector<per_component<S>, INLINE_COMPONENTS>;

// Universal gas constant, J/(mol K) (CODATA 2018, exact in the SI since 2019).
inline constexpr double R_MIXTURE = 8.314462618;

// A reduced Helmholtz function with its derivatives: a, delta a_delta,
// tau a_tau, delta^2 a_delta_delta, delta tau a_delta_tau, tau^2 a_tau_tau.
template <class S>
struct alpha_set {
    S a{}, d{}, t{}, dd{}, dt{}, tt{};
    void add(const S& w, const alpha_set& o) {
        a += w * o.a;
        d += w * o.d;
        t += w * o.t;
        dd += w * o.dd;
        dt += w * o.dt;
        tt += w * o.tt;
    }
};

// A residual model's values at (delta, tau) as an alpha_set.
template <class S>
alpha_set<S> alpha_of(const basic_residual_derivatives<S>& r) {
    alpha_set<S> s;
    s.a = r.h - r.z_minus_1 - r.s;
    s.d = r.z_minus_1;
    s.t = r.h - r.z_minus_1;
    s.dd = r.p_rho - 2 * r.z_minus_1;
    s.dt = r.z_minus_1 - r.p_T;
    s.tt = -r.cv;
    return s;
}

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

// Y and its first and second partial derivatives by the x_i (the others fixed).
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

    template <class S>
    reducing_value<S> at(const std::vector<S>& x) const {
        const std::size_t n = x.size();
        reducing_value<S> r{S(0), per_component<S>(n, S(0)), per_pair<S>(n, per_component<S>(n, S(0)))};
        for (std::size_t i = 0; i < n; ++i) {
            r.y += x[i] * x[i] * y[i];
            r.y_x[i] += 2 * x[i] * y[i];
            r.y_xx[i][i] += 2 * y[i];
        }
        for (const auto& p : pairs) add_pair(r, p, x[p.i], x[p.j]);
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
    std::shared_ptr<const residual_model> function;
};

struct mixture_component {
    std::string name;
    std::shared_ptr<const fluid_data> fluid;
    double T_r = 0;    // K
    double rho_r = 0;  // mol/m3
    double M = 0;      // kg/mol
};

struct mixture_model {
    std::vector<mixture_component> components;
    reducing_function T_r, v_r;  // K, m3/mol
    std::vector<departure> departures;
};

// The model of the components named (fluid directories under data_dir),
// with the pairs of data_dir/mixtures/pairs.txt and their departure
// functions; every pair of components must be there.
mixture_model load_mixture(const std::string& data_dir, const std::vector<std::string>& names);

// A predefined blend of data_dir/mixtures/blends.txt: its model and mole fractions.
struct blend_model {
    mixture_model model;
    std::vector<double> x;
};
blend_model load_blend(const std::string& data_dir, const std::string& name);

// The ideal part sum x_i [alpha_0,i(rho, T) + ln x_i] at rho in mol/m3, with
// alpha_0,i = h_i/(R_i T) - 1 - s_i/R_i of the component's ideal-gas h and s
// in its own reference state (that of the loaded fluid).
double ideal_alpha(const mixture_model& m, double T, double rho, const std::vector<double>& x);

// Enthalpy (J/mol) and entropy (J/(mol K)) of a phase at (T, rho in mol/m3)
// and x: the components' ideal-gas parts in their own reference states (of
// the loaded fluids) at the mixture's molar density, the ideal mixing term
// -R sum x_i ln x_i and the residual part.
struct molar_caloric {
    double h = 0, s = 0;
};
molar_caloric caloric_of(const mixture_model& m, double T, double rho, const std::vector<double>& x);

// The ideal-gas part of a phase at (T, rho in mol/m3) and x: its h and s as
// caloric_of takes them, each component's molar h_i and s_i in it (s_i with
// its density term and -R ln x_i: h = sum x_i h_i, s = sum x_i s_i), c_p
// (J/(mol K)) and the gas constant sum x_i M_i R_i of the components' own
// equations (c_v = c_p - R).
struct ideal_mixture {
    molar_caloric caloric;
    per_component<double> h, s;
    double cp = 0, R = 0;
};
ideal_mixture ideal_of(const mixture_model& m, double T, double rho, const std::vector<double>& x);

// The molar mass of composition x, kg/mol.
double molar_mass(const mixture_model& m, const std::vector<double>& x);

// Mole fractions of mass fractions w with the components' molar masses.
std::vector<double> mole_fractions(const mixture_model& m, const std::vector<double>& w);

// The residual part at (T, rho) and x: alpha_r with its derivatives,
// alpha_x[i] = d alpha_r/d x_i (the others fixed) with its derivatives by
// delta and tau, and alpha_xx[i][j] = d2 alpha_r/d x_i d x_j.
template <class S>
struct mixture_residual {
    S T{}, rho{}, delta{}, tau{};
    reducing_value<S> T_r, v_r;
    alpha_set<S> alpha;
    per_component<alpha_set<S>> alpha_x;
    per_pair<S> alpha_xx;
};

// The model at one temperature and composition: the reducing values and the
// factors of tau of every term are computed once, for the densities of a
// solver at (T, x).
template <class S>
class mixture_evaluator {
public:
    mixture_evaluator(const mixture_model& m, const S& T, const std::vector<S>& x)
        : m_(m), T_(T), x_(x.begin(), x.end()), T_r_(m.T_r.at(x)), v_r_(m.v_r.at(x)), tau_(T_r_.y / T) {
        const S inverse = 1 / tau_;
        pure_.reserve(x.size());
        for (const auto& c : m.components) pure_.emplace_back(c.fluid->residual, inverse);
        departures_.reserve(m.departures.size());
        for (const auto& d : m.departures) departures_.emplace_back(*d.function, inverse);
    }

    // The mixture's alpha_r and its derivatives by delta and tau only.
    alpha_set<S> alpha(const S& rho) const {
        const S delta = rho * v_r_.y;
        alpha_set<S> a;
        for (std::size_t i = 0; i < x_.size(); ++i) a.add(x_[i], set_of(pure_[i], delta));
        for (std::size_t k = 0; k < departures_.size(); ++k) {
            const departure& d = m_.departures[k];
            a.add(x_[d.i] * x_[d.j] * d.F, set_of(departures_[k], delta));
        }
        return a;
    }

    mixture_residual<S> at(const S& rho) const {
        mixture_residual<S> r{T_, rho, rho * v_r_.y, tau_, T_r_, v_r_, {}, {}, {}};
        const std::size_t n = x_.size();
        r.alpha_x.resize(n);
        r.alpha_xx.assign(n, per_component<S>(n, S(0)));
        for (std::size_t i = 0; i < n; ++i) {
            r.alpha_x[i] = set_of(pure_[i], r.delta);
            r.alpha.add(x_[i], r.alpha_x[i]);
        }
        for (std::size_t k = 0; k < departures_.size(); ++k) {
            const departure& d = m_.departures[k];
            const alpha_set<S> f = set_of(departures_[k], r.delta);
            r.alpha.add(x_[d.i] * x_[d.j] * d.F, f);
            r.alpha_x[d.i].add(x_[d.j] * d.F, f);
            r.alpha_x[d.j].add(x_[d.i] * d.F, f);
            r.alpha_xx[d.i][d.j] += d.F * f.a;
            r.alpha_xx[d.j][d.i] += d.F * f.a;
        }
        return r;
    }

    const reducing_value<S>& v_r() const { return v_r_; }

private:
    static alpha_set<S> set_of(const residual_at_tau<S>& f, const S& delta) {
        return alpha_of(f(delta));
    }

    const mixture_model& m_;
    S T_;
    per_component<S> x_;
    reducing_value<S> T_r_, v_r_;
    S tau_;
    boost::container::small_vector<residual_at_tau<S>, 2 * INLINE_COMPONENTS> pure_, departures_;
};

template <class S>
mixture_residual<S> residual_of(const mixture_model& m, const S& T, const S& rho, const std::vector<S>& x) {
    return mixture_evaluator<S>(m, T, x).at(rho);
}

// Pressure, Pa, of the residual part's state: rho R T (1 + delta alpha_r_delta).
template <class S>
S pressure_of(const mixture_residual<S>& r) {
    return r.rho * R_MIXTURE * r.T * (1 + r.alpha.d);
}

// ln phi_i = n d(n alpha_r)/d n_i - ln Z (the formulation of GERG-2004 and
// Kunz and Wagner (2012)), with T d(ln phi_i)/dT and rho d(ln phi_i)/d rho at
// constant composition.
template <class S>
struct fugacity_values {
    per_component<S> ln_phi, T_dT, rho_drho;
};

template <class S>
fugacity_values<S> fugacity_of(const mixture_residual<S>& r, const std::vector<S>& x);

// q_i = n d(n alpha_r)/d n_i = ln phi_i + ln Z, with rho dq_i/d rho and
// T dq_i/dT at constant composition: defined where Z is not positive too
// (a liquid taken to a negative pressure by a solver's step).
template <class S>
struct share_values {
    per_component<S> q, rho_drho, T_dT;
};

template <class S>
share_values<S> shares_of(const mixture_residual<S>& r, const std::vector<S>& x);

// n dq_i/d n_j at constant T and V: [i][j].
template <class S>
per_pair<S> share_n_derivatives(const mixture_residual<S>& r, const std::vector<S>& x);

// n d(ln phi_i)/d n_j at constant T and V: [i][j].
template <class S>
per_pair<S> fugacity_n_derivatives(const mixture_residual<S>& r, const std::vector<S>& x);

}  // namespace vantrel::detail

#include "engine/mixture_fugacity.h"
