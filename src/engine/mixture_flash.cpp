#include "engine/mixture_flash.h"

#include "engine/flash.h"
#include "engine/base/fpu.h"

#include <algorithm>
#include <cmath>

namespace vantrel::detail {

namespace {

constexpr double NEAR_LINE = 1e-3;        // |ln p - ln p_line| (or of T, h, s likewise) where a line is solved
constexpr double FAR_BEYOND = 0.1;        // h / RT or s / R beyond the dew value: a gas, whatever the span
constexpr int FLASH_ITERATIONS = 100;     // as the message says
constexpr int SINGLE_ITERATIONS = 100;    // as the message says
constexpr int JOINT_ITERATIONS = 20;      // in T and rho at once, before the isobar is followed
constexpr int STABILITY_ITERATIONS = 60;  // successive substitution of the trial phase
constexpr double FLASH_TOLERANCE = 1e-12;    // the two-phase equations hold to this,
constexpr double ROUNDED_TOLERANCE = 1e-10;  // or to this after a step below ROUNDING_STEP
constexpr double ROUNDING_STEP = 1e-13;
constexpr double ON_LINE = 1e-9;  // of the span between the lines: a state on a line
constexpr double LIQUID_START = 3;           // a liquid's start density, times the critical one
constexpr double T_MARGIN = 1e-5;            // around the lines' estimated T at p
constexpr double VANISHED = 1e-14;           // a phase's share of the moles where it has vanished

enum class spec { T, p, h, s, x, rho };
struct target {
    spec kind;
    double value;
};

std::size_t size_of(const mixture_fluid& f) { return f.z.size(); }

// A point of the bubble or dew line as a two-phase state (x the liquid)
// from the unknowns of the bubble or dew formulation.
two_phase line_state(const std::vector<double>& z, bool bubble, const Eigen::VectorXd& v) {
    const std::size_t n = z.size();
    two_phase s{std::exp(v(n)), std::exp(v(n + 1)), z, z, std::exp(v(n + 2)), std::exp(v(n + 3))};
    std::vector<double>& w = bubble ? s.y : s.x;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += w[i] = bubble ? z[i] * std::exp(v(i)) : z[i] / std::exp(v(i));
    for (double& c : w) c /= sum;
    return s;
}

// The line's point at T (at_T) or p from the traced envelope; nothing where
// the branch does not reach the value.
std::optional<two_phase> line_estimate(const mixture_fluid& f, bool bubble, bool at_T, double value) {
    const std::size_t n = size_of(f);
    const auto v = envelope_start(f.envelope, bubble, at_T ? ln_T_index(n) : ln_p_index(n), std::log(value));
    if (!v) return std::nullopt;
    return line_state(f.z, bubble, *v);
}

two_phase line_exact(const mixture_fluid& f, bool bubble, bool at_T, double value) {
    const saturation_side side = bubble ? saturation_side::bubble : saturation_side::dew;
    return at_T ? saturation_at_T(f, side, value) : saturation_at_p(f, side, value);
}

[[noreturn]] void refuse_near_critical() { throw error(error_kind::near_critical, message_id::near_critical); }

bool in_refused_box(const mixture_fluid& f, double T, double p) {
    const envelope_data& e = f.envelope;
    return T >= f.T_refused && T <= e.cricondentherm.T * (1 + MIXTURE_CRITICAL_BAND) && p >= f.p_refused &&
           p <= e.cricondenbar.p * (1 + MIXTURE_CRITICAL_BAND);
}

// A single phase outside the envelope's range of T or p: above the
// critical point in both supercritical, else a gas above T_c or a liquid.
phase_kind outside_phase(const mixture_fluid& f, double T, double p) {
    const envelope_data& e = f.envelope;
    if (T > e.critical.T) return p >= e.critical.p ? phase_kind::supercritical : phase_kind::gas;
    return p >= e.critical.p ? phase_kind::liquid : phase_kind::gas;
}

[[noreturn]] void below_envelope(const mixture_fluid& f, double T) {
    throw error(error_kind::input, message_id::outside_two_phase_range,
                {named_value("T", T, quantity::temperature), number_value(f.envelope.T_low, quantity::temperature),
                 number_value(f.T_refused, quantity::temperature)});
}

// ---- One phase -------------------------------------------------------------

double gibbs(const mixture_model& m, double T, double rho, const std::vector<double>& z) {
    const auto r = mixture_evaluator<double>(m, T, z).at(rho);
    const auto f = fugacity_of(r, z);
    double g = 0;
    for (std::size_t i = 0; i < z.size(); ++i) g += z[i] * f.ln_phi[i];
    return g;
}

// The density of z at (T, p) from start; where there is none, from a gas's
// and a liquid's start, the one of lower Gibbs energy of those that converge.
double single_density(const mixture_fluid& f, double T, double p, std::optional<double> start) {
    if (start) return mixture_density(f.model, T, p, f.z, *start);
    std::optional<double> best;
    double g_best = 0;
    for (double from : {p / (R_MIXTURE * T), LIQUID_START * f.envelope.rho_critical}) {
        try {
            const double rho = mixture_density(f.model, T, p, f.z, from);
            const double g = gibbs(f.model, T, rho, f.z);
            if (!best || g < g_best) best = rho, g_best = g;
        } catch (const error& e) {
            if (e.kind() != error_kind::no_convergence) throw;
            clear_fp();  // what the failed start raised is not the state's
        }
    }
    if (!best) throw error(error_kind::no_convergence, message_id::density_no_convergence);
    return *best;
}

// The tangent-plane distance of trial phases from z at (T, p): whether a
// phase of another composition has a lower Gibbs energy, by successive
// substitution from the incipient phase of the nearby line.
bool unstable(const mixture_fluid& f, double T, double p, double rho_z, const two_phase& line, bool liquid) {
    const std::size_t n = size_of(f);
    const auto phi_z = fugacity_of(mixture_evaluator<double>(f.model, T, f.z).at(rho_z), f.z).ln_phi;
    std::vector<double> d(n), w = liquid ? line.y : line.x;
    for (std::size_t i = 0; i < n; ++i) d[i] = std::log(f.z[i]) + phi_z[i];
    double rho = liquid ? line.rho_y : line.rho_x;
    for (int it = 0; it < STABILITY_ITERATIONS; ++it) {
        std::vector<double> x(w);
        double sum = 0;
        for (double c : w) sum += c;
        for (double& c : x) c /= sum;
        const mixture_evaluator<double> e(f.model, T, x);
        rho = mixture_density(e, T, p, rho);
        const auto phi = fugacity_of(e.at(rho), x).ln_phi;
        double change = 0, tm = 1;
        for (std::size_t i = 0; i < n; ++i) {
            const double next = std::exp(d[i] - phi[i]);
            change = std::max(change, std::fabs(std::log(next / w[i])));
            tm += next * (std::log(next) + phi[i] - d[i] - 1);
            w[i] = next;
        }
        double apart = 0;  // from the trivial solution
        for (std::size_t i = 0; i < n; ++i) apart = std::max(apart, std::fabs(x[i] - f.z[i]));
        if (apart < 1e-6 && std::fabs(rho / rho_z - 1) < 1e-6) return false;
        if (tm < -1e-10) return true;
        // Converged, or near enough that tm stays positive: what is left of
        // its fall is of the order of the remaining change squared.
        if (change < 1e-10 || (change < 1e-4 && tm > 1e3 * change * change)) return false;
    }
    return false;
}

// ---- Two phases -------------------------------------------------------------

// The unknowns u = (ln m_1..ln m_n, ln T, ln p, ln rho_x, ln rho_y) of a
// two-phase state: m the mole numbers per mole of feed of the smaller phase
// (the vapour's, or the liquid's where `by_liquid`), whose composition m/sum m
// is then exact and the other's (z - m)/(1 - sum m) loses nothing to the
// difference. Through their logarithms the mole numbers stay positive, and a
// phase of a share of 1e-7 next to a line grows by factors, not by steps
// that overshoot through zero. The phases' amounts and mole numbers of a u:
struct phase_amounts {
    double V = 0, L = 0;
    per_component<double> v, l;
};

phase_amounts amounts_of(const std::vector<double>& z, const Eigen::VectorXd& u, bool by_liquid) {
    const std::size_t n = z.size();
    phase_amounts a{0, 0, per_component<double>(n), per_component<double>(n)};
    double small = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double m = std::exp(u(i));
        small += m;
        (by_liquid ? a.l : a.v)[i] = m;
        (by_liquid ? a.v : a.l)[i] = z[i] - m;
    }
    a.V = by_liquid ? 1 - small : small;
    a.L = by_liquid ? small : 1 - small;
    return a;
}

two_phase state_of(const std::vector<double>& z, const Eigen::VectorXd& u, bool by_liquid) {
    const std::size_t n = z.size();
    const phase_amounts a = amounts_of(z, u, by_liquid);
    two_phase s{std::exp(u(n)), std::exp(u(n + 1)), std::vector<double>(n), std::vector<double>(n),
                std::exp(u(n + 2)), std::exp(u(n + 3))};
    for (std::size_t i = 0; i < n; ++i) {
        s.y[i] = a.v[i] / a.V;
        s.x[i] = a.l[i] / a.L;
    }
    return s;
}

// The row of a given value: its residual and its derivatives by u, with the
// vapour's mole numbers v_j as the first n unknowns.
void spec_row(const mixture_model& m, const std::vector<double>& z, const Eigen::VectorXd& u, const phase_amounts& am,
              const target& t, double scale, const phase_terms& X, const phase_terms& Y, int row, Eigen::VectorXd& F,
              Eigen::MatrixXd& J, bool jacobian) {
    const std::size_t n = z.size();
    const double V = am.V, L = am.L;
    switch (t.kind) {
        case spec::T:
        case spec::p: {
            const int k = t.kind == spec::T ? ln_T_index(n) : ln_p_index(n);
            F(row) = u(k) - std::log(t.value);
            if (jacobian) J(row, k) = 1;
            return;
        }
        case spec::h:
        case spec::s: {
            const bool h = t.kind == spec::h;
            F(row) = scale * (L * (h ? X.h : X.s) + V * (h ? Y.h : Y.s) - t.value);
            if (!jacobian) return;
            for (std::size_t j = 0; j < n; ++j)
                J(row, j) = scale * (h ? Y.h - X.h + Y.h_x[j] - X.h_x[j] : Y.s - X.s + Y.s_x[j] - X.s_x[j]);
            J(row, n) = scale * (h ? L * X.h_T + V * Y.h_T : L * X.s_T + V * Y.s_T);
            J(row, n + 2) = scale * L * (h ? X.h_rho : X.s_rho);
            J(row, n + 3) = scale * V * (h ? Y.h_rho : Y.s_rho);
            return;
        }
        case spec::x: {
            const double M = molar_mass(m, z);
            double mass = 0;
            for (std::size_t j = 0; j < n; ++j) mass += am.v[j] * m.components[j].M;
            F(row) = mass / M - t.value;
            if (jacobian)
                for (std::size_t j = 0; j < n; ++j) J(row, j) = m.components[j].M / M;
            return;
        }
        case spec::rho: {
            const double vx = 1 / std::exp(u(n + 2)), vy = 1 / std::exp(u(n + 3)), W = L * vx + V * vy;
            F(row) = -std::log(W) - std::log(t.value);
            if (!jacobian) return;
            for (std::size_t j = 0; j < n; ++j) J(row, j) = -(vy - vx) / W;
            J(row, n + 2) = L * vx / W;
            J(row, n + 3) = V * vy / W;
            return;
        }
    }
}

struct flash_system {
    Eigen::VectorXd F;
    Eigen::MatrixXd J;
};

// The equations: ln f_i equal, F_i = ln(y_i/x_i) + G_i(y) - G_i(x); both
// phases at p; the two given values. By the vapour's v_j, dy_k/dv_j =
// (delta_kj - y_k)/V and dx_k/dv_j = -(delta_kj - x_k)/L; by the liquid's
// l_j, the opposite.
flash_system flash_equations(const mixture_model& m, const std::vector<double>& z, const Eigen::VectorXd& u,
                             bool by_liquid, const target& a, const target& b, double h_scale, bool jacobian) {
    const std::size_t n = z.size();
    const phase_amounts am = amounts_of(z, u, by_liquid);
    const two_phase s = state_of(z, u, by_liquid);
    const bool caloric = a.kind == spec::h || a.kind == spec::s || b.kind == spec::h || b.kind == spec::s;
    const phase_terms X = phase_at(m, s.T, s.p, s.rho_x, s.x, jacobian, caloric);
    const phase_terms Y = phase_at(m, s.T, s.p, s.rho_y, s.y, jacobian, caloric);
    flash_system out{Eigen::VectorXd(n + 4), jacobian ? Eigen::MatrixXd::Zero(n + 4, n + 4) : Eigen::MatrixXd()};
    const double V = am.V, L = am.L;
    for (std::size_t i = 0; i < n; ++i) out.F(i) = std::log(s.y[i] / s.x[i]) + Y.G[i] - X.G[i];
    out.F(n) = X.P;
    out.F(n + 1) = Y.P;
    for (int k = 0; k < 2; ++k) {
        const target& t = k ? b : a;
        const double scale = t.kind == spec::h ? h_scale : 1 / R_MIXTURE;
        spec_row(m, z, u, am, t, scale, X, Y, static_cast<int>(n) + 2 + k, out.F, out.J, jacobian);
    }
    if (!jacobian) return out;
    Eigen::MatrixXd& J = out.J;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j)
            J(i, j) = (i == j ? 1 / am.v[i] + 1 / am.l[i] : 0) - 1 / V - 1 / L + Y.G_x[i][j] / V + X.G_x[i][j] / L;
        J(i, n) = Y.G_T[i] - X.G_T[i];
        J(i, n + 2) = -X.G_rho[i];
        J(i, n + 3) = Y.G_rho[i];
    }
    for (std::size_t j = 0; j < n; ++j) {
        J(n, j) = -X.P_x[j] / L;
        J(n + 1, j) = Y.P_x[j] / V;
    }
    J(n, n) = X.P_T;
    J(n, n + 1) = X.P_p;
    J(n, n + 2) = X.P_rho;
    J(n + 1, n) = Y.P_T;
    J(n + 1, n + 1) = Y.P_p;
    J(n + 1, n + 3) = Y.P_rho;
    // By ln m_j rather than the vapour's v_j: times dv_j/d ln m_j = +-m_j.
    for (std::size_t j = 0; j < n; ++j) J.col(j) *= (by_liquid ? -am.l[j] : am.v[j]);
    return out;
}

