// A pure fluid as its files define it: what its configuration states, the
// checked configuration, its ideal-gas part, the residual terms of its
// equation of state and the correlations and expansions of its saturation
// curve (a blend's bubble and dew lines too), with the reducing values the
// model takes from them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/base/config.h"
#include "engine/model/ideal.h"
#include "engine/model/residual.h"
#include "engine/model/sat_expansion.h"
#include "engine/model/sat_line.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

struct component_data {
    std::string dir;
    fluid_info info;
    config cfg;
    std::optional<ideal_model> ideal;  // absent in a load that leaves out c_p.txt
    residual_terms residual;
    pressure_line line;
    std::optional<density_line> liquid_line{}, vapour_line{};  // correlation saturation (maxwell_rule off) only
    std::optional<sat_expansion> expansion{};                  // the equal-area saturation curves, when given
    std::optional<pressure_line> bubble_line{}, dew_line{};    // a blend's bubble and dew pressures

    double M() const { return cfg.mu / 1000; }          // kg/mol
    double T_r() const { return cfg.tau_div; }          // K
    // The density solver's tolerance in delta: the configured step of the density.
    double delta_tolerance() const { return cfg.delta_rho / cfg.rho_div; }
};

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
std::shared_ptr<const component_data> load_component(const std::string& dir, load_parts parts = load_parts::all);

// The info of the fluid in dir from its configuration alone.
fluid_info read_fluid_info(const std::string& dir);

}  // namespace vantrel::detail
