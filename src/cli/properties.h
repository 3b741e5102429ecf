// The properties the modes print: their names, units and values of a state,
// from the library's table of properties.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/units.h"
#include "vantrel/properties.h"

namespace cli {

using vantrel::property;

// One printed value: absent, a number in the output's units, or a text.
using cell = std::variant<std::monostate, double, std::string>;

// A column of output: its name and the quantity of its values (none for a text).
struct column {
    std::string name;
    std::optional<quantity> q;
};

// "T,p,h": the properties in the order given. An unknown name is a usage
// error that lists the valid ones.
std::vector<property> parse_properties(std::string_view list);

// T p phase x rho h s cp cv w Tsat psat.
std::vector<property> default_properties();

column column_of(property p);

// What the state must carry for these properties.
vantrel::extras extras_for(const std::vector<property>& props);

// The property of a state in the system's units; absent where the state has
// none.
cell value_of(property p, const vantrel::state& s, unit_system u);

// A number in SI units as a cell in the system's units.
cell number_cell(quantity q, unit_system u, std::optional<double> si);

}  // namespace cli
