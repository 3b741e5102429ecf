// Saturation-line correlations: the saturation pressure by one of nine forms,
// its inverse by bisection, and the saturated densities by one of five forms.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/config.h"
#include "engine/base/files.h"

namespace vantrel::detail {

// The file name with "_" + id inserted before its first "." (at its end when
// it has none); the name itself when id is empty.
std::string side_file_name(const std::string& name, const std::string& id);

class pressure_line {
public:
    // Refuses sat_id outside 0 to 9 (0: no correlation), and a base other
    // than "exp" or "dec" for the forms that use one. t: the table of the
    // file named by sat_line (empty for forms 0 and 7).
    pressure_line(const line_config& c, table t, const std::string& config_path, const std::string& table_path);

    // Whether the form reads the saturation-line table.
    static bool reads_table(std::int32_t sat_id) { return sat_id != 0 && sat_id != 7; }

    std::int32_t form() const { return c_.sat_id; }

    // Saturation pressure (Pa) at T (K); refuses form 0.
    double p(double T) const;

    // Saturation temperature (K) at p (Pa): bisection in [t_min, t_max] until
    // the bracket is no wider than delta_t, or no longer narrows.
    double T_at(double p, double t_min, double t_max, double delta_t) const;

private:
    line_config c_;
    table table_;
    std::string config_path_;
};

class density_line {
public:
    // form: 1, 2, 3, 11 or 12 (refused otherwise, under key); t: the side's
    // table, of 1 - theta, theta = T / tau_div the correlation's reduced
    // temperature.
    density_line(std::int32_t form, const char* key, table t, double sat_rho, double rho_div, double tau_div,
                 const std::string& config_path, const std::string& table_path);

    // delta = rho / rho_div of the saturated phase at T (K).
    double delta(double T) const;

private:
    std::int32_t form_;
    table table_;
    double sat_rho_, rho_div_, tau_div_;
};

// The pressure correlation of the fluid in dir: its form and base checked
// first, then the table it reads.
pressure_line load_pressure_line(const line_config& c, const std::string& dir, const std::string& config_path);

// The saturated-density correlation of one side ("liq" or "gas") of the
// fluid in dir: the form first (key names it), then its table.
density_line load_density_line(const config& c, const char* side, const std::string& dir);

}  // namespace vantrel::detail
