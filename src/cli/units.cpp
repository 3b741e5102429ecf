#include "cli/units.h"

namespace cli {

namespace {

constexpr double ZERO_CELSIUS = 273.15;  // K

// The SI units per eng unit (bar = 1e5 Pa, kJ = 1e3 J, ...).
double eng_factor(quantity q) {
    switch (q) {
        case quantity::pressure: return 1e5;
        case quantity::energy:
        case quantity::entropy: return 1e3;
        case quantity::volumetric:
        case quantity::power: return 1e3;
        default: return 1;
    }
}

}  // namespace

std::string_view unit_name(quantity q, unit_system u) {
    const bool eng = u == unit_system::eng;
    switch (q) {
        case quantity::text: return "";
        case quantity::fraction: return "-";
        case quantity::temperature: return eng ? "°C" : "K";
        case quantity::temperature_difference: return "K";
        case quantity::pressure: return eng ? "bar" : "Pa";
        case quantity::energy: return eng ? "kJ/kg" : "J/kg";
        case quantity::entropy: return eng ? "kJ/(kg·K)" : "J/(kg·K)";
        case quantity::density: return "kg/m³";
        case quantity::volume: return "m³/kg";
        case quantity::speed: return "m/s";
        case quantity::jt: return eng ? "K/bar" : "K/Pa";
        case quantity::volumetric: return eng ? "kJ/m³" : "J/m³";
        case quantity::power: return eng ? "kW" : "W";
        case quantity::mass_flow: return "kg/s";
        case quantity::volume_flow: return eng ? "m³/h" : "m³/s";
    }
    return "";
}

// The eng units per SI unit where that is the exact factor (K/bar per K/Pa,
// m3/h per m3/s); 0 for the others.
double eng_per_si(quantity q) {
    if (q == quantity::jt) return 1e5;
    if (q == quantity::volume_flow) return 3600;
    return 0;
}

double from_si(quantity q, unit_system u, double value) {
    if (u == unit_system::si) return value;
    if (q == quantity::temperature) return value - ZERO_CELSIUS;
    if (const double m = eng_per_si(q)) return value * m;
    return value / eng_factor(q);
}

double to_si(quantity q, unit_system u, double value) {
    if (u == unit_system::si) return value;
    if (q == quantity::temperature) return value + ZERO_CELSIUS;
    if (const double m = eng_per_si(q)) return value / m;
    return value * eng_factor(q);
}

}  // namespace cli
