// The residual part of the reduced Helmholtz energy: a sum of terms read from
// the equation-of-state table, evaluated with its derivatives.
//
// With d = OMEGA = rho / rho_div and TAU = T / tau_div (x = 1/TAU), the term
// kinds are
//   0  n d^dd x^t exp(g d^l)                               (power/exponential)
//   1  n d^dd x^t exp(-alpha (d - eps)^2 - beta (x - gamma)^2)       (Gaussian)
//   2  n d^dd x^t DELTA^b exp(-alpha (d - eps)^2 - beta (x - gamma)^2)
//      with THETA = (1 - x) + A (SIGMA^2)^(1/(2 lambda)),
//      DELTA = THETA^2 + B (SIGMA^2)^a, SIGMA = d - 1           (non-analytic)
//   3  n d^dd x^t exp(-d^l) exp(-x^m), a factor absent where l or m is 0
//   4  n d^dd x^t exp(eta (d - eps)^2 + 1 / (beta (x - gamma)^2 + b))
//      (eta <= 0, beta >= 0, b > 0: a Gaussian in d, a bounded bump in x)
// Kinds 3 and 4 are products of a factor of d and a factor of x, so the
// factor of x and its derivatives are computed once per temperature.
// The evaluation is written once for any number type S (double here, an
// extended-precision type in the tools).
#pragma once

#include <boost/container/small_vector.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "engine/base/files.h"
#include "engine/base/polynomial.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

// d_int: dd where it is a whole number up to MAX_WHOLE_D (d^dd is then
// taken from the powers of d computed once per density), -1 otherwise.
inline constexpr int MAX_WHOLE_D = 16;

struct power_term {
    double n, dd, t, g, l;
    int shared = -1;  // index of exp(g d^l) among the model's distinct (g, l); -1 when g = 0
    int d_int = -1;
};

struct gaussian_term {
    double n, dd, t, alpha, beta, eps, gamma;
    int d_int = -1;
};

struct lemmon_term {
    double n, dd, t, l, m;
    int d_int = -1;
};

struct gao_term {
    double n, dd, t, eta, beta, gamma, eps, b;
    int d_int = -1;
};

struct nonanalytic_term {
    double n, dd, t, alpha, beta, eps, gamma;
    double b, a, lambda, A, B;
    int d_int = -1;
};

class residual_model {
public:
    // Rows (kind, n, dd, t, g, l[, alpha, beta, eps, gamma[, b, a, lambda, A, B]]),
    // (3, n, dd, t, l, m) and (4, n, dd, t, eta, beta, gamma, eps, b); a kind
    // other than 0 to 4 is refused, and so are l or m below 0, eta above 0,
    // beta below 0 and b not above 0; a row shorter than its kind reads is a
    // read error of path.
    static residual_model from_table(const table& rows, const std::string& path);

    residual_derivatives at(double omega, double tau) const;

    bool empty() const {
        return power_.empty() && gaussian_.empty() && nonanalytic_.empty() && lemmon_.empty() && gao_.empty();
    }

    std::vector<power_term> power_;
    std::vector<double> shared_g_, shared_l_;  // distinct (g, l) of the power terms with g != 0
    std::vector<gaussian_term> gaussian_;
    std::vector<nonanalytic_term> nonanalytic_;
    std::vector<lemmon_term> lemmon_;
    std::vector<gao_term> gao_;
    int max_d_int = 0;  // the largest d_int of the terms
};

// d^k for k = 0 ... max, as power() gives them (repeated squaring).
template <class S>
struct whole_powers {
    S p[MAX_WHOLE_D + 1];
    whole_powers(const S& d, int max) {
        p[0] = S(1);
        for (int k = 1; k <= max; ++k) p[k] = integral_power(d, k);
    }
    S operator()(const S& d, double dd, int d_int) const { return d_int >= 0 ? p[d_int] : power(d, dd); }
};

// Logarithmic derivatives of one term f: X = d ln f/d ln OMEGA, U = OMEGA
// dX/dOMEGA, Y = d ln f/d ln TAU, S = TAU dX/dTAU, Q = TAU dY/dTAU.
template <class S>
struct term_value {
    S f{}, x{}, u{}, y{}, s{}, q{};
};

template <class S>
void accumulate(basic_residual_derivatives<S>& a, const term_value<S>& t) {
    a.z_minus_1 += t.f * t.x;
    a.p_rho += t.f * (t.x * (1 + t.x) + t.u);
    a.p_T += t.f * (t.x * (1 + t.y) + t.s);
    a.h += t.f * (t.x - t.y);
    a.s += -t.f * (1 + t.y);
    a.cv += -t.f * (t.y * (1 + t.y) + t.q);
}

