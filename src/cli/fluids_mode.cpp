// vantrel_cli fluids: what the data directory holds, as the configurations
// state it: the fluids, then the predefined mixtures.
#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/data_location.h"
#include "cli/modes.h"
#include "cli/output.h"
#include "cli/values.h"

namespace cli {

namespace {

cell text_cell(const std::string& text) { return text.empty() ? cell{} : cell{text}; }

// A limit of the configuration in the system's units, as short as it reads
// (-103.3 °C for 169.85 K).
cell limit_cell(quantity q, unit_system u, std::optional<double> si) {
    return si ? cell{tidy_from_si(vantrel::unit_of(q, u), *si)} : cell{};
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : ", ") + i;
    return out;
}

// A fluid's row: what its configuration (or, for a mixture, the library)
// states; the citation in CSV and JSON only.
std::vector<cell> row_of(const vantrel::fluid_info& i, unit_system u, bool with_source) {
    std::vector<cell> row{text_cell(i.agent),
                          text_cell(i.name),
                          text_cell(i.description),
                          limit_cell(quantity::temperature, u, i.T_min),
                          limit_cell(quantity::temperature, u, i.T_max),
                          limit_cell(quantity::pressure, u, i.p_max),
                          limit_cell(quantity::temperature, u, i.T_cr),
                          limit_cell(quantity::pressure, u, i.p_cr),
                          limit_cell(quantity::temperature, u, i.T_tp),
                          limit_cell(quantity::pressure, u, i.p_tp),
                          text_cell(i.reference_state),
                          text_cell(i.safety_class),
                          text_cell(joined(i.aliases))};
    if (with_source) row.push_back(text_cell(i.source));
    return row;
}

}  // namespace

// The pure fluids (and pseudo-pure blends) in the order of their names, then
// the predefined mixtures in the order of their file; a mixture's
// description is its composition, its critical point that of its envelope.
int run_fluids(const mode_options& o, std::ostream& out, std::ostream&) {
    const output_format format = parse_format(o.format);
    const csv_style style = csv_style_of(o, format);
    const unit_system u = parse_units(o.units);
    const std::filesystem::path data = data_directory(o.data);
    const auto infos = vantrel::list_fluids(data);
    const auto blends = vantrel::list_blends(data);

    record_set set;
    set.columns = {{"fluid", std::nullopt},   {"name", std::nullopt},        {"description", std::nullopt},
                   {"T_min", quantity::temperature}, {"T_max", quantity::temperature}, {"p_max", quantity::pressure},
                   {"T_cr", quantity::temperature},  {"p_cr", quantity::pressure},     {"T_tp", quantity::temperature},
                   {"p_tp", quantity::pressure},     {"reference_state", std::nullopt},
                   {"safety_class", std::nullopt}, {"aliases", std::nullopt}};
    // The citation is long: in CSV and JSON only.
    const bool with_source = format != output_format::table;
    if (with_source) set.columns.push_back({"source", std::nullopt});
    for (const vantrel::fluid_info& i : infos) set.rows.push_back(row_of(i, u, with_source));
    for (const vantrel::blend_info& b : blends) set.rows.push_back(row_of(b.info, u, with_source));
    write_records(out, set, format, u, false, style);
    return 0;
}

}  // namespace cli
