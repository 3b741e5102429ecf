#include "cli/arguments.h"

#include <algorithm>
#include <cmath>

#include "cli/output.h"
#include "cli/speech.h"

namespace cli {

namespace {

std::string key_names() {
    std::string names;
    for (const auto& k : vantrel::input_keys()) names += (names.empty() ? "" : ", ") + std::string(k.name);
    return names;
}

std::string pair_names() {
    std::string names;
    for (std::size_t i = 0; i <= static_cast<std::size_t>(vantrel::input_pair::h_s); ++i) {
        const auto [a, b] = vantrel::keys_of(static_cast<vantrel::input_pair>(i));
        names += std::string(names.empty() ? "" : ", ") + "(" + std::string(info_of(a).name) + ", " +
                 std::string(info_of(b).name) + ")";
    }
    return names;
}

std::string name_of(input_key k) { return std::string(info_of(k).name); }

}  // namespace

std::vector<std::string_view> split(std::string_view text, char delimiter) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(delimiter, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<double> read_number(std::string_view text) {
    if (text.find(',') == std::string_view::npos) return vantrel::parse_number(text);
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    return vantrel::parse_number(copy);
}

double argument_number(std::string_view text, std::string_view what) {
    const std::optional<double> v = read_number(text);
    if (!v) throw usage_error(say(text_id::invalid_number, {text_value(std::string(text)), text_value(std::string(what))}));
    return *v;
}

double checked_si(quantity q, unit_system u, double value, std::string_view what) {
    return checked_si(vantrel::unit_of(q, u), value, what);
}

double checked_si(const vantrel::unit& unit, double value, std::string_view what) {
    const double si = to_si(unit, value);
    if (!std::isfinite(si))
        throw usage_error(say(text_id::value_beyond_double,
                              {text_value(std::string(what)), text_value(exact_text(value) + " " + std::string(unit.name))}));
    return unsigned_zero(si);  // -0 given is 0, also in the engine's messages
}

input_key parse_key(std::string_view name) {
    if (const vantrel::key_info* k = vantrel::find_key(name)) return k->id;
    throw usage_error(say(text_id::unknown_key, {text_value(std::string(name)), text_value(key_names())}));
}

pair_order checked_pair(input_key a, input_key b) {
    if (a == b) throw usage_error(say(text_id::key_twice, {text_value(name_of(a))}));
    if (const auto o = vantrel::pair_of(a, b)) return *o;
    throw usage_error(
        say(text_id::pair_not_supported, {text_value(name_of(a)), text_value(name_of(b)), text_value(pair_names())}));
}

state_request request_of(const pair_order& order, input_key a, double va, input_key b, double vb, unit_system u) {
    const double sa = checked_si(info_of(a).q, u, va, name_of(a)), sb = checked_si(info_of(b).q, u, vb, name_of(b));
    return request_of(order, sa, sb);
}

state_request request_of(const pair_order& order, double si_a, double si_b) {
    return order.swapped ? state_request{order.pair, si_b, si_a} : state_request{order.pair, si_a, si_b};
}

std::optional<key_value> split_key_value(std::string_view token) {
    const std::size_t eq = token.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return key_value{std::string(token.substr(0, eq)), std::string(token.substr(eq + 1))};
}

fluid_and_keys split_positionals(const std::vector<std::string>& args) {
    fluid_and_keys out;
    bool named = false;
    for (const std::string& a : args) {
        if (auto kv = split_key_value(a)) {
            out.given.push_back(std::move(*kv));
        } else {
            if (named) throw usage_error(say(text_id::extra_fluid, {text_value(a), text_value(out.fluid)}));
            out.fluid = a;
            named = true;
        }
    }
    return out;
}

unit_system parse_units(std::string_view name) {
    if (const auto u = vantrel::find_unit_system(name)) return *u;
    throw usage_error(say(text_id::unknown_units, {text_value(std::string(name)), text_value("eng, si, ip")}));
}

output_format parse_format(std::string_view name) {
    if (name == "table") return output_format::table;
    if (name == "csv") return output_format::csv;
    if (name == "json") return output_format::json;
    throw usage_error(say(text_id::unknown_format, {text_value(std::string(name)), text_value("table, csv, json")}));
}

vantrel::reference_state parse_reference(const std::optional<std::string>& name) {
    if (!name) return vantrel::reference_state::configured;
    if (const auto ref = vantrel::find_reference_state(*name)) return *ref;
    throw usage_error(say(text_id::unknown_reference, {text_value(*name), text_value("IIR, ASHRAE, NBP, DEF")}));
}

}  // namespace cli
