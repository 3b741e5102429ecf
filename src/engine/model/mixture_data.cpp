#include "engine/model/mixture_data.h"

#include <cmath>

#include "engine/base/files.h"
#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

// The lines of a text file without comments (";") and blank lines, each
// split at white space, with their line numbers.
struct text_line {
    std::size_t number;
    std::vector<std::string> words;
};

std::vector<std::string> words_of(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        if (j > i) out.emplace_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

std::vector<text_line> read_lines(const std::string& path) {
    const std::string text = read_data_file(path);
    std::vector<text_line> out;
    std::size_t start = 0, number = 1;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        auto words = words_of(std::string_view(text).substr(start, end - start));
        if (!words.empty() && words[0][0] != ';') out.push_back({number, std::move(words)});
        start = end + 1;
        ++number;
    }
    return out;
}

[[noreturn]] void reject_line(const text_line& l, const std::string& path, const std::string& why) {
    throw error(error_kind::data, message_id::mixture_line,
                {text_value(std::to_string(l.number)), text_value(path), text_value(why)});
}

double number_at(const text_line& l, std::size_t k, const std::string& path) {
    const auto v = parse_number(l.words[k]);
    if (!v || !std::isfinite(*v)) reject_line(l, path, "'" + l.words[k] + "' is not a number");
    return *v;
}

pair_data pair_of(const text_line& l, const std::string& path) {
    const auto& w = l.words;
    const bool kw = w[0] == "KW";
    if (!kw && w[0] != "LJ") reject_line(l, path, "the form is KW or LJ");
    const std::size_t n_values = kw ? 4 : 2;
    if (w.size() != 3 + n_values + 3) reject_line(l, path, "wrong number of words");
    pair_data p;
    p.form = kw ? reducing_form::kunz_wagner : reducing_form::lemmon_jacobsen;
    p.name1 = w[1];
    p.name2 = w[2];
    if (kw) {
        p.beta_T = number_at(l, 3, path);
        p.gamma_T = number_at(l, 4, path);
        p.beta_v = number_at(l, 5, path);
        p.gamma_v = number_at(l, 6, path);
        if (!(p.beta_T > 0 && p.beta_v > 0)) reject_line(l, path, "beta must be above 0");
    } else {
        p.xi = number_at(l, 3, path);
        p.zeta = number_at(l, 4, path);
    }
    p.F = number_at(l, 3 + n_values, path);
    const std::string& dep = w[4 + n_values];
    if (dep != "-") {
        check_plain_name(dep);
        p.departure = dep;
    }
    return p;
}

}  // namespace

std::vector<pair_data> read_pairs(const std::string& path) {
    std::vector<pair_data> out;
    for (const auto& l : read_lines(path)) out.push_back(pair_of(l, path));
    return out;
}

std::vector<blend_data> read_blends(const std::string& path) {
    std::vector<blend_data> out;
    for (const auto& l : read_lines(path)) {
        if (l.words.size() < 3 || l.words.size() % 2 == 0) reject_line(l, path, "wrong number of words");
        blend_data b{l.words[0], {}};
        double sum = 0;
        for (std::size_t k = 1; k < l.words.size(); k += 2) {
            const double w = number_at(l, k + 1, path);
            if (!(w > 0 && w <= 1)) reject_line(l, path, "a mass fraction must be above 0 and at most 1");
            b.mass_fractions.emplace_back(l.words[k], w);
            sum += w;
        }
        if (std::fabs(sum - 1) > 1e-9) reject_line(l, path, "the mass fractions do not add up to 1");
        out.push_back(std::move(b));
    }
    return out;
}

const pair_data& find_pair(const std::vector<pair_data>& pairs, const std::string& a, const std::string& b,
                           const std::string& path) {
    for (const auto& p : pairs)
        if ((p.name1 == a && p.name2 == b) || (p.name1 == b && p.name2 == a)) return p;
    throw error(error_kind::data, message_id::mixture_pair_missing, {text_value(a), text_value(b), text_value(path)});
}

const blend_data& find_blend(const std::vector<blend_data>& blends, const std::string& name, const std::string& path) {
    for (const auto& b : blends)
        if (b.name == name) return b;
    throw error(error_kind::data, message_id::blend_unknown, {text_value(name), text_value(path)});
}

residual_terms read_departure(const std::string& path) {
    const table rows = read_table(path);
    table terms;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        if (r.size() < 5) unreadable_file(path);
        if (r[0] != 0)
            throw error(error_kind::data, message_id::departure_kind,
                        {text_value(path), text_value(number_text(r[0])), text_value(std::to_string(i + 1))});
        const double l = r[4];
        terms.push_back({0, r[1], r[2], r[3], l == 0 ? 0.0 : -1.0, l});
    }
    return residual_terms::from_table(terms, path);
}

}  // namespace vantrel::detail
