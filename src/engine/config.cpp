#include "engine/config.h"

namespace vantrel::detail {

namespace {

std::optional<double> optional_real(const ini_file& ini, const char* section, const char* key) {
    const std::string* v = ini.find(section, key);
    if (v == nullptr || v->empty()) return std::nullopt;
    return ini.real(section, key, 0);
}

void read_ideal(const ini_file& ini, ideal_config& c) {
    const char* s = "conf_ideal";
    c.type_calc = ini.text(s, "type_calc", c.type_calc);
    c.type_prop = ini.text(s, "type_prop", c.type_prop);
    c.exp_dim = ini.text(s, "exp_dim", c.exp_dim);
    c.k_term = ini.real(s, "k_term", c.k_term);
    c.c_0 = ini.real(s, "c_0", c.c_0);
    c.h_0 = ini.real(s, "h_0", c.h_0);
    c.s_0 = ini.real(s, "s_0", c.s_0);
    c.h_0_0 = ini.real(s, "h_0_0", c.h_0_0);
    c.s_0_0 = ini.real(s, "s_0_0", c.s_0_0);
}

void read_real(const ini_file& ini, config& c) {
    const char* s = "conf_real";
    c.maxwell_rule = ini.boolean(s, "maxwell_rule", c.maxwell_rule);
    c.p_cr = ini.real(s, "p_cr", c.p_cr);
    c.T_cr = ini.real(s, "T_cr", c.T_cr);
    c.T_tp = ini.real(s, "T_tp", c.T_tp);
    c.p_tp = ini.real(s, "p_tp", c.p_tp);
    c.rho_cr = ini.real(s, "rho_cr", c.rho_cr);
    c.rho_div = ini.real(s, "rho_div", c.rho_div);
    c.tau_div = ini.real(s, "tau_div", c.tau_div);
    c.rho_0 = ini.real(s, "rho_0", c.rho_0);
    c.rho_dim = ini.text(s, "rho_dim", c.rho_dim);
    c.delta_rho = ini.real(s, "delta_rho", c.delta_rho);
    line_config& l = c.line;
    l.a_s = ini.real(s, "a_s", l.a_s);
    l.b_s = ini.real(s, "b_s", l.b_s);
    l.c_s = ini.real(s, "c_s", l.c_s);
    l.p_s_0 = ini.real(s, "p_s_0", l.p_s_0);
    l.Ri = ini.real(s, "Ri", l.Ri);
    l.P_a = ini.real(s, "P_a", l.P_a);
    l.sat_base = ini.text(s, "sat_base", l.sat_base);
    l.sat_tau = ini.real(s, "sat_tau", l.sat_tau);
    l.sat_line = ini.text(s, "sat_line", l.sat_line);
    l.sat_id = ini.integer(s, "sat_id", l.sat_id);
    c.sat_xi = ini.real(s, "sat_xi", c.sat_xi);
    c.sat_rho = ini.real(s, "sat_rho", c.sat_rho);
    c.sat_gas_id = ini.integer(s, "sat_gas_id", c.sat_gas_id);
    c.sat_liq_id = ini.integer(s, "sat_liq_id", c.sat_liq_id);
    c.eos_coeff = ini.text(s, "eos_coeff", c.eos_coeff);
    c.sat_line_margin = optional_real(ini, s, "sat_line_margin");
    c.sat_expansion = ini.text(s, "sat_expansion", "");
    c.bubble_line = ini.text(s, "bubble_line", "");
    c.dew_line = ini.text(s, "dew_line", "");
    if (c.rho_dim == "mole") {
        c.rho_cr = c.rho_cr * c.mu;
        c.rho_div = c.rho_div * c.mu;
    }
}

}  // namespace

config read_config(const ini_file& ini, const std::string& desc) {
    config c;
    c.path = ini.path();
    c.R = ini.real("base_const", "R", 0);
    c.mu = ini.real("base_const", "mu", 0);
    if (c.R == 0 && c.mu != 0) c.R = R_UNIVERSAL / c.mu;
    if (c.mu == 0 && c.R != 0) c.mu = R_UNIVERSAL / c.R;
    if (desc == "ideal" || desc == "real") read_ideal(ini, c.ideal);
    if (desc == "real") read_real(ini, c);
    return c;
}

info_config read_info(const ini_file& ini) {
    // Descriptions and citations are whole: no cut to the 50 bytes of the
    // other texts.
    const auto whole = [&](const char* key) {
        const std::string* v = ini.find("info", key);
        return v != nullptr ? *v : std::string();
    };
    info_config i;
    i.name = whole("name");
    i.description = whole("description");
    i.source = whole("source");
    i.reference_state = whole("reference_state");
    i.T_min = optional_real(ini, "info", "T_min");
    i.T_max = optional_real(ini, "info", "T_max");
    i.p_max = optional_real(ini, "info", "p_max");
    return i;
}

ini_file read_config_file(const std::string& dir) {
    const std::string path = dir + "/config.txt";
    if (!file_exists(path)) return ini_file("", path);
    return ini_file(read_data_file(path), path);
}

}  // namespace vantrel::detail