// The largest fraction of the step that keeps every m_i below z_i (with a
// margin), the mole numbers within a factor e^3, T within 5 % and the rest
// within a factor e.
double flash_step(const std::vector<double>& z, const Eigen::VectorXd& u, const Eigen::VectorXd& du) {
    const std::size_t n = z.size();
    double scale = 1;
    for (std::size_t k = 0; k < n + 4; ++k) {
        const double limit = k < n ? 3 : k == n ? 0.05 : 1;
        if (std::fabs(du(k)) * scale > limit) scale = limit / std::fabs(du(k));
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double room = std::log(z[i]) - u(i);  // ln(z_i / m_i) > 0
        if (scale * du(i) >= room) scale = 0.9 * room / du(i);
    }
    return scale;
}

// The vapour fraction of the Rachford-Rice equation sum z_i (K_i - 1) /
// (1 + beta (K_i - 1)) = 0 in (0, 1), by Newton's method kept inside its
// bracket; guess where it has no root there.
double rachford_rice(const std::vector<double>& z, const std::vector<double>& K, double guess) {
    const auto g = [&](double beta, double& slope) {
        double sum = 0;
        slope = 0;
        for (std::size_t i = 0; i < z.size(); ++i) {
            const double d = 1 + beta * (K[i] - 1);
            sum += z[i] * (K[i] - 1) / d;
            slope -= z[i] * (K[i] - 1) * (K[i] - 1) / (d * d);
        }
        return sum;
    };
    double slope = 0;
    if (!(g(0, slope) > 0 && g(1, slope) < 0)) return guess;
    double lo = 0, hi = 1, beta = guess;
    for (int it = 0; it < 50; ++it) {
        const double v = g(beta, slope);
        (v > 0 ? lo : hi) = beta;
        double next = beta - v / slope;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (std::fabs(next - beta) < 1e-14) return next;
        beta = next;
    }
    return beta;
}

