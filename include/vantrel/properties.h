// The properties of a state and the keys of the input pairs, each by its
// name, quantity and value: one row each, which the command line (names,
// units, headers, JSON keys) and any other front end read.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "vantrel/vantrel.h"

namespace vantrel {

enum class property { T, p, phase, x, rho, v, h, s, u, cp, cv, w, z, jt, Tsat, psat, Tbub, Tdew, pbub, pdew, glide };

struct property_info {
    property id;
    std::string_view name;                          // "T": also its JSON key
    std::optional<quantity> q;                      // none for a text (the phase)
    std::optional<double> (*value)(const state&);   // SI; absent where the state has none
    extras needs;                                   // what the state must carry for it
};

// Every property, in the order of the enum.
std::span<const property_info> properties();
const property_info& info_of(property p);
const property_info* find_property(std::string_view name);

// The keys of the input pairs.
enum class input_key { T, p, h, s, x, rho };

struct key_info {
    input_key id;
    std::string_view name;
    quantity q;
};

std::span<const key_info> input_keys();
const key_info& info_of(input_key k);
const key_info* find_key(std::string_view name);

// The pair of two keys in either order, and whether they came in the
// opposite order of the pair's; nothing for two keys that name no pair.
struct pair_order {
    input_pair pair;
    bool swapped;
};
std::optional<pair_order> pair_of(input_key a, input_key b);

// The keys of a pair, in its order.
std::pair<input_key, input_key> keys_of(input_pair pair);

}  // namespace vantrel
