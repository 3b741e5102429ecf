#include "vantrel/properties.h"

#include <array>

namespace vantrel {

namespace {

using enum quantity;
template <auto member>
std::optional<double> get(const state& s) {
    return s.*member;
}

constexpr std::array<property_info, 21> PROPERTIES{{
    {property::T, "T", temperature, get<&state::T>, extras::none},
    {property::p, "p", pressure, get<&state::p>, extras::none},
    {property::phase, "phase", std::nullopt, nullptr, extras::none},
    {property::x, "x", fraction, get<&state::x>, extras::none},
    {property::rho, "rho", density, get<&state::rho>, extras::none},
    {property::v, "v", volume, get<&state::v>, extras::none},
    {property::h, "h", energy, get<&state::h>, extras::none},
    {property::s, "s", entropy, get<&state::s>, extras::none},
    {property::u, "u", energy, get<&state::u>, extras::none},
    {property::cp, "cp", entropy, get<&state::cp>, extras::none},
    {property::cv, "cv", entropy, get<&state::cv>, extras::none},
    {property::w, "w", speed, get<&state::w>, extras::none},
    {property::z, "z", fraction, get<&state::z>, extras::none},
    {property::jt, "jt", jt, get<&state::jt>, extras::none},
    {property::Tsat, "Tsat", temperature, get<&state::T_sat>, extras::saturation},
    {property::psat, "psat", pressure, get<&state::p_sat>, extras::saturation},
    {property::Tbub, "Tbub", temperature, get<&state::T_bubble>, extras::glide},
    {property::Tdew, "Tdew", temperature, get<&state::T_dew>, extras::glide},
    {property::pbub, "pbub", pressure, get<&state::p_bubble>, extras::glide},
    {property::pdew, "pdew", pressure, get<&state::p_dew>, extras::glide},
    {property::glide, "glide", temperature_difference, get<&state::glide>, extras::glide},
}};

constexpr std::array<key_info, 6> KEYS{{
    {input_key::T, "T", temperature},
    {input_key::p, "p", pressure},
    {input_key::h, "h", energy},
    {input_key::s, "s", entropy},
    {input_key::x, "x", fraction},
    {input_key::rho, "rho", density},
}};

struct pair_keys {
    input_pair pair;
    input_key first, second;
};

constexpr std::array<pair_keys, 7> PAIRS{{
    {input_pair::T_p, input_key::T, input_key::p},
    {input_pair::p_h, input_key::p, input_key::h},
    {input_pair::p_s, input_key::p, input_key::s},
    {input_pair::T_x, input_key::T, input_key::x},
    {input_pair::p_x, input_key::p, input_key::x},
    {input_pair::T_rho, input_key::T, input_key::rho},
    {input_pair::h_s, input_key::h, input_key::s},
}};

// Each table is indexed by its enum: a row out of place fails the build.
template <class Table>
constexpr bool in_order(const Table& t) {
    for (std::size_t i = 0; i < t.size(); ++i)
        if (static_cast<std::size_t>(t[i].id) != i) return false;
    return true;
}
static_assert(in_order(PROPERTIES) && PROPERTIES.back().id == property::glide);
static_assert(in_order(KEYS) && KEYS.back().id == input_key::rho);
constexpr bool pairs_in_order() {
    for (std::size_t i = 0; i < PAIRS.size(); ++i)
        if (static_cast<std::size_t>(PAIRS[i].pair) != i) return false;
    return PAIRS.back().pair == input_pair::h_s;
}
static_assert(pairs_in_order());

}  // namespace

std::span<const property_info> properties() { return PROPERTIES; }

const property_info& info_of(property p) { return PROPERTIES[static_cast<std::size_t>(p)]; }

const property_info* find_property(std::string_view name) {
    for (const property_info& i : PROPERTIES)
        if (i.name == name) return &i;
    return nullptr;
}

std::span<const key_info> input_keys() { return KEYS; }

const key_info& info_of(input_key k) { return KEYS[static_cast<std::size_t>(k)]; }

const key_info* find_key(std::string_view name) {
    for (const key_info& i : KEYS)
        if (i.name == name) return &i;
    return nullptr;
}

std::optional<pair_order> pair_of(input_key a, input_key b) {
    for (const pair_keys& e : PAIRS) {
        if (e.first == a && e.second == b) return pair_order{e.pair, false};
        if (e.first == b && e.second == a) return pair_order{e.pair, true};
    }
    return std::nullopt;
}

std::pair<input_key, input_key> keys_of(input_pair pair) {
    const pair_keys& e = PAIRS[static_cast<std::size_t>(pair)];
    return {e.first, e.second};
}

}  // namespace vantrel
