// Unit systems of the command line's modes: what a quantity is called and how
// its values convert from and to SI.
#pragma once

#include <string_view>

namespace cli {

enum class unit_system { eng, si };

// eng: °C, bar, kJ/kg, kJ/(kg·K), kg/m³, m³/kg, m/s, K/bar.
// si:  K,  Pa,  J/kg,  J/(kg·K),  kg/m³, m³/kg, m/s, K/Pa.
enum class quantity {
    text,         // not a number (the phase, a fluid's name)
    fraction,     // dimensionless: x, z
    temperature,
    temperature_difference,
    pressure,
    energy,       // specific enthalpy and internal energy
    entropy,      // specific entropy and heat capacities
    density,
    volume,       // specific volume
    speed,
    jt,           // Joule-Thomson coefficient
    volumetric,   // energy per volume: kJ/m³, J/m³
    power,        // kW, W
    mass_flow,    // kg/s
    volume_flow,  // m³/h, m³/s
};

// The unit's name: "°C", "bar", ...; "-" for a fraction, "" for text.
std::string_view unit_name(quantity q, unit_system u);

// A value in SI units expressed in the system's units, and back.
double from_si(quantity q, unit_system u, double value);
double to_si(quantity q, unit_system u, double value);

}  // namespace cli
