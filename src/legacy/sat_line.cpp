#include "legacy/sat_line.h"

#include <cmath>

#include "engine/model/sat_line.h"
#include "engine/phase/saturation.h"

namespace engine = vantrel::detail;

namespace {

std::string fluid_dir(const const_list& th_c) { return create_path({th_c.names[0], ""}); }

// The pressure correlation of th_c: the form refused before its table is read.
engine::pressure_line line_of(const const_list& th_c) {
    const engine::config c = to_config(th_c);
    return engine::load_pressure_line(c.line, fluid_dir(th_c), c.path);
}

}  // namespace

double calc_p_sat(const const_list& th_c, double t) { return line_of(th_c).p(t); }

double calc_t_sat(const const_list& th_c, double p, double t_min, double t_max, double delta_t) {
    // A bracket already narrow enough needs no correlation at all.
    if (!(std::fabs(t_max - t_min) > delta_t)) return (t_max + t_min) * 0.5;
    return line_of(th_c).T_at(p, t_min, t_max, delta_t);
}

bool sat_range(double par, const std::string& par_id, const const_list& th_c, std::int32_t level) {
    if (par_id != "t" && par_id != "p") return false;
    return engine::in_saturation_range(to_config(th_c), par_id == "t" ? engine::given::T : engine::given::p, par, level);
}

void calc_omega_sat(const const_list& th_c, double tau, double& omega_1, double& omega_2) {
    const engine::config c = to_config(th_c);
    omega_1 = engine::load_density_line(c, "liq", fluid_dir(th_c)).delta(th_c.tau_div * tau);
    omega_2 = engine::load_density_line(c, "gas", fluid_dir(th_c)).delta(th_c.tau_div * tau);
}
