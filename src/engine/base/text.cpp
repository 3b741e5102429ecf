#include <cctype>
#include "engine/base/text.h"

#include <cfenv>
#include <charconv>
#include <cmath>

namespace vantrel::detail {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> parse_number_raising(std::string_view text) {
    // from_chars reads the same decimal grammar once the text starts with a
    // digit or a point after its sign, which rules out "nan", "inf" and a
    // second sign; it refuses trailing characters, an incomplete exponent
    // and values beyond the range of double. It takes no "+".
    const std::size_t lead = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (lead >= text.size() || !(is_digit(text[lead]) || text[lead] == '.')) return std::nullopt;
    const std::size_t first = (text[0] == '+') ? 1 : 0;
    double value = 0;
    const auto res = std::from_chars(text.data() + first, text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> parse_number(std::string_view text) {
    std::fexcept_t saved;
    std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
    const std::optional<double> value = parse_number_raising(text);
    std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
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

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != separator) continue;
        out.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    return out;
}

std::string name_key(std::string_view name) {
    std::string key;
    for (const char c : name) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key.size() > 2 && key[0] == 'r' && key[1] == '-' && std::isdigit(static_cast<unsigned char>(key[2])))
        key.erase(1, 1);
    return key;
}

std::vector<std::string> split_list(std::string_view text) {
    std::vector<std::string> items;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        if (!item.empty()) items.emplace_back(item);
    }
    return items;
}

std::string number_text(double value) {
    // Plain digits where they are readable, an exponent beyond; quiet
    // comparisons, so that a NaN told leaves no flag for the next check.
    char buf[400];
    const double a = std::fabs(value);
    const auto res = (std::isgreaterequal(a, 1e-5) && std::isless(a, 1e15)) ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                                             : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace vantrel::detail
