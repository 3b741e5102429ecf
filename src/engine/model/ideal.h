// The ideal-gas part of a fluid, from its heat-capacity table ("c_p.txt") in
// one of five forms: the tabulated heat capacity ("Cp") or the ideal part of
// a reduced Helmholtz energy ("f_exp", "f_pol", "f_comb", "f_hyp").
#pragma once

#include <string>

#include "engine/base/config.h"
#include "engine/base/files.h"

namespace vantrel::detail {

// The numbers a row of the heat-capacity table needs in the form type_calc:
// 3 for "f_comb" and "f_hyp", 2 for the others, 0 for a form the model refuses.
std::size_t ideal_table_columns(const std::string& type_calc);

// Reduced caloric values: c_p/R, h/(R T) and s/R (without the density term).
struct reduced_caloric {
    double cp = 0, h = 0, s = 0;
};

// Tabulated c(t) = sum a t^j at tau: the reduced enthalpy
// h_0_0 + (h_0 + integral of c from 1 to tau) / tau.
double cp_table_enthalpy(const table& t, double tau, double h_0, double h_0_0);

// The reduced entropy s_0 + s_0_0 + integral of c(t)/t from 1 to tau.
double cp_table_entropy(const table& t, double tau, double s_0, double s_0_0);

// Ideal part of a reduced Helmholtz energy F(THETA) = a_1 + a_2 THETA +
// a_3 ln THETA + table terms, THETA = 1/tau, in the form type_calc; t_c
// reduces characteristic values given in K (exp_dim "T_c").
reduced_caloric helmholtz_ideal(const table& t, const std::string& type_calc, const std::string& exp_dim,
                                double tau, double t_c, double a_1, double a_2, double a_3);

// c_p, h and s (the part that depends on T only) in J/(kg K) and J/kg.
struct ideal_values {
    double cp = 0, h = 0, s = 0;
};

class ideal_model {
public:
    // Refuses a form or unit it does not know, and a table too narrow for its form.
    ideal_model(const ideal_config& c, double R, double mu, table cp_table, const std::string& config_path,
                const std::string& table_path);

    ideal_values at(double T) const;

    // The constants added to h (J/kg) and s (J/(kg K)) of every state.
    void set_shift(double h, double s) {
        c_.h_shift = h;
        c_.s_shift = s;
    }

    // The density or pressure term of the entropy uses rho_cr for the
    // Helmholtz forms, 101325 Pa otherwise.
    bool helmholtz() const { return helmholtz_; }

private:
    ideal_config c_;
    double R_, mu_;
    table table_;
    bool helmholtz_;
};

}  // namespace vantrel::detail
