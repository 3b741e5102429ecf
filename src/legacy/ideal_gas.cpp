#include "legacy/ideal_gas.h"

#include "engine/model/ideal.h"
#include "engine/base/polynomial.h"
#include "legacy/record.h"

namespace engine = vantrel::detail;

namespace {

// The table of names, every row with at least min_cols numbers.
two_d_array table_of(const str_arr& names, std::size_t min_cols) {
    const std::string path = create_path(names);
    two_d_array table = data_array(path);
    engine::require_columns(table, min_cols, path);
    return table;
}

// The ideal-gas model of th_c: its form and unit checked before c_p.txt is read.
engine::ideal_model model_of(const str_arr& names, const const_list& th_c) {
    const engine::config c = to_config(th_c);
    engine::ideal_model(c.ideal, c.R, c.mu, {}, c.path, "");
    const std::string path = create_path({names[0], "c_p.txt"});
    return engine::ideal_model(c.ideal, c.R, c.mu, data_array(path), c.path, path);
}

}  // namespace

double power(double x, double y) { return engine::power(x, y); }

double calc_t_polynom(const two_d_array& table, double tau, double b, bool rounding) {
    return engine::t_polynom(table, tau, b, rounding);
}

double calc_t_polynom(const str_arr& names, double tau, double b, bool rounding) {
    return engine::t_polynom(table_of(names, 2), tau, b, rounding);
}

double calc_frac_polynom(const two_d_array& table, double tau, double b) { return engine::frac_polynom(table, tau, b); }

double calc_ideal_enthalpy(const str_arr& names, double tau, double h_0, double h_0_0) {
    return engine::cp_table_enthalpy(table_of(names, 2), tau, h_0, h_0_0);
}

double calc_ideal_entropy(const str_arr& names, double tau, double s_0, double s_0_0) {
    return engine::cp_table_entropy(table_of(names, 2), tau, s_0, s_0_0);
}

void ideal_caloric_exp(const str_arr& names, const std::string& type_calc, const std::string& exp_dim, double tau,
                       double t_c, double a_1, double a_2, double a_3, double& c_p, double& h, double& s) {
    const two_d_array table = table_of(names, engine::ideal_table_columns(type_calc));
    const engine::reduced_caloric v = engine::helmholtz_ideal(table, type_calc, exp_dim, tau, t_c, a_1, a_2, a_3);
    c_p = v.cp;
    h = v.h;
    s = v.s;
}

void calc_ideal_therm(const str_arr& names, const const_list& th_c, double t, prop_list& prop) {
    const engine::ideal_values v = model_of(names, th_c).at(t);
    prop.c_p = v.cp;
    prop.h = v.h;
    prop.s = v.s;
    prop.s_0 = v.s;
}

void calc_ideal_props(const std::string& agent, double t, double p, prop_list& prop, const std::string& dest) {
    const str_arr names{agent, "config.txt"};
    const const_list th_c = create_const(names, dest, "config.txt");
    const engine::config c = to_config(th_c);
    const legacy::property_constants k{c.R, c.mu, c.rho_cr, engine::is_helmholtz_form(c.ideal.type_calc)};
    legacy::add_ideal_gas(model_of(names, th_c), k, t, p, prop);
}
