// One phase's part of the phase-equilibrium equations, with its derivatives
// by the equations' unknowns: ln T, ln p, ln rho and the composition.
#pragma once

#include "engine/model/model.h"

namespace vantrel::detail {

// One phase at (T, rho, x): G_i = ln f_i - ln(x_i R T) = ln rho + q_i, q_i =
// n d(n alpha_r)/dn_i, and P = (Z - p/(rho R T)) / (1 + |delta alpha_delta|)
// at the pressure p: no logarithm (a step may take a liquid to a negative
// pressure), and in units of the rounding of Z (a liquid's Z at low pressure
// is a difference of numbers near 1, its p not worth 1e-12), with their
// derivatives by ln rho, ln T and ln p, and by the composition along
// x_k (delta_kj - x_j), i.e. n d/dn_j at constant T and V less rho d/d rho
// ([i][j] and [j]).
struct phase_terms {
    per_component<double> G, G_rho, G_T;
    per_pair<double> G_x;
    double P = 0, P_rho = 0, P_T = 0, P_p = 0;
    per_component<double> P_x;
    double pressure = 0, rho_p_rho = 0;  // the phase's own p and rho dp/drho, Pa
    // With the caloric terms: molar h and s, by ln T, ln rho and the composition as G_x.
    double h = 0, s = 0, h_T = 0, h_rho = 0, s_T = 0, s_rho = 0;
    per_component<double> h_x, s_x;
};

// The terms of one phase; without the Jacobian, G and P (and h and s) only.
phase_terms phase_at(const model& m, double T, double p, double rho, const composition& x, bool jacobian,
                     bool caloric = false);
phase_terms phase_at(const model_at<double>& e, double p, double rho, const composition& x, bool jacobian,
                     bool caloric = false);

}  // namespace vantrel::detail
