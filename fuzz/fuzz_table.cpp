// libFuzzer target: the table reader on arbitrary file contents. Every input
// gives a table or the read error of the file, never anything else.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/base/files.h"
#include "vantrel/vantrel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const vantrel::detail::table table = vantrel::detail::parse_table(text, "t.txt");
        std::size_t numbers = 0;
        for (const auto& row : table) numbers += row.size();
        if (numbers > size) std::abort();  // more numbers than characters
    } catch (const vantrel::error& e) {
        if (e.id() != vantrel::message_id::file_syntax || e.values().at(0).text != "t.txt") std::abort();
    }
    return 0;
}
