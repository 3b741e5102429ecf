// libFuzzer target: the configuration reader on arbitrary file contents. It
// never fails: every key takes its value or its default.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "read_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const const_list c = parse_config({"F", "config.txt"}, "real", text);
    if (c.type_calc.size() > 50 || c.sat_line.size() > 50 || c.eos_coeff.size() > 50 || c.rho_dim.size() > 50)
        std::abort();
    return 0;
}
