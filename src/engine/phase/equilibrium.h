// Phase equilibrium of the model: one Newton framework for every problem of
// two phases in equilibrium, its unknowns and the rows of the given values
// chosen per problem, with the analytic derivatives of ln f.
//
// The unknowns are u = (c_1 ... c_n, ln T, ln p, ln rho_x, ln rho_y), x the
// liquid and y the vapour away from the critical point, where the c_i make
// the compositions:
//   bubble, dew   the feed z is one phase (bubble: x = z; dew: y = z) and
//                 c_i = ln K_i, K_i = y_i / x_i, make the incipient one;
//                 a row: the incipient phase's fractions add up to 1;
//   split         c_i = ln m_i, m the mole numbers per mole of feed of the
//                 smaller phase (the vapour's, or the liquid's where
//                 `by_liquid`), whose composition m / sum m is then exact and
//                 the other's (z - m) / (1 - sum m) loses nothing to the
//                 difference: the material balance holds by construction,
//                 the mole numbers stay positive and a phase of a share of
//                 1e-7 grows by factors, not by steps through zero.
// The equations: ln f_i of the phases equal, each phase's pressure p, and
// the given values: one for a bubble or dew point (an unknown held at a
// value: ln T, ln p, or any along the envelope), two for a split (two of T,
// p, h, s, the vapour mass fraction and the whole's density).
#pragma once

#include <Eigen/Dense>
#include <optional>

#include "engine/model/model.h"
#include "engine/phase/phase_terms.h"

namespace vantrel::detail {

// A two-phase state: temperature, pressure, the compositions (mole
// fractions) and densities (mol/m3) of the phases x and y; y is the vapour
// away from the critical point.
struct two_phase {
    double T = 0, p = 0;
    composition x, y;
    double rho_x = 0, rho_y = 0;
};

// The index of ln T in the unknowns of n components; ln p, ln rho_x and
// ln rho_y follow it.
inline int ln_T_index(std::size_t n) { return static_cast<int>(n); }
inline int ln_p_index(std::size_t n) { return static_cast<int>(n) + 1; }

enum class unknowns { bubble, dew, split };

// What a problem holds: T, p, h (J/mol), s (J/(mol K)), the vapour mass
// fraction x, the whole's rho (mol/m3), or the unknown of index `index` at
// value (its logarithm for T, p and the densities).
enum class spec_kind { T, p, h, s, x, rho, unknown };
struct spec {
    spec_kind kind = spec_kind::T;
    double value = 0;
    int index = -1;
};

struct equilibrium_problem {
    const model& m;
    const composition& z;
    unknowns by = unknowns::split;
    bool by_liquid = false;  // split: the liquid is the smaller phase
    spec a, b;               // b: splits only
};

// The unknowns of a two-phase state for a bubble or dew point (its K_i of
// its own x and y), and the state of the unknowns of a problem.
Eigen::VectorXd unknowns_of(const two_phase& s);
two_phase state_of(const equilibrium_problem& q, const Eigen::VectorXd& u);

// The vapour's and the liquid's amounts per mole of feed of a split's unknowns.
struct phase_amounts {
    double V = 0, L = 0;
    per_component<double> v, l;
};
phase_amounts amounts_of(const composition& z, const Eigen::VectorXd& u, bool by_liquid);

// How a solve goes: at most max_iterations Newton steps; converged when the
// equations hold to tolerance, or to rounded_tolerance once the steps have
// settled (below 1e-13, or no longer halving: as well as rounding lets
// them hold, where the equations flatten next to a critical point); after a
// step whose largest change is below quadratic (and was not shortened) the
// next step is of the order of its square: the equations alone are
// evaluated, as the check that they hold. A bubble or dew point's tangent
// only where asked for (tracing a curve).
struct newton_options {
    int max_iterations = 100;
    double tolerance = 1e-12;
    double rounded_tolerance = 1e-12;
    double quadratic = 1e-7;
    bool tangent = false;
};

// A solved problem: the state, its unknowns and, where asked for, their
// derivatives by the held value (a bubble or dew point's: the tangent of the
// curve the held unknown parametrises, from the last Jacobian). A split
// whose smaller phase vanished (below VANISHED of the moles: a state the
// boundary's last digits put inside) ends there: `vanished`, its state that
// of the larger phase's.
struct equilibrium_solution {
    two_phase state;
    Eigen::VectorXd u, du;
    int iterations = 0;
    bool vanished = false;
    double beta = 0;  // the vapour's mole fraction of the feed
};

inline constexpr double VANISHED = 1e-14;  // a phase's share of the moles where it has vanished

// Newton's method from u; a Jacobian that cannot be solved and no
// convergence are errors of kind no_convergence.
equilibrium_solution solve_equilibrium(const equilibrium_problem& q, Eigen::VectorXd u, const newton_options& o);

}  // namespace vantrel::detail
