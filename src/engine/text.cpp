#include "engine/text.h"

#include <cfenv>
#include <charconv>

namespace vantrel::detail {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view s, std::size_t i) {
    while (i < s.size() && is_digit(s[i])) ++i;
    return i;
}

// End of the decimal grammar's match at the start of text, or npos.
std::size_t decimal_end(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t end = skip_digits(text, i);
    std::size_t digits = end - i;
    if (end < text.size() && text[end] == '.') {
        const std::size_t frac = skip_digits(text, end + 1);
        digits += frac - end - 1;
        end = frac;
    }
    if (digits == 0) return std::string_view::npos;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t exp_end = skip_digits(text, e);
        if (exp_end == e) return std::string_view::npos;
        end = exp_end;
    }
    return end;
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
    // The grammar first: from_chars alone also takes "nan" and "inf" and
    // would stop silently before trailing characters.
    if (decimal_end(text) != text.size()) return std::nullopt;
    // from_chars takes no "+"; keep a "-" as part of the number.
    const std::size_t first = (text[0] == '+') ? 1 : 0;
    std::fexcept_t saved;
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

std::string number_text(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace vantrel::detail
