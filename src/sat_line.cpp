#include "sat_line.h"

#include <cmath>

#include "engine/sat_line.h"
#include "engine/states.h"

namespace engine = vantrel::detail;

namespace {

std::string fluid_dir(const const_list& th_c) { return create_path({th_c.names[0], ""}); }

}  // namespace

double calc_p_sat(const const_list& th_c, double t) {
    const engine::config c = to_config(th_c);
    // The form is refused before any table is read.
    if (c.line.sat_id < 1 || c.line.sat_id > 9) reject_config_value(th_c, "sat_id", std::to_string(c.line.sat_id));
    return engine::load_pressure_line(c.line, fluid_dir(th_c), c.path).p(t);
}

double calc_t_sat(const const_list& th_c, double p, double t_min, double t_max, double delta_t) {
    // A bracket already narrow enough needs no correlation at all.
    if (!(std::fabs(t_max - t_min) > delta_t)) return (t_max + t_min) * 0.5;
    const engine::config c = to_config(th_c);
    if (c.line.sat_id < 1 || c.line.sat_id > 9) reject_config_value(th_c, "sat_id", std::to_string(c.line.sat_id));
    return engine::load_pressure_line(c.line, fluid_dir(th_c), c.path).T_at(p, t_min, t_max, delta_t);
}

bool sat_range(double par, const std::string& par_id, const const_list& th_c, std::int32_t level) {
    if (par_id != "t" && par_id != "p") return false;
    const engine::given g = (par_id == "t") ? engine::given::T : engine::given::p;
    return engine::in_saturation_range(to_config(th_c), g, par, level);
}

void calc_omega_sat(const const_list& th_c, double tau, double& omega_1, double& omega_2) {
    const engine::config c = to_config(th_c);
    omega_1 = engine::load_density_line(c, "liq", fluid_dir(th_c)).omega(tau);
    omega_2 = engine::load_density_line(c, "gas", fluid_dir(th_c)).omega(tau);
}
