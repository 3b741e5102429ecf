#include "engine/helmholtz.h"

#include "engine/text.h"

namespace vantrel::detail {

template class residual_at_tau<double>;

namespace {

// Numbers a row of each kind reads.
constexpr std::size_t KIND_COLUMNS[] = {6, 10, 15};

int shared_index(residual_model& m, double g, double l) {
    for (std::size_t j = 0; j < m.shared_g_.size(); ++j)
        if (m.shared_g_[j] == g && m.shared_l_[j] == l) return static_cast<int>(j);
    m.shared_g_.push_back(g);
    m.shared_l_.push_back(l);
    return static_cast<int>(m.shared_g_.size() - 1);
}

}  // namespace

residual_model residual_model::from_table(const table& rows, const std::string& path) {
    residual_model m;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        if (r.empty()) unreadable_file(path);
        const double kind = std::nearbyint(r[0]);
        if (kind != 0 && kind != 1 && kind != 2)
            throw error(error_kind::data, "Недопустимое значение kind = '" + number_text(r[0]) + "' в файле " + path +
                                              ", строка " + std::to_string(i + 1));
        if (r.size() < KIND_COLUMNS[static_cast<std::size_t>(kind)]) unreadable_file(path);
        if (kind == 0) {
            power_term k{r[1], r[2], r[3], r[4], r[5]};
            if (k.g != 0) k.shared = shared_index(m, k.g, k.l);
            m.power_.push_back(k);
        } else if (kind == 1) {
            m.gaussian_.push_back({r[1], r[2], r[3], r[6], r[7], r[8], r[9]});
        } else {
            m.nonanalytic_.push_back({r[1], r[2], r[3], r[6], r[7], r[8], r[9], r[10], r[11], r[12], r[13], r[14]});
        }
    }
    return m;
}

residual_derivatives residual_model::at(double omega, double tau) const {
    return residual_at_tau<double>(*this, tau)(omega);
}

}  // namespace vantrel::detail
