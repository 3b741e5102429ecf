#include "legacy/saturation.h"

#include "engine/phase/pure_boundary.h"
#include "legacy/const_unit.h"

namespace engine = vantrel::detail;

std::optional<double> cacl_sat_par(double par, const std::string& par_id, const str_arr& names, double& omega_1,
                                   double& omega_2) {
    const auto f = load_agent(names[0], engine::load_parts::without_ideal);
    if (par_id != PR.t && par_id != PR.p) return std::nullopt;
    const auto s = engine::solve_saturation(*f->core.m, par_id == PR.t ? engine::given::T : engine::given::p, par);
    if (!s) return std::nullopt;
    if (s->rho_liquid) {
        const double rho_r = f->core.m->pure().cfg.rho_div;
        omega_1 = *s->rho_liquid / rho_r;
        omega_2 = *s->rho_vapour / rho_r;
    }
    return par_id == PR.t ? s->p : s->T;
}

std::string calc_ph_state(double t, double p, const std::string& agent) {
    const auto f = load_agent(agent, engine::load_parts::without_ideal);
    const auto& b = static_cast<const engine::pure_boundary&>(*f->core.boundary);
    return vantrel::phase_name(b.decide_phase(t, p).phase);
}
