#include "vantrel/units.h"

#include <array>

namespace vantrel {

namespace {

using enum quantity;

// The inch-pound units by their exact definitions: 1 lb = 0.45359237 kg,
// 1 ft = 0.3048 m, 1 Btu (IT) = 1055.05585262 J, 1 lbf = 1 lb * 9.80665 m/s²,
// 1 °F = 1 K / 1.8. Where a quotient is no exact decimal, the nearest double:
constexpr double PSI = 6894.757293168362;            // Pa: 0.45359237 * 9.80665 / 0.0254²
constexpr double LB_PER_FT3 = 16.018463373960138;    // kg/m³: 0.45359237 / 0.3048³
constexpr double F_PER_PSI = 12410.56312770305;      // °F/psi per K/Pa: 1.8 * PSI
constexpr double BTU_PER_FT3 = 37258.94580783128;    // J/m³: 1055.05585262 / 0.3048³
constexpr double BTU_PER_H = 0.2930710701722222;     // W: 1055.05585262 / 3600
constexpr double LB_PER_H = 0.00012599788055555556;  // kg/s: 0.45359237 / 3600
constexpr double FT3_PER_MIN = 0.0004719474432;      // m³/s: 0.3048³ / 60, exact

// Every unit, the eng unit of a quantity before its SI unit.
constexpr unit UNITS[] = {
    {"-", fraction},
    {"°C", temperature, 1, false, zero_celsius},
    {"K", temperature},
    {"°F", temperature, 1.8, true, -459.67},
    {"K", temperature_difference},
    {"°C", temperature_difference},
    {"°F", temperature_difference, 1.8, true},
    {"R", temperature_difference, 1.8, true},
    {"bar", pressure, 1e5, false, 0, true},
    {"Pa", pressure},
    {"kPa", pressure, 1e3, false, 0, true},
    {"MPa", pressure, 1e6, false, 0, true},
    {"at", pressure, 98066.5},
    {"atm", pressure, 101325},
    {"psia", pressure, PSI},
    {"psi", pressure, PSI},
    {"barg", pressure, 1e5, false, standard_atmosphere},
    {"psig", pressure, PSI, false, standard_atmosphere},
    {"kJ/kg", energy, 1e3, false, 0, true},
    {"J/kg", energy},
    {"Btu/lb", energy, 2326},
    {"kJ/(kg·K)", entropy, 1e3, false, 0, true},
    {"J/(kg·K)", entropy},
    {"Btu/(lb·°F)", entropy, 4186.8},
    {"Btu/(lb·R)", entropy, 4186.8},
    {"kg/m³", density},
    {"lb/ft³", density, LB_PER_FT3},
    {"m³/kg", volume},
    {"ft³/lb", volume, LB_PER_FT3, true},
    {"m/s", speed},
    {"ft/s", speed, 0.3048},
    {"K/bar", jt, 1e5, true},
    {"K/Pa", jt},
    {"°F/psi", jt, F_PER_PSI, true},
    {"kJ/m³", volumetric, 1e3, false, 0, true},
    {"J/m³", volumetric},
    {"Btu/ft³", volumetric, BTU_PER_FT3},
    {"kW", power, 1e3, false, 0, true},
    {"W", power},
    {"Btu/h", power, BTU_PER_H},
    {"kg/s", mass_flow},
    {"lb/h", mass_flow, LB_PER_H},
    {"m³/h", volume_flow, 3600, true},
    {"m³/s", volume_flow},
    {"ft³/min", volume_flow, FT3_PER_MIN},
};

// The systems' units by quantity: eng, si, ip.
struct system_units {
    quantity q;
    std::string_view eng, si, ip;
};

constexpr std::array<system_units, 14> SYSTEMS{{
    {fraction, "-", "-", "-"},
    {temperature, "°C", "K", "°F"},
    {temperature_difference, "K", "K", "°F"},
    {pressure, "bar", "Pa", "psia"},
    {energy, "kJ/kg", "J/kg", "Btu/lb"},
    {entropy, "kJ/(kg·K)", "J/(kg·K)", "Btu/(lb·°F)"},
    {density, "kg/m³", "kg/m³", "lb/ft³"},
    {volume, "m³/kg", "m³/kg", "ft³/lb"},
    {speed, "m/s", "m/s", "ft/s"},
    {jt, "K/bar", "K/Pa", "°F/psi"},
    {volumetric, "kJ/m³", "J/m³", "Btu/ft³"},
    {power, "kW", "W", "Btu/h"},
    {mass_flow, "kg/s", "kg/s", "lb/h"},
    {volume_flow, "m³/h", "m³/s", "ft³/min"},
}};

constexpr bool systems_in_order() {
    for (std::size_t i = 0; i < SYSTEMS.size(); ++i)
        if (static_cast<std::size_t>(SYSTEMS[i].q) != i) return false;
    return true;
}
static_assert(systems_in_order(), "SYSTEMS is indexed by quantity");

}  // namespace

std::span<const unit> units() { return UNITS; }

std::optional<unit_system> find_unit_system(std::string_view name) {
    if (name == "eng") return unit_system::eng;
    if (name == "si") return unit_system::si;
    if (name == "ip") return unit_system::ip;
    return std::nullopt;
}

const unit* find_unit(std::string_view name, quantity q) {
    for (const unit& u : UNITS)
        if (u.q == q && u.name == name) return &u;
    return nullptr;
}

const unit& unit_of(quantity q, unit_system u) {
    const system_units& s = SYSTEMS[static_cast<std::size_t>(q)];
    return *find_unit(u == unit_system::eng ? s.eng : u == unit_system::si ? s.si : s.ip, q);
}

// Multiplying by an exact factor, or dividing by one, never by an inexact
// reciprocal; an SI value passes unchanged (-0 included).
double to_si(const unit& u, double value) {
    if (u.per_si) return u.offset != 0 ? (value - u.offset) / u.factor : value / u.factor;
    return u.offset != 0 ? value * u.factor + u.offset : value * u.factor;
}

double from_si(const unit& u, double value) {
    if (u.per_si) return u.offset != 0 ? value * u.factor + u.offset : value * u.factor;
    return u.offset != 0 ? (value - u.offset) / u.factor : value / u.factor;
}

double to_si(quantity q, unit_system u, double value) { return to_si(unit_of(q, u), value); }

double from_si(quantity q, unit_system u, double value) { return from_si(unit_of(q, u), value); }

}  // namespace vantrel
