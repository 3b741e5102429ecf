// vantrel_cli fluids: what the data directory holds, as the configurations
// state it.
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

}  // namespace

int run_fluids(const mode_options& o, std::ostream& out, std::ostream&) {
    const output_format format = parse_format(o.format);
    const csv_style style = csv_style_of(o, format);
    const unit_system u = parse_units(o.units);
    const auto infos = vantrel::list_fluids(data_directory(o.data));

    record_set set;
    set.columns = {{"fluid", std::nullopt},   {"name", std::nullopt},        {"description", std::nullopt},
                   {"T_min", quantity::temperature}, {"T_max", quantity::temperature}, {"p_max", quantity::pressure},
                   {"T_cr", quantity::temperature},  {"p_cr", quantity::pressure},     {"T_tp", quantity::temperature},
                   {"p_tp", quantity::pressure},     {"reference_state", std::nullopt},
                   {"safety_class", std::nullopt}, {"aliases", std::nullopt}};
    // The citation is long: in CSV and JSON only.
    if (format != output_format::table) set.columns.push_back({"source", std::nullopt});
    for (const vantrel::fluid_info& i : infos) {
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
        if (format != output_format::table) row.push_back(text_cell(i.source));
        set.rows.push_back(std::move(row));
    }
    write_records(out, set, format, u, false, style);
    return 0;
}

}  // namespace cli
