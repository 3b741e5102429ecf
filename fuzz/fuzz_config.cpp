// libFuzzer target: the configuration reader on arbitrary file contents. It
// gives a record, or refuses a value with the program's one-line message.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/base/config.h"
#include "vantrel/vantrel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        namespace d = vantrel::detail;
        const d::config c = d::read_config(d::ini_file(text, "config.txt"), "real");
        if (c.ideal.type_calc.size() > 50 || c.line.sat_line.size() > 50 || c.eos_coeff.size() > 50 ||
            c.rho_dim.size() > 50)
            std::abort();
    } catch (const vantrel::error& e) {
        if (e.kind() != vantrel::error_kind::data || e.id() != vantrel::message_id::file_value) std::abort();
    }
    return 0;
}
