#include "engine/phase/equilibrium.h"

#include <algorithm>
#include <cmath>

namespace vantrel::detail {

namespace {

// A step this small has reached the rounding of the unknowns.
constexpr double ROUNDING_STEP = 1e-13;
// The longest step of each kind of unknown: ln K (a bubble or dew point's,
// a factor e), ln m (a split's mole numbers, a factor e^3), ln T (5 %), ln p
// and the ln rho (a factor e); a split's m_i keeps this share of its room
// below z_i.
constexpr double LONGEST_LN_K = 1, LONGEST_LN_M = 3, LONGEST_LN_T = 0.05, LONGEST_OTHER = 1;
constexpr double ROOM_KEPT = 0.9;

struct equations {
    Eigen::VectorXd F;
    Eigen::MatrixXd J;
};

// The incipient phase's fractions w (bubble: z K; dew: z / K) before they are
// normalised, and their sum.
struct incipient_fractions {
    per_component<double> w, wn;
    double sum = 0;
};

incipient_fractions incipient_of(const composition& z, const Eigen::VectorXd& u, bool bubble) {
    const std::size_t n = z.size();
    incipient_fractions f{per_component<double>(n), per_component<double>(n), 0};
    for (std::size_t i = 0; i < n; ++i) f.sum += f.w[i] = bubble ? z[i] * std::exp(u(i)) : z[i] / std::exp(u(i));
    for (std::size_t i = 0; i < n; ++i) f.wn[i] = f.w[i] / f.sum;
    return f;
}

// One component's model at the solve's last T: both phases share its
// factors of tau, and every step does where T is held.
struct one_component {
    std::optional<model_at<double>> at;
    const model_at<double>& of(const model& m, const two_phase& s) {
        if (!at || at->T() != s.T) at.emplace(m, s.T, s.x);
        return *at;
    }
};

// Both phases' terms.
std::pair<phase_terms, phase_terms> both_phases(const model& m, const two_phase& s, bool jacobian, bool caloric,
                                                one_component& one) {
    if (m.size() == 1) {
        const model_at<double>& e = one.of(m, s);
        return {phase_at(e, s.p, s.rho_x, s.x, jacobian, caloric), phase_at(e, s.p, s.rho_y, s.y, jacobian, caloric)};
    }
    return {phase_at(m, s.T, s.p, s.rho_x, s.x, jacobian, caloric), phase_at(m, s.T, s.p, s.rho_y, s.y, jacobian, caloric)};
}

// A bubble or dew point's equations: F_i = ln K_i + G_i(y) - G_i(x), F_n =
// sum w - 1, F_n+1, F_n+2 = P(x), P(y), and F_n+3 = u_held - value; the
// incipient phase's composition moves with ln K_j as dw_k = sign wn_k
// (delta_kj - wn_j).
equations incipient_equations(const equilibrium_problem& q, const Eigen::VectorXd& u, bool jacobian, one_component& one) {
    const std::size_t n = q.z.size();
    const bool bubble = q.by == unknowns::bubble;
    const incipient_fractions f = incipient_of(q.z, u, bubble);
    const two_phase s = state_of(q, u);
    const auto [X, Y] = both_phases(q.m, s, jacobian, false, one);
    equations e{Eigen::VectorXd(n + 4), jacobian ? Eigen::MatrixXd::Zero(n + 4, n + 4) : Eigen::MatrixXd()};
    for (std::size_t i = 0; i < n; ++i) e.F(i) = u(i) + Y.G[i] - X.G[i];
    e.F(n) = f.sum - 1;
    e.F(n + 1) = X.P;
    e.F(n + 2) = Y.P;
    e.F(n + 3) = u(q.a.index) - q.a.value;
    if (!jacobian) return e;
    const double sign = bubble ? 1 : -1;
    const phase_terms& incipient = bubble ? Y : X;
    Eigen::MatrixXd& J = e.J;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) J(i, j) = (i == j) + f.wn[j] * incipient.G_x[i][j];
        J(i, n) = Y.G_T[i] - X.G_T[i];
        J(i, n + 2) = -X.G_rho[i];
        J(i, n + 3) = Y.G_rho[i];
        J(n, i) = sign * f.w[i];
    }
    const phase_terms* phases[2] = {&X, &Y};
    for (int k = 0; k < 2; ++k) {
        const phase_terms& ph = *phases[k];
        const std::size_t row = n + 1 + k;
        J(row, n) = ph.P_T;
        J(row, n + 1) = ph.P_p;
        J(row, n + 2 + k) = ph.P_rho;
        if (&ph == &incipient)
            for (std::size_t j = 0; j < n; ++j) J(row, j) = sign * f.wn[j] * ph.P_x[j];
    }
    J(n + 3, q.a.index) = 1;
    return e;
}

