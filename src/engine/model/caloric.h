// The properties of one phase of the model: the ideal-gas part of each
// component (its own equation's, in its own reference state) at the
// phase's molar density, with the ideal mixing term, and the residual part
// of the model. Molar units: mol/m3, J/mol, J/(mol K).
#pragma once

#include "engine/model/model.h"

namespace vantrel::detail {

// The ideal-gas part of a phase at (T, rho) and x: its h and s (s with each
// component's density term, as the component's own states take it: rho_cr
// for the Helmholtz forms, 101325 Pa otherwise, and -R ln x_i), each
// component's h_i and s_i in them (h = sum x_i h_i, s = sum x_i s_i), c_p
// and the gas constant sum x_i M_i R_i of the components' own equations
// (c_v = c_p - R). A component of x_i = 0 adds nothing.
struct ideal_part {
    double h = 0, s = 0, cp = 0, R = 0;
    per_component<double> h_i, s_i;
};
ideal_part ideal_of(const model& m, double T, double rho, const composition& x);

// Each component's ideal gas at T: what the phases at one T share.
using ideal_at_T = per_component<ideal_values>;
ideal_at_T ideal_values_at(const model& m, double T);
ideal_part ideal_of(const model& m, const ideal_at_T& at, double T, double rho, const composition& x);

// One phase of composition x at (T, rho): the residual part's derivatives
// and the phase's properties.
struct phase_properties {
    alpha_derivatives<double> alpha;  // the residual part's
    double p = 0, h = 0, s = 0;       // Pa, J/mol, J/(mol K)
    double cv = 0, cp = 0;            // J/(mol K)
    double p_rho = 0, p_T = 0;        // (dp/drho)_T in Pa m3/mol, (dp/dT)_rho in Pa/K
};
phase_properties properties_at(const model_at<double>& e, double rho, const composition& x);
phase_properties properties_at(const model& m, double T, double rho, const composition& x);

// The saturated liquid and vapour of one temperature, or a bubble point's
// and dew point's phases.
struct phase_pair {
    phase_properties liquid, vapour;
};

// Both phases at one T, their ideal parts at T evaluated once (and one
// component's factors of tau once).
phase_pair properties_of_pair(const model& m, double T, double rho_x, const composition& x, double rho_y,
                              const composition& y);

// The properties from the residual part's derivatives, already evaluated at (T, rho).
phase_properties properties_of(const model& m, const alpha_derivatives<double>& a, double T, double rho,
                               const composition& x);

}  // namespace vantrel::detail