// A start between the bubble point b (its liquid the feed) and the dew point
// d (its vapour the feed) at weight t (0 at b, 1 at d): ln K, ln T, ln p and
// the phases' ln rho interpolated, the vapour fraction of Rachford-Rice.
struct flash_guess {
    Eigen::VectorXd u;
    bool by_liquid = false;
};

flash_guess flash_start(const mixture_model& m, const std::vector<double>& z, const two_phase& b, const two_phase& d,
                        double t) {
    const std::size_t n = z.size();
    t = std::clamp(t, 1e-10, 1 - 1e-10);
    const auto mix = [t](double a, double c) { return std::exp((1 - t) * std::log(a) + t * std::log(c)); };
    std::vector<double> K(n);
    for (std::size_t i = 0; i < n; ++i) K[i] = mix(b.y[i] / z[i], z[i] / d.x[i]);
    const double beta = std::clamp(rachford_rice(z, K, t), 1e-11, 1 - 1e-11);
    flash_guess g{Eigen::VectorXd(n + 4), beta > 0.5};
    for (std::size_t i = 0; i < n; ++i)
        g.u(i) = std::log((g.by_liquid ? 1 - beta : beta * K[i]) * z[i] / (1 + beta * (K[i] - 1)));
    g.u(n) = std::log(mix(b.T, d.T));
    g.u(n + 1) = std::log(mix(b.p, d.p));
    g.u(n + 2) = std::log(mix(b.rho_x, d.rho_x));
    g.u(n + 3) = std::log(mix(b.rho_y, d.rho_y));
    // The liquid's density at the start's T, p and composition: interpolated,
    // it can be far off its pressure, the more so the lower p.
    const two_phase s = state_of(z, g.u, g.by_liquid);
    try {
        g.u(n + 2) = std::log(mixture_density(m, s.T, s.p, s.x, s.rho_x));
    } catch (const error&) {  // Newton's method then starts from the interpolation
        clear_fp();
    }
    return g;
}

