#include "legacy/calc_properties.h"

#include "engine/api/check.h"
#include "legacy/record.h"
#include "legacy/fp_check.h"
#include "legacy/general_func.h"
#include "legacy/real_props.h"
#include "legacy/saturation.h"
#include "vantrel/properties.h"

namespace {

std::string short_text(const std::string& text) { return text.substr(0, SHORT_TEXT_MAX); }

// The library's input key of an identifier of PR: "t" is T, the others
// are the keys' own names (so "T" itself, in upper case, is none).
std::optional<vantrel::input_key> key_of(const std::string& id) {
    const vantrel::key_info* k = id == "T" ? nullptr : vantrel::find_key(id == PR.t ? "T" : id);
    return k != nullptr ? std::optional(k->id) : std::nullopt;
}

}  // namespace

double calc_property_h(double par_1, const std::string& par_1_id, double par_2, const std::string& par_2_id,
                       const T_dim_info& dims, const std::string& agent) {
    prop_list prop;
    calc_props(prop, par_1, par_1_id, par_2, par_2_id, dims, agent);
    return prop.h;
}

void calc_props(prop_list& prop, double par_1, const std::string& par_1_id, double par_2, const std::string& par_2_id,
                const T_dim_info& dims, const std::string& agent) {
    const std::string id_1 = short_text(par_1_id), id_2 = short_text(par_2_id);
    const auto a = key_of(id_1), b = key_of(id_2);
    const auto t_or_p = [](const auto& k) { return k == vantrel::input_key::T || k == vantrel::input_key::p; };
    // (t, p) in either order: the roles by the first identifier alone.
    if (t_or_p(a) && t_or_p(b)) return id_1 == PR.t ? monophase_props(prop, par_1, par_2, dims, agent)
                                                     : monophase_props(prop, par_2, par_1, dims, agent);
    const auto order = (a && b) ? vantrel::pair_of(*a, *b) : std::nullopt;
    if (!order) return;
    fp_clear();
    const double first = standard_units(order->swapped ? id_2 : id_1, order->swapped ? par_2 : par_1, dims);
    const double second = standard_units(order->swapped ? id_1 : id_2, order->swapped ? par_1 : par_2, dims);
    flash_record(*load_agent(short_text(agent)), order->pair, first, second, dims, prop);
}

void monophase_props(prop_list& prop, double t, double p, const T_dim_info& dims, const std::string& agent) {
    fp_clear();
    const double t_k = standard_units(PR.t, t, dims), p_pa = standard_units(PR.p, p, dims);
    const auto f = load_agent(short_text(agent));  // one load serves both models
    const vantrel::detail::component_data& c = f->core.m->pure();
    legacy::add_ideal_gas(*c.ideal, legacy::constants_of(c), t_k, p_pa, prop);
    real_record(*f, t_k, p_pa, dims, prop);
    fp_check();
}

std::string calc_phase_state(double t, double p, const T_dim_info& dims, const std::string& agent) {
    fp_clear();
    std::string phase = short_text(calc_ph_state(standard_units(PR.t, t, dims), standard_units(PR.p, p, dims),
                                                 short_text(agent)));
    fp_check();
    return phase;
}

std::string calc_range_warning(double t, double p, const T_dim_info& dims, const std::string& agent) {
    const auto warning =
        vantrel::detail::range_warning(vantrel::detail::read_fluid_info(create_path({short_text(agent), ""})),
                                       standard_units(PR.t, t, dims), standard_units(PR.p, p, dims));
    return warning ? warning->text({vantrel::language::ru, std::nullopt}) : "";
}
