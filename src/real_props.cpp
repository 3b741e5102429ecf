#include "real_props.h"

#include "engine/flash.h"
#include "eos.h"
#include "fp_check.h"
#include "general_func.h"
#include "ideal_gas.h"

namespace engine = vantrel::detail;

namespace {

// Fills prop from the properties of a state, leaving s_0, x and dh.
void copy_properties(const engine::properties& q, prop_list& prop) {
    prop.t = q.T;
    prop.p = q.p;
    prop.rho = q.rho;
    prop.v = q.v;
    prop.r = q.R;
    prop.mu = q.mu;
    prop.z = q.z;
    prop.fug = q.fug;
    prop.c_v = q.cv;
    prop.c_p = q.cp;
    prop.h = q.h;
    prop.s = q.s;
    prop.s_r = q.s_r;
    prop.k = q.k;
    prop.xi = q.xi;
    prop.c = q.w;
    prop.isoth_eff = q.isoth_eff;
    prop.adiab_eff = q.jt;
    prop.k_alpha = q.k_alpha;
    prop.k_betta = q.k_betta;
    prop.k_gamma = q.k_gamma;
    prop.mu_t = q.mu_t;
    prop.mu_p = q.mu_p;
}

void add_residual(const engine::property_constants& c, double t, double p, double rho, prop_list& prop,
                  const vantrel::residual_derivatives& a) {
    copy_properties(engine::real_properties(c, {prop.c_v, prop.h, prop.s_0}, t, p, rho, a), prop);
}

}  // namespace

void calc_prop_list(double t, double p, double rho, const const_list& th_c, prop_list& prop, const one_d_array& a) {
    const engine::property_constants c{th_c.R, th_c.mu, th_c.rho_cr, is_helmholtz_form(th_c.type_calc)};
    add_residual(c, t, p, rho, prop, named_derivatives(a));
}

void real_record(const engine::fluid_data& f, double t, double p, const T_dim_info& dims, prop_list& prop) {
    const engine::single_phase s = engine::solve_tp(f, t, p);
    add_residual(engine::constants_of(f), t, p, s.rho, prop, s.a);
    fp_check();
    reverse_dimensions(dims, prop);
    if (s.phase == vantrel::phase_kind::gas || s.phase == vantrel::phase_kind::supercritical) prop.x = 1;
    if (s.phase == vantrel::phase_kind::liquid) prop.x = 0;
}

void calc_real_props(double t, double p, const T_dim_info& dims, const std::string& agent, prop_list& prop) {
    real_record(*load_agent(agent), t, p, dims, prop);
}

void flash_record(const engine::fluid_data& f, vantrel::input_pair pair, double first, double second,
                  const T_dim_info& dims, prop_list& prop) {
    const engine::flash_state st = engine::flash(f, pair, first, second);
    const engine::property_constants c = engine::constants_of(f);
    if (!st.sat) {
        ideal_record(*f.ideal, c, st.T, st.p, prop);
        add_residual(c, st.T, st.p, st.rho, prop, st.a);
        if (st.phase == vantrel::phase_kind::gas || st.phase == vantrel::phase_kind::supercritical) prop.x = 1;
        if (st.phase == vantrel::phase_kind::liquid) prop.x = 0;
    } else {
        const engine::saturated_properties sp = engine::saturated_phases(f, *st.sat);
        const double x = *st.x;
        prop.t = st.T;
        prop.p = st.p;
        prop.v = (1 - x) * sp.liquid.v + x * sp.vapour.v;
        prop.rho = 1 / prop.v;
        prop.r = c.R;
        prop.mu = c.mu;
        prop.z = st.p * prop.v / (c.R * st.T);
        prop.fug = sp.liquid.fug;  // the phases' fugacities are equal
        prop.h = (1 - x) * sp.liquid.h + x * sp.vapour.h;
        prop.s = (1 - x) * sp.liquid.s + x * sp.vapour.s;
        prop.dh = sp.vapour.h - sp.liquid.h;
    }
    if (st.x) prop.x = *st.x;
    fp_check();
    reverse_dimensions(dims, prop);
}

bool calc_sat_props(double par, const std::string& par_id, const T_dim_info& dims, const std::string& agent,
                    prop_list& prop, const std::string& phase) {
    fp_clear();
    const bool one_phase = phase == PH_ST.liquid || phase == PH_ST.gas;
    const auto f = load_agent(agent, one_phase ? engine::load_parts::all : engine::load_parts::without_ideal);
    if (par_id == PR.t) par = change_dimension_t(dims.t_dim, "K", par);
    if (par_id == PR.p) par = change_dimension_p(dims.p_dim, "Pa", par);
    if (par_id != PR.t && par_id != PR.p) return false;
    const auto s = engine::saturated_states(*f, par_id == PR.t ? engine::given::T : engine::given::p, par);
    if (!s) return false;

    prop_list result = prop;
    const bool liquid = phase == PH_ST.liquid;
    if (one_phase) {
        const engine::property_constants c = engine::constants_of(*f);
        ideal_record(*f->ideal, c, s->T, s->p, result);
        const double rho = f->cfg.rho_div * (liquid ? s->omega_1 : s->omega_2);
        add_residual(c, s->T, s->p, rho, result, liquid ? s->a1 : s->a2);
        result.x = liquid ? 0 : 1;
    }
    result.t = s->T;
    result.p = s->p;
    result.dh = s->dh;
    fp_check();
    reverse_dimensions(dims, result);
    prop = result;
    return true;
}