mixture_state single_state(double T, double p, double rho, phase_kind phase) {
    mixture_state s;
    s.T = T;
    s.p = p;
    s.rho = rho;
    s.phase = phase;
    s.beta = phase == phase_kind::liquid ? 0 : 1;
    return s;
}

mixture_state two_phase_state(const std::vector<double>& z, const Eigen::VectorXd& u, bool by_liquid) {
    mixture_state out;
    out.split = state_of(z, u, by_liquid);
    out.beta = amounts_of(z, u, by_liquid).V;
    out.T = out.split->T;
    out.p = out.split->p;
    out.rho = 1 / ((1 - out.beta) / out.split->rho_x + out.beta / out.split->rho_y);
    out.phase = phase_kind::two_phase;
    return out;
}

// Newton's method on the whole set from the start between b and d. Where
// the smaller phase vanishes instead (a state the lines' last digits put
// inside, on a line or just beyond it), the larger phase alone as the
// estimate of a single phase, without `split`.
mixture_state solve_two_phase(const mixture_fluid& f, const target& a, const target& b, const two_phase& bubble,
                              const two_phase& dew, double t) {
    const std::vector<double>& z = f.z;
    const std::size_t n = z.size();
    auto [u, by_liquid] = flash_start(f.model, z, bubble, dew, t);
    const double h_scale = 1 / (R_MIXTURE * std::exp(u(n)));
    Eigen::PartialPivLU<Eigen::MatrixXd> lu;
    bool check_only = false;
    double last_step = INFINITY;
    for (int it = 0; it < FLASH_ITERATIONS; ++it) {
        flash_system s = flash_equations(f.model, z, u, by_liquid, a, b, h_scale, !check_only);
        // Converged: the equations hold, or as well as rounding lets them
        // after a step at the rounding's own size.
        const double residual = s.F.cwiseAbs().maxCoeff();
        if (residual < FLASH_TOLERANCE || (residual < ROUNDED_TOLERANCE && last_step < ROUNDING_STEP)) {
            mixture_state out = two_phase_state(z, u, by_liquid);
            // A given T or p as given, not through its logarithm.
            for (const target* t : {&a, &b}) {
                if (t->kind == spec::T) out.T = out.split->T = t->value;
                if (t->kind == spec::p) out.p = out.split->p = t->value;
            }
            return out;
        }
        if (const phase_amounts am = amounts_of(z, u, by_liquid); std::min(am.V, am.L) < VANISHED) {
            const two_phase now = state_of(z, u, by_liquid);
            const bool liquid = am.V < am.L;
            return single_state(now.T, now.p, liquid ? now.rho_x : now.rho_y, liquid ? phase_kind::liquid : phase_kind::gas);
        }
        if (check_only) s = flash_equations(f.model, z, u, by_liquid, a, b, h_scale, true);
        lu.compute(s.J);
        const Eigen::VectorXd du = lu.solve(-s.F);
        if (!du.allFinite()) throw error(error_kind::no_convergence, message_id::equilibrium_singular);
        const double scale = flash_step(z, u, du);
        u += scale * du;
        last_step = scale * du.cwiseAbs().maxCoeff();
        check_only = scale == 1 && du.cwiseAbs().maxCoeff() < 1e-8;
    }
    throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
}

