#include "engine/model/caloric.h"

#include <cmath>

#include "engine/base/constants.h"

namespace vantrel::detail {

ideal_at_T ideal_values_at(const model& m, double T) {
    ideal_at_T at;
    for (const auto& k : m.components) at.push_back(k->ideal->at(T));
    return at;
}

ideal_part ideal_of(const model& m, double T, double rho, const composition& x) {
    return ideal_of(m, ideal_at_T{}, T, rho, x);
}

// at: the components' values at T, or none (each evaluated here).
ideal_part ideal_of(const model& m, const ideal_at_T& at, double T, double rho, const composition& x) {
    const std::size_t n = x.size();
    ideal_part g{0, 0, 0, 0, per_component<double>(n), per_component<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        if (x[i] == 0) continue;
        const component_data& k = *m.components[i];
        const ideal_values v = at.empty() ? k.ideal->at(T) : at[i];
        const double M = m.M[i], rho_mass = rho * M, R = k.cfg.R;
        const double s_rho = k.ideal->helmholtz() ? std::log(k.cfg.rho_cr / rho_mass) : std::log(ATMOSPHERE / (R * rho_mass * T));
        g.h_i[i] = M * v.h;
        g.s_i[i] = M * (v.s + R * s_rho) - (n > 1 ? m.R * std::log(x[i]) : 0);
        g.h += x[i] * g.h_i[i];
        g.s += x[i] * g.s_i[i];
        g.cp += x[i] * M * v.cp;
        g.R += x[i] * M * R;
    }
    return g;
}

namespace {

phase_properties properties_with(const model& m, const ideal_part& g, const alpha_derivatives<double>& a, double T,
                                 double rho) {
    phase_properties ph;
    ph.alpha = a;
    const double R = m.R, RT = R * T;
    ph.p = rho * RT * (1 + a.d);
    ph.h = g.h + RT * (a.t + a.d);
    ph.s = g.s + R * (a.t - a.a);
    ph.cv = g.cp - g.R - R * a.tt;
    ph.p_rho = RT * (1 + 2 * a.d + a.dd);
    ph.p_T = rho * R * (1 + a.d - a.dt);
    ph.cp = ph.cv + T * ph.p_T * ph.p_T / (rho * rho * ph.p_rho);
    return ph;
}

}  // namespace

phase_properties properties_of(const model& m, const alpha_derivatives<double>& a, double T, double rho,
                               const composition& x) {
    return properties_with(m, ideal_of(m, T, rho, x), a, T, rho);
}

phase_pair properties_of_pair(const model& m, double T, double rho_x, const composition& x, double rho_y,
                              const composition& y) {
    const ideal_at_T at = ideal_values_at(m, T);
    const auto one = [&](const model_at<double>& e, double rho, const composition& c) {
        return properties_with(m, ideal_of(m, at, T, rho, c), e.alpha(rho), T, rho);
    };
    if (m.size() == 1) {
        const model_at<double> e(m, T, x);
        return {one(e, rho_x, x), one(e, rho_y, y)};
    }
    return {one(model_at<double>(m, T, x), rho_x, x), one(model_at<double>(m, T, y), rho_y, y)};
}

phase_properties properties_at(const model_at<double>& e, double rho, const composition& x) {
    return properties_of(e.of(), e.alpha(rho), e.T(), rho, x);
}

phase_properties properties_at(const model& m, double T, double rho, const composition& x) {
    return properties_at(model_at<double>(m, T, x), rho, x);
}

}  // namespace vantrel::detail
