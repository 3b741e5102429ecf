#include "engine/base/polynomial.h"

namespace vantrel::detail {

double power(double x, double y) {
    if (y == 0) return 1;
    if (x == 0 && y > 0) return 0;
    if (std::fabs(y) <= 2147483647.0 && std::nearbyint(y) == y) {
        const auto n = static_cast<long long>(std::fabs(y));
        if (y > 0) return integral_power(x, n);
        // A reciprocal of a product that overflows would fault although the
        // result only underflows: such products are formed from 1/x instead.
        int exponent = 0;
        std::frexp(x, &exponent);
        if (static_cast<double>(std::abs(exponent)) * static_cast<double>(n) > 1000) return integral_power(1 / x, n);
        return 1 / integral_power(x, n);
    }
    return std::exp(y * std::log(x));
}

double t_polynom(const table& t, double tau, double b, bool rounding) {
    double sum = 0;
    for (const auto& row : t) {
        double f = 0;
        if (!rounding) {
            f = power(tau, row[0]);
        } else {
            const double k = std::nearbyint(row[0]);
            f = power(std::fabs(tau), k);
            if (tau < 0 && std::fmod(k, 2.0) != 0) f = -f;
        }
        sum = sum + f * row[1];
    }
    if (tau > 0) sum = sum + b * std::log(tau);
    return sum;
}

double frac_polynom(const table& t, double tau, double b) {
    double sum = 0;
    for (const auto& row : t) sum = sum + row[1] * power(tau, row[0] / b);
    return sum;
}

}  // namespace vantrel::detail
