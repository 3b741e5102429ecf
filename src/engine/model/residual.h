// The residual part of a pure fluid's reduced Helmholtz energy, alpha_r(delta,
// tau) with delta = rho / rho_r and tau = T_r / T: a sum of terms read from
// its equation-of-state table, evaluated with its derivatives.
//
// The term kinds (n, d, t and the rest as the table's columns name them):
//   0  n delta^d tau^t exp(g delta^l)                            (power/exponential)
//   1  n delta^d tau^t exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2)   (Gaussian)
//   2  n delta^d tau^t Delta^b exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2)
//      with theta = (1 - tau) + A ((delta - 1)^2)^(1/(2 lambda)),
//      Delta = theta^2 + B ((delta - 1)^2)^a                     (non-analytic)
//   3  n delta^d tau^t exp(-delta^l) exp(-tau^m), a factor absent where l or m is 0
//   4  n delta^d tau^t exp(eta (delta - eps)^2 + 1 / (beta (tau - gamma)^2 + b))
//      (eta <= 0, beta >= 0, b > 0: a Gaussian in delta, a bounded bump in tau)
// Every kind but 2 is a product of a factor of delta and a factor of tau:
// the factors of tau are computed once per temperature. The evaluation is
// written once for any number type S (double here, an extended-precision
// type in the tools).
#pragma once

#include <boost/container/small_vector.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "engine/base/files.h"
#include "engine/base/polynomial.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

// alpha and its derivatives at (delta, tau), each times its variables:
// a = alpha, d = delta alpha_delta, t = tau alpha_tau, dd = delta^2
// alpha_delta_delta, dt = delta tau alpha_delta_tau, tt = tau^2 alpha_tau_tau.
template <class S>
struct alpha_derivatives {
    S a{}, d{}, t{}, dd{}, dt{}, tt{};

    void add(const S& w, const alpha_derivatives& o) {
        a += w * o.a;
        d += w * o.d;
        t += w * o.t;
        dd += w * o.dd;
        dt += w * o.dt;
        tt += w * o.tt;
    }
};

// d: the density exponent where it is a whole number up to MAX_WHOLE_D
// (delta^d then comes from the powers of delta computed once per density),
// -1 otherwise.
inline constexpr int MAX_WHOLE_D = 16;

// t_int: the temperature exponent where it is a positive whole number up to
// MAX_WHOLE_T (tau^t then by repeated squaring, as power() gives it), 0
// otherwise.
inline constexpr int MAX_WHOLE_T = 64;

struct power_term {
    double n, d, t, g, l;
    int shared = -1;  // index of exp(g delta^l) among the model's distinct (g, l); -1 where g = 0
    int d_int = -1, t_int = 0;
};

struct gaussian_term {
    double n, d, t, alpha, beta, eps, gamma;
    int d_int = -1, t_int = 0;
};

struct nonanalytic_term {
    double n, d, t, alpha, beta, eps, gamma;
    double b, a, lambda, A, B;
    int d_int = -1, t_int = 0;
};

struct lemmon_term {
    double n, d, t, l, m;
    int d_int = -1;
};

struct gao_term {
    double n, d, t, eta, beta, gamma, eps, b;
    int d_int = -1;
};

class residual_terms {
public:
    // Rows (kind, n, d, t, g, l[, alpha, beta, eps, gamma[, b, a, lambda, A, B]]),
    // (3, n, d, t, l, m) and (4, n, d, t, eta, beta, gamma, eps, b); a kind
    // other than 0 to 4 is refused, and so are l or m below 0, eta above 0,
    // beta below 0 and b not above 0; a row shorter than its kind reads is a
    // read error of path.
    static residual_terms from_table(const table& rows, const std::string& path);

    // alpha_r and its derivatives at (delta, tau).
    alpha_derivatives<double> at(double delta, double tau) const;

    std::size_t size() const {
        return power_.size() + gaussian_.size() + nonanalytic_.size() + lemmon_.size() + gao_.size();
    }

    std::vector<power_term> power_;
    std::vector<double> shared_g_, shared_l_;  // distinct (g, l) of the power terms with g != 0
    std::vector<gaussian_term> gaussian_;
    std::vector<nonanalytic_term> nonanalytic_;
    std::vector<lemmon_term> lemmon_;
    std::vector<gao_term> gao_;
    int max_d_int = 0;  // the largest d_int of the terms
};

// delta^k for k = 0 ... max, as power() gives them (repeated squaring).
template <class S>
struct whole_powers {
    S p[MAX_WHOLE_D + 1];
    whole_powers(const S& delta, int max) {
        p[0] = S(1);
        for (int k = 1; k <= max; ++k) p[k] = integral_power(delta, k);
    }
    S operator()(const S& delta, double d, int d_int) const { return d_int >= 0 ? p[d_int] : power(delta, d); }
};

// One term f with its logarithmic derivatives: X = delta (ln f)_delta, U =
// delta X_delta, Y = tau (ln f)_tau, V = tau X_tau, W = tau Y_tau.
template <class S>
struct term_value {
    S f{}, X{}, U{}, Y{}, V{}, W{};
};

