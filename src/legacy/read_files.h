// Fluid data files: their location, the numeric tables and the configuration.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/config.h"
#include "engine/api/fluid.h"

// (fluid name, file name) locating a file in the fluid's data directory.
using str_arr = std::array<std::string, 2>;
using one_d_array = std::vector<double>;
using two_d_array = std::vector<one_d_array>;

// Fluid configuration, read from the fluid's "config.txt" by the engine's
// table of its keys (engine/config.h): a field for each key, named after it.
struct const_list {
    double R = 0;        // specific gas constant, J/(kg K)
    double mu = 0;       // molar mass, kg/kmol
    str_arr names;       // the (fluid, file) pair the record was read with
    double c_0 = 0;
    double h_0 = 0;
    double s_0 = 0;
    double h_0_0 = 0;
    double s_0_0 = 0;
    double h_shift = 0;  // published reference state to the program's, J/kg
    double s_shift = 0;  // J/(kg K)
    double e_k = 0;      // not read from the file
    double b_0 = 0;      // not read from the file
    double k_term = 0;   // reducing temperature of the ideal-gas data, K
    std::string type_calc;
    std::string exp_dim;
    std::string type_prop;
    std::string tau_term;  // not read from the file
    double p_cr = 0;     // critical pressure, Pa
    double T_cr = 0;     // critical temperature, K
    double T_tp = 0;     // triple-point temperature, K
    double p_tp = 0;     // triple-point pressure, Pa
    double rho_cr = 0;   // critical density, kg/m3
    double rho_div = 0;  // reducing density of the equation of state, kg/m3
    double tau_div = 0;  // reducing temperature of the equation of state, K
    double delta_rho = 0;  // density step and tolerance of the solvers, kg/m3
    double rho_0 = 0;
    double sat_tau = 0;
    double a_s = 0;
    double b_s = 0;
    double c_s = 0;
    double sat_xi = 0;
    double sat_rho = 0;
    double p_s_0 = 0;
    double Ri = 0;
    double P_a = 0;
    std::string sat_line;
    std::string sat_base;
    std::string eos_coeff;
    std::string rho_dim;
    bool maxwell_rule = false;
    std::int32_t sat_id = 0;
    std::int32_t sat_gas_id = 0;
    std::int32_t sat_liq_id = 0;
};

// Full path of the fluid's file: <cwd>/data[/fluid][/file], empty parts left out.
std::string create_path(const str_arr& names);

// The table in the file at file_name: three counts (rows, cols, skipped lines),
// the skipped lines, then rows x cols numbers separated by any white space.
two_d_array data_array(const std::string& file_name);

// The fluid's table f_name, with "_" + id inserted before the first "." of the
// name when id is not empty.
two_d_array create_coeff_table(const str_arr& names, const std::string& f_name, const std::string& id);

// Reads file_name of the fluid names[0]. desc_type "ideal" reads the ideal-gas
// section too, "real" also the real-fluid one. Missing file, section, key or
// empty value: the default; a value that does not convert, and a boolean
// other than 1/true/yes or 0/false/no, is refused.
const_list create_const(const str_arr& names, const std::string& desc_type, const std::string& file_name);

// The engine's configuration holding the values of th_c.
vantrel::detail::config to_config(const const_list& th_c);

// The fluid agent of data/ under the current directory, loaded and checked
// (parts: all of it, or all but its ideal-gas part), in its configured
// reference state.
std::shared_ptr<const vantrel::detail::fluid_impl> load_agent(
    const std::string& agent, vantrel::detail::load_parts parts = vantrel::detail::load_parts::all);