// ---- The phase of (T, p) -----------------------------------------------------

struct tp_decision {
    phase_kind phase = phase_kind::none;
    std::optional<two_phase> bubble, dew;  // the lines' points at the state's T (by_T) or p
    bool by_T = true;
    bool near = false;  // within NEAR_LINE of a line, which was solved
};

// Whether the value lies beyond the bubble (liquid) or dew (gas) point, or
// between: by T, the pressure against the lines' at T; by p, the
// temperature against theirs at p.
tp_decision decide_by_lines(const mixture_fluid& f, double T, double p, bool by_T) {
    const double value = by_T ? T : p, own = by_T ? std::log(p) : -std::log(T);
    tp_decision d{phase_kind::none, line_estimate(f, true, by_T, value), line_estimate(f, false, by_T, value), by_T,
                  false};
    if (!d.bubble || !d.dew) {
        if (!by_T) below_envelope(f, T);
        return decide_by_lines(f, T, p, false);
    }
    const auto line = [&](const two_phase& s) { return by_T ? std::log(s.p) : -std::log(s.T); };
    if (std::fabs(own - line(*d.bubble)) < NEAR_LINE) d.bubble = line_exact(f, true, by_T, value), d.near = true;
    if (std::fabs(own - line(*d.dew)) < NEAR_LINE) d.dew = line_exact(f, false, by_T, value), d.near = true;
    const double on_line = ON_LINE * std::fabs(line(*d.bubble) - line(*d.dew));
    d.phase = own > line(*d.bubble) - on_line ? phase_kind::liquid
              : own < line(*d.dew) + on_line  ? phase_kind::gas
                                              : phase_kind::two_phase;
    return d;
}

tp_decision decide(const mixture_fluid& f, double T, double p) {
    const envelope_data& e = f.envelope;
    if (in_refused_box(f, T, p)) refuse_near_critical();
    if (T > e.cricondentherm.T || p > e.cricondenbar.p) return {outside_phase(f, T, p), {}, {}, true, false};
    if (T < e.T_low) {
        // Below the lower limit only a liquid above the bubble pressure there is decided.
        if (p > std::exp(e.points.back().v(ln_p_index(size_of(f))))) return {phase_kind::liquid, {}, {}, true, false};
        below_envelope(f, T);
    }
    if (T < f.T_refused) return decide_by_lines(f, T, p, true);
    return decide_by_lines(f, T, p, false);
}

// Two phases, or the single phase whose density the split's larger phase
// started.
mixture_state on_line_or_split(const mixture_fluid& f, mixture_state s) {
    if (!s.split) s.rho = mixture_density(f.model, s.T, s.p, f.z, s.rho);
    return s;
}

mixture_state tp_flash(const mixture_fluid& f, double T, double p) {
    const tp_decision d = decide(f, T, p);
    if (d.phase == phase_kind::two_phase) {
        const double t = d.by_T ? (std::log(d.bubble->p / p)) / std::log(d.bubble->p / d.dew->p)
                                : (T - d.bubble->T) / (d.dew->T - d.bubble->T);
        return on_line_or_split(f, solve_two_phase(f, {spec::T, T}, {spec::p, p}, *d.bubble, *d.dew, t));
    }
    std::optional<double> start;
    // A liquid above the cricondenbar has no bubble point to start from: it
    // starts on the dense side, as the gas's start can reach a spurious root
    // of the equation (of absurd, and so lowest, Gibbs energy).
    if (d.phase == phase_kind::liquid) start = d.bubble ? d.bubble->rho_x : LIQUID_START * f.envelope.rho_critical;
    if (d.phase == phase_kind::gas) start = d.dew ? std::min(d.dew->rho_y, p / (R_MIXTURE * T)) : p / (R_MIXTURE * T);
    const double rho = single_density(f, T, p, start);
    if (d.near) {
        const bool liquid = d.phase == phase_kind::liquid;
        // A phase split the lines did not show: two phases, started from the line's side.
        if (unstable(f, T, p, rho, liquid ? *d.bubble : *d.dew, liquid))
            return on_line_or_split(f, solve_two_phase(f, {spec::T, T}, {spec::p, p}, *d.bubble, *d.dew,
                                                       liquid ? 1e-3 : 1 - 1e-3));
    }
    return single_state(T, p, rho, d.phase);
}

// ---- Given p and h or s ------------------------------------------------------

double value_of(const mixture_phase& ph, spec kind) { return kind == spec::h ? ph.h : ph.s; }
double slope_of(const mixture_phase& ph, spec kind, double T) { return kind == spec::h ? ph.cp : ph.cp / T; }

