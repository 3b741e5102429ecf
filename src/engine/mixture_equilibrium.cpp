#include "engine/mixture_equilibrium.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

#include "engine/states.h"

namespace vantrel::detail {

namespace {

constexpr int DENSITY_ITERATIONS = 200;      // as the message says
constexpr int EQUILIBRIUM_ITERATIONS = 100;  // as the message says

// Start values from Raoult's law with the components' saturation states at T.
struct start_values {
    double p = 0, rho_liquid = 0, rho_vapour = 0;
    std::vector<double> ln_K;
};

start_values raoult_start(const mixture_model& m, double T, const std::vector<double>& z, bool bubble) {
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
    start_values out{bubble ? sum : 1 / sum, 1 / v_liquid, 0, std::vector<double>(n)};
    out.rho_vapour = out.p / (R_MIXTURE * T);
    for (std::size_t i = 0; i < n; ++i) out.ln_K[i] = std::log(p_sat[i] / out.p);
    return out;
}

// The equations F_i = ln K_i + ln phi_i(vapour) - ln phi_i(liquid), F_n =
// sum w - 1 of the incipient phase w (bubble: w = z K; dew: w = z/K) and
// their Jacobian by (ln K, ln p).
struct newton_system {
    Eigen::VectorXd F;
    Eigen::MatrixXd J;
    two_phase state;
};

newton_system equations(const mixture_model& m, double T, const std::vector<double>& z, bool bubble,
                        const Eigen::VectorXd& v, double rho_liquid, double rho_vapour) {
    const std::size_t n = z.size();
    std::vector<double> w(n);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += w[i] = bubble ? z[i] * std::exp(v(i)) : z[i] / std::exp(v(i));
    std::vector<double> wn(n);
    for (std::size_t i = 0; i < n; ++i) wn[i] = w[i] / sum;
    const double p = std::exp(v(n));
    newton_system s{Eigen::VectorXd(n + 1), Eigen::MatrixXd::Zero(n + 1, n + 1),
                    {T, p, bubble ? z : wn, bubble ? wn : z, 0, 0}};
    const phase_state L = phase_at(m, T, p, s.state.x, rho_liquid);
    const phase_state V = phase_at(m, T, p, s.state.y, rho_vapour);
    s.state.rho_liquid = L.rho;
    s.state.rho_vapour = V.rho;
    const phase_state& incipient = bubble ? V : L;
    for (std::size_t i = 0; i < n; ++i) {
        s.F(i) = v(i) + V.ln_phi[i] - L.ln_phi[i];
        for (std::size_t j = 0; j < n; ++j) s.J(i, j) = (i == j) + wn[j] * incipient.n_derivatives[i][j];
        s.J(i, n) = V.p_derivatives[i] - L.p_derivatives[i];
        s.J(n, i) = bubble ? w[i] : -w[i];
    }
    s.F(n) = sum - 1;
    return s;
}

two_phase saturation_point(const mixture_model& m, double T, const std::vector<double>& z, bool bubble) {
    const std::size_t n = z.size();
    const start_values start = raoult_start(m, T, z, bubble);
    Eigen::VectorXd v(n + 1);
    for (std::size_t i = 0; i < n; ++i) v(i) = start.ln_K[i];
    v(n) = std::log(start.p);
    double rho_liquid = start.rho_liquid, rho_vapour = start.rho_vapour;
    for (int it = 0; it < EQUILIBRIUM_ITERATIONS; ++it) {
        const newton_system s = equations(m, T, z, bubble, v, rho_liquid, rho_vapour);
        if (std::fabs(s.state.rho_liquid / s.state.rho_vapour - 1) < 1e-6)  // the trivial solution
            throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
        rho_liquid = s.state.rho_liquid;
        rho_vapour = s.state.rho_vapour;
        Eigen::VectorXd dv = s.J.partialPivLu().solve(-s.F);
        if (!dv.allFinite()) throw error(error_kind::no_convergence, message_id::equilibrium_singular);
        const double largest = dv.cwiseAbs().maxCoeff();
        if (largest > 1) dv /= largest;  // at most a factor e in K or p a step
        v += dv;
        if (largest < 1e-12) return equations(m, T, z, bubble, v, rho_liquid, rho_vapour).state;
    }
    throw error(error_kind::no_convergence, message_id::equilibrium_no_convergence);
}

}  // namespace

double mixture_density(const mixture_model& m, double T, double p, const std::vector<double>& x,
                       double rho_start) {
    double rho = rho_start;
    // Where dp/drho is not positive, the start's side: up on the dense side of the reducing density.
    const double away = rho_start * m.v_r.at(x).y > 1 ? 0.1 : -0.1;
    for (int it = 0; it < DENSITY_ITERATIONS; ++it) {
        const auto r = residual_of(m, T, rho, x);
        const double rt = rho * R_MIXTURE * T;
        const double slope = rt * (1 + 2 * r.alpha.d + r.alpha.dd);  // dp/d ln rho
        const double step = slope > 0 ? std::clamp((p - rt * (1 + r.alpha.d)) / slope, -0.5, 0.5) : away;
        rho *= std::exp(step);
        if (std::fabs(step) < 1e-14) return rho;
    }
    throw error(error_kind::no_convergence, message_id::density_no_convergence);
}

phase_state phase_at(const mixture_model& m, double T, double p, const std::vector<double>& x, double rho_start) {
    phase_state s;
    s.rho = mixture_density(m, T, p, x, rho_start);
    const auto r = residual_of(m, T, s.rho, x);
    const auto f = fugacity_of(r, x);
    const auto a_n = fugacity_n_derivatives(r, x);
    const auto p_n = pressure_n_derivatives(r, x);
    const double p_rho = 1 + 2 * r.alpha.d + r.alpha.dd;  // rho dp/d rho / (rho R T)
    const std::size_t n = x.size();
    s.ln_phi = f.ln_phi;
    s.p_derivatives.resize(n);
    s.n_derivatives.assign(n, std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
        s.p_derivatives[i] = f.rho_drho[i] * (1 + r.alpha.d) / p_rho;
        // At constant p the volume follows n_j: n dV/d n_j / V = n (dp/d n_j) / (rho dp/d rho).
        for (std::size_t j = 0; j < n; ++j) s.n_derivatives[i][j] = a_n[i][j] - f.rho_drho[i] * p_n[j] / p_rho;
    }
    return s;
}

two_phase bubble_point(const mixture_model& m, double T, const std::vector<double>& x) {
    return saturation_point(m, T, x, true);
}

two_phase dew_point(const mixture_model& m, double T, const std::vector<double>& y) {
    return saturation_point(m, T, y, false);
}

}  // namespace vantrel::detail
