#include "phase_eq.h"

#include "engine/equilibrium.h"

namespace engine = vantrel::detail;

namespace {

engine::equal_area_system<double> system_at(const two_d_array& coef, double tau, double omega_1, double omega_2) {
    const engine::residual_model m = engine::residual_model::from_table(coef, "");
    return engine::equal_area_at(engine::residual_at_tau<double>(m, tau), omega_1, omega_2);
}

template <class M>
TReal2DArray matrix(const M& m) {
    TReal2DArray w;
    w.rows = static_cast<int>(m.rows());
    w.cols = static_cast<int>(m.cols());
    for (int i = 0; i < w.rows; ++i)
        for (int j = 0; j < w.cols; ++j) w[i][j] = m(i, j);
    return w;
}

}  // namespace

double sat_f1(const const_list&, const two_d_array& coef, double tau, double omega_1, double omega_2) {
    return system_at(coef, tau, omega_1, omega_2).f[0];
}

double sat_f2(const const_list&, const two_d_array& coef, double tau, double omega_1, double omega_2) {
    return system_at(coef, tau, omega_1, omega_2).f[1];
}

TReal2DArray sat_df_t(const const_list&, const two_d_array& coef, double omega_1, double omega_2, double,
                      double tau) {
    return matrix(system_at(coef, tau, omega_1, omega_2).w);
}

TReal2DArray sat_df_p(const const_list&, const two_d_array& coef, double omega_1, double omega_2, double tau,
                      double, double z_d, double) {
    return matrix(engine::equal_area_jacobian_p(engine::residual_model::from_table(coef, ""), omega_1, omega_2, tau, z_d));
}

void calc_sat_density_t(const const_list&, const two_d_array& coef, double& omega_1, double& omega_2, double delta,
                        double tau) {
    const engine::residual_model m = engine::residual_model::from_table(coef, "");
    engine::equal_area_at_T(engine::residual_at_tau<double>(m, tau), omega_1, omega_2, delta);
}

void calc_sat_density_p(const const_list&, const two_d_array& coef, double& omega_1, double& omega_2, double& tau,
                        double pi, double z_d, double delta) {
    engine::equal_area_at_p(engine::residual_model::from_table(coef, ""), omega_1, omega_2, tau, pi, z_d, delta);
}
