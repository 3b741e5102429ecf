// Phase equilibrium by the Maxwell equal-area rule: equal pressure and equal
// Gibbs energy of the saturated liquid and vapour, solved by Newton's method
// with the exact Jacobian.
#pragma once

#include <array>

#include "legacy/read_files.h"

// A small dense real matrix (at most 3 x 3), indexed [row][column] from 0.
struct TReal2DArray {
    int rows = 0;
    int cols = 0;
    std::array<double, 9> values{};
    double* operator[](int row) { return values.data() + row * cols; }
    const double* operator[](int row) const { return values.data() + row * cols; }
};

// Equal-pressure residual (1 + A1[0]) omega_1 - (1 + A2[0]) omega_2.
double sat_f1(const const_list& th_c, const two_d_array& coef, double tau, double omega_1, double omega_2);

// Equal-Gibbs-energy residual ln(omega_1/omega_2) + (A1[3] - A1[4]) - (A2[3] - A2[4]).
double sat_f2(const const_list& th_c, const two_d_array& coef, double tau, double omega_1, double omega_2);

// Jacobian of (F1, F2) over (omega_1, omega_2), exact (delta is not used).
TReal2DArray sat_df_t(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2, double delta,
                      double tau);

// Jacobian of (G1, G2, F2) over (omega_1, omega_2, tau), with G1, G2 the
// pressure-equation residuals of the two phases at pi; exact (pi and delta
// are not used).
TReal2DArray sat_df_p(const const_list& th_c, const two_d_array& coef, double omega_1, double omega_2, double tau,
                      double pi, double z_d, double delta);

// Saturated densities at tau, updated in place from the start values. More
// than 100 Newton passes end with an error, and so does a Jacobian that
// cannot be inverted.
void calc_sat_density_t(const const_list& th_c, const two_d_array& coef, double& omega_1, double& omega_2,
                        double delta, double tau);

// Saturated densities and temperature at pi, updated in place.
void calc_sat_density_p(const const_list& th_c, const two_d_array& coef, double& omega_1, double& omega_2,
                        double& tau, double pi, double z_d, double delta);
