#include "eos.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

#include "ideal_gas.h"

namespace {

// Numbers a row of each kind reads.
constexpr std::size_t KIND_COLUMNS[] = {6, 10, 15};

// Logarithmic derivatives of one term f = B PHI:
// X = d ln f/d ln OMEGA, U = OMEGA dX/dOMEGA, Y = d ln f/d ln TAU,
// S = TAU dX/dTAU, Q = TAU dY/dTAU.
struct term {
    double f = 0, x = 0, u = 0, y = 0, s = 0, q = 0;
};

term power_term(const one_d_array& row, double omega, double phi0) {
    const double g = row[4], l = row[5];
    term t;
    const double wl = (g == 0) ? 0 : power(omega, l);
    t.f = row[1] * ((g == 0) ? phi0 : phi0 * std::exp(g * wl));
    t.x = row[2] + g * l * wl;
    t.u = g * l * l * wl;
    t.y = -row[3];
    return t;
}

term gaussian_term(const one_d_array& row, double omega, double inv_tau, double phi0) {
    const double alpha = row[6], beta = row[7], eps = row[8], gamma = row[9];
    const double dw = omega - eps, dt = inv_tau - gamma;
    term t;
    // One exponential of the whole (negative) exponent: far from the centre it
    // underflows to 0 instead of overflowing.
    t.f = row[1] * phi0 * std::exp(-beta * dt * dt - alpha * dw * dw);
    t.x = row[2] - 2 * alpha * omega * dw;
    t.u = -2 * alpha * omega * (2 * omega - eps);
    t.y = 2 * beta * inv_tau * dt - row[3];
    t.q = -2 * beta * inv_tau * (2 * inv_tau - gamma);
    return t;
}

term non_analytic_term(const one_d_array& row, double omega, double tau, double inv_tau, double sigma,
                       double phi0) {
    const double alpha = row[6], beta = row[7], eps = row[8], gamma = row[9];
    const double d = row[10], a_p = row[11], lambda_p = row[12], c_p = row[13], b_p = row[14];
    const double l_p = 1 / (2 * lambda_p);
    const double s2 = sigma * sigma;
    const double dw = omega - eps, dt = inv_tau - gamma;

    const double theta = (1 - inv_tau) + c_p * power(s2, l_p);
    const double delta = theta * theta + b_p * power(s2, a_p);
    term t;
    if (beta * dt * dt > 30)
        t.f = 0;
    else
        t.f = row[1] * phi0 * power(delta, d) * std::exp(-alpha * dw * dw - beta * dt * dt);

    const double complex = (c_p / lambda_p) * power(s2, l_p - 1);
    // First derivative of DELTA by OMEGA, divided by SIGMA.
    const double d_omega_by_sigma = 2 * (a_p * b_p * power(s2, a_p - 1) + theta * complex);
    const double d_omega = sigma * d_omega_by_sigma;
    const double pow_exp = (sigma == 0) ? 0 : l_p - 2;
    const double v = 2 * a_p * (a_p - 1) * b_p * power(s2, a_p - 2) +
                     2 * theta * (c_p / lambda_p) * (l_p - 1) * power(s2, pow_exp) + complex * complex;
    const double d_tau = 2 * theta / (tau * tau);
    const double d_omega_tau = 2 * sigma * complex / (tau * tau);

    t.x = row[2] - 2 * alpha * omega * dw + d * omega * d_omega / delta;
    // W stands for the second derivative of DELTA by OMEGA. At OMEGA = EPSILON
    // the term D_OMEGA/(OMEGA - EPSILON) is 0/0; its limit (for EPSILON = 1,
    // where OMEGA - EPSILON is SIGMA) is D_OMEGA/SIGMA + 2 SIGMA^2 V.
    const double w = (dw != 0) ? 2 * dw * dw * v + d_omega / dw : d_omega_by_sigma + 2 * s2 * v;
    t.u = d * omega * (w * delta * omega + d_omega * delta - d_omega * d_omega * omega) / (delta * delta) -
          2 * alpha * omega * (2 * omega - eps);
    t.s = d * omega * tau * (d_omega_tau * delta - d_tau * d_omega) / (delta * delta);
    t.y = 2 * beta * inv_tau * dt - row[3] + 2 * d * theta / (delta * tau);
    t.q = 2 * d * ((1 - theta * tau) * delta - 2 * theta * theta) / ((delta * tau) * (delta * tau)) -
          2 * beta * inv_tau * (2 * inv_tau - gamma);
    return t;
}

std::string number_text(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace

one_d_array therm_derivatives_fund(const const_list&, const two_d_array& coef, double omega, double tau) {
    one_d_array a(LEN_ACC, 0.0);
    const double sigma = omega - 1;
    const double inv_tau = 1 / tau;
    for (const auto& row : coef) {
        const double phi0 = power(omega, row[2]) * power(tau, -row[3]);
        const double kind = std::nearbyint(row[0]);
        term t;
        if (kind == 0)
            t = power_term(row, omega, phi0);
        else if (kind == 1)
            t = gaussian_term(row, omega, inv_tau, phi0);
        else
            t = non_analytic_term(row, omega, tau, inv_tau, sigma, phi0);
        a[0] += t.f * t.x;
        a[1] += t.f * (t.x * (1 + t.x) + t.u);
        a[2] += t.f * (t.x * (1 + t.y) + t.s);
        a[3] += t.f * (t.x - t.y);
        a[4] += -t.f * (1 + t.y);
        a[5] += -t.f * (t.y * (1 + t.y) + t.q);
    }
    return a;
}

one_d_array calc_therm_derivatives_a(const const_list& th_c, const two_d_array& coef, double omega, double tau) {
    return therm_derivatives_fund(th_c, coef, omega, tau);
}

double calc_compres_coeff(const const_list& th_c, const two_d_array& coef, double omega, double tau) {
    return therm_derivatives_fund(th_c, coef, omega, tau)[0];
}

double calc_eq_state(const const_list& th_c, const two_d_array& coef, double omega, double tau, double pi,
                     double z_d) {
    const double c = calc_compres_coeff(th_c, coef, omega, tau);
    return pi - (1 + c) * (tau * omega / z_d);
}

two_d_array read_eos_table(const const_list& th_c) {
    const std::string path = create_path({th_c.names[0], th_c.eos_coeff});
    two_d_array coef = create_coeff_table(th_c.names, th_c.eos_coeff, "");
    for (std::size_t i = 0; i < coef.size(); ++i) {
        const one_d_array& row = coef[i];
        if (row.empty()) reject_table_file(path);
        const double kind = std::nearbyint(row[0]);
        if (kind != 0 && kind != 1 && kind != 2)
            throw std::runtime_error("Недопустимое значение kind = '" + number_text(row[0]) + "' в файле " + path +
                                     ", строка " + std::to_string(i + 1));
        if (row.size() < KIND_COLUMNS[static_cast<std::size_t>(kind)]) reject_table_file(path);
    }
    return coef;
}
