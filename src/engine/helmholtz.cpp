#include "engine/helmholtz.h"

#include <algorithm>

#include "engine/base/text.h"

namespace vantrel::detail {

template class residual_at_tau<double>;

namespace {

// Numbers a row of each kind reads.
constexpr std::size_t KIND_COLUMNS[] = {6, 10, 15, 6, 9};

int shared_index(residual_model& m, double g, double l) {
    for (std::size_t j = 0; j < m.shared_g_.size(); ++j)
        if (m.shared_g_[j] == g && m.shared_l_[j] == l) return static_cast<int>(j);
    m.shared_g_.push_back(g);
    m.shared_l_.push_back(l);
    return static_cast<int>(m.shared_g_.size() - 1);
}

[[noreturn]] void reject(const char* key, double value, const std::string& path, std::size_t row) {
    throw error(error_kind::data, message_id::table_value,
                {text_value(key), text_value(number_text(value)), text_value(path), text_value(std::to_string(row + 1))});
}

void add_power(residual_model& m, power_term k) {
    if (k.g != 0) k.shared = shared_index(m, k.g, k.l);
    m.power_.push_back(k);
}

// Kind 3 without its factor of x is a power term, which shares its
// exponential of d with the others.
void add_lemmon(residual_model& m, const table::value_type& r, const std::string& path, std::size_t i) {
    const lemmon_term k{r[1], r[2], r[3], r[4], r[5]};
    if (!(k.l >= 0)) reject("l", k.l, path, i);
    if (!(k.m >= 0)) reject("m", k.m, path, i);
    if (k.m == 0)
        add_power(m, {k.n, k.dd, k.t, k.l == 0 ? 0.0 : -1.0, k.l});
    else
        m.lemmon_.push_back(k);
}

void add_gao(residual_model& m, const table::value_type& r, const std::string& path, std::size_t i) {
    const gao_term k{r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8]};
    if (!(k.eta <= 0)) reject("eta", k.eta, path, i);
    if (!(k.beta >= 0)) reject("beta", k.beta, path, i);
    if (!(k.b > 0)) reject("b", k.b, path, i);
    m.gao_.push_back(k);
}

// Marks the whole density exponents up to MAX_WHOLE_D.
template <class Term>
void mark_whole(std::vector<Term>& terms, int& max) {
    for (Term& k : terms) {
        if (k.dd >= 0 && k.dd <= MAX_WHOLE_D && std::nearbyint(k.dd) == k.dd) {
            k.d_int = static_cast<int>(k.dd);
            max = std::max(max, k.d_int);
        }
    }
}

}  // namespace

residual_model residual_model::from_table(const table& rows, const std::string& path) {
    residual_model m;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        if (r.empty()) unreadable_file(path);
        const double kind = std::nearbyint(r[0]);
        if (!(kind >= 0 && kind <= 4)) reject("kind", r[0], path, i);
        if (r.size() < KIND_COLUMNS[static_cast<std::size_t>(kind)]) unreadable_file(path);
        if (kind == 0) {
            add_power(m, {r[1], r[2], r[3], r[4], r[5]});
        } else if (kind == 1) {
            m.gaussian_.push_back({r[1], r[2], r[3], r[6], r[7], r[8], r[9]});
        } else if (kind == 2) {
            m.nonanalytic_.push_back({r[1], r[2], r[3], r[6], r[7], r[8], r[9], r[10], r[11], r[12], r[13], r[14]});
        } else if (kind == 3) {
            add_lemmon(m, r, path, i);
        } else {
            add_gao(m, r, path, i);
        }
    }
    mark_whole(m.power_, m.max_d_int);
    mark_whole(m.gaussian_, m.max_d_int);
    mark_whole(m.nonanalytic_, m.max_d_int);
    mark_whole(m.lemmon_, m.max_d_int);
    mark_whole(m.gao_, m.max_d_int);
    return m;
}

residual_derivatives residual_model::at(double omega, double tau) const {
    return residual_at_tau<double>(*this, tau)(omega);
}

}  // namespace vantrel::detail