template <class S>
term_value<S> nonanalytic_value(const nonanalytic_term& k, const S& omega, const S& tau, const S& phi0) {
    using std::exp;
    const S inv_tau = 1 / tau, sigma = omega - 1;
    const double l_p = 1 / (2 * k.lambda);
    const S s2 = sigma * sigma;
    const S dw = omega - k.eps, dt = inv_tau - k.gamma;
    const S theta = (1 - inv_tau) + k.A * power(s2, l_p);
    const S delta = theta * theta + k.B * power(s2, k.a);
    term_value<S> t;
    if (k.beta * dt * dt > 30)
        t.f = 0;
    else
        t.f = k.n * phi0 * power(delta, k.b) * exp(-k.alpha * dw * dw - k.beta * dt * dt);

    const S complex = (k.A / k.lambda) * power(s2, l_p - 1);
    // First derivative of DELTA by OMEGA, divided by SIGMA.
    const S d_omega_by_sigma = 2 * (k.a * k.B * power(s2, k.a - 1) + theta * complex);
    const S d_omega = sigma * d_omega_by_sigma;
    const double pow_exp = (sigma == 0) ? 0 : l_p - 2;
    const S v = 2 * k.a * (k.a - 1) * k.B * power(s2, k.a - 2) +
                2 * theta * (k.A / k.lambda) * (l_p - 1) * power(s2, pow_exp) + complex * complex;
    const S d_tau = 2 * theta / (tau * tau);
    const S d_omega_tau = 2 * sigma * complex / (tau * tau);

    t.x = k.dd - 2 * k.alpha * omega * dw + k.b * omega * d_omega / delta;
    // W stands for the second derivative of DELTA by OMEGA. At OMEGA = EPS the
    // term D_OMEGA/(OMEGA - EPS) is 0/0; its limit (for EPS = 1, where
    // OMEGA - EPS is SIGMA) is D_OMEGA/SIGMA + 2 SIGMA^2 V.
    const S w = (dw != 0) ? S(2 * dw * dw * v + d_omega / dw) : S(d_omega_by_sigma + 2 * s2 * v);
    t.u = k.b * omega * (w * delta * omega + d_omega * delta - d_omega * d_omega * omega) / (delta * delta) -
          2 * k.alpha * omega * (2 * omega - k.eps);
    t.s = k.b * omega * tau * (d_omega_tau * delta - d_tau * d_omega) / (delta * delta);
    t.y = 2 * k.beta * inv_tau * dt - k.t + 2 * k.b * theta / (delta * tau);
    t.q = 2 * k.b * ((1 - theta * tau) * delta - 2 * theta * theta) / ((delta * tau) * (delta * tau)) -
          2 * k.beta * inv_tau * (2 * inv_tau - k.gamma);
    return t;
}

// The factor of x = 1/TAU of a separable term with its logarithmic
// derivatives Y and Q (term_value's), n included.
template <class S>
struct tau_factor {
    S c{}, y{}, q{};
};

template <class S>
tau_factor<S> lemmon_tau(const lemmon_term& k, const S& x) {
    using std::exp;
    if (k.m == 0) return {k.n * power(x, k.t), S(-k.t), S(0)};
    // m^2 in S: rounded in double it would cost an extended-precision
    // evaluation its digits beyond the 16th where m is not a whole number.
    const S xm = power(x, k.m), m(k.m);
    return {k.n * power(x, k.t) * exp(-xm), -k.t + m * xm, -(m * m) * xm};
}

template <class S>
tau_factor<S> gao_tau(const gao_term& k, const S& x) {
    using std::exp;
    const S dx = x - k.gamma, den = k.beta * dx * dx + k.b;
    const S slope = 2 * k.beta * x * dx / (den * den);  // -d ln(bump)/d ln x
    const S d_slope = 2 * k.beta * ((2 * x - k.gamma) / (den * den) - 4 * k.beta * x * dx * dx / (den * den * den));
    return {k.n * power(x, k.t) * exp(1 / den), -k.t + slope, -x * d_slope};
}

// The model at one temperature: the factors of TAU are computed once, for
// the many densities of a solver at that temperature.
template <class S>
class residual_at_tau {
public:
    residual_at_tau(const residual_model& m, const S& tau) : m_(m), tau_(tau), inv_tau_(1 / tau) {
        using std::log;
        const S ln_tau = log(tau);
        power_tau_.reserve(m.power_.size());
        for (const auto& k : m.power_) power_tau_.push_back(tau_power(ln_tau, -k.t));
        for (const auto& k : m.gaussian_) gaussian_tau_.push_back(tau_power(ln_tau, -k.t));
        for (const auto& k : m.nonanalytic_) nonanalytic_tau_.push_back(tau_power(ln_tau, -k.t));
        for (const auto& k : m.lemmon_) lemmon_tau_.push_back(lemmon_tau(k, inv_tau_));
        for (const auto& k : m.gao_) gao_tau_.push_back(gao_tau(k, inv_tau_));
    }

