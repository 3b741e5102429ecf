#include "engine/mixture_equilibrium.h"

#include <algorithm>
#include <cmath>

#include "engine/states.h"

namespace vantrel::detail {

namespace {

constexpr int DENSITY_ITERATIONS = 200;      // as the message says
constexpr int EQUILIBRIUM_ITERATIONS = 100;  // as the message says

// The equations at v, F_i = ln K_i + G_i(y) - G_i(x), F_n = sum w - 1 of
// the incipient phase w (bubble: w = z K; dew: w = z/K), F_n+1, F_n+2 =
// P(x), P(y), and F_n+3 = v_held - value, with their Jacobian if asked for.
struct newton_system {
    Eigen::VectorXd F;
    Eigen::MatrixXd J;
    two_phase state;
};

newton_system equations(const mixture_model& m, const std::vector<double>& z, bool bubble, const Eigen::VectorXd& v,
                        int held, double value, bool jacobian) {
    const std::size_t n = z.size();
    per_component<double> w(n);
    std::vector<double> wn(n);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += w[i] = bubble ? z[i] * std::exp(v(i)) : z[i] / std::exp(v(i));
    for (std::size_t i = 0; i < n; ++i) wn[i] = w[i] / sum;
    const double T = std::exp(v(n)), p = std::exp(v(n + 1));
    newton_system s{Eigen::VectorXd(n + 4), Eigen::MatrixXd::Zero(n + 4, n + 4),
                    {T, p, bubble ? z : wn, bubble ? wn : z, std::exp(v(n + 2)), std::exp(v(n + 3))}};
    const phase_terms X = phase_at(m, T, p, s.state.rho_x, s.state.x, jacobian);
    const phase_terms Y = phase_at(m, T, p, s.state.rho_y, s.state.y, jacobian);
    for (std::size_t i = 0; i < n; ++i) s.F(i) = v(i) + Y.G[i] - X.G[i];
    s.F(n) = sum - 1;
    s.F(n + 1) = X.P;
    s.F(n + 2) = Y.P;
    s.F(n + 3) = v(held) - value;
    if (!jacobian) return s;
    // The incipient phase's composition moves with ln K_j: dx_k = sign wn_k (delta_kj - wn_j).
    const double sign = bubble ? 1 : -1;
    const phase_terms& incipient = bubble ? Y : X;
    const double side = bubble ? 1 : -1;  // the incipient phase's G enters F with this sign
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) s.J(i, j) = (i == j) + side * sign * wn[j] * incipient.G_x[i][j];
        s.J(i, n) = Y.G_T[i] - X.G_T[i];
        s.J(i, n + 2) = -X.G_rho[i];
        s.J(i, n + 3) = Y.G_rho[i];
        s.J(n, i) = sign * w[i];
    }
    const phase_terms* phases[2] = {&X, &Y};
    for (int k = 0; k < 2; ++k) {
        const phase_terms& ph = *phases[k];
        const std::size_t row = n + 1 + k;
        s.J(row, n) = ph.P_T;
        s.J(row, n + 1) = ph.P_p;
        s.J(row, n + 2 + k) = ph.P_rho;
        if (&ph == &incipient)
            for (std::size_t j = 0; j < n; ++j) s.J(row, j) = sign * wn[j] * ph.P_x[j];
    }
    s.J(n + 3, held) = 1;
    return s;
}

// A step of at most a factor e in K, p and the densities, 5 % in T.
double step_scale(const Eigen::VectorXd& dv, std::size_t n) {
    double largest = dv.cwiseAbs().maxCoeff();
    largest = std::max(largest, std::fabs(dv(n)) / 0.05);
    return largest > 1 ? 1 / largest : 1;
}

double density_at(const mixture_evaluator<double>& e, double T, double p, double rho_start) {
    double rho = rho_start;
    // Where dp/drho is not positive, the start's side: up on the dense side of the reducing density.
    const double away = rho_start * e.v_r().y > 1 ? 0.1 : -0.1;
    for (int it = 0; it < DENSITY_ITERATIONS; ++it) {
        const alpha_set<double> a = e.alpha(rho);
        const double rt = rho * R_MIXTURE * T;
        const double slope = rt * (1 + 2 * a.d + a.dd);  // dp/d ln rho
        const double step = slope > 0 ? std::clamp((p - rt * (1 + a.d)) / slope, -0.5, 0.5) : away;
        rho *= std::exp(step);
        // Converged: the next step would be of the order of this one squared.
        if (std::fabs(step) < 1e-9) return rho;
    }
    throw error(error_kind::no_convergence, message_id::density_no_convergence);
}

