#include "cli/properties.h"

#include <algorithm>
#include <array>

#include "cli/arguments.h"

namespace cli {

namespace {

struct property_entry {
    property p;
    const char* name;
    quantity q;
};

constexpr std::array<property_entry, 21> PROPERTIES{{
    {property::T, "T", quantity::temperature},
    {property::p, "p", quantity::pressure},
    {property::phase, "phase", quantity::text},
    {property::x, "x", quantity::fraction},
    {property::rho, "rho", quantity::density},
    {property::v, "v", quantity::volume},
    {property::h, "h", quantity::energy},
    {property::s, "s", quantity::entropy},
    {property::u, "u", quantity::energy},
    {property::cp, "cp", quantity::entropy},
    {property::cv, "cv", quantity::entropy},
    {property::w, "w", quantity::speed},
    {property::z, "z", quantity::fraction},
    {property::jt, "jt", quantity::jt},
    {property::Tsat, "Tsat", quantity::temperature},
    {property::psat, "psat", quantity::pressure},
    {property::Tbub, "Tbub", quantity::temperature},
    {property::Tdew, "Tdew", quantity::temperature},
    {property::pbub, "pbub", quantity::pressure},
    {property::pdew, "pdew", quantity::pressure},
    {property::glide, "glide", quantity::temperature_difference},
}};

const property_entry& entry(property p) { return PROPERTIES[static_cast<std::size_t>(p)]; }

std::string valid_names() {
    std::string names;
    for (const auto& e : PROPERTIES) names += (names.empty() ? "" : ", ") + std::string(e.name);
    return names;
}

std::optional<double> raw_value(property p, const vantrel::state& s) {
    switch (p) {
        case property::T: return s.T;
        case property::p: return s.p;
        case property::x: return s.x;
        case property::rho: return s.rho;
        case property::v: return s.v;
        case property::h: return s.h;
        case property::s: return s.s;
        case property::u: return s.u;
        case property::cp: return s.cp;
        case property::cv: return s.cv;
        case property::w: return s.w;
        case property::z: return s.z;
        case property::jt: return s.jt;
        case property::Tsat: return s.T_sat;
        case property::psat: return s.p_sat;
        case property::Tbub: return s.T_bubble;
        case property::Tdew: return s.T_dew;
        case property::pbub: return s.p_bubble;
        case property::pdew: return s.p_dew;
        case property::glide: return s.glide;
        case property::phase: break;
    }
    return std::nullopt;
}

}  // namespace

std::vector<property> parse_properties(std::string_view list) {
    std::vector<property> out;
    for (const std::string_view name : split(list, ',')) {
        const std::string_view n = trim(name);
        const auto it = std::find_if(PROPERTIES.begin(), PROPERTIES.end(), [&](const auto& e) { return n == e.name; });
        if (it == PROPERTIES.end())
            throw usage_error("Неизвестное свойство '" + std::string(n) + "': допустимы " + valid_names() + ".");
        out.push_back(it->p);
    }
    return out;
}

std::vector<property> default_properties() {
    using enum property;
    return {T, p, phase, x, rho, h, s, cp, cv, w, Tsat, psat};
}

column column_of(property p) { return {entry(p).name, entry(p).q}; }

vantrel::extras extras_for(const std::vector<property>& props) {
    vantrel::extras e = vantrel::extras::none;
    for (const property p : props) {
        if (p == property::Tbub || p == property::Tdew || p == property::pbub || p == property::pdew ||
            p == property::glide)
            return vantrel::extras::glide;
        if (p == property::Tsat || p == property::psat) e = vantrel::extras::saturation;
    }
    return e;
}

cell number_cell(quantity q, unit_system u, std::optional<double> si) {
    if (!si) return {};
    return from_si(q, u, *si);
}

cell value_of(property p, const vantrel::state& s, unit_system u) {
    if (p == property::phase) {
        const std::string name = vantrel::phase_name(s.phase);
        return name.empty() ? cell{} : cell{name};
    }
    return number_cell(entry(p).q, u, raw_value(p, s));
}

}  // namespace cli
