// The mixture data of the library (data/mixtures/): binary pairs, departure
// functions and predefined blends, read from the program's own text files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/model/residual.h"

namespace vantrel::detail {

// The two forms of the reducing functions of a pair.
enum class reducing_form { kunz_wagner, lemmon_jacobsen };

// One line of pairs.txt. Kunz-Wagner: beta_T, gamma_T, beta_v, gamma_v in
// the order name1, name2 (beta becomes 1/beta the other way round);
// Lemmon-Jacobsen: xi (K) and zeta (m3/mol) in a and b.
struct pair_data {
    reducing_form form = reducing_form::kunz_wagner;
    std::string name1, name2;
    double beta_T = 1, gamma_T = 1, beta_v = 1, gamma_v = 1;
    double xi = 0, zeta = 0;
    double F = 0;
    std::string departure;  // name of departure/NAME.txt; empty: none
};

// One line of blends.txt: the blend's name, its components and mass fractions.
struct blend_data {
    std::string name;
    std::vector<std::pair<std::string, double>> mass_fractions;
};

std::vector<pair_data> read_pairs(const std::string& path);
std::vector<blend_data> read_blends(const std::string& path);

// The pair of a and b in either order; refused with the file's name when absent.
const pair_data& find_pair(const std::vector<pair_data>& pairs, const std::string& a, const std::string& b,
                           const std::string& path);

// The blend named name; refused when the file has none.
const blend_data& find_blend(const std::vector<blend_data>& blends, const std::string& name, const std::string& path);

// A departure function: rows (0, n, d, t, l), n delta^d tau^t exp(-delta^l),
// no exponential where l = 0, as terms of the residual model (kind 0 with
// g = -1). A row of another kind is refused.
residual_terms read_departure(const std::string& path);

}  // namespace vantrel::detail
