#include "engine/model/model.h"

#include <cmath>
#include <map>

namespace vantrel::detail {

template class model_at<double>;

namespace {

// The pair (i, j) as the data gives it: Kunz-Wagner beta turns into 1/beta
// where the data's order is (j, i).
void add_reducing(model& m, const pair_data& p, std::size_t i, std::size_t j) {
    const bool swapped = p.name1 != m.components[i]->info.agent;
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

void add_component(model& m, std::shared_ptr<const component_data> c, double M) {
    m.T_r.y.push_back(c->T_r());
    m.v_r.y.push_back(M / c->cfg.rho_div);
    m.M.push_back(M);
    m.components.push_back(std::move(c));
}

}  // namespace

model model_of(std::shared_ptr<const component_data> c) {
    model m;
    m.R = c->cfg.R;
    m.delta_tolerance = c->delta_tolerance();
    add_component(m, std::move(c), 1);
    return m;
}

model load_mixture(const std::string& data_dir, const std::vector<std::string>& names) {
    model m;
    m.R = R_MIXTURE;
    m.delta_tolerance = MIXTURE_DELTA_TOLERANCE;
    for (const auto& name : names) {
        check_plain_name(name);
        auto c = load_component(data_dir + "/" + name);
        const double M = c->M();
        add_component(m, std::move(c), M);
    }
    const std::string pairs_path = data_dir + "/mixtures/pairs.txt";
    const std::vector<pair_data> pairs = names.size() > 1 ? read_pairs(pairs_path) : std::vector<pair_data>{};
    std::map<std::string, std::shared_ptr<const residual_terms>> functions;
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = i + 1; j < names.size(); ++j) {
            const pair_data& p = find_pair(pairs, names[i], names[j], pairs_path);
            add_reducing(m, p, i, j);
            if (p.departure.empty() || p.F == 0) continue;
            auto& f = functions[p.departure];
            if (!f)
                f = std::make_shared<const residual_terms>(
                    read_departure(data_dir + "/mixtures/departure/" + p.departure + ".txt"));
            m.departures.push_back({i, j, p.F, f});
        }
    }
    return m;
}

double molar_mass(const model& m, const composition& x) {
    double M = 0;
    for (std::size_t i = 0; i < x.size(); ++i) M += x[i] * m.M[i];
    return M;
}

composition mole_fractions(const model& m, const composition& w) {
    composition x(w.size());
    double sum = 0;
    for (std::size_t i = 0; i < w.size(); ++i) sum += x[i] = w[i] / m.M[i];
    for (double& v : x) v /= sum;
    return x;
}

composition mass_fractions(const model& m, const composition& x) {
    const double M = molar_mass(m, x);
    composition w(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) w[i] = x[i] * m.M[i] / M;
    return w;
}

}  // namespace vantrel::detail
