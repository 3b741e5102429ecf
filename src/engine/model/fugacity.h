// The composition derivatives of the model, in the notation of the GERG-2004
// monograph (Kunz, Wagner, Span, Jaeschke, GERG TM15, 2007) and Kunz and
// Wagner (2012): derivatives by the mole numbers n_i at constant T and V
// (the other n_j fixed), written n d/dn_i.
//
// With n d(delta)/dn_i = delta (1 + V_i) and n d(tau)/dn_i = tau T_i, where
// V_i = n (dv_r/dn_i) / v_r = (dv_r/dx_i - sum_k x_k dv_r/dx_k) / v_r and T_i
// likewise of T_r,
//   n (d alpha_r/dn_i) = delta a_delta (1 + V_i) + tau a_tau T_i + a_x_i - sum_k x_k a_x_k,
//   n d(n alpha_r)/dn_i = alpha_r + n (d alpha_r/dn_i),
//   ln phi_i = n d(n alpha_r)/dn_i - ln Z.
// V_i and T_i depend on x only, so the derivatives by ln rho (delta d/d
// delta) and ln T (-tau d/d tau) act on the alpha_derivatives alone. By the
// mole numbers, n d/dn_j of a function g(delta, tau, x) at constant T and V
// is delta g_delta (1 + V_j) + tau g_tau T_j + g_x_j - sum_k x_k g_x_k.
// For one component every V_i, T_i and a_x_i - sum_k x_k a_x_k is 0.
#pragma once

#include "engine/model/model.h"

