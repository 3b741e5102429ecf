#include "cli/values.h"

#include <charconv>
#include <cmath>
#include <string>
#include <utility>

#include "cli/arguments.h"
#include "cli/output.h"
#include "cli/speech.h"

namespace cli {

namespace {

// ASCII spellings of units with a degree sign, a superscript or a middle dot.
constexpr std::pair<std::string_view, std::string_view> SPELLINGS[] = {
    {"C", "°C"},          {"degC", "°C"},          {"F", "°F"},           {"degF", "°F"},
    {"kJ/kgK", "kJ/(kg·K)"}, {"kJ/kg/K", "kJ/(kg·K)"}, {"J/kgK", "J/(kg·K)"}, {"J/kg/K", "J/(kg·K)"},
    {"Btu/(lb·F)", "Btu/(lb·°F)"}, {"Btu/lbF", "Btu/(lb·°F)"}, {"Btu/lb/F", "Btu/(lb·°F)"},
    {"F/psi", "°F/psi"},
};

// The text with " ", "*" or "." between factors as "·", and m3, ft3 as m³, ft³.
std::string with_unit_signs(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c == ' ' || c == '*' || c == '.') s += "·";
        else if (c == '3' && (s.ends_with("m") || s.ends_with("ft"))) s += "³";
        else s += c;
    }
    return s;
}

// The quantities' names, in the order of the enum.
constexpr std::size_t QUANTITIES = static_cast<std::size_t>(quantity::volume_flow) + 1;
static_assert(static_cast<std::size_t>(text_id::quantity_volume_flow) -
                      static_cast<std::size_t>(text_id::quantity_fraction) + 1 == QUANTITIES,
              "a name for every quantity, in its order");

std::string quantity_name(quantity q) {
    return say(static_cast<text_id>(static_cast<std::size_t>(text_id::quantity_fraction) + static_cast<std::size_t>(q)));
}

// "°C, K, °F, ...": the names of the quantity's units.
std::string unit_list(quantity q) {
    std::string list;
    for (const vantrel::unit& u : vantrel::units()) {
        const std::string name(u.name);
        if (u.q == q && (", " + list + ", ").find(", " + name + ", ") == std::string::npos)
            list += (list.empty() ? "" : ", ") + name;
    }
    return list;
}

// Why a unit's name does not fit the quantity of key.
[[noreturn]] void wrong_unit(std::string_view key, std::string_view text, std::string_view name, quantity q) {
    const std::string given = std::string(key) + "=" + std::string(text), unit(name);
    if (q == quantity::fraction)
        throw usage_error(say(text_id::value_without_unit, {text_value(given), text_value(std::string(key))}));
    for (std::size_t i = 0; i < QUANTITIES; ++i)
        if (unit_named(name, static_cast<quantity>(i)) != nullptr)
            throw usage_error(say(text_id::unit_of_other_quantity,
                                  {text_value(unit), text_value(given), text_value(quantity_name(static_cast<quantity>(i))),
                                   text_value(quantity_name(q)), text_value(unit_list(q))}));
    throw usage_error(say(text_id::unknown_unit, {text_value(unit), text_value(given), text_value(unit_list(q))}));
}

// Where the number at the start of the text ends: its longest prefix that
// is a number; 0 when none is.
std::size_t number_end(std::string_view text) {
    for (std::size_t i = text.size(); i > 0; --i) {
        const std::string_view head = text.substr(0, i);
        if (head.back() != ' ' && read_number(head)) return i;
    }
    return 0;
}

}  // namespace

const vantrel::unit* unit_named(std::string_view text, quantity q) {
    if (q == quantity::fraction) return nullptr;  // a fraction is a bare number
    std::string name = with_unit_signs(text);
    for (const auto& [ascii, proper] : SPELLINGS)
        if (name == with_unit_signs(ascii)) name = proper;
    return vantrel::find_unit(name, q);
}

given_value read_value(std::string_view key, std::string_view text, quantity q, unit_system u) {
    const std::size_t end = number_end(text);
    const std::string_view rest = trim(text.substr(end));
    const std::string what = std::string(key) + "=";
    if (end == 0 || (!rest.empty() && std::string_view("0123456789.,+-eE").find(rest.front()) != std::string_view::npos))
        argument_number(text, what);  // no number: says so
    given_value v{*read_number(text.substr(0, end)), &vantrel::unit_of(q, u), false};
    if (rest.empty()) return v;
    v.unit = unit_named(rest, q);
    if (v.unit == nullptr) wrong_unit(key, text, rest, q);
    v.named = true;
    return v;
}

double si_of(const given_value& v, std::string_view key) { return checked_si(*v.unit, v.number, key); }

double tidy_from_si(const vantrel::unit& unit, double si) {
    const double value = from_si(unit, si);
    if (!std::isfinite(value)) return value;
    // Twelve significant digits that stand for the same SI value to two units
    // in its last place: the conversion's noise was in the digits dropped.
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 12).ptr;
    double t = 0;
    std::from_chars(buf, end, t);
    const double a = std::fabs(si), ulp = std::nextafter(a, INFINITY) - a;
    return unsigned_zero(std::fabs(to_si(unit, t) - si) <= 2 * ulp ? t : value);
}

double shown_value(const given_value& v, double si, unit_system u) {
    const vantrel::unit& out = vantrel::unit_of(v.unit->q, u);
    return !v.named || v.unit == &out ? v.number : tidy_from_si(out, si);
}

}  // namespace cli
