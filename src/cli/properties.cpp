#include "cli/properties.h"

#include <algorithm>

#include "cli/arguments.h"
#include "cli/speech.h"

namespace cli {

namespace {

std::string valid_names() {
    std::string names;
    for (const auto& e : vantrel::properties()) names += (names.empty() ? "" : ", ") + std::string(e.name);
    return names;
}

}  // namespace

std::vector<property> parse_properties(std::string_view list) {
    std::vector<property> out;
    for (const std::string_view name : split(list, ',')) {
        const vantrel::property_info* e = vantrel::find_property(trim(name));
        if (e == nullptr)
            throw usage_error(
                say(text_id::unknown_property, {text_value(std::string(trim(name))), text_value(valid_names())}));
        out.push_back(e->id);
    }
    return out;
}

std::vector<property> default_properties() {
    using enum property;
    return {T, p, phase, x, rho, h, s, cp, cv, w, Tsat, psat};
}

column column_of(property p) { return {std::string(info_of(p).name), info_of(p).q}; }

vantrel::extras extras_for(const std::vector<property>& props) {
    vantrel::extras e = vantrel::extras::none;
    for (const property p : props) e = std::max(e, info_of(p).needs);
    return e;
}

cell number_cell(quantity q, unit_system u, std::optional<double> si) {
    if (!si) return {};
    return from_si(q, u, *si);
}

cell value_of(property p, const vantrel::state& s, unit_system u) {
    const vantrel::property_info& e = info_of(p);
    if (!e.q) {
        const std::string name = vantrel::phase_name(s.phase);
        return name.empty() ? cell{} : cell{name};
    }
    return number_cell(*e.q, u, e.value(s));
}

}  // namespace cli
