#include "vantrel/units.h"

#include <array>

namespace vantrel {

namespace {

using enum quantity;

// Every unit, the eng unit of a quantity before its SI unit.
constexpr unit UNITS[] = {
    {"-", fraction},
    {"°C", temperature, 1, false, zero_celsius},
    {"K", temperature},
    {"K", temperature_difference},
    {"bar", pressure, 1e5, false, 0, true},
    {"Pa", pressure},
    {"kPa", pressure, 1e3, false, 0, true},
    {"MPa", pressure, 1e6, false, 0, true},
    {"at", pressure, 98066.5},
    {"atm", pressure, 101325},
    {"kJ/kg", energy, 1e3, false, 0, true},
    {"J/kg", energy},
    {"kJ/(kg·K)", entropy, 1e3, false, 0, true},
    {"J/(kg·K)", entropy},
    {"kg/m³", density},
    {"m³/kg", volume},
    {"m/s", speed},
    {"K/bar", jt, 1e5, true},
    {"K/Pa", jt},
    {"kJ/m³", volumetric, 1e3, false, 0, true},
    {"J/m³", volumetric},
    {"kW", power, 1e3, false, 0, true},
    {"W", power},
    {"kg/s", mass_flow},
    {"m³/h", volume_flow, 3600, true},
    {"m³/s", volume_flow},
};

// The systems' units by quantity: eng, si.
struct system_units {
    quantity q;
    std::string_view eng, si;
};

constexpr std::array<system_units, 14> SYSTEMS{{
    {fraction, "-", "-"},
    {temperature, "°C", "K"},
    {temperature_difference, "K", "K"},
    {pressure, "bar", "Pa"},
    {energy, "kJ/kg", "J/kg"},
    {entropy, "kJ/(kg·K)", "J/(kg·K)"},
    {density, "kg/m³", "kg/m³"},
    {volume, "m³/kg", "m³/kg"},
    {speed, "m/s", "m/s"},
    {jt, "K/bar", "K/Pa"},
    {volumetric, "kJ/m³", "J/m³"},
    {power, "kW", "W"},
    {mass_flow, "kg/s", "kg/s"},
    {volume_flow, "m³/h", "m³/s"},
}};

constexpr bool systems_in_order() {
    for (std::size_t i = 0; i < SYSTEMS.size(); ++i)
        if (static_cast<std::size_t>(SYSTEMS[i].q) != i) return false;
    return true;
}
static_assert(systems_in_order(), "SYSTEMS is indexed by quantity");

}  // namespace

const unit* find_unit(std::string_view name, quantity q) {
    for (const unit& u : UNITS)
        if (u.q == q && u.name == name) return &u;
    return nullptr;
}

const unit& unit_of(quantity q, unit_system u) {
    const system_units& s = SYSTEMS[static_cast<std::size_t>(q)];
    return *find_unit(u == unit_system::eng ? s.eng : s.si, q);
}

// Multiplying by an exact factor, or dividing by one, never by an inexact
// reciprocal; an SI value passes unchanged (-0 included).
double to_si(const unit& u, double value) {
    if (u.per_si) return value / u.factor;
    return u.offset != 0 ? value * u.factor + u.offset : value * u.factor;
}

double from_si(const unit& u, double value) {
    if (u.per_si) return value * u.factor;
    return u.offset != 0 ? (value - u.offset) / u.factor : value / u.factor;
}

double to_si(quantity q, unit_system u, double value) { return to_si(unit_of(q, u), value); }

double from_si(quantity q, unit_system u, double value) { return from_si(unit_of(q, u), value); }

}  // namespace vantrel