// The same by Newton's method in T and ln rho at once, p and the value its
// two equations: one evaluation of the model a step, no density solved in
// between. Nothing where a step leaves (lo, hi), meets a state of falling
// pressure along the isotherm or does not converge within a few steps.
std::optional<mixture_state> single_jointly(const mixture_fluid& f, double p, const target& t, double T, double rho,
                                            double lo, double hi, phase_kind phase) {
    for (int it = 0; it < JOINT_ITERATIONS; ++it) {
        const mixture_phase ph = mixture_phase_at(f.model, T, rho, f.z);
        if (!(ph.p_rho > 0)) return std::nullopt;
        // By T at constant rho and by ln rho at constant T.
        const bool h = t.kind == spec::h;
        const double p_T = ph.p_T, p_l = rho * ph.p_rho;
        const double v_T = h ? ph.cv + ph.p_T / rho : ph.cv / T, v_l = h ? ph.p_rho - T * ph.p_T / rho : -ph.p_T / rho;
        const double F_p = ph.p - p, F_v = value_of(ph, t.kind) - t.value, det = p_T * v_l - p_l * v_T;
        if (!(std::fabs(det) > 0)) return std::nullopt;
        double dT = -(v_l * F_p - p_l * F_v) / det, dl = -(p_T * F_v - v_T * F_p) / det, scale = 1;
        if (!std::isfinite(dT) || !std::isfinite(dl)) return std::nullopt;
        if (std::fabs(dl) > 0.5) scale = 0.5 / std::fabs(dl);
        if (std::fabs(dT) * scale > 0.2 * T) scale = 0.2 * T / std::fabs(dT);
        dT *= scale, dl *= scale;
        if (!(T + dT > lo && T + dT < hi)) return std::nullopt;
        T += dT;
        rho *= std::exp(dl);
        // The next step would be of the order of this one squared.
        if (scale == 1 && std::fabs(dT) <= 1e-10 * T && std::fabs(dl) <= 1e-10) return single_state(T, p, rho, phase);
    }
    return std::nullopt;
}

// The density of the single phase of z at (T, p) as the state (T, p) has
// it; rho where (T, p) lies on a line to the lines' last digits.
double density_as_at_T(const mixture_fluid& f, double T, double p, double rho) {
    const mixture_state s = tp_flash(f, T, p);
    return s.split ? mixture_density(f.model, T, p, f.z, rho) : s.rho;
}

// The single phase of z at p whose h or s is the target: jointly in T and
// rho from (T, rho) where that reaches the state (T, p) names at its T.
// Otherwise (the steps left the range or reached another root of the
// equation, of absurd properties), by Newton's method in T with the density
// of (T, p) at each step, kept inside (lo, hi) by bisection.
mixture_state single_by_p(const mixture_fluid& f, double p, const target& t, double T, double rho, double lo,
                          double hi, phase_kind phase) {
    if (const auto s = single_jointly(f, p, t, T, rho, lo, hi, phase)) {
        if (std::fabs(density_as_at_T(f, s->T, p, s->rho) / s->rho - 1) <= 1e-9) return *s;
    }
    clear_fp();  // what the joint steps raised is not the state's
    for (int it = 0; it < SINGLE_ITERATIONS; ++it) {
        rho = density_as_at_T(f, T, p, rho);
        const mixture_phase ph = mixture_phase_at(f.model, T, rho, f.z);
        const double r = value_of(ph, t.kind) - t.value;
        (r > 0 ? hi : lo) = T;
        double next = T - r / slope_of(ph, t.kind, T);
        if (!(next > lo && next < hi)) next = std::isfinite(hi) ? 0.5 * (lo + hi) : 2 * T;
        if (std::fabs(next - T) <= 1e-12 * T) return single_state(next, p, density_as_at_T(f, next, p, rho), phase);
        T = next;
    }
    throw error(error_kind::no_convergence, message_id::state_no_convergence);
}

double molar_value(const mixture_fluid& f, const two_phase& line, bool bubble, spec kind) {
    const double rho = bubble ? line.rho_x : line.rho_y;
    const molar_caloric c = caloric_of(f.model, line.T, rho, f.z);
    return kind == spec::h ? c.h : c.s;
}

// From p_refused up, outside the critical neighbourhood: the liquid below
// T_refused or the fluid above the neighbourhood's T. Up to the
// cricondenbar the isobar may enter the envelope below T_refused: the
// liquid then ends (as the lines are estimated, so with a margin) at the
// bubble point, and the two phases beyond it are refused with the others
// named by such a p.
mixture_state above_envelope_by_p(const mixture_fluid& f, double p, const target& t) {
    const double T_high = f.envelope.cricondentherm.T * (1 + MIXTURE_CRITICAL_BAND);
    const bool boxed = p <= f.envelope.cricondenbar.p * (1 + MIXTURE_CRITICAL_BAND);
    double T_edge = f.T_refused * (1 - 1e-9);
    if (const auto b = line_estimate(f, true, false, p); boxed && b && b->T < f.T_refused)
        T_edge = b->T * (1 - T_MARGIN);
    const mixture_state low = tp_flash(f, boxed ? T_edge : f.envelope.critical.T, p);
    if (low.split) refuse_near_critical();
    const mixture_phase at_low = mixture_phase_at(f.model, low.T, low.rho, f.z);
    if (value_of(at_low, t.kind) >= t.value)
        return single_by_p(f, p, t, low.T, low.rho, 0.5 * f.envelope.T_low, low.T, low.phase);
    if (!boxed) return single_by_p(f, p, t, low.T, low.rho, low.T, INFINITY, outside_phase(f, low.T * 1.01, p));
    const mixture_state high = tp_flash(f, T_high * (1 + 1e-9), p);
    if (value_of(mixture_phase_at(f.model, high.T, high.rho, f.z), t.kind) <= t.value)
        return single_by_p(f, p, t, high.T, high.rho, high.T, INFINITY, high.phase);
    refuse_near_critical();
}

