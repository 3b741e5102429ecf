// The saturation curves of a fluid as Chebyshev expansions fitted to the
// equal-area solution of its equation: ln(p_s/p_c), ln(rho'/rho_c) and
// ln(rho''/rho_c) on intervals of x = sqrt(1 - T/T_c). In x the classical
// critical behaviour (rho' - rho'' as (1 - T/T_c)^1/2) is regular, so the
// expansions hold right up to the critical point.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/files.h"

namespace vantrel::detail {

// sum c_k T_k(u) of the coefficients c by Clenshaw's recurrence, in the
// number type of u (double here, an extended-precision type in the tools).
template <class Coefficients, class S>
S chebyshev(const Coefficients& c, const S& u) {
    S b1 = 0, b2 = 0;
    for (std::size_t k = c.size(); k-- > 1;) {
        const S b0 = 2 * u * b1 - b2 + c[k];
        b2 = b1;
        b1 = b0;
    }
    return u * b1 - b2 + c[0];
}

// CRC-32 of a file's content, as the expansion file records it.
std::uint32_t text_checksum(std::string_view text);

// The critical point the expansions are fitted to.
struct critical_point {
    double T = 0, p = 0, rho = 0;  // K, Pa, kg/m3
};

// One saturation state of the expansions.
struct sat_curves {
    double T = 0, p = 0, rho_liq = 0, rho_vap = 0;
};

class sat_expansion {
public:
    enum quantity { ln_p = 1, ln_rho_liq = 2, ln_rho_vap = 3 };

    // From the rows of the expansion table (kind 0: T_c, p_c, rho_c; kinds
    // 1 to 3: x_lo, x_hi, coefficients); path names the file in messages.
    static sat_expansion from_table(const table& rows, const std::string& path);

    // The checksum and the equation file named in the heading lines of the
    // expansion file's text ("; fitted to NAME, CRC-32 0xHHHHHHHH").
    struct fitted_to {
        std::string eos_file;
        std::uint32_t checksum = 0;
    };
    static std::optional<fitted_to> read_heading(std::string_view text);

    // The file's checksum of itself, on the heading line OWN_CHECKSUM
    // (followed by 8 hexadecimal digits): the CRC-32 of the file without
    // that line. Whether text carries it and it matches.
    static constexpr std::string_view OWN_CHECKSUM = "; CRC-32 of this file without this line 0x";
    static bool checks_itself(std::string_view text);

    const critical_point& critical() const { return critical_; }

    // The range of T the expansions cover.
    double T_min() const;
    double T_max() const;

    // The saturation state at T, or at p; nothing outside the range.
    std::optional<sat_curves> at_T(double T) const;
    std::optional<sat_curves> at_p(double p) const;

    // The saturation state at T_max(), the closest to the critical point.
    sat_curves closest() const { return curves(pieces_[ln_p].front().lo); }

private:
    struct piece {
        double lo, hi;
        std::vector<double> c;   // Chebyshev coefficients
        double at_lo, at_hi;     // the values at the ends
        double d_lo, d_hi;       // and their derivatives by x
    };
    static double start_in(const piece& q, double y);
    const piece* find(quantity q, double x) const;
    double value(quantity q, double x) const;
    sat_curves curves(double x) const;

    critical_point critical_;
    std::vector<piece> pieces_[4];  // by quantity, ordered by x
};

}  // namespace vantrel::detail
