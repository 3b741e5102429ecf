// A loaded fluid: its checked configuration and the models built from the
// tables that configuration uses, with the constants derived from them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/base/config.h"
#include "engine/helmholtz.h"
#include "engine/model/ideal.h"
#include "engine/model/sat_expansion.h"
#include "engine/model/sat_line.h"
#include "vantrel/vantrel.h"

// The loaded fluid behind vantrel::fluid; the engine's units know it as
// detail::fluid_data.
class vantrel::fluid::model {
public:
    std::string dir;
    fluid_info info;
    detail::config cfg;
    std::optional<detail::ideal_model> ideal;  // absent in a load that leaves out c_p.txt
    detail::residual_model residual;
    detail::pressure_line line;
    std::optional<detail::density_line> liquid_line{}, vapour_line{};  // correlation saturation (maxwell_rule off) only
    std::optional<detail::sat_expansion> expansion{};                  // the equal-area saturation curves, when given
    std::optional<detail::pressure_line> bubble_line{}, dew_line{};    // a blend's bubble and dew pressures
    double z_d = 0;    // p_cr / (tau_div R rho_div): pi = (1 + Z - 1) omega tau / z_d
    double delta = 0;  // delta_rho / rho_div: step and tolerance of the solvers in omega
};

namespace vantrel::detail {

using fluid_data = fluid::model;

// What a load reads: everything, or all but the ideal-gas part and a
// blend's bubble and dew lines (for a caller that decides a phase or a
// saturation state only).
enum class load_parts { all, without_ideal };

// Reads and checks the fluid in the directory dir (its last name is the
// agent): the configuration's conversions and choices, then the tables it
// names (c_p.txt, the equation of state, the saturation-line tables it
// uses, the saturation expansions), then the values that must be positive
// and the orderings. Every failure is error(data) with the program's message
// naming file, key, value.
std::shared_ptr<const fluid_data> load_fluid(const std::string& dir, load_parts parts = load_parts::all);

// The info of the fluid in dir from its configuration alone.
fluid_info read_fluid_info(const std::string& dir);

}  // namespace vantrel::detail
