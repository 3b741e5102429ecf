#include "real_props.h"

#include <stdexcept>

void calc_real_props(double, double, const T_dim_info&, const std::string&, prop_list&) {
    throw std::runtime_error("not implemented: real-fluid property set");
}

bool calc_sat_props(double, const std::string&, const T_dim_info&, const std::string&, prop_list&,
                    const std::string&) {
    throw std::runtime_error("not implemented: saturated-state properties");
}
