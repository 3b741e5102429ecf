#include "real_props.h"

#include "engine/flash.h"
#include "eos.h"
#include "fp_check.h"
#include "general_func.h"

namespace engine = vantrel::detail;

void calc_prop_list(double t, double p, double rho, const const_list& th_c, prop_list& prop, const one_d_array& a) {
    const engine::property_constants c{th_c.R, th_c.mu, th_c.rho_cr, engine::is_helmholtz_form(th_c.type_calc)};
    engine::add_residual(c, t, p, rho, named_derivatives(a), prop);
}

void real_record(const engine::fluid_data& f, double t, double p, const T_dim_info& dims, prop_list& prop) {
    const engine::single_phase s = engine::solve_tp(f, t, p);
    engine::add_residual(engine::constants_of(f), t, p, s.rho, s.a, prop);
    fp_check();
    reverse_dimensions(dims, prop);
    engine::single_phase_x(s.phase, prop);
}

void calc_real_props(double t, double p, const T_dim_info& dims, const std::string& agent, prop_list& prop) {
    real_record(*load_agent(agent), t, p, dims, prop);
}

void flash_record(const engine::fluid_data& f, vantrel::input_pair pair, double first, double second,
                  const T_dim_info& dims, prop_list& prop) {
    engine::fill_record(f, engine::flash(f, pair, first, second), prop);
    fp_check();
    reverse_dimensions(dims, prop);
}

bool calc_sat_props(double par, const std::string& par_id, const T_dim_info& dims, const std::string& agent,
                    prop_list& prop, const std::string& phase) {
    fp_clear();
    const auto side = phase == PH_ST.liquid ? vantrel::phase_kind::liquid
                      : phase == PH_ST.gas  ? vantrel::phase_kind::gas
                                            : vantrel::phase_kind::none;
    const auto f = load_agent(agent, side == vantrel::phase_kind::none ? engine::load_parts::without_ideal
                                                                       : engine::load_parts::all);
    if (par_id != PR.t && par_id != PR.p) return false;
    const auto s = engine::saturated_states(*f, par_id == PR.t ? engine::given::T : engine::given::p,
                                            standard_units(par_id, par, dims));
    if (!s) return false;
    prop_list result = prop;
    engine::add_saturated(*f, *s, side, result);
    fp_check();
    reverse_dimensions(dims, result);
    prop = result;
    return true;
}
