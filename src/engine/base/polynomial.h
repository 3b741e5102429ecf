// The power convention of all computations and the power series of the
// coefficient tables (rows: exponent, coefficient, ...).
#pragma once

#include <cmath>

#include "engine/base/files.h"

namespace vantrel::detail {

// x to the power y: y = 0 gives 1 (0^0 too), 0 to a positive power 0,
// integral y by repeated squaring (so that negative x works; 0 to a negative
// integer is a division by zero), otherwise exp(y ln x).
double power(double x, double y);

// x multiplied by itself n times (n >= 0), by repeated squaring.
template <class S>
S integral_power(S x, long long n) {
    S result = 1;
    while (n > 0) {
        if (n & 1) result *= x;
        n >>= 1;
        if (n > 0) x *= x;
    }
    return result;
}

// power() in another number type: the same convention, without the guard
// against a false overflow that only double needs.
template <class S>
S power(const S& x, double y) {
    using std::exp, std::log;
    if (y == 0) return S(1);
    if (x == 0 && y > 0) return S(0);
    if (std::fabs(y) <= 2147483647.0 && std::nearbyint(y) == y) {
        const auto n = static_cast<long long>(std::fabs(y));
        return y > 0 ? integral_power(x, n) : S(1) / integral_power(x, n);
    }
    return exp(S(y) * log(x));
}

// Sum over the rows of coefficient * tau^exponent, plus b ln(tau) when
// tau > 0. With rounding, exponents are rounded to the nearest integer
// (halves to even) and a negative tau keeps its sign for odd ones.
double t_polynom(const table& t, double tau, double b, bool rounding);

// Sum over the rows of coefficient * tau^(exponent / b).
double frac_polynom(const table& t, double tau, double b);

}  // namespace vantrel::detail
