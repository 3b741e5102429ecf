#include "ideal_gas.h"

#include <cmath>

#include "fp_check.h"

namespace {

const char* const CP_FILE = "c_p.txt";

// Column value rounded to the nearest integer, halves to the even neighbour
// (the default rounding mode).
double as_integer(double value) { return std::nearbyint(value); }

// x multiplied by itself n times, by repeated squaring.
double integral_power(double x, long long n) {
    double result = 1;
    while (n > 0) {
        if (n & 1) result *= x;
        n >>= 1;
        if (n > 0) x *= x;
    }
    return result;
}

bool is_odd(double k) { return std::fmod(k, 2.0) != 0; }

}  // namespace

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

double calc_t_polynom(const two_d_array& table, double tau, double b, bool rounding) {
    double sum = 0;
    for (const auto& row : table) {
        const double a = row[1];
        double f = 0;
        if (!rounding) {
            f = power(tau, row[0]);
        } else {
            const double k = as_integer(row[0]);
            f = power(std::fabs(tau), k);
            if (tau < 0 && is_odd(k)) f = -f;
        }
        sum = sum + f * a;
    }
    if (tau > 0) sum = sum + b * std::log(tau);
    return sum;
}

double calc_t_polynom(const str_arr& names, double tau, double b, bool rounding) {
    return calc_t_polynom(read_table_checked(names, 2), tau, b, rounding);
}

double calc_frac_polynom(const two_d_array& table, double tau, double b) {
    double sum = 0;
    for (const auto& row : table) sum = sum + row[1] * power(tau, row[0] / b);
    return sum;
}

double calc_ideal_enthalpy(const str_arr& names, double tau, double h_0, double h_0_0) {
    const two_d_array table = read_table_checked(names, 2);
    double sum = 0;
    double delta = 0;
    for (const auto& row : table) {
        const double j = as_integer(row[0]);
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

double calc_ideal_entropy(const str_arr& names, double tau, double s_0, double s_0_0) {
    const two_d_array table = read_table_checked(names, 2);
    double sum = 0;
    double delta = 0;
    for (const auto& row : table) {
        const double j = as_integer(row[0]);
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

void ideal_caloric_exp(const str_arr& names, const std::string& type_calc, const std::string& exp_dim, double tau,
                       double t_c, double a_1, double a_2, double a_3, double& c_p, double& h, double& s) {
    const double theta = 1 / tau;
    const bool two_columns = type_calc == "f_exp" || type_calc == "f_pol";
    const bool three_columns = type_calc == "f_comb" || type_calc == "f_hyp";
    const two_d_array table = read_table_checked(names, three_columns ? 3 : (two_columns ? 2 : 0));
    // Characteristic values written in kelvin are reduced by t_c, for the
    // exponential and hyperbolic forms only.
    const bool in_kelvin = exp_dim == "T_c";

    c_p = 1 + a_3;
    h = 1 + a_3 + a_2 * theta;
    double f = a_1 + a_2 * theta + a_3 * std::log(theta);

    const auto add_exp = [&](double gamma, double a) {
        const double e = std::exp(-gamma * theta);
        const double d = gamma * theta / (1 - e);
        fp_check();  // a 0/0 here comes before the logarithm of 0 below
        c_p += a * e * d * d;
        h += a * e * d;
        f += a * std::log(1 - e);
    };
    const auto add_pow = [&](double gamma, double a) {
        const double p = power(theta, gamma);
        f += a * p;
        h += gamma * a * p;
        c_p += (1 - gamma) * gamma * a * p;
    };

    for (const auto& row : table) {
        if (type_calc == "f_exp") {
            add_exp(in_kelvin ? row[0] / t_c : row[0], row[1]);
        } else if (type_calc == "f_pol") {
            add_pow(row[0], row[1]);
        } else if (type_calc == "f_comb") {
            const double kind = as_integer(row[0]);
            if (kind == 1) add_pow(row[1], row[2]);
            if (kind == 2) add_exp(row[1], row[2]);
        } else if (type_calc == "f_hyp") {
            const double kind = as_integer(row[0]);
            const double x = (in_kelvin ? row[1] / t_c : row[1]) * theta;
            const double a = row[2];
            if (kind == 1) {
                f += a * std::log(std::sinh(x));
                h += a * x / std::tanh(x);
                c_p += a * (x / std::sinh(x)) * (x / std::sinh(x));
            } else if (kind == 2) {
                f -= a * std::log(std::cosh(x));
                h -= a * x * std::tanh(x);
                c_p += a * (x / std::cosh(x)) * (x / std::cosh(x));
            }
        }
    }
    s = (h - 1) - f;
}

bool is_helmholtz_form(const std::string& type_calc) {
    return type_calc == "f_exp" || type_calc == "f_pol" || type_calc == "f_comb" || type_calc == "f_hyp";
}

void calc_ideal_therm(const str_arr& names, const const_list& th_c, double t, prop_list& prop) {
    // Forms and units the program does not know would leave c_p, h and s
    // uncomputed: refuse them instead.
    if (!is_helmholtz_form(th_c.type_calc) && th_c.type_calc != "Cp")
        reject_config_value(th_c, "type_calc", th_c.type_calc);
    const std::string& unit = th_c.type_prop;
    if (unit != "R" && unit != "kJ" && unit != "J" && unit != "mu") reject_config_value(th_c, "type_prop", unit);

    str_arr cp_names = names;
    cp_names[1] = CP_FILE;
    const double r = th_c.R;
    const double tau = t / th_c.k_term;
    if (is_helmholtz_form(th_c.type_calc)) {
        ideal_caloric_exp(cp_names, th_c.type_calc, th_c.exp_dim, tau, th_c.k_term, th_c.s_0, th_c.h_0, th_c.c_0,
                          prop.c_p, prop.h, prop.s);
    } else {
        // Checked step by step, so that the first fault is the one reported.
        prop.c_p = calc_t_polynom(cp_names, tau, 0, false);
        fp_check();
        const double h_0_0 = th_c.h_0_0 / (t * r);
        fp_check();
        prop.h = calc_ideal_enthalpy(cp_names, tau, th_c.h_0, h_0_0);
        fp_check();
        prop.s = calc_ideal_entropy(cp_names, tau, th_c.s_0, th_c.s_0_0 / r);
    }

    double k = 1;
    if (unit == "R") k = r;
    if (unit == "mu") k = 1 / th_c.mu;
    prop.h = prop.h * t;
    if (unit == "kJ" || unit == "mu") {
        prop.c_p = prop.c_p * 1000;
        prop.h = prop.h * 1000;
        prop.s = prop.s * 1000;
    }
    prop.c_p = prop.c_p * k;
    prop.h = prop.h * k;
    prop.s = prop.s * k;
    prop.s_0 = prop.s;
}

void calc_ideal_props(const std::string& agent, double t, double p, prop_list& prop, const std::string& dest) {
    const str_arr names{agent, "config.txt"};
    const const_list th_c = create_const(names, dest, "config.txt");
    calc_ideal_therm(names, th_c, t, prop);
    const double r = th_c.R;
    prop.r = th_c.R;
    prop.mu = th_c.mu;
    prop.t = t;
    prop.p = p;
    prop.rho = p / (t * r);
    prop.z = 1;
    const double state_term = is_helmholtz_form(th_c.type_calc) ? std::log(th_c.rho_cr / prop.rho)
                                                                  : std::log(P_PHYS / p);
    prop.s = prop.s + state_term * prop.r;
    prop.c_v = prop.c_p - r;
    prop.k = prop.c_p / prop.c_v;
    prop.c = std::sqrt(t * r * prop.k);
    fp_check();
}
