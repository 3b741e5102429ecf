// Phase equilibrium of the mixture model: the density at (T, p, x) and the
// bubble and dew pressures at a temperature, by Newton's method on the whole
// set of equations (ln K_i and ln p) with the analytic derivatives of ln phi.
#pragma once

#include <vector>

#include "engine/mixture.h"

namespace vantrel::detail {

// The density (mol/m3) of composition x at (T, p) by Newton's method in
// ln rho from rho_start; refused when it does not converge.
double mixture_density(const mixture_model& m, double T, double p, const std::vector<double>& x,
                       double rho_start);

// One phase at (T, p): its density, ln phi_i, and the derivatives at
// constant T and p: n d ln phi_i/d n_j ([i][j]) and d ln phi_i/d ln p.
struct phase_state {
    double rho = 0;
    std::vector<double> ln_phi;
    std::vector<std::vector<double>> n_derivatives;
    std::vector<double> p_derivatives;
};
phase_state phase_at(const mixture_model& m, double T, double p, const std::vector<double>& x, double rho_start);

// A two-phase state at T: pressure, the compositions and densities of the
// liquid and the vapour.
struct two_phase {
    double T = 0, p = 0;
    std::vector<double> x, y;
    double rho_liquid = 0, rho_vapour = 0;
};

// The bubble point of the liquid x, or the dew point of the vapour y, at T;
// started from Raoult's law with the components' saturation states at T
// (every component below its critical temperature).
two_phase bubble_point(const mixture_model& m, double T, const std::vector<double>& x);
two_phase dew_point(const mixture_model& m, double T, const std::vector<double>& y);

}  // namespace vantrel::detail
