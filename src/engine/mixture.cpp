#include "engine/mixture.h"

#include <cmath>
#include <map>

#include "engine/base/constants.h"

namespace vantrel::detail {

namespace {

mixture_component component_of(const std::string& data_dir, const std::string& name) {
    check_plain_name(name);
    auto f = load_fluid(data_dir + "/" + name);
    const double M = f->cfg.mu / 1000;
    return {name, f, f->cfg.tau_div, f->cfg.rho_div / M, M};
}

// The pair (i, j) as the data gives it: Kunz-Wagner beta turns into 1/beta
// where the data's order is (j, i).
void add_reducing(mixture_model& m, const pair_data& p, std::size_t i, std::size_t j) {
    const bool swapped = p.name1 != m.components[i].name;
    const double Ti = m.T_r.y[i], Tj = m.T_r.y[j], vi = m.v_r.y[i], vj = m.v_r.y[j];
    if (p.form == reducing_form::lemmon_jacobsen) {
        m.T_r.pairs.push_back({i, j, p.form, 1, 1, 0, p.xi});
        m.v_r.pairs.push_back({i, j, p.form, 1, 1, 0, p.zeta});
        return;
    }
    const double bT = swapped ? 1 / p.beta_T : p.beta_T, bv = swapped ? 1 / p.beta_v : p.beta_v;
    const double v_ij = std::pow(std::cbrt(vi) + std::cbrt(vj), 3) / 8;
    m.T_r.pairs.push_back({i, j, p.form, bT, p.gamma_T, std::sqrt(Ti * Tj), 0});
    m.v_r.pairs.push_back({i, j, p.form, bv, p.gamma_v, v_ij, 0});
}

}  // namespace

mixture_model load_mixture(const std::string& data_dir, const std::vector<std::string>& names) {
    mixture_model m;
    for (const auto& name : names) {
        m.components.push_back(component_of(data_dir, name));
        m.T_r.y.push_back(m.components.back().T_r);
        m.v_r.y.push_back(1 / m.components.back().rho_r);
    }
    const std::string pairs_path = data_dir + "/mixtures/pairs.txt";
    const std::vector<pair_data> pairs = names.size() > 1 ? read_pairs(pairs_path) : std::vector<pair_data>{};
    std::map<std::string, std::shared_ptr<const residual_model>> functions;
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = i + 1; j < names.size(); ++j) {
            const pair_data& p = find_pair(pairs, names[i], names[j], pairs_path);
            add_reducing(m, p, i, j);
            if (p.departure.empty() || p.F == 0) continue;
            auto& f = functions[p.departure];
            if (!f)
                f = std::make_shared<const residual_model>(
                    read_departure(data_dir + "/mixtures/departure/" + p.departure + ".txt"));
            m.departures.push_back({i, j, p.F, f});
        }
    }
    return m;
}

double ideal_alpha(const mixture_model& m, double T, double rho, const std::vector<double>& x) {
    double a = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] == 0) continue;
        const mixture_component& c = m.components[i];
        const config& cfg = c.fluid->cfg;
        const ideal_values v = c.fluid->ideal->at(T);
        const double rho_mass = rho * c.M, R = cfg.R;
        // The density term of the entropy as the fluid's states take it.
        const double s_rho = c.fluid->ideal->helmholtz() ? std::log(cfg.rho_cr / rho_mass)
                                                          : std::log(ATMOSPHERE / (R * rho_mass * T));
        a += x[i] * (v.h / (R * T) - 1 - (v.s / R + s_rho) + std::log(x[i]));
    }
    return a;
}

ideal_mixture ideal_of(const mixture_model& m, double T, double rho, const std::vector<double>& x) {
    ideal_mixture g;
    g.h.resize(x.size());
    g.s.resize(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] == 0) continue;
        const mixture_component& k = m.components[i];
        const config& cfg = k.fluid->cfg;
        const ideal_values v = k.fluid->ideal->at(T);
        const double rho_mass = rho * k.M;
        // The density term of the entropy as the fluid's states take it.
        const double s_rho = k.fluid->ideal->helmholtz() ? std::log(cfg.rho_cr / rho_mass)
                                                          : std::log(ATMOSPHERE / (cfg.R * rho_mass * T));
        g.h[i] = k.M * v.h;
        g.s[i] = k.M * (v.s + cfg.R * s_rho) - R_MIXTURE * std::log(x[i]);
        g.caloric.h += x[i] * g.h[i];
        g.caloric.s += x[i] * g.s[i];
        g.cp += x[i] * k.M * v.cp;
        g.R += x[i] * k.M * cfg.R;
    }
    return g;
}

molar_caloric caloric_of(const mixture_model& m, double T, double rho, const std::vector<double>& x) {
    const alpha_set<double> a = mixture_evaluator<double>(m, T, x).alpha(rho);
    const molar_caloric ideal = ideal_of(m, T, rho, x).caloric;
    return {ideal.h + R_MIXTURE * T * (a.t + a.d), ideal.s + R_MIXTURE * (a.t - a.a)};
}

double molar_mass(const mixture_model& m, const std::vector<double>& x) {
    double M = 0;
    for (std::size_t i = 0; i < x.size(); ++i) M += x[i] * m.components[i].M;
    return M;
}

std::vector<double> mole_fractions(const mixture_model& m, const std::vector<double>& w) {
    std::vector<double> x(w.size());
    double sum = 0;
    for (std::size_t i = 0; i < w.size(); ++i) sum += x[i] = w[i] / m.components[i].M;
    for (double& v : x) v /= sum;
    return x;
}

blend_model load_blend(const std::string& data_dir, const std::string& name) {
    const std::string path = data_dir + "/mixtures/blends.txt";
    const std::vector<blend_data> blends = read_blends(path);
    const blend_data& b = find_blend(blends, name, path);
    std::vector<std::string> names;
    std::vector<double> w;
    for (const auto& [c, f] : b.mass_fractions) names.push_back(c), w.push_back(f);
    blend_model out{load_mixture(data_dir, names), {}};
    out.x = mole_fractions(out.model, w);
    return out;
}

}  // namespace vantrel::detail
