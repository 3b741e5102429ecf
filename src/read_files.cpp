#include "read_files.h"

#include <filesystem>

#include "engine/files.h"
#include "engine/sat_line.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
namespace engine = vantrel::detail;

namespace {

constexpr char SEPARATOR = static_cast<char>(fs::path::preferred_separator);

std::string current_directory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec)
        throw vantrel::error(vantrel::error_kind::data,
                             "Текущий каталог недоступен: данные веществ ищутся в его подкаталоге data.");
    return cwd.string();
}

void copy_ideal(const engine::ideal_config& e, const_list& c) {
    c.type_calc = e.type_calc;
    c.type_prop = e.type_prop;
    c.exp_dim = e.exp_dim;
    c.k_term = e.k_term;
    c.c_0 = e.c_0;
    c.h_0 = e.h_0;
    c.s_0 = e.s_0;
    c.h_0_0 = e.h_0_0;
    c.s_0_0 = e.s_0_0;
}

void copy_real(const engine::config& e, const_list& c) {
    c.maxwell_rule = e.maxwell_rule;
    c.p_cr = e.p_cr;
    c.T_cr = e.T_cr;
    c.T_tp = e.T_tp;
    c.p_tp = e.p_tp;
    c.rho_cr = e.rho_cr;
    c.rho_div = e.rho_div;
    c.tau_div = e.tau_div;
    c.rho_0 = e.rho_0;
    c.rho_dim = e.rho_dim;
    c.delta_rho = e.delta_rho;
    c.a_s = e.line.a_s;
    c.b_s = e.line.b_s;
    c.c_s = e.line.c_s;
    c.p_s_0 = e.line.p_s_0;
    c.Ri = e.line.Ri;
    c.P_a = e.line.P_a;
    c.sat_base = e.line.sat_base;
    c.sat_tau = e.line.sat_tau;
    c.sat_line = e.line.sat_line;
    c.sat_id = e.line.sat_id;
    c.sat_xi = e.sat_xi;
    c.sat_rho = e.sat_rho;
    c.sat_gas_id = e.sat_gas_id;
    c.sat_liq_id = e.sat_liq_id;
    c.eos_coeff = e.eos_coeff;
}

// The sections a description type does not read stay zero.
const_list read_described(const engine::ini_file& ini, const str_arr& names, const std::string& desc_type) {
    const engine::config e = engine::read_config(ini, desc_type);
    const_list c;
    c.names = names;
    c.R = e.R;
    c.mu = e.mu;
    if (desc_type == "ideal" || desc_type == "real") copy_ideal(e.ideal, c);
    if (desc_type == "real") copy_real(e, c);
    return c;
}

}  // namespace

std::string create_path(const str_arr& names) {
    std::string path = current_directory();
    while (path.size() > 1 && path.back() == SEPARATOR) path.pop_back();
    path += SEPARATOR;
    path += "data";
    for (const auto& part : names) {
        if (part.empty()) continue;
        // A fluid or file name is one name inside data/: no way up or out of it.
        engine::check_plain_name(part);
        path += SEPARATOR;
        path += part;
    }
    return path;
}

void reject_table_file(const std::string& file_name) { engine::unreadable_file(file_name); }

two_d_array parse_table(std::string_view text, const std::string& file_name) {
    return engine::parse_table(text, file_name);
}

two_d_array data_array(const std::string& file_name) { return engine::read_table(file_name); }

std::string coeff_file_name(const std::string& f_name, const std::string& id) {
    return engine::side_file_name(f_name, id);
}

two_d_array create_coeff_table(const str_arr& names, const std::string& f_name, const std::string& id) {
    str_arr pair = names;
    pair[1] = coeff_file_name(f_name, id);
    return data_array(create_path(pair));
}

const_list create_const(const str_arr& names, const std::string& desc_type, const std::string& file_name) {
    const std::string path = create_path({names[0], file_name});
    const std::string text = engine::file_exists(path) ? engine::read_data_file(path) : std::string();
    return read_described(engine::ini_file(text, path), names, desc_type);
}

const_list parse_config(const str_arr& names, const std::string& desc_type, std::string_view text) {
    return read_described(engine::ini_file(text, create_path({names[0], "config.txt"})), names, desc_type);
}

void reject_config_value(const const_list& th_c, const std::string& key, const std::string& value) {
    engine::reject_value(create_path({th_c.names[0], "config.txt"}), key, value);
}

two_d_array read_table_checked(const str_arr& names, std::size_t min_cols) {
    const std::string path = create_path(names);
    two_d_array table = data_array(path);
    engine::require_columns(table, min_cols, path);
    return table;
}

vantrel::detail::config to_config(const const_list& th_c) {
    engine::config e;
    e.path = create_path({th_c.names[0], "config.txt"});
    e.R = th_c.R;
    e.mu = th_c.mu;
    e.ideal = {th_c.type_calc, th_c.type_prop, th_c.exp_dim, th_c.k_term, th_c.c_0,
               th_c.h_0,       th_c.s_0,       th_c.h_0_0,   th_c.s_0_0};
    e.maxwell_rule = th_c.maxwell_rule;
    e.p_cr = th_c.p_cr;
    e.T_cr = th_c.T_cr;
    e.T_tp = th_c.T_tp;
    e.p_tp = th_c.p_tp;
    e.rho_cr = th_c.rho_cr;
    e.rho_div = th_c.rho_div;
    e.tau_div = th_c.tau_div;
    e.rho_0 = th_c.rho_0;
    e.rho_dim = th_c.rho_dim;
    e.delta_rho = th_c.delta_rho;
    e.line = {th_c.sat_id, th_c.sat_base, th_c.sat_tau, th_c.p_s_0, th_c.a_s,
              th_c.b_s,    th_c.c_s,      th_c.Ri,      th_c.P_a,   th_c.sat_line};
    e.sat_xi = th_c.sat_xi;
    e.sat_rho = th_c.sat_rho;
    e.sat_gas_id = th_c.sat_gas_id;
    e.sat_liq_id = th_c.sat_liq_id;
    e.eos_coeff = th_c.eos_coeff;
    return e;
}

std::shared_ptr<const vantrel::detail::fluid_data> load_agent(const std::string& agent,
                                                              vantrel::detail::load_parts parts) {
    return engine::load_fluid(create_path({agent, ""}), parts);
}
