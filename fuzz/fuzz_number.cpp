// libFuzzer target: the command-line number parser. A number comes back only
// for the decimal grammar, and then it is finite.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "legacy/general_func.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = parse_number(commatopoint(text));
    if (value && !std::isfinite(*value)) std::abort();
    if (value && text.find_first_not_of("0123456789+-.,eE") != std::string::npos) std::abort();
    const auto integer = parse_int(text);
    if (integer && text.find_first_not_of("0123456789+-") != std::string::npos) std::abort();
    (void)format_fixed2(value.value_or(0));
    return 0;
}
