// Units of measure: the quantities of states and cycles, the two unit
// systems of the command line and every unit's exact relation to SI.
#pragma once

#include <span>
#include <optional>
#include <string_view>

namespace vantrel {

enum class quantity {
    fraction,     // dimensionless: x, z, efficiencies
    temperature,
    temperature_difference,
    pressure,
    energy,       // specific enthalpy and internal energy
    entropy,      // specific entropy and heat capacities
    density,
    volume,       // specific volume
    speed,
    jt,           // Joule-Thomson coefficient
    volumetric,   // energy per volume
    power,
    mass_flow,
    volume_flow,
};

// eng: °C, bar, kJ/kg, kJ/(kg·K), kg/m³, m³/kg, m/s, K/bar, kJ/m³, kW, kg/s, m³/h.
// si:  K,  Pa,  J/kg,  J/(kg·K),  kg/m³, m³/kg, m/s, K/Pa, J/m³,  W,  kg/s, m³/s.
// ip:  °F, psia, Btu/lb, Btu/(lb·°F), lb/ft³, ft³/lb, ft/s, °F/psi, Btu/ft³,
//      Btu/h, lb/h, ft³/min; a temperature difference in °F (= R).
enum class unit_system { eng, si, ip };

// A unit system by its name, "eng", "si" or "ip"; nothing for another.
std::optional<unit_system> find_unit_system(std::string_view name);

// The standard atmosphere, Pa: the zero of gauge pressures (barg, psig).
inline constexpr double standard_atmosphere = 101325;

// The zero of the Celsius scale, K.
inline constexpr double zero_celsius = 273.15;

// A unit and its exact relation to the SI unit of its quantity: a value in
// the unit is value * factor + offset in SI, or, where the factor counts
// units per SI unit (K/bar per K/Pa, m³/h per m³/s, °F per K), the SI value
// times factor plus offset is the value. Factors and offsets are exact
// decimals where the definitions allow (1 bar is 1e5 Pa to the last bit,
// 1 Btu/lb is 2326 J/kg), the nearest double otherwise (1 psi).
struct unit {
    std::string_view name;  // "°C", "bar", ...; "-" for a fraction
    quantity q;
    double factor = 1;
    bool per_si = false;    // factor counts units per SI unit
    double offset = 0;      // of the scale's zero: SI for Celsius and gauge, the unit's for Fahrenheit
    bool decimal = false;   // factor is a power of ten (kPa, bar, MPa)
};

const unit& unit_of(quantity q, unit_system u);

// Every unit the library knows, those of a quantity in the order of its
// systems' units first.
std::span<const unit> units();

// The unit of that name for the quantity, or nullptr.
const unit* find_unit(std::string_view name, quantity q);

double to_si(const unit& u, double value);
double from_si(const unit& u, double value);

// The same through the system's unit of the quantity.
double to_si(quantity q, unit_system u, double value);
double from_si(quantity q, unit_system u, double value);

}  // namespace vantrel