// Start values from Raoult's law with the components' saturation states at
// T, the densities of both phases solved at its pressure.
Eigen::VectorXd raoult_start(const mixture_model& m, double T, const std::vector<double>& z, bool bubble) {
    const std::size_t n = z.size();
    std::vector<double> p_sat(n);
    double v_liquid = 0, sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const mixture_component& c = m.components[i];
        const auto s = solve_saturation(*c.fluid, given::T, T);
        if (!s || !s->omega_1 || !s->omega_2)
            throw error(error_kind::input, message_id::dome_not_computed, {text_value(c.name)});
        p_sat[i] = s->p;
        v_liquid += z[i] / (std::max(*s->omega_1, *s->omega_2) * c.rho_r);
        sum += bubble ? z[i] * p_sat[i] : z[i] / p_sat[i];
    }
    two_phase s{T, bubble ? sum : 1 / sum, std::vector<double>(n), std::vector<double>(n), 0, 0};
    double w_sum = 0;
    for (std::size_t i = 0; i < n; ++i) w_sum += (bubble ? s.y : s.x)[i] = z[i] * std::pow(p_sat[i] / s.p, bubble ? 1 : -1);
    for (double& w : bubble ? s.y : s.x) w /= w_sum;
    (bubble ? s.x : s.y) = z;
    s.rho_x = density_at(mixture_evaluator<double>(m, T, s.x), T, s.p, 1 / v_liquid);
    s.rho_y = density_at(mixture_evaluator<double>(m, T, s.y), T, s.p, s.p / (R_MIXTURE * T));
    return unknowns_of(s);
}

two_phase saturation_point(const mixture_model& m, double T, const std::vector<double>& z, bool bubble) {
    const Eigen::VectorXd start = raoult_start(m, T, z, bubble);
    const int held = ln_T_index(z.size());
    const two_phase s = solve_equilibrium(m, z, bubble, start, held, start(held), EQUILIBRIUM_ITERATIONS).state;
    if (std::fabs(s.rho_x / s.rho_y - 1) < 1e-6)
        throw error(error_kind::no_convergence, message_id::equilibrium_trivial);
    return s;
}

}  // namespace

namespace {

// The phase's molar h and s with their derivatives: the ideal-gas part's
// (h_i and s_i of the components, c_p and R), the residual part's by
// delta d/d delta and tau d/d tau of RT(a_tau + a_delta) and R(a_tau - a),
// and by the composition through the reducing functions and a_x.
void add_caloric(phase_terms& t, const mixture_model& m, const mixture_residual<double>& r,
                 const std::vector<double>& x, bool jacobian) {
    const std::size_t n = x.size();
    const ideal_mixture g = ideal_of(m, r.T, r.rho, x);
    const alpha_set<double>& a = r.alpha;
    const double RT = R_MIXTURE * r.T;
    t.h = g.caloric.h + RT * (a.t + a.d);
    t.s = g.caloric.s + R_MIXTURE * (a.t - a.a);
    if (!jacobian) return;
    t.h_T = r.T * g.cp + RT * (a.d - a.tt - a.dt);
    t.h_rho = RT * (a.dt + a.d + a.dd);
    t.s_T = g.cp - g.R - R_MIXTURE * a.tt;
    t.s_rho = -g.R + R_MIXTURE * (a.dt - a.d);
    const per_component<double> V = reducing_shares(r.v_r, x), Tn = reducing_shares(r.T_r, x);
    alpha_set<double> mean;
    for (std::size_t k = 0; k < n; ++k) mean.add(x[k], r.alpha_x[k]);
    t.h_x.resize(n);
    t.s_x.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
        const alpha_set<double>& aj = r.alpha_x[j];
        t.h_x[j] = g.h[j] - g.caloric.h +
                   RT * ((a.dt + a.d + a.dd) * V[j] + (a.t + a.tt + a.dt) * Tn[j] + aj.t + aj.d - mean.t - mean.d);
        t.s_x[j] = g.s[j] - g.caloric.s +
                   R_MIXTURE * ((a.dt - a.d) * V[j] + a.tt * Tn[j] + aj.t - aj.a - mean.t + mean.a);
    }
}

}  // namespace


