#include "ideal_gas.h"

#include <cmath>

#include "engine/polynomial.h"
#include "fp_check.h"

namespace engine = vantrel::detail;

namespace {

const char* const CP_FILE = "c_p.txt";

}  // namespace

double power(double x, double y) { return engine::power(x, y); }

double calc_t_polynom(const two_d_array& table, double tau, double b, bool rounding) {
    return engine::t_polynom(table, tau, b, rounding);
}

double calc_t_polynom(const str_arr& names, double tau, double b, bool rounding) {
    return engine::t_polynom(read_table_checked(names, 2), tau, b, rounding);
}

double calc_frac_polynom(const two_d_array& table, double tau, double b) { return engine::frac_polynom(table, tau, b); }

double calc_ideal_enthalpy(const str_arr& names, double tau, double h_0, double h_0_0) {
    return engine::cp_table_enthalpy(read_table_checked(names, 2), tau, h_0, h_0_0);
}

double calc_ideal_entropy(const str_arr& names, double tau, double s_0, double s_0_0) {
    return engine::cp_table_entropy(read_table_checked(names, 2), tau, s_0, s_0_0);
}

void ideal_caloric_exp(const str_arr& names, const std::string& type_calc, const std::string& exp_dim, double tau,
                       double t_c, double a_1, double a_2, double a_3, double& c_p, double& h, double& s) {
    const bool two_columns = type_calc == "f_exp" || type_calc == "f_pol";
    const bool three_columns = type_calc == "f_comb" || type_calc == "f_hyp";
    const two_d_array table = read_table_checked(names, three_columns ? 3 : (two_columns ? 2 : 0));
    const engine::reduced_caloric v = engine::helmholtz_ideal(table, type_calc, exp_dim, tau, t_c, a_1, a_2, a_3);
    c_p = v.cp;
    h = v.h;
    s = v.s;
}

bool is_helmholtz_form(const std::string& type_calc) { return engine::is_helmholtz_form(type_calc); }

namespace {

engine::ideal_model model_of(const str_arr& names, const const_list& th_c) {
    const engine::config c = to_config(th_c);
    str_arr cp_names = names;
    cp_names[1] = CP_FILE;
    // The form and unit are checked before the table is read.
    engine::ideal_model(c.ideal, c.R, c.mu, {}, c.path, "");
    const std::string path = create_path(cp_names);
    return engine::ideal_model(c.ideal, c.R, c.mu, data_array(path), c.path, path);
}

}  // namespace

void calc_ideal_therm(const str_arr& names, const const_list& th_c, double t, prop_list& prop) {
    const engine::ideal_values v = model_of(names, th_c).at(t);
    prop.c_p = v.cp;
    prop.h = v.h;
    prop.s = v.s;
    prop.s_0 = v.s;
}

void ideal_record(const engine::ideal_model& model, const engine::property_constants& c, double t, double p,
                  prop_list& prop) {
    const engine::ideal_values v = model.at(t);
    prop.c_p = v.cp;
    prop.h = v.h;
    prop.s = v.s;
    prop.s_0 = v.s;
    const double r = c.R;
    prop.r = c.R;
    prop.mu = c.mu;
    prop.t = t;
    prop.p = p;
    prop.rho = p / (t * r);
    prop.z = 1;
    const double state_term = c.helmholtz ? std::log(c.rho_cr / prop.rho) : std::log(P_PHYS / p);
    prop.s = prop.s + state_term * prop.r;
    prop.c_v = prop.c_p - r;
    prop.k = prop.c_p / prop.c_v;
    prop.c = std::sqrt(t * r * prop.k);
    fp_check();
}

void calc_ideal_props(const std::string& agent, double t, double p, prop_list& prop, const std::string& dest) {
    const str_arr names{agent, "config.txt"};
    const const_list th_c = create_const(names, dest, "config.txt");
    const engine::property_constants c{th_c.R, th_c.mu, th_c.rho_cr, is_helmholtz_form(th_c.type_calc)};
    ideal_record(model_of(names, th_c), c, t, p, prop);
}
