// The log p-h diagram of a fluid, computed point by point through the engine,
// as a figure for vantrel_plot.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "cli/units.h"
#include "plot/figure.h"
#include "vantrel/vantrel.h"

namespace cli {

struct diagram_request {
    unit_system units = unit_system::eng;
    std::optional<std::pair<double, double>> p_range, h_range;  // in the units' bar or Pa, kJ/kg or J/kg
    const vantrel::cycle_result* cycle = nullptr;               // drawn on top when given
};

plot::figure log_ph_diagram(const vantrel::fluid& f, const diagram_request& r);

// Draws the figure into path (.svg, .png or .pdf; a PNG scale times the
// page's pixels) with vantrel_plot, which is looked up beside this executable
// or in ../libexec/vantrel: a file or a link at path is replaced once the
// picture is complete, anything else refused.
void render(const plot::figure& fig, const std::string& path, double scale = 1);

}  // namespace cli