template <class S>
void accumulate(alpha_derivatives<S>& a, const term_value<S>& t) {
    a.a += t.f;
    a.d += t.f * t.X;
    a.t += t.f * t.Y;
    a.dd += t.f * (t.X * (t.X - 1) + t.U);
    a.dt += t.f * (t.X * t.Y + t.V);
    a.tt += t.f * (t.Y * (t.Y - 1) + t.W);
}

// A factor of tau of a separable term, n included, with its Y and W.
template <class S>
struct tau_factor {
    S c{}, Y{}, W{};
};

template <class S>
term_value<S> nonanalytic_value(const nonanalytic_term& k, const S& delta, const S& tau, const S& phi0) {
    using std::exp;
    const S sigma = delta - 1, s = sigma * sigma;
    const double l_p = 1 / (2 * k.lambda);
    const S dw = delta - k.eps, dt = tau - k.gamma;
    const S theta = (1 - tau) + k.A * power(s, l_p);
    const S Delta = theta * theta + k.B * power(s, k.a);
    term_value<S> t;
    t.f = k.beta * dt * dt > 30 ? S(0) : S(k.n * phi0 * power(Delta, k.b) * exp(-k.alpha * dw * dw - k.beta * dt * dt));
    // Delta_delta = sigma g, and Delta_delta_delta = g + 2 s g_s: s g_s
    // written out, without the power of s that is singular at s = 0.
    const S c = (k.A / k.lambda) * power(s, l_p - 1);
    const S g = 2 * (k.a * k.B * power(s, k.a - 1) + theta * c);
    const S s_gs = 2 * k.a * (k.a - 1) * k.B * power(s, k.a - 1) + 2 * theta * (k.A / k.lambda) * (l_p - 1) * power(s, l_p - 1) +
                   s * c * c;
    const S D_d = sigma * g, D_dd = g + 2 * s_gs;
    const S D_t = -2 * theta, D_tt = S(2), D_dt = -2 * sigma * c;
    t.X = k.d - 2 * k.alpha * delta * dw + k.b * delta * D_d / Delta;
    t.U = k.b * delta * (D_d / Delta + delta * D_dd / Delta - delta * D_d * D_d / (Delta * Delta)) -
          2 * k.alpha * delta * (2 * delta - k.eps);
    t.Y = k.t - 2 * k.beta * tau * dt + k.b * tau * D_t / Delta;
    t.V = k.b * delta * tau * (D_dt / Delta - D_d * D_t / (Delta * Delta));
    t.W = k.b * tau * (D_t / Delta + tau * D_tt / Delta - tau * D_t * D_t / (Delta * Delta)) -
          2 * k.beta * tau * (2 * tau - k.gamma);
    return t;
}

template <class S>
tau_factor<S> lemmon_tau(const lemmon_term& k, const S& tau) {
    using std::exp;
    if (k.m == 0) return {k.n * power(tau, k.t), S(k.t), S(0)};
    // m^2 in S: rounded in double it would cost an extended-precision
    // evaluation its digits beyond the 16th where m is not a whole number.
    const S tm = power(tau, k.m), m(k.m);
    return {k.n * power(tau, k.t) * exp(-tm), k.t - m * tm, -(m * m) * tm};
}

template <class S>
tau_factor<S> gao_tau(const gao_term& k, const S& tau) {
    using std::exp;
    const S dt = tau - k.gamma, den = k.beta * dt * dt + k.b;
    // Y = t + tau g' and W = tau g' + tau^2 g'' of g = 1/den.
    const S tau_g1 = -2 * k.beta * tau * dt / (den * den);
    const S tau2_g2 = tau * tau * (-2 * k.beta / (den * den) + 8 * k.beta * k.beta * dt * dt / (den * den * den));
    return {k.n * power(tau, k.t) * exp(1 / den), k.t + tau_g1, tau_g1 + tau2_g2};
}

// The terms at one temperature: the factors of tau are computed once, for
// the many densities of a solver at that temperature.
template <class S>
class residual_at {
public:
    residual_at(const residual_terms& m, const S& tau) : m_(m), tau_(tau) {
        using std::log;
        const S ln_tau = log(tau);
        power_tau_.reserve(m.power_.size());
        for (const auto& k : m.power_) power_tau_.push_back(tau_power(ln_tau, k.t, k.t_int));
        for (const auto& k : m.gaussian_) {
            using std::exp;
            const S dt = tau - k.gamma;
            gaussian_tau_.push_back({k.n * tau_power(ln_tau, k.t, k.t_int) * exp(-k.beta * dt * dt),
                                     k.t - 2 * k.beta * tau * dt, -2 * k.beta * tau * (2 * tau - k.gamma)});
        }
        for (const auto& k : m.nonanalytic_) nonanalytic_tau_.push_back(tau_power(ln_tau, k.t, k.t_int));
        for (const auto& k : m.lemmon_) lemmon_tau_.push_back(lemmon_tau(k, tau));
        for (const auto& k : m.gao_) gao_tau_.push_back(gao_tau(k, tau));
    }