// The error of a state at p where the lines say nothing of it.
error outside_at_p(const mixture_fluid& f, double p) {
    return error(error_kind::input, message_id::outside_two_phase_range,
                 {named_value("p", p, quantity::pressure),
                  number_value(std::exp(f.envelope.points.front().v(ln_p_index(size_of(f)))), quantity::pressure),
                  number_value(f.p_refused, quantity::pressure)});
}

// Below the lowest pressure of the bubble line (d the dew line's point at
// p), or of both lines (no d), where the bubble point at p lies below T_low:
// a gas beyond the dew point, or from T_low up where the dew line does not
// reach p either; two phases at T_low and above, started between the dew
// point at p and the bubble point at T_low. Otherwise `outside`, as (T, p)
// below T_low.
mixture_state below_bubble_line(const mixture_fluid& f, double p, const target& t, const std::optional<two_phase>& d,
                                const error& outside) {
    const double T_low = f.envelope.T_low * (1 + 1e-9);
    if (!d) {
        const mixture_state gas = tp_flash(f, T_low, p);
        if (gas.split || value_of(mixture_phase_at(f.model, gas.T, gas.rho, f.z), t.kind) > t.value) throw outside;
        return single_by_p(f, p, t, gas.T, gas.rho, gas.T, INFINITY, gas.phase);
    }
    const two_phase dew = line_exact(f, false, false, p), bubble = line_exact(f, true, true, T_low);
    const double vd = molar_value(f, dew, false, t.kind), vb = molar_value(f, bubble, true, t.kind);
    if (t.value >= vd) return single_by_p(f, p, t, dew.T, dew.rho_y, dew.T * (1 - 1e-9), INFINITY, phase_kind::gas);
    if (t.value <= vb) throw outside;
    const mixture_state s = solve_two_phase(f, {spec::p, p}, t, bubble, dew, (t.value - vb) / (vd - vb));
    if (!s.split || s.T < T_low) throw outside;
    if (s.T > dew.T * (1 + T_MARGIN)) throw error(error_kind::no_convergence, message_id::state_no_convergence);
    return s;
}

mixture_state flash_by_p(const mixture_fluid& f, double p, const target& t) {
    if (p >= f.p_refused) return above_envelope_by_p(f, p, t);
    auto d = line_estimate(f, false, false, p);
    if (!d) return below_bubble_line(f, p, t, d, outside_at_p(f, p));
    // Far beyond the dew value, a gas without the bubble point: FAR_BEYOND
    // is a hundred times the width of NEAR_LINE of a span between the lines
    // of a latent heat of some RT (or R in s).
    double vd = molar_value(f, *d, false, t.kind);
    if (t.value > vd + FAR_BEYOND * R_MIXTURE * (t.kind == spec::h ? d->T : 1))
        return single_by_p(f, p, t, d->T, d->rho_y, d->T * (1 - 1e-9), INFINITY, phase_kind::gas);
    auto b = line_estimate(f, true, false, p);
    if (!b) return below_bubble_line(f, p, t, d, outside_at_p(f, p));
    double vb = molar_value(f, *b, true, t.kind);
    const double near = NEAR_LINE * std::fabs(vd - vb);
    if (std::fabs(t.value - vb) < near) b = line_exact(f, true, false, p), vb = molar_value(f, *b, true, t.kind);
    if (std::fabs(t.value - vd) < near) d = line_exact(f, false, false, p), vd = molar_value(f, *d, false, t.kind);
    // A value on a line, to ON_LINE of the span between the lines, is that
    // line's phase: a phase of no share is no state to solve for.
    const double on_line = ON_LINE * std::fabs(vd - vb);
    if (t.value <= vb + on_line)
        return single_by_p(f, p, t, b->T, b->rho_x, 0.5 * f.envelope.T_low, b->T * (1 + 1e-9), phase_kind::liquid);
    if (t.value >= vd - on_line)
        return single_by_p(f, p, t, d->T, d->rho_y, d->T * (1 - 1e-9), INFINITY, phase_kind::gas);
    const mixture_state s = solve_two_phase(f, {spec::p, p}, t, *b, *d, (t.value - vb) / (vd - vb));
    // Two phases at p lie between the bubble and the dew temperature (as
    // estimated, so with a margin).
    if (s.split && (s.T < b->T * (1 - T_MARGIN) || s.T > d->T * (1 + T_MARGIN)))
        throw error(error_kind::no_convergence, message_id::state_no_convergence);
    if (s.split) return s;
    const bool liquid = s.phase == phase_kind::liquid;
    return single_by_p(f, p, t, s.T, s.rho, liquid ? 0.5 * f.envelope.T_low : d->T * (1 - 1e-9),
                       liquid ? b->T * (1 + 1e-9) : INFINITY, s.phase);
}

// ---- Given T or p and x, and T and rho ---------------------------------------

mixture_state saturated(const two_phase& s, bool bubble) {
    mixture_state out;
    out.T = s.T;
    out.p = s.p;
    out.beta = bubble ? 0 : 1;
    out.rho = bubble ? s.rho_x : s.rho_y;
    out.phase = phase_kind::two_phase;
    out.split = s;
    return out;
}

