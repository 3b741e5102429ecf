#include "engine/model/sat_expansion.h"

#include <zlib.h>
#include <cmath>
#include <limits>

#include "engine/base/text.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

namespace {

// Coefficients of the derivative by x of sum c_k T_k(u) on [lo, hi].
std::vector<double> derivative(const std::vector<double>& c, double lo, double hi) {
    const std::size_t n = c.size();
    std::vector<double> d(n, 0.0);
    for (std::size_t k = n - 1; k-- > 0;) d[k] = (k + 2 < n ? d[k + 2] : 0) + 2 * static_cast<double>(k + 1) * c[k + 1];
    d[0] /= 2;
    for (double& v : d) v *= 2 / (hi - lo);
    return d;
}

double map(double x, double lo, double hi) { return (2 * x - lo - hi) / (hi - lo); }

// 8 hexadecimal digits (lower case).
std::optional<std::uint32_t> hex_word(std::string_view hex) {
    if (hex.size() < 8) return std::nullopt;
    std::uint32_t sum = 0;
    for (char ch : hex.substr(0, 8)) {
        const int digit = (ch >= '0' && ch <= '9') ? ch - '0' : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        sum = sum * 16 + static_cast<std::uint32_t>(digit);
    }
    return sum;
}

}  // namespace

std::uint32_t text_checksum(std::string_view text) {
    // CRC-32 (ISO-HDLC, as zip and PNG), by zlib: a data file's size fits
    // its length type, as files over 16 MiB are refused unread.
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

sat_expansion sat_expansion::from_table(const table& rows, const std::string& path) {
    sat_expansion e;
    bool have_critical = false;
    for (const auto& r : rows) {
        if (r.size() < 4) unreadable_file(path);
        const double kind = r[0];
        if (kind == 0) {
            e.critical_ = {r[1], r[2], r[3]};
            have_critical = true;
        } else if (kind == 1 || kind == 2 || kind == 3) {
            if (!(r[1] < r[2])) unreadable_file(path);
            std::vector<double> c(r.begin() + 3, r.end());
            while (c.size() > 1 && c.back() == 0) c.pop_back();
            e.pieces_[static_cast<int>(kind)].push_back(
                {r[1], r[2], c, derivative(c, r[1], r[2]), chebyshev(c, -1.0), chebyshev(c, 1.0)});
        } else {
            throw error(error_kind::data, message_id::file_value,
                        {text_value("kind"), text_value(number_text(kind)), text_value(path)});
        }
    }
    if (!have_critical || !(e.critical_.T > 0 && e.critical_.p > 0 && e.critical_.rho > 0)) unreadable_file(path);
    for (int q = 1; q <= 3; ++q) {
        auto& p = e.pieces_[q];
        if (p.empty()) unreadable_file(path);
        for (std::size_t i = 1; i < p.size(); ++i)
            if (p[i].lo != p[i - 1].hi) unreadable_file(path);  // contiguous, in order of x
        if (p.front().lo != e.pieces_[1].front().lo || p.back().hi != e.pieces_[1].back().hi) unreadable_file(path);
    }
    return e;
}

std::optional<sat_expansion::fitted_to> sat_expansion::read_heading(std::string_view text) {
    const std::string_view marker = "; fitted to ";
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t end = text.find('\n', at);
    const std::string_view line = text.substr(at + marker.size(), end == std::string_view::npos ? end : end - at - marker.size());
    const std::size_t comma = line.find(", CRC-32 0x");
    if (comma == std::string_view::npos) return std::nullopt;
    const auto sum = hex_word(line.substr(comma + 11, 8));
    if (!sum) return std::nullopt;
    return fitted_to{std::string(line.substr(0, comma)), *sum};
}

bool sat_expansion::checks_itself(std::string_view text) {
    const std::size_t at = text.find(OWN_CHECKSUM);
    if (at == std::string_view::npos || (at > 0 && text[at - 1] != '\n')) return false;
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return false;
    const auto written = hex_word(text.substr(at + OWN_CHECKSUM.size(), end - at - OWN_CHECKSUM.size()));
    if (!written || end - at != OWN_CHECKSUM.size() + 8) return false;
    std::string rest(text.substr(0, at));
    rest.append(text.substr(end + 1));
    return *written == text_checksum(rest);
}

double sat_expansion::T_min() const {
    const double x = pieces_[ln_p].back().hi;
    return critical_.T * (1 - x * x);
}

double sat_expansion::T_max() const {
    const double x = pieces_[ln_p].front().lo;
    return critical_.T * (1 - x * x);
}

const sat_expansion::piece* sat_expansion::find(quantity q, double x) const {
    const auto& p = pieces_[q];
    if (!(x >= p.front().lo && x <= p.back().hi)) return nullptr;
    std::size_t lo = 0, hi = p.size() - 1;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (x > p[mid].hi)
            lo = mid + 1;
        else
            hi = mid;
    }
    return &p[lo];
}

double sat_expansion::value(quantity q, double x) const {
    const piece* p = find(q, x);
    return chebyshev(p->c, map(x, p->lo, p->hi));
}

sat_curves sat_expansion::curves(double x) const {
    const critical_point& c = critical_;
    return {c.T * (1 - x * x), c.p * std::exp(value(ln_p, x)), c.rho * std::exp(value(ln_rho_liq, x)),
            c.rho * std::exp(value(ln_rho_vap, x))};
}

std::optional<sat_curves> sat_expansion::at_T(double T) const {
    const double theta = 1 - T / critical_.T;
    if (!(theta >= 0)) return std::nullopt;
    const double x = std::sqrt(theta);
    if (find(ln_p, x) == nullptr) return std::nullopt;
    sat_curves s = curves(x);
    s.T = T;
    return s;
}

std::optional<sat_curves> sat_expansion::at_p(double p) const {
    // ln(p/p_c) falls with x: the piece by its ends, then Newton's method
    // inside it from the straight line between them, kept within the piece.
    const double y = std::log(p / critical_.p);
    const auto& pieces = pieces_[ln_p];
    if (!(y <= pieces.front().at_lo && y >= pieces.back().at_hi)) return std::nullopt;
    std::size_t lo = 0, hi = pieces.size() - 1;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (y < pieces[mid].at_hi)
            lo = mid + 1;
        else
            hi = mid;
    }
    const piece& q = pieces[lo];
    double a = q.lo, b = q.hi;
    double x = (q.at_lo == q.at_hi) ? a : a + (b - a) * (q.at_lo - y) / (q.at_lo - q.at_hi);
    for (int i = 0; i < 50; ++i) {
        const double u = map(x, q.lo, q.hi);
        const double r = chebyshev(q.c, u) - y;
        if (r > 0)
            a = x;
        else
            b = x;
        double next = x - r / chebyshev(q.dc, u);
        if (!(next >= a && next <= b)) next = 0.5 * (a + b);
        const bool done = std::fabs(next - x) <= 2 * std::numeric_limits<double>::epsilon() * x;
        x = next;
        if (done) break;
    }
    sat_curves s = curves(x);
    s.p = p;
    return s;
}

}  // namespace vantrel::detail