namespace vantrel::detail {

// n (dY/dn_i) / Y of a reducing function: (dY/dx_i - sum_k x_k dY/dx_k) / Y.
template <class S, class X>
per_component<S> n_dlnY_dni(const reducing_value<S>& r, const X& x) {
    per_component<S> out(x.size(), S(0));
    if (r.y_x.empty()) return out;
    S mean(0);
    for (std::size_t k = 0; k < x.size(); ++k) mean += x[k] * r.y_x[k];
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = (r.y_x[i] - mean) / r.y;
    return out;
}

// n d(n alpha_r)/dn_i with its derivatives by ln rho and ln T at constant
// composition (rho d/d rho and T d/dT): defined where Z is not positive too
// (a liquid taken to a negative pressure by a solver's step).
template <class S>
struct n_dnalphar_dni_values {
    per_component<S> q, rho_drho, T_dT;
};

template <class S, class X>
n_dnalphar_dni_values<S> n_dnalphar_dni(const residual_values<S>& r, const X& x) {
    const std::size_t n = x.size();
    const per_component<S> V = n_dlnY_dni(r.v_r, x), Tn = n_dlnY_dni(r.T_r, x);
    alpha_derivatives<S> mean;  // sum_k x_k alpha_x_k
    for (std::size_t k = 0; k < n; ++k) mean.add(x[k], r.alpha_x[k]);
    const alpha_derivatives<S>& a = r.alpha;
    n_dnalphar_dni_values<S> q{per_component<S>(n), per_component<S>(n), per_component<S>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        const alpha_derivatives<S>& ax = r.alpha_x[i];
        q.q[i] = a.a + a.d * (1 + V[i]) + a.t * Tn[i] + ax.a - mean.a;
        q.rho_drho[i] = a.d + (a.d + a.dd) * (1 + V[i]) + a.dt * Tn[i] + ax.d - mean.d;
        q.T_dT[i] = -(a.t + a.dt * (1 + V[i]) + (a.t + a.tt) * Tn[i] + ax.t - mean.t);
    }
    return q;
}

// ln phi_i with its derivatives by ln T and ln rho at constant composition.
template <class S>
struct ln_phi_values {
    per_component<S> ln_phi, T_dT, rho_drho;
};

template <class S, class X>
ln_phi_values<S> ln_fugacity_coefficients(const residual_values<S>& r, const X& x) {
    using std::log;
    const alpha_derivatives<S>& a = r.alpha;
    const S z = 1 + a.d;
    const n_dnalphar_dni_values<S> q = n_dnalphar_dni(r, x);
    const std::size_t n = x.size();
    ln_phi_values<S> f{per_component<S>(n), per_component<S>(n), per_component<S>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        f.ln_phi[i] = q.q[i] - log(z);
        f.rho_drho[i] = q.rho_drho[i] - (a.d + a.dd) / z;
        f.T_dT[i] = q.T_dT[i] + a.dt / z;
    }
    return f;
}

// n (dp/dn_j) at constant T and V over rho R T: 1 + delta a_delta + n d(delta a_delta)/dn_j.
template <class S, class X>
per_component<S> n_dp_dnj(const residual_values<S>& r, const X& x) {
    const std::size_t n = x.size();
    const per_component<S> V = n_dlnY_dni(r.v_r, x), Tn = n_dlnY_dni(r.T_r, x);
    S mean(0);
    for (std::size_t k = 0; k < n; ++k) mean += x[k] * r.alpha_x[k].d;
    const alpha_derivatives<S>& a = r.alpha;
    per_component<S> out(n);
    for (std::size_t j = 0; j < n; ++j)
        out[j] = 1 + a.d + (a.d + a.dd) * (1 + V[j]) + a.dt * Tn[j] + r.alpha_x[j].d - mean;
    return out;
}

// d/dx_j of n_dlnY_dni: [i][j].
template <class S, class X>
per_pair<S> dn_dlnY_dni_dxj(const reducing_value<S>& r, const X& x) {
    const std::size_t n = x.size();
    per_pair<S> out(n, per_component<S>(n, S(0)));
    if (r.y_x.empty()) return out;
    S mean(0);
    for (std::size_t k = 0; k < n; ++k) mean += x[k] * r.y_x[k];
    for (std::size_t j = 0; j < n; ++j) {
        S mean_j = r.y_x[j];  // d(sum_k x_k Y_x_k)/dx_j
        for (std::size_t k = 0; k < n; ++k) mean_j += x[k] * r.y_xx[k][j];
        for (std::size_t i = 0; i < n; ++i)
            out[i][j] = (r.y_xx[i][j] - mean_j) / r.y - (r.y_x[i] - mean) * r.y_x[j] / (r.y * r.y);
    }
    return out;
}

// d/dx_j of n d(n alpha_r)/dn_i at constant delta and tau: [i][j].
template <class S, class X>
per_pair<S> d_ndnalphar_dni_dxj(const residual_values<S>& r, const X& x, const per_component<S>& V,
                                const per_component<S>& Tn) {
    const std::size_t n = x.size();
    const auto dV = dn_dlnY_dni_dxj(r.v_r, x), dT = dn_dlnY_dni_dxj(r.T_r, x);
    const alpha_derivatives<S>& a = r.alpha;
    per_pair<S> out(n, per_component<S>(n));
    for (std::size_t j = 0; j < n; ++j) {
        S mean_xx(0);  // sum_k x_k alpha_x_k x_j
        for (std::size_t k = 0; k < n; ++k) mean_xx += x[k] * r.alpha_xx[k][j];
        const alpha_derivatives<S>& aj = r.alpha_x[j];
        for (std::size_t i = 0; i < n; ++i)
            out[i][j] = aj.d * (1 + V[i]) + a.d * dV[i][j] + aj.t * Tn[i] + a.t * dT[i][j] + r.alpha_xx[i][j] -
                        aj.a - mean_xx;
    }
    return out;
}

// n d/dn_j of n d(n alpha_r)/dn_i at constant T and V: [i][j].
template <class S, class X>
per_pair<S> n_dn_dnalphar_dni_dnj(const residual_values<S>& r, const X& x) {
    const std::size_t n = x.size();
    const per_component<S> V = n_dlnY_dni(r.v_r, x), Tn = n_dlnY_dni(r.T_r, x);
    const auto qx = d_ndnalphar_dni_dxj(r, x, V, Tn);
    alpha_derivatives<S> mean;
    for (std::size_t k = 0; k < n; ++k) mean.add(x[k], r.alpha_x[k]);
    const alpha_derivatives<S>& a = r.alpha;
    per_pair<S> out(n, per_component<S>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const alpha_derivatives<S>& ai = r.alpha_x[i];
        const S q_d = (a.d + a.dd) * (1 + V[i]) + a.dt * Tn[i] + ai.d - mean.d;  // delta dq_i/d delta
        const S q_t = a.dt * (1 + V[i]) + (a.t + a.tt) * Tn[i] + ai.t - mean.t;  // tau dq_i/d tau
        S q_x_mean(0);
        for (std::size_t k = 0; k < n; ++k) q_x_mean += x[k] * qx[i][k];
        for (std::size_t j = 0; j < n; ++j) {
            const alpha_derivatives<S>& aj = r.alpha_x[j];
            const S q_j = a.d * (1 + V[j]) + a.t * Tn[j] + aj.a - mean.a;  // n d alpha_r/dn_j
            const S dq = q_d * (1 + V[j]) + q_t * Tn[j] + qx[i][j] - q_x_mean;
            out[i][j] = q_j + dq;
        }
    }
    return out;
}

// n d(ln phi_i)/dn_j at constant T and V: [i][j].
template <class S, class X>
per_pair<S> n_dlnphi_dnj(const residual_values<S>& r, const X& x) {
    per_pair<S> out = n_dn_dnalphar_dni_dnj(r, x);
    const per_component<S> p_n = n_dp_dnj(r, x);
    const S z = 1 + r.alpha.d;
    // n d ln Z/dn_j = n d(delta a_delta)/dn_j / Z = (p_n_j - Z)/Z
    for (auto& row : out)
        for (std::size_t j = 0; j < row.size(); ++j) row[j] -= (p_n[j] - z) / z;
    return out;
}

}  // namespace vantrel::detail
