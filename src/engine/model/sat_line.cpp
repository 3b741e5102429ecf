#include "engine/model/sat_line.h"

#include <cmath>

#include "engine/base/fpu.h"
#include "engine/base/polynomial.h"

namespace vantrel::detail {

std::string side_file_name(const std::string& name, const std::string& id) {
    std::string out = name;
    if (!id.empty()) {
        const std::size_t dot = out.find('.');
        out.insert(dot == std::string::npos ? out.size() : dot, "_" + id);
    }
    return out;
}

pressure_line::pressure_line(const line_config& c, table t, const std::string& config_path,
                             const std::string& table_path)
    : c_(c), table_(std::move(t)), config_path_(config_path) {
    if (c.sat_id < 0 || c.sat_id > 9) reject_value(config_path, "sat_id", std::to_string(c.sat_id));
    const bool uses_base = c.sat_id != 0 && c.sat_id != 6 && c.sat_id != 7;
    if (uses_base && c.sat_base != "exp" && c.sat_base != "dec") reject_value(config_path, "sat_base", c.sat_base);
    if (reads_table(c.sat_id)) require_columns(table_, 2, table_path);
}

double pressure_line::p(double T) const {
    const std::int32_t form = c_.sat_id;
    if (form < 1 || form > 9) reject_value(config_path_, "sat_id", std::to_string(form));
    const double x = T / c_.sat_tau;
    const double p0 = c_.p_s_0;
    if (form == 7) {
        const double psi = 4 * (x - 1) / x + (x - 1) * (0.2 * (1 + x) * (1 + x) + 0.5) - 5.3 * std::log(x);
        return p0 * std::exp((c_.Ri - 4 + c_.P_a) * psi + c_.Ri * std::log(x));
    }
    const auto sum = [&](double y) { return t_polynom(table_, y, 0, false); };
    if (form == 6) return p0 * sum(x);
    const double b = (c_.sat_base == "exp") ? 2.718281828459045 : 10;
    switch (form) {
        case 1: return p0 * power(b, sum(1 - x) / x);
        case 2: return p0 * power(b, t_polynom(table_, x, c_.b_s, false));
        case 3: return p0 * power(b, sum(x) + c_.b_s * power(1 - x, 1.35));
        case 4: return p0 * power(b, sum(x) + c_.b_s * std::log10(x));
        case 5: return p0 * power(b, (sum(1 - x) + c_.b_s * x * std::log(x)) / x);
        case 8: return p0 * power(b, sum(x - 1));
        default:
            return p0 * power(b, sum(x) + c_.b_s * std::log10(x) +
                                     c_.a_s * ((c_.c_s - x) / x) * std::log10(c_.c_s - x));
    }
}

double pressure_line::T_at(double p_given, double t_min, double t_max, double delta_t) const {
    double f_min = p_given - p(t_min);
    while (std::fabs(t_max - t_min) > delta_t) {
        const double t_c = (t_max + t_min) * 0.5;
        // A bracket that no longer narrows (delta_t at the resolution of the
        // numbers, or below zero) ends the search instead of looping forever.
        if (t_c == t_min || t_c == t_max) break;
        const double f_c = p_given - p(t_c);
        check_fp();
        // A root met exactly is the answer: the sign test below would move
        // away from it towards t_max.
        if (f_min == 0) return t_min;
        if (f_c == 0) return t_c;
        if (f_c * f_min < 0) {
            t_max = t_c;
        } else {
            t_min = t_c;
            f_min = f_c;
        }
    }
    return (t_max + t_min) * 0.5;
}

density_line::density_line(std::int32_t form, const char* key, table t, double sat_rho, double rho_div,
                           double tau_div, const std::string& config_path, const std::string& table_path)
    : form_(form), table_(std::move(t)), sat_rho_(sat_rho), rho_div_(rho_div), tau_div_(tau_div) {
    if (form != 1 && form != 2 && form != 3 && form != 11 && form != 12)
        reject_value(config_path, key, std::to_string(form));
    require_columns(table_, 2, table_path);
}

double density_line::delta(double T) const {
    const double theta = T / tau_div_, y = 1 - theta;
    double f = 0;
    switch (form_) {
        case 1: f = std::exp(t_polynom(table_, y, 0, false)); break;
        case 2: f = t_polynom(table_, y, 0, false); break;
        case 3: f = std::exp(t_polynom(table_, y, 0, false) / theta); break;
        case 11: f = 1 + frac_polynom(table_, y, 3); break;
        default: f = std::exp(frac_polynom(table_, y, 6)); break;
    }
    return sat_rho_ * f / rho_div_;
}

pressure_line load_pressure_line(const line_config& c, const std::string& dir, const std::string& config_path) {
    pressure_line line(c, {}, config_path, "");
    if (!pressure_line::reads_table(c.sat_id)) return line;
    return pressure_line(c, read_fluid_table(dir, c.sat_line), config_path, dir + "/" + c.sat_line);
}

density_line load_density_line(const config& c, const char* side, const std::string& dir) {
    const bool liq = std::string(side) == "liq";
    const std::int32_t form = liq ? c.sat_liq_id : c.sat_gas_id;
    const char* key = liq ? "sat_liq_id" : "sat_gas_id";
    density_line(form, key, {}, c.sat_rho, c.rho_div, c.tau_div, c.path, "");
    const std::string name = side_file_name(c.line.sat_line, side);
    return density_line(form, key, read_fluid_table(dir, name), c.sat_rho, c.rho_div, c.tau_div, c.path,
                        dir + "/" + name);
}

}  // namespace vantrel::detail
