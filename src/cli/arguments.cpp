#include "cli/arguments.h"

#include <algorithm>
#include <array>

#include "engine/text.h"

namespace cli {

namespace {

struct key_entry {
    input_key key;
    const char* name;
    quantity q;
};

constexpr std::array<key_entry, 6> KEYS{{
    {input_key::T, "T", quantity::temperature},
    {input_key::p, "p", quantity::pressure},
    {input_key::h, "h", quantity::energy},
    {input_key::s, "s", quantity::entropy},
    {input_key::x, "x", quantity::fraction},
    {input_key::rho, "rho", quantity::density},
}};

// The engine's pairs, each by its keys in the engine's order.
struct pair_entry {
    vantrel::input_pair pair;
    input_key first, second;
};

constexpr std::array<pair_entry, 7> PAIRS{{
    {vantrel::input_pair::T_p, input_key::T, input_key::p},
    {vantrel::input_pair::p_h, input_key::p, input_key::h},
    {vantrel::input_pair::p_s, input_key::p, input_key::s},
    {vantrel::input_pair::T_x, input_key::T, input_key::x},
    {vantrel::input_pair::p_x, input_key::p, input_key::x},
    {vantrel::input_pair::T_rho, input_key::T, input_key::rho},
    {vantrel::input_pair::h_s, input_key::h, input_key::s},
}};

quantity quantity_of(input_key k) { return KEYS[static_cast<std::size_t>(k)].q; }

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
    if (text.find(',') == std::string_view::npos) return vantrel::detail::parse_number(text);
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    return vantrel::detail::parse_number(copy);
}

double argument_number(std::string_view text, std::string_view what) {
    const std::optional<double> v = read_number(text);
    if (!v) throw usage_error("Недопустимое число '" + std::string(text) + "' в " + std::string(what) + ".");
    return *v;
}

input_key parse_key(std::string_view name) {
    for (const auto& e : KEYS)
        if (name == e.name) return e.key;
    throw usage_error("Неизвестная величина '" + std::string(name) + "': допустимы T, p, h, s, x, rho.");
}

const char* key_name(input_key k) { return KEYS[static_cast<std::size_t>(k)].name; }

pair_order pair_of(input_key a, input_key b) {
    if (a == b) throw usage_error(std::string("Величина ") + key_name(a) + " задана дважды.");
    for (const auto& e : PAIRS) {
        if (e.first == a && e.second == b) return {e.pair, false};
        if (e.first == b && e.second == a) return {e.pair, true};
    }
    throw usage_error(std::string("Пара (") + key_name(a) + ", " + key_name(b) +
                      ") не поддерживается: допустимы (T, p), (p, h), (p, s), (T, x), (p, x), (T, rho), (h, s).");
}

state_request request_of(const pair_order& order, input_key a, double va, input_key b, double vb, unit_system u) {
    const double sa = to_si(quantity_of(a), u, va), sb = to_si(quantity_of(b), u, vb);
    return order.swapped ? state_request{order.pair, sb, sa} : state_request{order.pair, sa, sb};
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
            if (named) throw usage_error("Лишний аргумент '" + a + "': вещество уже задано (" + out.fluid + ").");
            out.fluid = a;
            named = true;
        }
    }
    return out;
}

unit_system parse_units(std::string_view name) {
    if (name == "eng") return unit_system::eng;
    if (name == "si") return unit_system::si;
    throw usage_error("Недопустимая система единиц '" + std::string(name) + "': допустимы eng, si.");
}

output_format parse_format(std::string_view name) {
    if (name == "table") return output_format::table;
    if (name == "csv") return output_format::csv;
    if (name == "json") return output_format::json;
    throw usage_error("Недопустимый формат '" + std::string(name) + "': допустимы table, csv, json.");
}

}  // namespace cli
