#include "engine/model/ideal.h"

#include <cmath>

#include "engine/base/fpu.h"
#include "engine/base/polynomial.h"

namespace vantrel::detail {

std::size_t ideal_table_columns(const std::string& type_calc) {
    if (type_calc == "f_comb" || type_calc == "f_hyp") return 3;
    return type_calc == "Cp" || is_helmholtz_form(type_calc) ? 2 : 0;
}

double cp_table_enthalpy(const table& t, double tau, double h_0, double h_0_0) {
    double sum = 0;
    double delta = 0;
    for (const auto& row : t) {
        const double j = std::nearbyint(row[0]);
        const double a = row[1];
        if (j != -1) {
            const double a1 = a / (j + 1);
            delta = delta - a1;
            sum = sum + a1 * power(tau, j);
        } else {
            sum = sum + a * std::log(tau) / tau;
        }
    }
    return (h_0 + delta) / tau + sum + h_0_0;
}

double cp_table_entropy(const table& t, double tau, double s_0, double s_0_0) {
    double sum = 0;
    double delta = 0;
    for (const auto& row : t) {
        const double j = std::nearbyint(row[0]);
        const double a = row[1];
        if (j != 0) {
            const double a1 = a / j;
            delta = delta - a1;
            sum = sum + a1 * power(tau, j);
        } else {
            sum = sum + a * std::log(tau);
        }
    }
    return delta + sum + s_0 + s_0_0;
}

namespace {

// Terms of the Helmholtz forms, added to the reduced c_p, h and F.
struct helmholtz_sum {
    double theta;
    double cp, h, f;
    void add_exp(double gamma, double a) {
        const double e = std::exp(-gamma * theta);
        const double d = gamma * theta / (1 - e);
        check_fp();  // a 0/0 here comes before the logarithm of 0 below
        cp += a * e * d * d;
        h += a * e * d;
        f += a * std::log(1 - e);
    }
    void add_pow(double gamma, double a) {
        const double p = power(theta, gamma);
        f += a * p;
        h += gamma * a * p;
        cp += (1 - gamma) * gamma * a * p;
    }
    void add_hyp(double kind, double x, double a) {
        if (kind == 1) {
            f += a * std::log(std::sinh(x));
            h += a * x / std::tanh(x);
            cp += a * (x / std::sinh(x)) * (x / std::sinh(x));
        } else if (kind == 2) {
            f -= a * std::log(std::cosh(x));
            h -= a * x * std::tanh(x);
            cp += a * (x / std::cosh(x)) * (x / std::cosh(x));
        }
    }
};

}  // namespace

reduced_caloric helmholtz_ideal(const table& t, const std::string& type_calc, const std::string& exp_dim,
                                double tau, double t_c, double a_1, double a_2, double a_3) {
    const double theta = 1 / tau;
    // Characteristic values written in kelvin are reduced by t_c, for the
    // exponential and hyperbolic forms only.
    const bool in_kelvin = exp_dim == "T_c";
    helmholtz_sum sum{theta, 1 + a_3, 1 + a_3 + a_2 * theta, a_1 + a_2 * theta + a_3 * std::log(theta)};
    for (const auto& row : t) {
        if (type_calc == "f_exp") {
            sum.add_exp(in_kelvin ? row[0] / t_c : row[0], row[1]);
        } else if (type_calc == "f_pol") {
            sum.add_pow(row[0], row[1]);
        } else if (type_calc == "f_comb") {
            const double kind = std::nearbyint(row[0]);
            if (kind == 1) sum.add_pow(row[1], row[2]);
            if (kind == 2) sum.add_exp(row[1], row[2]);
        } else if (type_calc == "f_hyp") {
            sum.add_hyp(std::nearbyint(row[0]), (in_kelvin ? row[1] / t_c : row[1]) * theta, row[2]);
        }
    }
    return {sum.cp, sum.h, (sum.h - 1) - sum.f};
}

ideal_model::ideal_model(const ideal_config& c, double R, double mu, table cp_table, const std::string& config_path,
                         const std::string& table_path)
    : c_(c), R_(R), mu_(mu), table_(std::move(cp_table)), helmholtz_(is_helmholtz_form(c.type_calc)) {
    if (!is_helmholtz_form(c.type_calc) && c.type_calc != "Cp") reject_value(config_path, "type_calc", c.type_calc);
    const std::string& unit = c.type_prop;
    if (unit != "R" && unit != "kJ" && unit != "J" && unit != "mu") reject_value(config_path, "type_prop", unit);
    require_columns(table_, ideal_table_columns(c.type_calc), table_path);
}

ideal_values ideal_model::at(double T) const {
    const double tau = T / c_.k_term;
    reduced_caloric v;
    if (helmholtz()) {
        v = helmholtz_ideal(table_, c_.type_calc, c_.exp_dim, tau, c_.k_term, c_.s_0, c_.h_0, c_.c_0);
    } else {
        // Checked step by step, so that the first fault is the one reported.
        v.cp = t_polynom(table_, tau, 0, false);
        check_fp();
        const double h_0_0 = c_.h_0_0 / (T * R_);
        check_fp();
        v.h = cp_table_enthalpy(table_, tau, c_.h_0, h_0_0);
        check_fp();
        v.s = cp_table_entropy(table_, tau, c_.s_0, c_.s_0_0 / R_);
    }
    double k = 1;
    if (c_.type_prop == "R") k = R_;
    if (c_.type_prop == "mu") k = 1 / mu_;
    double h = v.h * T;
    double cp = v.cp, s = v.s;
    if (c_.type_prop == "kJ" || c_.type_prop == "mu") {
        cp = cp * 1000;
        h = h * 1000;
        s = s * 1000;
    }
    return {cp * k, h * k + c_.h_shift, s * k + c_.s_shift};
}

}  // namespace vantrel::detail
