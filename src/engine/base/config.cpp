#include "engine/base/config.h"

#include <set>

#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

std::optional<double> optional_real(const ini_file& ini, const char* section, const char* key) {
    const std::string* v = ini.find(section, key);
    if (v == nullptr || v->empty()) return std::nullopt;
    return ini.real(section, key, 0);
}

// Descriptions and citations are whole: no cut to the 50 bytes of the
// other texts.
std::string whole_text(const ini_file& ini, const char* section, const char* key) {
    const std::string* v = ini.find(section, key);
    return v != nullptr ? *v : std::string();
}

// The value of one key, by its kind.
double read_real(const ini_file& ini, const char* s, const char* k, double def) { return ini.real(s, k, def); }
std::int32_t read_integer(const ini_file& ini, const char* s, const char* k, std::int32_t def) {
    return ini.integer(s, k, def);
}
bool read_boolean(const ini_file& ini, const char* s, const char* k, bool def) { return ini.boolean(s, k, def); }
std::string read_text(const ini_file& ini, const char* s, const char* k, const char* def) { return ini.text(s, k, def); }
std::optional<double> read_optional_real(const ini_file& ini, const char* s, const char* k, std::nullopt_t) {
    return optional_real(ini, s, k);
}
std::string read_whole_text(const ini_file& ini, const char* s, const char* k, const char*) {
    return whole_text(ini, s, k);
}

#define VANTREL_READ(section, key, kind, def, range, member) c.member = read_##kind(ini, #section, #key, def);

// The value as the file writes it, for messages; a default as a number.
std::string written(const ini_file& ini, const char* section, const char* key, double value) {
    const std::string* raw = ini.find(section, key);
    return (raw != nullptr && !raw->empty()) ? *raw : number_text(value);
}

void check(const ini_file& ini, const char* section, const char* key, double value, key_range r) {
    if (!r.contains(value)) reject_value(ini.path(), key, written(ini, section, key, value));
}
void check(const ini_file& ini, const char* section, const char* key, const std::optional<double>& v, key_range r) {
    if (v) check(ini, section, key, *v, r);
}
// Texts, flags and form numbers are checked where they are used.
void check(const ini_file&, const char*, const char*, const std::string&, key_range) {}
void check(const ini_file&, const char*, const char*, bool, key_range) {}
void check(const ini_file&, const char*, const char*, std::int32_t, key_range) {}

#define VANTREL_CHECK(section, key, kind, def, range, member) check(ini, #section, #key, c.member, range);
#define VANTREL_CHECK_INFO(section, key, kind, def, range, member) check(ini, #section, #key, i.member, range);

}  // namespace

bool is_helmholtz_form(const std::string& type_calc) {
    return type_calc == "f_exp" || type_calc == "f_pol" || type_calc == "f_comb" || type_calc == "f_hyp";
}

config read_config(const ini_file& ini, const std::string& desc) {
    config c;
    c.path = ini.path();
    VANTREL_BASE_KEYS(VANTREL_READ)
    if (c.R == 0 && c.mu != 0) c.R = R_UNIVERSAL / c.mu;
    if (c.mu == 0 && c.R != 0) c.mu = R_UNIVERSAL / c.R;
    if (desc == "ideal" || desc == "real") {
        VANTREL_IDEAL_KEYS(VANTREL_READ)
    }
    if (desc == "real") {
        VANTREL_REAL_KEYS(VANTREL_READ)
        VANTREL_EXTRA_KEYS(VANTREL_READ)
        if (c.rho_dim == "mole") {
            c.rho_cr = c.rho_cr * c.mu;
            c.rho_div = c.rho_div * c.mu;
        }
    }
    return c;
}

info_config read_info(const ini_file& ini) {
    info_config c;
    VANTREL_INFO_KEYS(VANTREL_READ)
    return c;
}

void check_ranges(const config& c, const info_config& i, const ini_file& ini) {
    VANTREL_BASE_KEYS(VANTREL_CHECK)
    VANTREL_IDEAL_KEYS(VANTREL_CHECK)
    VANTREL_REAL_KEYS(VANTREL_CHECK)
    VANTREL_EXTRA_KEYS(VANTREL_CHECK)
    VANTREL_INFO_KEYS(VANTREL_CHECK_INFO)
    if (!(c.T_tp < c.T_cr)) reject_value(c.path, "T_tp", written(ini, "conf_real", "T_tp", c.T_tp));
    if (!(c.p_tp < c.p_cr)) reject_value(c.path, "p_tp", written(ini, "conf_real", "p_tp", c.p_tp));
    if (i.T_min && i.T_max && !(*i.T_min < *i.T_max)) reject_value(c.path, "T_max", written(ini, "info", "T_max", *i.T_max));
    static const std::set<std::string> classes{"", "A1", "A2L", "A2", "A3", "B1", "B2L", "B2", "B3"};
    if (!classes.count(i.safety_class)) reject_value(c.path, "safety_class", i.safety_class);
    if (is_helmholtz_form(c.ideal.type_calc) && !(c.rho_cr > 0)) reject_value(c.path, "rho_cr", written(ini, "conf_real", "rho_cr", c.rho_cr));
}

ini_file read_config_file(const std::string& dir) {
    const std::string path = dir + "/config.txt";
    if (!file_exists(path)) return ini_file("", path);
    return ini_file(read_data_file(path), path);
}

}  // namespace vantrel::detail
