#include "engine/model/component.h"

#include <filesystem>

#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

std::string agent_of(const std::string& dir) { return std::filesystem::path(dir).filename().string(); }

fluid_info make_info(const std::string& dir, const config& c, const info_config& i) {
    fluid_info f;
    f.agent = agent_of(dir);
    f.name = i.name;
    f.description = i.description;
    f.source = i.source;
    f.reference_state = i.reference_state;
    f.safety_class = i.safety_class;
    f.aliases = split_list(i.aliases);
    f.T_min = i.T_min;
    f.T_max = i.T_max;
    f.p_max = i.p_max;
    f.T_cr = c.T_cr;
    f.p_cr = c.p_cr;
    f.T_tp = c.T_tp;
    f.p_tp = c.p_tp;
    f.R = c.R;
    f.molar_mass = c.mu;
    f.glide = !c.bubble_line.empty() && !c.dew_line.empty() && pressure_line::reads_table(c.line.sat_id);
    f.boundary = c.maxwell_rule ? boundary_kind::equal_area : boundary_kind::correlation;
    f.T_reducing = c.tau_div;
    f.rho_reducing = c.rho_div;
    return f;
}

// The expansions of the saturation curves, refused unless they are as the
// generator wrote them (their own checksum) and were fitted to the equation
// this fluid uses, byte for byte.
sat_expansion load_expansion(const config& c, const std::string& dir, const std::string& eos_text) {
    check_plain_name(c.sat_expansion);
    const std::string path = dir + "/" + c.sat_expansion;
    const std::string text = read_data_file(path);
    if (!sat_expansion::checks_itself(text))
        throw error(error_kind::data, message_id::expansion_changed, {text_value(path)});
    const auto fitted = sat_expansion::read_heading(text);
    if (!fitted) unreadable_file(path);
    if (fitted->eos_file != c.eos_coeff || fitted->checksum != text_checksum(eos_text))
        throw error(error_kind::data, message_id::expansion_other_equation,
                    {text_value(path), text_value(dir + "/" + c.eos_coeff)});
    return sat_expansion::from_table(parse_table(text, path), path);
}

// A blend's bubble- or dew-pressure correlation, in the form of the
// saturation-line table; none without a form that reads a table (no
// saturation model at all, or form 7).
std::optional<pressure_line> load_blend_line(const config& c, const std::string& name, const std::string& dir) {
    if (name.empty() || !pressure_line::reads_table(c.line.sat_id)) return std::nullopt;
    line_config l = c.line;
    l.sat_line = name;
    return load_pressure_line(l, dir, c.path);
}

}  // namespace

std::shared_ptr<const component_data> load_component(const std::string& dir, load_parts parts) {
    const ini_file ini = read_config_file(dir);
    const config c = read_config(ini, "real");
    const info_config info = read_info(ini);
    const std::string& at = c.path;

    std::optional<ideal_model> ideal;
    if (parts == load_parts::all)
        ideal.emplace(c.ideal, c.R, c.mu, read_fluid_table(dir, "c_p.txt"), at, dir + "/c_p.txt");
    check_plain_name(c.eos_coeff);
    const std::string eos_path = dir + "/" + c.eos_coeff;
    const std::string eos_text = read_data_file(eos_path);
    residual_terms residual = residual_terms::from_table(parse_table(eos_text, eos_path), eos_path);
    pressure_line line = load_pressure_line(c.line, dir, at);
    auto d = std::make_shared<component_data>(
        component_data{dir, make_info(dir, c, info), c, std::move(ideal), std::move(residual), std::move(line)});
    if (!c.maxwell_rule && c.line.sat_id != 0) {
        d->liquid_line = load_density_line(c, "liq", dir);
        d->vapour_line = load_density_line(c, "gas", dir);
    }
    if (parts == load_parts::all) {
        d->bubble_line = load_blend_line(c, c.bubble_line, dir);
        d->dew_line = load_blend_line(c, c.dew_line, dir);
    }
    // The expansions are of the equal-area solution: without that rule they do not apply.
    if (!c.sat_expansion.empty() && c.maxwell_rule) d->expansion = load_expansion(c, dir, eos_text);
    check_ranges(c, info, ini);
    return d;
}

fluid_info read_fluid_info(const std::string& dir) {
    const ini_file ini = read_config_file(dir);
    return make_info(dir, read_config(ini, "real"), read_info(ini));
}

}  // namespace vantrel::detail
