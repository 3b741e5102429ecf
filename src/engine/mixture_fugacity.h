// The fugacity coefficients of the mixture model, their derivatives by T and
// rho at constant composition and by the mole numbers at constant T and V
// (included by engine/mixture.h).
//
// With n d delta/d n_i = delta (1 + V_i), n d tau/d n_i = tau T_i, where
// V_i = (dv_r/dx_i - sum_k x_k dv_r/dx_k)/v_r and T_i likewise of T_r,
//   ln phi_i = a + delta a_delta (1 + V_i) + tau a_tau T_i
//              + a_x_i - sum_k x_k a_x_k - ln(1 + delta a_delta).
// V_i and T_i depend on x only, so the derivatives by ln rho (delta d/d delta)
// and ln T (-tau d/d tau) act on the alpha_sets alone. By the mole numbers,
// n d/d n_j of a function g(delta, tau, x) at constant T and V is
//   delta g_delta (1 + V_j) + tau g_tau T_j + g_x_j - sum_k x_k g_x_k.
#pragma once

namespace vantrel::detail {

// (dY/dx_i - sum_k x_k dY/dx_k) / Y of a reducing function.
template <class S>
per_component<S> reducing_shares(const reducing_value<S>& r, const std::vector<S>& x) {
    S mean(0);
    for (std::size_t k = 0; k < x.size(); ++k) mean += x[k] * r.y_x[k];
    per_component<S> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = (r.y_x[i] - mean) / r.y;
    return out;
}

template <class S>
share_values<S> shares_of(const mixture_residual<S>& r, const std::vector<S>& x) {
    const std::size_t n = x.size();
    const per_component<S> V = reducing_shares(r.v_r, x), Tn = reducing_shares(r.T_r, x);
    alpha_set<S> mean;  // sum_k x_k alpha_x_k
    for (std::size_t k = 0; k < n; ++k) mean.add(x[k], r.alpha_x[k]);
    const alpha_set<S>& a = r.alpha;
    share_values<S> q{per_component<S>(n), per_component<S>(n), per_component<S>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        const alpha_set<S>& ax = r.alpha_x[i];
        q.q[i] = a.a + a.d * (1 + V[i]) + a.t * Tn[i] + ax.a - mean.a;
        q.rho_drho[i] = a.d + (a.d + a.dd) * (1 + V[i]) + a.dt * Tn[i] + ax.d - mean.d;
        q.T_dT[i] = -(a.t + a.dt * (1 + V[i]) + (a.t + a.tt) * Tn[i] + ax.t - mean.t);
    }
    return q;
}

template <class S>
fugacity_values<S> fugacity_of(const mixture_residual<S>& r, const std::vector<S>& x) {
    using std::log;
    const alpha_set<S>& a = r.alpha;
    const S z = 1 + a.d;
    const share_values<S> q = shares_of(r, x);
    const std::size_t n = x.size();
    fugacity_values<S> f{per_component<S>(n), per_component<S>(n), per_component<S>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        f.ln_phi[i] = q.q[i] - log(z);
        f.rho_drho[i] = q.rho_drho[i] - (a.d + a.dd) / z;
        f.T_dT[i] = q.T_dT[i] + a.dt / z;
    }
    return f;
}

// n (dp/d n_j) at constant T and V over rho R T: 1 + delta a_delta + n d(delta a_delta)/d n_j.
template <class S>
per_component<S> pressure_n_derivatives(const mixture_residual<S>& r, const std::vector<S>& x) {
    const std::size_t n = x.size();
    const per_component<S> V = reducing_shares(r.v_r, x), Tn = reducing_shares(r.T_r, x);
    S mean(0);
    for (std::size_t k = 0; k < n; ++k) mean += x[k] * r.alpha_x[k].d;
    const alpha_set<S>& a = r.alpha;
    per_component<S> out(n);
    for (std::size_t j = 0; j < n; ++j)
        out[j] = 1 + a.d + (a.d + a.dd) * (1 + V[j]) + a.dt * Tn[j] + r.alpha_x[j].d - mean;
    return out;
}

// d/dx_j of the shares of reducing_shares: [i][j].
template <class S>
per_pair<S> reducing_share_derivatives(const reducing_value<S>& r, const std::vector<S>& x) {
    const std::size_t n = x.size();
    S mean(0);
    for (std::size_t k = 0; k < n; ++k) mean += x[k] * r.y_x[k];
    per_pair<S> out(n, per_component<S>(n));
    for (std::size_t j = 0; j < n; ++j) {
        S mean_j = r.y_x[j];  // d(sum_k x_k Y_x_k)/dx_j
        for (std::size_t k = 0; k < n; ++k) mean_j += x[k] * r.y_xx[k][j];
        for (std::size_t i = 0; i < n; ++i)
            out[i][j] = (r.y_xx[i][j] - mean_j) / r.y - (r.y_x[i] - mean) * r.y_x[j] / (r.y * r.y);
    }
    return out;
}

// n d(alpha_r)/d n_i = q_i and its derivatives by x_j: [i][j].
template <class S>
per_pair<S> share_x_derivatives(const mixture_residual<S>& r, const std::vector<S>& x,
                                                const per_component<S>& V, const per_component<S>& Tn) {
    const std::size_t n = x.size();
    const auto dV = reducing_share_derivatives(r.v_r, x), dT = reducing_share_derivatives(r.T_r, x);
    const alpha_set<S>& a = r.alpha;
    per_pair<S> out(n, per_component<S>(n));
    for (std::size_t j = 0; j < n; ++j) {
        S mean_xx(0);  // sum_k x_k alpha_x_k x_j
        for (std::size_t k = 0; k < n; ++k) mean_xx += x[k] * r.alpha_xx[k][j];
        const alpha_set<S>& aj = r.alpha_x[j];
        for (std::size_t i = 0; i < n; ++i)
            out[i][j] = aj.d * (1 + V[i]) + a.d * dV[i][j] + aj.t * Tn[i] + a.t * dT[i][j] + r.alpha_xx[i][j] -
                        aj.a - mean_xx;
    }
    return out;
}

template <class S>
per_pair<S> share_n_derivatives(const mixture_residual<S>& r, const std::vector<S>& x) {
    const std::size_t n = x.size();
    const per_component<S> V = reducing_shares(r.v_r, x), Tn = reducing_shares(r.T_r, x);
    const auto qx = share_x_derivatives(r, x, V, Tn);
    alpha_set<S> mean;
    for (std::size_t k = 0; k < n; ++k) mean.add(x[k], r.alpha_x[k]);
    const alpha_set<S>& a = r.alpha;
    per_pair<S> out(n, per_component<S>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const alpha_set<S>& ai = r.alpha_x[i];
        const S q_d = (a.d + a.dd) * (1 + V[i]) + a.dt * Tn[i] + ai.d - mean.d;  // delta dq_i/d delta
        const S q_t = a.dt * (1 + V[i]) + (a.t + a.tt) * Tn[i] + ai.t - mean.t;  // tau dq_i/d tau
        S q_x_mean(0);
        for (std::size_t k = 0; k < n; ++k) q_x_mean += x[k] * qx[i][k];
        for (std::size_t j = 0; j < n; ++j) {
            const alpha_set<S>& aj = r.alpha_x[j];
            const S q_j = a.d * (1 + V[j]) + a.t * Tn[j] + aj.a - mean.a;  // n d alpha_r/d n_j
            const S dq = q_d * (1 + V[j]) + q_t * Tn[j] + qx[i][j] - q_x_mean;
            out[i][j] = q_j + dq;
        }
    }
    return out;
}

template <class S>
per_pair<S> fugacity_n_derivatives(const mixture_residual<S>& r, const std::vector<S>& x) {
    per_pair<S> out = share_n_derivatives(r, x);
    const per_component<S> p_n = pressure_n_derivatives(r, x);
    const S z = 1 + r.alpha.d;
    // n d ln Z/d n_j = n d(delta a_delta)/d n_j / Z = (p_n_j - Z)/Z
    for (auto& row : out)
        for (std::size_t j = 0; j < row.size(); ++j) row[j] -= (p_n[j] - z) / z;
    return out;
}

}  // namespace vantrel::detail
