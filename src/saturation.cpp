#include "saturation.h"

#include "const_unit.h"
#include "engine/states.h"

namespace engine = vantrel::detail;

std::optional<double> cacl_sat_par(double par, const std::string& par_id, const str_arr& names, double& omega_1,
                                   double& omega_2) {
    const auto f = load_agent(names[0], engine::load_parts::without_ideal);
    if (par_id != PR.t && par_id != PR.p) return std::nullopt;
    const auto s = engine::solve_saturation(*f, par_id == PR.t ? engine::given::T : engine::given::p, par);
    if (!s) return std::nullopt;
    if (s->omega_1) {
        omega_1 = *s->omega_1;
        omega_2 = *s->omega_2;
    }
    return par_id == PR.t ? s->p : s->T;
}

std::string calc_ph_state(double t, double p, const std::string& agent) {
    return vantrel::phase_name(engine::decide_phase(*load_agent(agent, engine::load_parts::without_ideal), t, p).phase);
}
