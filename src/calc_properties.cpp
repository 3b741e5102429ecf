#include "calc_properties.h"

#include "engine/states.h"
#include "fp_check.h"
#include "general_func.h"
#include "ideal_gas.h"
#include "real_props.h"
#include "saturation.h"

namespace {

std::string short_text(const std::string& text) { return text.substr(0, SHORT_TEXT_MAX); }

bool is_t_or_p(const std::string& id) { return id == PR.t || id == PR.p; }

// The pairs other than (t, p), by their identifiers in either order.
struct named_pair {
    const std::string* first;
    const std::string* second;
    vantrel::input_pair pair;
};
const named_pair OTHER_PAIRS[] = {
    {&PR.p, &PR.h, vantrel::input_pair::p_h}, {&PR.p, &PR.s, vantrel::input_pair::p_s},
    {&PR.t, &PR.x, vantrel::input_pair::T_x}, {&PR.p, &PR.x, vantrel::input_pair::p_x},
    {&PR.t, &PR.rho, vantrel::input_pair::T_rho}, {&PR.h, &PR.s, vantrel::input_pair::h_s},
};

// A value in the units of the computations: t to K and p to Pa from dims.
double in_si(const std::string& id, double value, const T_dim_info& dims) {
    if (id == PR.t) return change_dimension_t(dims.t_dim, "K", value);
    if (id == PR.p) return change_dimension_p(dims.p_dim, "Pa", value);
    return value;
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
    const std::string id_1 = short_text(par_1_id);
    const std::string id_2 = short_text(par_2_id);
    if (is_t_or_p(id_1) && is_t_or_p(id_2)) {
        if (id_1 == PR.t)
            monophase_props(prop, par_1, par_2, dims, agent);
        else
            monophase_props(prop, par_2, par_1, dims, agent);
        return;
    }
    for (const named_pair& n : OTHER_PAIRS) {
        const bool in_order = id_1 == *n.first && id_2 == *n.second;
        if (!in_order && !(id_1 == *n.second && id_2 == *n.first)) continue;
        fp_clear();
        const double first = in_si(*n.first, in_order ? par_1 : par_2, dims);
        const double second = in_si(*n.second, in_order ? par_2 : par_1, dims);
        flash_record(*load_agent(short_text(agent)), n.pair, first, second, dims, prop);
        return;
    }
}

void monophase_props(prop_list& prop, double t, double p, const T_dim_info& dims, const std::string& agent) {
    fp_clear();
    const double t_k = change_dimension_t(dims.t_dim, "K", t);
    const double p_pa = change_dimension_p(dims.p_dim, "Pa", p);
    // One load serves both models.
    const auto f = load_agent(short_text(agent));
    ideal_record(*f->ideal, vantrel::detail::constants_of(*f), t_k, p_pa, prop);
    real_record(*f, t_k, p_pa, dims, prop);
    fp_check();
}

std::string calc_phase_state(double t, double p, const T_dim_info& dims, const std::string& agent) {
    fp_clear();
    const double t_k = change_dimension_t(dims.t_dim, "K", t);
    const double p_pa = change_dimension_p(dims.p_dim, "Pa", p);
    std::string phase = short_text(calc_ph_state(t_k, p_pa, short_text(agent)));
    fp_check();
    return phase;
}

std::string calc_range_warning(double t, double p, const T_dim_info& dims, const std::string& agent) {
    const double t_k = change_dimension_t(dims.t_dim, "K", t);
    const double p_pa = change_dimension_p(dims.p_dim, "Pa", p);
    return vantrel::detail::range_warning(vantrel::detail::read_fluid_info(create_path({short_text(agent), ""})),
                                          t_k, p_pa);
}
