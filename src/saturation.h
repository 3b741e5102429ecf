// Saturation state of a given temperature or pressure, and the phase decision.
#pragma once

#include <string>

// Phase state at t (K) and p (Pa): "gas", "liquid", "supercritical" or empty.
std::string calc_ph_state(double t, double p, const std::string& agent);
