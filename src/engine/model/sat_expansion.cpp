#include "engine/model/sat_expansion.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/base/text.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

namespace {

constexpr double SETTLED_X = 1e-9;  // a step of x, of x, after which the next is of its order squared

double map(double x, double lo, double hi) { return (2 * x - lo - hi) / (hi - lo); }

// sum c_k T_k(u) and its derivative by u: Clenshaw's recurrence and the
// recurrence of its derivative, side by side in one pass.
std::pair<double, double> chebyshev_and_slope(const std::vector<double>& c, double u) {
    double b1 = 0, b2 = 0, d1 = 0, d2 = 0;
    for (std::size_t k = c.size(); k-- > 1;) {
        const double b0 = 2 * u * b1 - b2 + c[k], d0 = 2 * b1 + 2 * u * d1 - d2;
        b2 = b1, b1 = b0, d2 = d1, d1 = d0;
    }
    return {u * b1 - b2 + c[0], b1 + u * d1 - d2};
}

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
            const auto [at_lo, d_lo] = chebyshev_and_slope(c, -1.0);
            const auto [at_hi, d_hi] = chebyshev_and_slope(c, 1.0);
            const double per_x = 2 / (r[2] - r[1]);  // du/dx
            e.pieces_[static_cast<int>(kind)].push_back({r[1], r[2], std::move(c), at_lo, at_hi, d_lo * per_x, d_hi * per_x});
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
    const piece *p = find(ln_p, x), *l = find(ln_rho_liq, x), *v = find(ln_rho_vap, x);
    double ln[3];
    if (p->lo == l->lo && p->lo == v->lo && p->hi == l->hi && p->hi == v->hi) {
        // The pieces of one interval (as the generator writes them): the three
        // sums side by side, their recurrences independent of one another.
        const double u = map(x, p->lo, p->hi);
        const std::vector<double>* cs[3] = {&p->c, &l->c, &v->c};
        const std::size_t n = std::max({p->c.size(), l->c.size(), v->c.size()});
        double b1[3] = {0, 0, 0}, b2[3] = {0, 0, 0};
        for (std::size_t k = n; k-- > 1;)
            for (int q = 0; q < 3; ++q) {
                const double b0 = 2 * u * b1[q] - b2[q] + (k < cs[q]->size() ? (*cs[q])[k] : 0);
                b2[q] = b1[q], b1[q] = b0;
            }
        for (int q = 0; q < 3; ++q) ln[q] = u * b1[q] - b2[q] + (*cs[q])[0];
    } else {
        ln[0] = value(ln_p, x), ln[1] = value(ln_rho_liq, x), ln[2] = value(ln_rho_vap, x);
    }
    return {c.T * (1 - x * x), c.p * std::exp(ln[0]), c.rho * std::exp(ln[1]), c.rho * std::exp(ln[2])};
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

// x where the piece's expansion has the value y, as the cubic Hermite
// interpolant of x(y) between the piece's ends gives it (the slopes there
// the inverse of the expansion's): close enough for Newton's method to need
// two or three steps. The straight line where the slopes do not serve.
double sat_expansion::start_in(const piece& q, double y) {
    const double w = q.at_hi - q.at_lo;
    if (w == 0) return q.lo;
    const double s = (y - q.at_lo) / w, s2 = s * s, s3 = s2 * s;
    const double line = q.lo + (q.hi - q.lo) * s;
    if (!(q.d_lo < 0 && q.d_hi < 0)) return line;
    const double x = (2 * s3 - 3 * s2 + 1) * q.lo + (s3 - 2 * s2 + s) * w / q.d_lo + (-2 * s3 + 3 * s2) * q.hi +
                     (s3 - s2) * w / q.d_hi;
    return x >= q.lo && x <= q.hi ? x : line;
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
    double x = start_in(q, y);
    for (int i = 0; i < 50; ++i) {
        const auto [value, slope] = chebyshev_and_slope(q.c, map(x, q.lo, q.hi));
        const double r = value - y;
        if (r > 0)
            a = x;
        else
            b = x;
        double next = x - r / (slope * 2 / (q.hi - q.lo));
        if (!(next >= a && next <= b)) next = 0.5 * (a + b);
        // Newton's next step would be of the order of this one squared: below
        // the resolution of x.
        const bool done = std::fabs(next - x) <= SETTLED_X * x;
        x = next;
        if (done) break;
    }
    // p as given; the densities of the curves at x.
    const critical_point& c = critical_;
    return sat_curves{c.T * (1 - x * x), p, c.rho * std::exp(value(ln_rho_liq, x)), c.rho * std::exp(value(ln_rho_vap, x))};
}

}  // namespace vantrel::detail