phase_terms phase_at(const mixture_model& m, double T, double p, double rho, const std::vector<double>& x,
                     bool jacobian, bool caloric) {
    const auto r = mixture_evaluator<double>(m, T, x).at(rho);
    const auto q = shares_of(r, x);
    const alpha_set<double>& a = r.alpha;
    const double z = 1 + a.d;
    const std::size_t n = x.size();
    phase_terms t;
    const double ideal = p / (rho * R_MIXTURE * T), scale = 1 / (1 + std::fabs(a.d));
    t.P = scale * (z - ideal);
    t.pressure = rho * R_MIXTURE * T * z;
    t.rho_p_rho = rho * R_MIXTURE * T * (1 + 2 * a.d + a.dd);
    t.G.resize(n);
    for (std::size_t i = 0; i < n; ++i) t.G[i] = std::log(rho) + q.q[i];
    if (caloric) add_caloric(t, m, r, x, jacobian);
    if (!jacobian) return t;
    const auto q_n = share_n_derivatives(r, x);
    const auto p_n = pressure_n_derivatives(r, x);
    t.G_rho.resize(n);
    t.G_T.resize(n);
    t.G_x.assign(n, per_component<double>(n));
    t.P_x.resize(n);
    t.P_rho = scale * (a.d + a.dd + ideal);
    t.P_T = scale * (ideal - a.dt);
    t.P_p = -scale * ideal;
    for (std::size_t j = 0; j < n; ++j) t.P_x[j] = scale * (p_n[j] - z - a.d - a.dd);
    for (std::size_t i = 0; i < n; ++i) {
        t.G_rho[i] = 1 + q.rho_drho[i];
        t.G_T[i] = q.T_dT[i];
        for (std::size_t j = 0; j < n; ++j) t.G_x[i][j] = q_n[i][j] - q.rho_drho[i];
    }
    return t;
}


double mixture_density(const mixture_model& m, double T, double p, const std::vector<double>& x,
                       double rho_start) {
    return density_at(mixture_evaluator<double>(m, T, x), T, p, rho_start);
}

double mixture_density(const mixture_evaluator<double>& e, double T, double p, double rho_start) {
    return density_at(e, T, p, rho_start);
}

Eigen::VectorXd unknowns_of(const two_phase& s) {
    const std::size_t n = s.x.size();
    Eigen::VectorXd v(n + 4);
    for (std::size_t i = 0; i < n; ++i) v(i) = std::log(s.y[i] / s.x[i]);
    v(n) = std::log(s.T);
    v(n + 1) = std::log(s.p);
    v(n + 2) = std::log(s.rho_x);
    v(n + 3) = std::log(s.rho_y);
    return v;
}

equilibrium_solution solve_equilibrium(const mixture_model& m, const std::vector<double>& z, bool bubble,
                                       const Eigen::VectorXd& start, int held, double value, int max_iterations,
                                       double tolerance) {
    const std::size_t n = z.size();
    Eigen::VectorXd v = start;
    v(held) = value;
    Eigen::PartialPivLU<Eigen::MatrixXd> lu;
    // After a step small enough for the next to be of the order of its
    // square, the equations alone are evaluated: the check that they hold.
    bool check_only = false;
    for (int it = 1; it <= max_iterations; ++it) {
        newton_system s = equations(m, z, bubble, v, held, value, !check_only);
        if (s.F.cwiseAbs().maxCoeff() < tolerance) {
            if (!check_only) lu.compute(s.J);
            Eigen::VectorXd e = Eigen::VectorXd::Zero(n + 4);
            e(n + 3) = 1;
            return {s.state, v, lu.solve(e), it};  // the tangent of the last Jacobian
        }
        if (check_only) s = equations(m, z, bubble, v, held, value, true);
        lu.compute(s.J);
        Eigen::VectorXd dv = lu.solve(-s.F);
        if (!dv.allFinite()) throw error(error_kind::no_convergence, message_id::equilibrium_singular);
        const double scale = step_scale(dv, n);
        v += scale * dv;
        check_only = scale == 1 && dv.cwiseAbs().maxCoeff() < 1e-7;
    }
    throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
}

two_phase bubble_point(const mixture_model& m, double T, const std::vector<double>& x) {
    return saturation_point(m, T, x, true);
}

two_phase dew_point(const mixture_model& m, double T, const std::vector<double>& y) {
    return saturation_point(m, T, y, false);
}

}  // namespace vantrel::detail
