#include "engine/phase/phase_terms.h"

#include <cmath>

#include "engine/model/caloric.h"
#include "engine/model/fugacity.h"

namespace vantrel::detail {

namespace {

// The phase's molar h and s with their derivatives: the ideal-gas part's
// (h_i and s_i of the components, c_p and R), the residual part's by
// delta d/d delta and tau d/d tau of RT(a_tau + a_delta) and R(a_tau - a),
// and by the composition through the reducing functions and a_x.
void add_caloric(phase_terms& t, const model& m, const residual_values<double>& r, const composition& x,
                 bool jacobian) {
    const std::size_t n = x.size();
    const ideal_part g = ideal_of(m, r.T, r.rho, x);
    const alpha_derivatives<double>& a = r.alpha;
    const double RT = m.R * r.T;
    t.h = g.h + RT * (a.t + a.d);
    t.s = g.s + m.R * (a.t - a.a);
    if (!jacobian) return;
    t.h_T = r.T * g.cp + RT * (a.d - a.tt - a.dt);
    t.h_rho = RT * (a.dt + a.d + a.dd);
    t.s_T = g.cp - g.R - m.R * a.tt;
    t.s_rho = -g.R + m.R * (a.dt - a.d);
    const per_component<double> V = n_dlnY_dni(r.v_r, x), Tn = n_dlnY_dni(r.T_r, x);
    alpha_derivatives<double> mean;
    for (std::size_t k = 0; k < n; ++k) mean.add(x[k], r.alpha_x[k]);
    t.h_x.assign(n, 0.0);
    t.s_x.assign(n, 0.0);
    if (n == 1) return;  // one component's composition cannot move: no derivatives by it
    for (std::size_t j = 0; j < n; ++j) {
        const alpha_derivatives<double>& aj = r.alpha_x[j];
        t.h_x[j] = g.h_i[j] - g.h +
                   RT * ((a.dt + a.d + a.dd) * V[j] + (a.t + a.tt + a.dt) * Tn[j] + aj.t + aj.d - mean.t - mean.d);
        t.s_x[j] = g.s_i[j] - g.s + m.R * ((a.dt - a.d) * V[j] + a.tt * Tn[j] + aj.t - aj.a - mean.t + mean.a);
    }
}

}  // namespace

phase_terms phase_at(const model& m, double T, double p, double rho, const composition& x, bool jacobian,
                     bool caloric) {
    return phase_at(model_at<double>(m, T, x), p, rho, x, jacobian, caloric);
}

phase_terms phase_at(const model_at<double>& e, double p, double rho, const composition& x, bool jacobian,
                     bool caloric) {
    const model& m = e.of();
    const double T = e.T();
    const auto r = e.at(rho);
    const auto q = n_dnalphar_dni(r, x);
    const alpha_derivatives<double>& a = r.alpha;
    const double z = 1 + a.d;
    const std::size_t n = x.size();
    phase_terms t;
    const double ideal = p / (rho * m.R * T), scale = 1 / (1 + std::fabs(a.d));
    t.P = scale * (z - ideal);
    t.pressure = rho * m.R * T * z;
    t.rho_p_rho = rho * m.R * T * (1 + 2 * a.d + a.dd);
    t.G.resize(n);
    for (std::size_t i = 0; i < n; ++i) t.G[i] = std::log(rho) + q.q[i];
    if (caloric) add_caloric(t, m, r, x, jacobian);
    if (!jacobian) return t;
    t.G_rho.resize(n);
    t.G_T.resize(n);
    t.G_x.assign(n, per_component<double>(n, 0.0));
    t.P_x.assign(n, 0.0);
    t.P_rho = scale * (a.d + a.dd + ideal);
    t.P_T = scale * (ideal - a.dt);
    t.P_p = -scale * ideal;
    for (std::size_t i = 0; i < n; ++i) {
        t.G_rho[i] = 1 + q.rho_drho[i];
        t.G_T[i] = q.T_dT[i];
    }
    // Along x_k (delta_kj - x_j): nowhere for one component.
    if (n == 1) return t;
    const auto q_n = n_dn_dnalphar_dni_dnj(r, x);
    const auto p_n = n_dp_dnj(r, x);
    for (std::size_t j = 0; j < n; ++j) t.P_x[j] = scale * (p_n[j] - z - a.d - a.dd);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) t.G_x[i][j] = q_n[i][j] - q.rho_drho[i];
    return t;
}

}  // namespace vantrel::detail
