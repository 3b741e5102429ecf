#include "legacy/general_func.h"

#include <charconv>

#include "vantrel/units.h"

namespace {

// The unit of a pressure name of the legacy routines (MPa, bar, kPa, at,
// atm), the library's; none (Pa) for any other name.
const vantrel::unit* pressure_unit(const std::string& name) {
    for (const char* legacy : {"MPa", "bar", "kPa", "at", "atm"})
        if (name == legacy) return vantrel::find_unit(name, vantrel::quantity::pressure);
    return nullptr;
}

}  // namespace

double change_dimension_t(const std::string& input_format, const std::string& output_format, double t) {
    if (input_format == "K") t = t - vantrel::zero_celsius;
    if (output_format == "K") t = t + vantrel::zero_celsius;
    return t;
}

double change_dimension_p(const std::string& input_format, const std::string& output_format, double p) {
    if (const vantrel::unit* u = pressure_unit(input_format)) p = p * u->factor;
    if (const vantrel::unit* u = pressure_unit(output_format)) p = u->decimal ? p * (1 / u->factor) : p / u->factor;
    return p;
}

void reverse_dimensions(const T_dim_info& dims, prop_list& prop) {
    prop.p = change_dimension_p("Pa", dims.p_dim, prop.p);
    prop.t = change_dimension_t("K", dims.t_dim, prop.t);
    prop.fug = change_dimension_p("Pa", dims.p_dim, prop.fug);
}

double standard_units(const std::string& id, double value, const T_dim_info& dims) {
    if (id == PR.t) return change_dimension_t(dims.t_dim, "K", value);
    if (id == PR.p) return change_dimension_p(dims.p_dim, "Pa", value);
    return value;
}

std::string commatopoint(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    return text;
}

std::string format_fixed2(double value) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    std::string out(buf, res.ptr);
    if (out == "-0.00") out = "0.00";
    return out;
}
