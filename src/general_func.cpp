#include "general_func.h"

#include <cfenv>
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

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view s, std::size_t i) {
    while (i < s.size() && is_digit(s[i])) ++i;
    return i;
}

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

std::optional<double> parse_number(std::string_view text) {
    // Check the grammar first: from_chars alone also takes "nan", "inf" and
    // would stop silently before trailing characters.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t mantissa = i;
    std::size_t end = skip_digits(text, i);
    std::size_t digits = end - i;
    if (end < text.size() && text[end] == '.') {
        const std::size_t frac = skip_digits(text, end + 1);
        digits += frac - end - 1;
        end = frac;
    }
    if (digits == 0) return std::nullopt;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t exp_end = skip_digits(text, e);
        if (exp_end == e) return std::nullopt;
        end = exp_end;
    }
    if (end != text.size()) return std::nullopt;

    // from_chars takes no "+"; keep a "-" as part of the number.
    const std::size_t first = (text[0] == '+') ? mantissa : 0;
    fexcept_t saved;
    std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
    double value = 0;
    const auto res = std::from_chars(text.data() + first, text.data() + text.size(), value);
    std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int32_t> parse_int(std::string_view text) {
    std::size_t first = 0;
    if (!text.empty() && text[0] == '+') first = 1;
    if (first == text.size() || (text[first] == '-' && first == 1)) return std::nullopt;
    std::int32_t value = 0;
    const auto res = std::from_chars(text.data() + first, text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string format_fixed2(double value) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    std::string out(buf, res.ptr);
    if (out == "-0.00") out = "0.00";
    return out;
}
