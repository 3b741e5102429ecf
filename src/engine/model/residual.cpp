#include "engine/model/residual.h"

#include <algorithm>

#include "engine/base/text.h"

namespace vantrel::detail {

template class residual_at<double>;

namespace {

// Numbers a row of each kind reads.
constexpr std::size_t KIND_COLUMNS[] = {6, 10, 15, 6, 9};

int shared_index(residual_terms& m, double g, double l) {
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

void add_power(residual_terms& m, power_term k) {
    if (k.g != 0) k.shared = shared_index(m, k.g, k.l);
    m.power_.push_back(k);
}

// Kind 3 without its factor of tau is a power term, which shares its
// exponential of delta with the others.
void add_lemmon(residual_terms& m, const table::value_type& r, const std::string& path, std::size_t i) {
    const lemmon_term k{r[1], r[2], r[3], r[4], r[5]};
    if (!(k.l >= 0)) reject("l", k.l, path, i);
    if (!(k.m >= 0)) reject("m", k.m, path, i);
    if (k.m == 0)
        add_power(m, {k.n, k.d, k.t, k.l == 0 ? 0.0 : -1.0, k.l});
    else
        m.lemmon_.push_back(k);
}

void add_gao(residual_terms& m, const table::value_type& r, const std::string& path, std::size_t i) {
    const gao_term k{r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8]};
    if (!(k.eta <= 0)) reject("eta", k.eta, path, i);
    if (!(k.beta >= 0)) reject("beta", k.beta, path, i);
    if (!(k.b > 0)) reject("b", k.b, path, i);
    m.gao_.push_back(k);
}

// Marks the whole density exponents up to MAX_WHOLE_D, and the positive
// whole temperature exponents up to MAX_WHOLE_T where the term has them.
template <class Term>
void mark_whole(std::vector<Term>& terms, int& max) {
    for (Term& k : terms) {
        if (k.d >= 0 && k.d <= MAX_WHOLE_D && std::nearbyint(k.d) == k.d) {
            k.d_int = static_cast<int>(k.d);
            max = std::max(max, k.d_int);
        }
        if constexpr (requires { k.t_int; })
            if (k.t > 0 && k.t <= MAX_WHOLE_T && std::nearbyint(k.t) == k.t) k.t_int = static_cast<int>(k.t);
    }
}

}  // namespace

residual_terms residual_terms::from_table(const table& rows, const std::string& path) {
    residual_terms m;
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

alpha_derivatives<double> residual_terms::at(double delta, double tau) const {
    return residual_at<double>(*this, tau)(delta);
}

}  // namespace vantrel::detail
