#include "legacy/real_props.h"

#include "engine/api/check.h"
#include "engine/phase/boundary.h"
#include "legacy/eos.h"
#include "legacy/fp_check.h"
#include "legacy/general_func.h"
#include "legacy/record.h"

namespace engine = vantrel::detail;

void calc_prop_list(double t, double p, double rho, const const_list& th_c, prop_list& prop, const one_d_array& a) {
    const legacy::property_constants c{th_c.R, th_c.mu, th_c.rho_cr, engine::is_helmholtz_form(th_c.type_calc)};
    legacy::add_residual(c, t, p, rho, named_derivatives(a), prop);
}

void real_record(const engine::fluid_impl& f, double t, double p, const T_dim_info& dims, prop_list& prop) {
    const engine::flash_state st = engine::at_T_p(f.core, t, p);
    const engine::component_data& c = f.core.m->pure();
    legacy::add_residual(legacy::constants_of(c), t, p, st.rho * f.core.M, legacy::derivatives_of(st.alpha), prop);
    fp_check();
    reverse_dimensions(dims, prop);
    legacy::single_phase_x(st.phase, prop);
}

void calc_real_props(double t, double p, const T_dim_info& dims, const std::string& agent, prop_list& prop) {
    real_record(*load_agent(agent), t, p, dims, prop);
}

void flash_record(const engine::fluid_impl& f, vantrel::input_pair pair, double first, double second,
                  const T_dim_info& dims, prop_list& prop) {
    const auto [a, b] = vantrel::keys_of(pair);
    engine::flash_state st;
    try {
        st = engine::flash(f.core, pair, engine::molar_given(f, a, first), engine::molar_given(f, b, second));
    } catch (const vantrel::error& e) {
        // The failures of a flash quote the pair's values.
        if (!e.values().empty()) throw;
        throw vantrel::error(e.kind(), e.id(), {engine::pair_values(pair, first, second)});
    }
    legacy::fill_record(f, st, prop);
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
    const auto s = f->core.boundary->point(engine::side::bubble, par_id == PR.t ? engine::given::T : engine::given::p,
                                           standard_units(par_id, par, dims));
    if (!s) return false;
    prop_list result = prop;
    legacy::add_saturated(*f, *s, side, result);
    fp_check();
    reverse_dimensions(dims, result);
    prop = result;
    return true;
}
