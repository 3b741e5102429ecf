// libFuzzer target: the rows of a batch. Every line is a row of two finite
// numbers or a one-line message; a header only where no field is a number;
// and the CSV field of any message reads back as that message.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/batch_input.h"
#include "cli/output.h"

namespace {

// The field back from its CSV text: quotes removed, doubled quotes halved.
std::string unquoted(const std::string& csv) {
    if (csv.empty() || csv.front() != '"') return csv;
    std::string out;
    for (std::size_t i = 1; i + 1 < csv.size(); ++i) {
        out += csv[i];
        if (csv[i] == '"') ++i;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = text.find('\n');
    const cli::row_format f = cli::detect_format(cli::strip_line_end(text.substr(0, nl)));
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = cli::strip_line_end(rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const auto row = cli::parse_row(line, f, 1);
        if (const auto* v = std::get_if<cli::row_values>(&row)) {
            if (!std::isfinite(v->first) || !std::isfinite(v->second)) std::abort();
            if (cli::is_header(line)) std::abort();  // a row of numbers is never a header
        } else {
            const std::string& message = std::get<std::string>(row);
            std::string csv;
            cli::append_csv_field(csv, message);
            if (unquoted(csv) != message) std::abort();
        }
    }
    return 0;
}
