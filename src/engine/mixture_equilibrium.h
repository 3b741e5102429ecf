// Phase equilibrium of the mixture model: the density at (T, p, x), and the
// two-phase points of a feed z (bubble: z is the phase x; dew: z is the
// phase y) by Newton's method on the whole set of equations with the
// analytic derivatives of ln f. The unknowns are
//   v = (ln K_1 ... ln K_n, ln T, ln p, ln rho_x, ln rho_y), K_i = y_i / x_i,
// with one of them held at a given value: ln T or ln p for a bubble or dew
// point, any of them along the phase envelope. The equations: ln f_i of
// the phases equal, the incipient phase's fractions adding up to 1, each
// phase's pressure p. The densities being unknowns, no density is solved
// for inside a step, and the envelope may hold a density near the critical
// point of a nearly azeotropic blend, where K and T and p all but stand still.
#pragma once

#include <Eigen/Dense>
#include <vector>

#include "engine/mixture.h"

namespace vantrel::detail {

// The density (mol/m3) of composition x at (T, p) by Newton's method in
// ln rho from rho_start; refused when it does not converge.
double mixture_density(const mixture_model& m, double T, double p, const std::vector<double>& x,
                       double rho_start);
// The same with the model already at (T, x).
double mixture_density(const mixture_evaluator<double>& e, double T, double p, double rho_start);

// One phase at (T, rho, x): G_i = ln f_i - ln(x_i R T) = ln rho + q_i, q_i =
// n d(n alpha_r)/d n_i, and P = (Z - p/(rho R T)) / (1 + |delta alpha_delta|)
// at the pressure p: no logarithm (a step may take a liquid to a negative
// pressure), and in units of the rounding of Z (a liquid's Z at low pressure
// is a difference of numbers near 1, its p not worth 1e-12), with their
// derivatives by ln rho, ln T and ln p, and by the composition along
// x_k (delta_kj - x_j), i.e. n d/d n_j at constant T and V less rho d/d rho
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
phase_terms phase_at(const mixture_model& m, double T, double p, double rho, const std::vector<double>& x,
                     bool jacobian, bool caloric = false);

// A two-phase state: temperature, pressure, the compositions (mole
// fractions) and densities (mol/m3) of the phases x and y; y is the vapour
// away from the critical point.
struct two_phase {
    double T = 0, p = 0;
    std::vector<double> x, y;
    double rho_x = 0, rho_y = 0;
};

// The index of ln T in the unknowns of n components; ln p, ln rho_x and
// ln rho_y follow it.
inline int ln_T_index(std::size_t n) { return static_cast<int>(n); }
inline int ln_p_index(std::size_t n) { return static_cast<int>(n) + 1; }

// The unknowns of a two-phase state (its K_i of its own x and y).
Eigen::VectorXd unknowns_of(const two_phase& s);

// A solved point with its unknowns and their derivatives by the held
// value (the tangent of the curve the held unknown parametrises).
struct equilibrium_solution {
    two_phase state;
    Eigen::VectorXd v, dv;
    int iterations = 0;
};

// A bubble or dew point's equations hold to this: ln f_i of both phases
// equal, the incipient phase's fractions adding up to 1.
inline constexpr double EQUILIBRIUM_TOLERANCE = 1e-12;

// Newton's method from start with unknown `held` (index into v) at `value`;
// iterations at most max_iterations, converged when the equations hold to
// tolerance.
equilibrium_solution solve_equilibrium(const mixture_model& m, const std::vector<double>& z, bool bubble,
                                       const Eigen::VectorXd& start, int held, double value, int max_iterations,
                                       double tolerance = EQUILIBRIUM_TOLERANCE);

// The bubble point of the liquid x, or the dew point of the vapour y, at T;
// started from Raoult's law with the components' saturation states at T
// (every component below its critical temperature).
two_phase bubble_point(const mixture_model& m, double T, const std::vector<double>& x);
two_phase dew_point(const mixture_model& m, double T, const std::vector<double>& y);

}  // namespace vantrel::detail
