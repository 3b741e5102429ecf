#include "saturation.h"

#include <stdexcept>

std::string calc_ph_state(double, double, const std::string&) {
    throw std::runtime_error("not implemented: phase state");
}
