#include "general_func.h"

#include <charconv>

namespace {

// Factor from the named pressure unit to Pa, and back.
struct pressure_unit {
    const char* name;
    double to_pa;
    double from_pa;
    bool divide;  // the non-decimal units divide on the way out of Pa
};

constexpr pressure_unit PRESSURE_UNITS[] = {
    {"MPa", 1e6, 1e-6, false}, {"bar", 1e5, 1e-5, false}, {"kPa", 1e3, 1e-3, false},
    {"at", 98066.5, 0, true},  {"atm", 101325, 0, true},
};

}  // namespace

double change_dimension_t(const std::string& input_format, const std::string& output_format, double t) {
    if (input_format == "K") t = t - 273.15;
    if (output_format == "K") t = t + 273.15;
    return t;
}

double change_dimension_p(const std::string& input_format, const std::string& output_format, double p) {
    for (const auto& u : PRESSURE_UNITS)
        if (input_format == u.name) p = p * u.to_pa;
    for (const auto& u : PRESSURE_UNITS)
        if (output_format == u.name) p = u.divide ? p / u.to_pa : p * u.from_pa;
    return p;
}

void reverse_dimensions(const T_dim_info& dims, prop_list& prop) {
    prop.p = change_dimension_p("Pa", dims.p_dim, prop.p);
    prop.t = change_dimension_t("K", dims.t_dim, prop.t);
    prop.fug = change_dimension_p("Pa", dims.p_dim, prop.fug);
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