    basic_residual_derivatives<S> operator()(const S& omega) const {
        basic_residual_derivatives<S> a;
        const whole_powers<S> dp(omega, m_.max_d_int);
        add_power_terms(a, omega, dp);
        add_gaussian_terms(a, omega, dp);
        for (std::size_t i = 0; i < m_.nonanalytic_.size(); ++i) {
            const auto& k = m_.nonanalytic_[i];
            accumulate(a, nonanalytic_value(k, omega, tau_, S(dp(omega, k.dd, k.d_int) * nonanalytic_tau_[i])));
        }
        add_separable_terms(a, omega, dp);
        return a;
    }

    const S& tau() const { return tau_; }

private:
    // tau^y as power() gives it, bit for bit, its ln tau taken once.
    S tau_power(const S& ln_tau, double y) const {
        using std::exp;
        if (std::fabs(y) <= 2147483647.0 && std::nearbyint(y) == y) return power(tau_, y);
        return exp(S(y) * ln_tau);
    }

    void add_power_terms(basic_residual_derivatives<S>& a, const S& omega, const whole_powers<S>& dp) const {
        using std::exp;
        const std::size_t n_shared = m_.shared_g_.size();
        S wl[8], e[8];  // exp(g d^l) of the distinct (g, l); few per equation
        std::vector<S> wl_more, e_more;
        if (n_shared > 8) wl_more.resize(n_shared), e_more.resize(n_shared);
        S* wls = n_shared > 8 ? wl_more.data() : wl;
        S* es = n_shared > 8 ? e_more.data() : e;
        for (std::size_t j = 0; j < n_shared; ++j) {
            wls[j] = power(omega, m_.shared_l_[j]);
            es[j] = exp(m_.shared_g_[j] * wls[j]);
        }
        for (std::size_t i = 0; i < m_.power_.size(); ++i) {
            const auto& k = m_.power_[i];
            const S phi0 = dp(omega, k.dd, k.d_int) * power_tau_[i];
            term_value<S> t;
            const S w = (k.shared < 0) ? S(0) : wls[k.shared];
            t.f = k.n * ((k.shared < 0) ? phi0 : S(phi0 * es[k.shared]));
            t.x = k.dd + k.g * k.l * w;
            t.u = k.g * k.l * k.l * w;
            t.y = -k.t;
            accumulate(a, t);
        }
    }

    void add_gaussian_terms(basic_residual_derivatives<S>& a, const S& omega, const whole_powers<S>& dp) const {
        using std::exp;
        for (std::size_t i = 0; i < m_.gaussian_.size(); ++i) {
            const auto& k = m_.gaussian_[i];
            const S dw = omega - k.eps, dt = inv_tau_ - k.gamma;
            term_value<S> t;
            // One exponential of the whole (negative) exponent: far from the
            // centre it underflows to 0 instead of overflowing.
            t.f = k.n * (dp(omega, k.dd, k.d_int) * gaussian_tau_[i]) * exp(-k.beta * dt * dt - k.alpha * dw * dw);
            t.x = k.dd - 2 * k.alpha * omega * dw;
            t.u = -2 * k.alpha * omega * (2 * omega - k.eps);
            t.y = 2 * k.beta * inv_tau_ * dt - k.t;
            t.q = -2 * k.beta * inv_tau_ * (2 * inv_tau_ - k.gamma);
            accumulate(a, t);
        }
    }

    void add_separable_terms(basic_residual_derivatives<S>& a, const S& omega, const whole_powers<S>& dp) const {
        using std::exp;
        for (std::size_t i = 0; i < m_.lemmon_.size(); ++i) {
            const auto& k = m_.lemmon_[i];
            const tau_factor<S>& x = lemmon_tau_[i];
            const S w = k.l == 0 ? S(0) : power(omega, k.l);
            term_value<S> t;
            t.f = x.c * dp(omega, k.dd, k.d_int) * (k.l == 0 ? S(1) : S(exp(-w)));
            t.x = k.dd - k.l * w;
            t.u = -k.l * k.l * w;
            t.y = x.y;
            t.q = x.q;
            accumulate(a, t);
        }
        for (std::size_t i = 0; i < m_.gao_.size(); ++i) {
            const auto& k = m_.gao_[i];
            const tau_factor<S>& x = gao_tau_[i];
            const S dw = omega - k.eps;
            term_value<S> t;
            t.f = x.c * dp(omega, k.dd, k.d_int) * exp(k.eta * dw * dw);
            t.x = k.dd + 2 * k.eta * omega * dw;
            t.u = 2 * k.eta * omega * (2 * omega - k.eps);
            t.y = x.y;
            t.q = x.q;
            accumulate(a, t);
        }
    }

    const residual_model& m_;
    S tau_, inv_tau_;
    // Inline up to the usual numbers of terms: a mixture builds one of these
    // per component and pair at each step of its solvers.
    boost::container::small_vector<S, 24> power_tau_;
    boost::container::small_vector<S, 8> gaussian_tau_, nonanalytic_tau_;
    boost::container::small_vector<tau_factor<S>, 2> lemmon_tau_, gao_tau_;
};

extern template class residual_at_tau<double>;

}  // namespace vantrel::detail
