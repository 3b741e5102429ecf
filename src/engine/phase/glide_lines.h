// A blend described as one pure fluid (its states from its own equation and
// saturation) with its bubble and dew lines as correlations of pressure:
// its glide, at a temperature or a pressure.
#pragma once

#include <memory>
#include <optional>

#include "engine/model/component.h"
#include "engine/phase/boundary.h"

namespace vantrel::detail {

class glide_lines {
public:
    // Nothing for a fluid without both lines.
    static std::optional<glide_lines> of(std::shared_ptr<const component_data> c);

    // The bubble and dew pressures at T (T_tp <= T < T_cr), or temperatures
    // at p (between the lines' pressures at T_tp and T_cr, to the precision
    // of a double).
    bubble_dew at(given g, double value) const;

private:
    explicit glide_lines(std::shared_ptr<const component_data> c) : c_(std::move(c)) {}
    std::optional<double> pressure(const pressure_line& line, double T) const;
    std::optional<double> temperature(const pressure_line& line, double p) const;

    std::shared_ptr<const component_data> c_;
};

}  // namespace vantrel::detail