    alpha_derivatives<S> operator()(const S& delta) const {
        alpha_derivatives<S> a;
        const whole_powers<S> dp(delta, m_.max_d_int);
        add_power_terms(a, delta, dp);
        add_gaussian_terms(a, delta, dp);
        for (std::size_t i = 0; i < m_.nonanalytic_.size(); ++i) {
            const auto& k = m_.nonanalytic_[i];
            accumulate(a, nonanalytic_value(k, delta, tau_, S(dp(delta, k.d, k.d_int) * nonanalytic_tau_[i])));
        }
        add_separable_terms(a, delta, dp);
        return a;
    }

    const S& tau() const { return tau_; }

private:
    // tau^y as power() gives it, bit for bit, its ln tau taken once; y_int
    // the term's t_int.
    S tau_power(const S& ln_tau, double y, int y_int) const {
        using std::exp;
        if (y_int > 0) return integral_power(tau_, y_int);
        if (std::fabs(y) <= 2147483647.0 && std::nearbyint(y) == y) return power(tau_, y);
        return exp(S(y) * ln_tau);
    }

    void add_power_terms(alpha_derivatives<S>& a, const S& delta, const whole_powers<S>& dp) const {
        using std::exp;
        const std::size_t n_shared = m_.shared_g_.size();
        S dl[8], e[8];  // delta^l and exp(g delta^l) of the distinct (g, l); few per equation
        std::vector<S> dl_more, e_more;
        if (n_shared > 8) dl_more.resize(n_shared), e_more.resize(n_shared);
        S* dls = n_shared > 8 ? dl_more.data() : dl;
        S* es = n_shared > 8 ? e_more.data() : e;
        for (std::size_t j = 0; j < n_shared; ++j) {
            dls[j] = power(delta, m_.shared_l_[j]);
            es[j] = exp(m_.shared_g_[j] * dls[j]);
        }
        for (std::size_t i = 0; i < m_.power_.size(); ++i) {
            const auto& k = m_.power_[i];
            const S phi0 = dp(delta, k.d, k.d_int) * power_tau_[i];
            term_value<S> t;
            const S w = k.shared < 0 ? S(0) : dls[k.shared];
            t.f = k.n * (k.shared < 0 ? phi0 : S(phi0 * es[k.shared]));
            t.X = k.d + k.g * k.l * w;
            t.U = k.g * k.l * k.l * w;
            t.Y = k.t;
            accumulate(a, t);
        }
    }

    void add_gaussian_terms(alpha_derivatives<S>& a, const S& delta, const whole_powers<S>& dp) const {
        using std::exp;
        for (std::size_t i = 0; i < m_.gaussian_.size(); ++i) {
            const auto& k = m_.gaussian_[i];
            const tau_factor<S>& x = gaussian_tau_[i];
            if (x.c == 0) continue;  // far from the centre in tau
            const S dw = delta - k.eps;
            term_value<S> t;
            t.f = x.c * dp(delta, k.d, k.d_int) * exp(-k.alpha * dw * dw);
            t.X = k.d - 2 * k.alpha * delta * dw;
            t.U = -2 * k.alpha * delta * (2 * delta - k.eps);
            t.Y = x.Y;
            t.W = x.W;
            accumulate(a, t);
        }
    }

    void add_separable_terms(alpha_derivatives<S>& a, const S& delta, const whole_powers<S>& dp) const {
        using std::exp;
        for (std::size_t i = 0; i < m_.lemmon_.size(); ++i) {
            const auto& k = m_.lemmon_[i];
            const tau_factor<S>& x = lemmon_tau_[i];
            const S w = k.l == 0 ? S(0) : power(delta, k.l);
            term_value<S> t;
            t.f = x.c * dp(delta, k.d, k.d_int) * (k.l == 0 ? S(1) : S(exp(-w)));
            t.X = k.d - k.l * w;
            t.U = -k.l * k.l * w;
            t.Y = x.Y;
            t.W = x.W;
            accumulate(a, t);
        }
        for (std::size_t i = 0; i < m_.gao_.size(); ++i) {
            const auto& k = m_.gao_[i];
            const tau_factor<S>& x = gao_tau_[i];
            const S dw = delta - k.eps;
            term_value<S> t;
            t.f = x.c * dp(delta, k.d, k.d_int) * exp(k.eta * dw * dw);
            t.X = k.d + 2 * k.eta * delta * dw;
            t.U = 2 * k.eta * delta * (2 * delta - k.eps);
            t.Y = x.Y;
            t.W = x.W;
            accumulate(a, t);
        }
    }

    const residual_terms& m_;
    S tau_;
    // Inline up to the usual numbers of terms: a mixture builds one of these
    // per component and pair at each step of its solvers.
    boost::container::small_vector<S, 24> power_tau_;
    boost::container::small_vector<tau_factor<S>, 8> gaussian_tau_;
    boost::container::small_vector<S, 8> nonanalytic_tau_;
    boost::container::small_vector<tau_factor<S>, 2> lemmon_tau_, gao_tau_;
};

extern template class residual_at<double>;

}  // namespace vantrel::detail