// A split's row of a given value: its residual and its derivatives by u,
// with the vapour's mole numbers v_j as the first n unknowns (the columns
// become those of ln m_j afterwards).
void spec_row(const equilibrium_problem& q, const Eigen::VectorXd& u, const phase_amounts& am, const spec& t,
              double scale, const phase_terms& X, const phase_terms& Y, int row, equations& e, bool jacobian) {
    const std::size_t n = q.z.size();
    const double V = am.V, L = am.L;
    Eigen::VectorXd& F = e.F;
    Eigen::MatrixXd& J = e.J;
    switch (t.kind) {
        case spec_kind::T:
        case spec_kind::p:
        case spec_kind::unknown: {
            const int k = t.kind == spec_kind::T ? ln_T_index(n) : t.kind == spec_kind::p ? ln_p_index(n) : t.index;
            F(row) = u(k) - (t.kind == spec_kind::unknown ? t.value : std::log(t.value));
            if (jacobian) J(row, k) = 1;
            return;
        }
        case spec_kind::h:
        case spec_kind::s: {
            const bool h = t.kind == spec_kind::h;
            F(row) = scale * (L * (h ? X.h : X.s) + V * (h ? Y.h : Y.s) - t.value);
            if (!jacobian) return;
            for (std::size_t j = 0; j < n; ++j)
                J(row, j) = scale * (h ? Y.h - X.h + Y.h_x[j] - X.h_x[j] : Y.s - X.s + Y.s_x[j] - X.s_x[j]);
            J(row, n) = scale * (h ? L * X.h_T + V * Y.h_T : L * X.s_T + V * Y.s_T);
            J(row, n + 2) = scale * L * (h ? X.h_rho : X.s_rho);
            J(row, n + 3) = scale * V * (h ? Y.h_rho : Y.s_rho);
            return;
        }
        case spec_kind::x: {
            const double M = molar_mass(q.m, q.z);
            double mass = 0;
            for (std::size_t j = 0; j < n; ++j) mass += am.v[j] * q.m.M[j];
            F(row) = mass / M - t.value;
            if (jacobian)
                for (std::size_t j = 0; j < n; ++j) J(row, j) = q.m.M[j] / M;
            return;
        }
        case spec_kind::rho: {
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

// A split's equations: ln f_i equal, F_i = ln(y_i/x_i) + G_i(y) - G_i(x);
// both phases at p; the two given values. By the vapour's v_j, dy_k/dv_j =
// (delta_kj - y_k)/V and dx_k/dv_j = -(delta_kj - x_k)/L; by the liquid's
// l_j, the opposite.
equations split_equations(const equilibrium_problem& q, const Eigen::VectorXd& u, double h_scale, bool jacobian,
                          one_component& one) {
    const std::size_t n = q.z.size();
    const phase_amounts am = amounts_of(q.z, u, q.by_liquid);
    const two_phase s = state_of(q, u);
    const auto caloric = [](const spec& t) { return t.kind == spec_kind::h || t.kind == spec_kind::s; };
    const bool with_caloric = caloric(q.a) || caloric(q.b);
    const auto [X, Y] = both_phases(q.m, s, jacobian, with_caloric, one);
    equations e{Eigen::VectorXd(n + 4), jacobian ? Eigen::MatrixXd::Zero(n + 4, n + 4) : Eigen::MatrixXd()};
    const double V = am.V, L = am.L;
    for (std::size_t i = 0; i < n; ++i) e.F(i) = std::log(s.y[i] / s.x[i]) + Y.G[i] - X.G[i];
    e.F(n) = X.P;
    e.F(n + 1) = Y.P;
    for (int k = 0; k < 2; ++k) {
        const spec& t = k ? q.b : q.a;
        const double scale = t.kind == spec_kind::h ? h_scale : 1 / q.m.R;
        spec_row(q, u, am, t, scale, X, Y, static_cast<int>(n) + 2 + k, e, jacobian);
    }
    if (!jacobian) return e;
    Eigen::MatrixXd& J = e.J;
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
    for (std::size_t j = 0; j < n; ++j) J.col(j) *= (q.by_liquid ? -am.l[j] : am.v[j]);
    return e;
}

// The largest fraction of a step: at most a factor e in K, p and the
// densities and 5 % in T (a bubble or dew point); a split's also keeps every
// m_i below z_i (with a margin) and the mole numbers within a factor e^3.
double step_scale(const equilibrium_problem& q, const Eigen::VectorXd& u, const Eigen::VectorXd& du) {
    const std::size_t n = q.z.size();
    const bool split = q.by == unknowns::split;
    double scale = 1;
    for (std::size_t k = 0; k < n + 4; ++k) {
        const double limit = k < n ? (split ? LONGEST_LN_M : LONGEST_LN_K) : k == n ? LONGEST_LN_T : LONGEST_OTHER;
        if (std::fabs(du(k)) * scale > limit) scale = limit / std::fabs(du(k));
    }
    if (!split) return scale;
    for (std::size_t i = 0; i < n; ++i) {
        const double room = std::log(q.z[i]) - u(i);  // ln(z_i / m_i) > 0
        if (scale * du(i) >= room) scale = ROOM_KEPT * room / du(i);
    }
    return scale;
}

equations equations_of(const equilibrium_problem& q, const Eigen::VectorXd& u, double h_scale, bool jacobian,
                       one_component& one) {
    return q.by == unknowns::split ? split_equations(q, u, h_scale, jacobian, one)
                                   : incipient_equations(q, u, jacobian, one);
}

// One component's two phases: the incipient phase is the feed itself (K =
// 1, ln K = 0 throughout), so the rows of ln K and of the fractions' sum drop
// out and four unknowns remain, ln T, ln p, ln rho_x and ln rho_y, with the
// rows G(y) = G(x), both phases at p and the held unknown: the same Newton
// steps as the whole system's, in fixed-size arithmetic.
struct one_component_equations {
    Eigen::Vector4d F;
    Eigen::Matrix4d J;
};

// One component's phase_terms from alpha_r alone: q = alpha + delta
// alpha_delta, the reducing functions constant.
struct pure_phase {
    double G, G_rho, G_T, P, P_rho, P_T, P_p;
};

pure_phase pure_phase_at(const model_at<double>& e, double R, double p, double rho) {
    const alpha_derivatives<double> a = e.alpha(rho);
    const double ideal = p / (rho * R * e.T()), scale = 1 / (1 + std::fabs(a.d));
    return {std::log(rho) + a.a + a.d, 1 + 2 * a.d + a.dd, -(a.t + a.dt), scale * (1 + a.d - ideal),
            scale * (a.d + a.dd + ideal), scale * (ideal - a.dt), -scale * ideal};
}

one_component_equations one_component_at(const equilibrium_problem& q, const Eigen::VectorXd& u, bool jacobian,
                                         one_component& one) {
    const two_phase s{std::exp(u(1)), std::exp(u(2)), q.z, q.z, std::exp(u(3)), std::exp(u(4))};
    const model_at<double>& e = one.of(q.m, s);
    const pure_phase X = pure_phase_at(e, q.m.R, s.p, s.rho_x), Y = pure_phase_at(e, q.m.R, s.p, s.rho_y);
    one_component_equations r{{Y.G - X.G, X.P, Y.P, u(q.a.index) - q.a.value}, Eigen::Matrix4d::Zero()};
    if (!jacobian) return r;
    r.J.row(0) << Y.G_T - X.G_T, 0, -X.G_rho, Y.G_rho;
    r.J.row(1) << X.P_T, X.P_p, X.P_rho, 0;
    r.J.row(2) << Y.P_T, Y.P_p, 0, Y.P_rho;
    r.J(3, q.a.index - 1) = 1;
    return r;
}

equilibrium_solution solve_one_component(const equilibrium_problem& q, Eigen::VectorXd u, const newton_options& o) {
    Eigen::PartialPivLU<Eigen::Matrix4d> lu;
    one_component one;
    bool check_only = false;
    double last_step = INFINITY, step_before = INFINITY;
    for (int it = 1; it <= o.max_iterations; ++it) {
        one_component_equations e = one_component_at(q, u, !check_only, one);
        const double residual = e.F.cwiseAbs().maxCoeff();
        const bool settled = last_step < ROUNDING_STEP || last_step > 0.5 * step_before;
        if (residual < o.tolerance || (residual < o.rounded_tolerance && settled))
            return {state_of(q, u), u, {}, it, false, q.by == unknowns::dew ? 1.0 : 0.0};
        if (check_only) e = one_component_at(q, u, true, one);
        lu.compute(e.J);
        const Eigen::Vector4d du = lu.solve(-e.F);
        if (!du.allFinite()) throw error(error_kind::no_convergence, message_id::equilibrium_singular);
        double scale = 1;
        for (int k = 0; k < 4; ++k) {
            const double limit = k == 0 ? LONGEST_LN_T : LONGEST_OTHER;
            if (std::fabs(du(k)) * scale > limit) scale = limit / std::fabs(du(k));
        }
        u.tail<4>() += scale * du;
        step_before = last_step;
        last_step = scale * du.cwiseAbs().maxCoeff();
        check_only = scale == 1 && du.cwiseAbs().maxCoeff() < o.quadratic;
    }
    throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
}

// The split's state where its smaller phase vanished: the larger phase alone.
equilibrium_solution vanished_state(const equilibrium_problem& q, const Eigen::VectorXd& u, int iterations) {
    const phase_amounts am = amounts_of(q.z, u, q.by_liquid);
    equilibrium_solution out{state_of(q, u), u, {}, iterations, true, am.V};
    return out;
}

}  // namespace

phase_amounts amounts_of(const composition& z, const Eigen::VectorXd& u, bool by_liquid) {
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

two_phase state_of(const equilibrium_problem& q, const Eigen::VectorXd& u) {
    const std::size_t n = q.z.size();
    two_phase s{std::exp(u(n)), std::exp(u(n + 1)), q.z, q.z, std::exp(u(n + 2)), std::exp(u(n + 3))};
    if (q.by == unknowns::split) {
        const phase_amounts a = amounts_of(q.z, u, q.by_liquid);
        for (std::size_t i = 0; i < n; ++i) {
            s.y[i] = a.v[i] / a.V;
            s.x[i] = a.l[i] / a.L;
        }
        return s;
    }
    const bool bubble = q.by == unknowns::bubble;
    (bubble ? s.y : s.x) = incipient_of(q.z, u, bubble).wn;
    return s;
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

equilibrium_solution solve_equilibrium(const equilibrium_problem& q, Eigen::VectorXd u, const newton_options& o) {
    const std::size_t n = q.z.size();
    const bool split = q.by == unknowns::split;
    if (!split) u(q.a.index) = q.a.value;
    if (n == 1 && !split && !o.tangent && q.a.index > 0 && u(0) == 0) return solve_one_component(q, std::move(u), o);
    const double h_scale = 1 / (q.m.R * std::exp(u(n)));
    Eigen::PartialPivLU<Eigen::MatrixXd> lu;
    one_component one;
    bool check_only = false;
    double last_step = INFINITY, step_before = INFINITY;
    for (int it = 1; it <= o.max_iterations; ++it) {
        equations e = equations_of(q, u, h_scale, !check_only, one);
        const double residual = e.F.cwiseAbs().maxCoeff();
        const bool settled = last_step < ROUNDING_STEP || last_step > 0.5 * step_before;
        if (residual < o.tolerance || (residual < o.rounded_tolerance && settled)) {
            Eigen::VectorXd tangent;
            if (!split && o.tangent) {
                if (!check_only) lu.compute(e.J);  // else the last step's, a step of the order of rounding away
                Eigen::VectorXd unit = Eigen::VectorXd::Zero(n + 4);
                unit(n + 3) = 1;
                tangent = lu.solve(unit);
            }
            return {state_of(q, u), u, tangent, it, false, split ? amounts_of(q.z, u, q.by_liquid).V
                                                                : (q.by == unknowns::dew ? 1.0 : 0.0)};
        }
        if (split) {
            const phase_amounts am = amounts_of(q.z, u, q.by_liquid);
            if (std::min(am.V, am.L) < VANISHED) return vanished_state(q, u, it);
        }
        if (check_only) e = equations_of(q, u, h_scale, true, one);
        lu.compute(e.J);
        const Eigen::VectorXd du = lu.solve(-e.F);
        if (!du.allFinite()) throw error(error_kind::no_convergence, message_id::equilibrium_singular);
        const double scale = step_scale(q, u, du);
        u += scale * du;
        step_before = last_step;
        last_step = scale * du.cwiseAbs().maxCoeff();
        check_only = scale == 1 && du.cwiseAbs().maxCoeff() < o.quadratic;
    }
    throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
}

}  // namespace vantrel::detail