mixture_state flash_by_x(const mixture_fluid& f, bool at_T, double value, double x) {
    if (value >= (at_T ? f.T_refused : f.p_refused) &&
        value <= (at_T ? f.envelope.cricondentherm.T : f.envelope.cricondenbar.p))
        refuse_near_critical();
    if (x == 0 || x == 1) {
        mixture_state s = saturated(line_exact(f, x == 0, at_T, value), x == 0);
        (at_T ? s.T : s.p) = value;  // as given, not through its logarithm
        (at_T ? s.split->T : s.split->p) = value;
        return s;
    }
    const two_phase d = line_exact(f, false, at_T, value);
    const double T_low = f.envelope.T_low * (1 + 1e-9);
    // Below the bubble line's lowest pressure, as (p, h) does: started from
    // the bubble point at T_low, two phases at T_low and above.
    const bool below = !at_T && value < std::exp(f.envelope.points.back().v(ln_p_index(size_of(f))));
    const two_phase b = below ? line_exact(f, true, true, T_low) : line_exact(f, true, at_T, value);
    const mixture_state s = solve_two_phase(f, {at_T ? spec::T : spec::p, value}, {spec::x, x}, b, d, x);
    if (below && (!s.split || s.T < T_low)) throw outside_at_p(f, value);
    if (below && s.T > d.T * (1 + T_MARGIN)) throw error(error_kind::no_convergence, message_id::state_no_convergence);
    return s;
}

mixture_state flash_by_T_rho(const mixture_fluid& f, double T, double rho) {
    const auto single = [&](phase_kind phase) {
        const mixture_phase ph = mixture_phase_at(f.model, T, rho, f.z);
        return single_state(T, ph.p, rho, phase);
    };
    if (T > f.envelope.cricondentherm.T) {
        const mixture_state s = single(phase_kind::gas);
        if (in_refused_box(f, T, s.p)) refuse_near_critical();
        return single_state(T, s.p, rho, outside_phase(f, T, s.p));
    }
    if (T < f.envelope.T_low) {
        const mixture_state s = single(phase_kind::liquid);
        if (decide(f, T, s.p).phase != phase_kind::liquid) below_envelope(f, T);
        return s;
    }
    if (T >= f.T_refused) {
        // Single phases only, decided by (T, p); the two-phase states here are refused.
        const mixture_state s = single(phase_kind::gas);
        const tp_decision d = decide(f, T, s.p);
        if (d.phase == phase_kind::two_phase) refuse_near_critical();
        return single_state(T, s.p, rho, d.phase);
    }
    const two_phase b = line_exact(f, true, true, T), d = line_exact(f, false, true, T);
    if (rho >= b.rho_x) return single(phase_kind::liquid);
    if (rho <= d.rho_y) return single(phase_kind::gas);
    const double t = (1 / rho - 1 / b.rho_x) / (1 / d.rho_y - 1 / b.rho_x);
    return solve_two_phase(f, {spec::T, T}, {spec::rho, rho}, b, d, t);
}

}  // namespace

mixture_phase mixture_phase_at(const mixture_model& m, double T, double rho, const std::vector<double>& x) {
    return mixture_phase_at(m, mixture_evaluator<double>(m, T, x), T, rho, x);
}

mixture_phase mixture_phase_at(const mixture_model& m, const mixture_evaluator<double>& e, double T, double rho,
                               const std::vector<double>& x) {
    const alpha_set<double> a = e.alpha(rho);
    const ideal_mixture g = ideal_of(m, T, rho, x);
    mixture_phase ph;
    const double RT = R_MIXTURE * T;
    ph.p = rho * RT * (1 + a.d);
    ph.h = g.caloric.h + RT * (a.t + a.d);
    ph.s = g.caloric.s + R_MIXTURE * (a.t - a.a);
    ph.cv = g.cp - g.R - R_MIXTURE * a.tt;
    ph.p_rho = RT * (1 + 2 * a.d + a.dd);
    ph.p_T = rho * R_MIXTURE * (1 + a.d - a.dt);
    ph.cp = ph.cv + T * ph.p_T * ph.p_T / (rho * rho * ph.p_rho);
    return ph;
}

equilibrium_error equilibrium_error_of(const two_phase& s, const phase_terms& X, const phase_terms& Y) {
    equilibrium_error e;
    for (std::size_t i = 0; i < s.x.size(); ++i)
        e.fugacity = std::max(e.fugacity, std::fabs(std::log(s.y[i] / s.x[i]) + Y.G[i] - X.G[i]));
    for (const phase_terms* t : {&X, &Y})
        e.pressure = std::max(e.pressure, std::fabs(t->pressure - s.p) / (s.p + DENSITY_DIGITS * t->rho_p_rho));
    return e;
}

mixture_state mixture_flash(const mixture_fluid& f, input_pair pair, double first, double second) {
    try {
        switch (pair) {
            case input_pair::T_p: return tp_flash(f, first, second);
            case input_pair::p_h: return flash_by_p(f, first, {spec::h, second});
            case input_pair::p_s: return flash_by_p(f, first, {spec::s, second});
            case input_pair::T_x: return flash_by_x(f, true, first, second);
            case input_pair::p_x: return flash_by_x(f, false, first, second);
            case input_pair::T_rho: return flash_by_T_rho(f, first, second);
            case input_pair::h_s: break;
        }
    } catch (const error& e) {
        // The message of a state that did not converge quotes the pair's values.
        if (e.id() != message_id::state_no_convergence || !e.values().empty()) throw;
        throw error(e.kind(), e.id(), {pair_values(pair, first, second)});
    }
    throw error(error_kind::input, message_id::invalid_pair);
}

}  // namespace vantrel::detail
