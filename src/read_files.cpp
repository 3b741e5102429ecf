#include "read_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "const_unit.h"
#include "general_func.h"

namespace fs = std::filesystem;

namespace {

constexpr char SEPARATOR = static_cast<char>(fs::path::preferred_separator);
constexpr std::size_t CONFIG_TEXT_MAX = 50;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Whole content of a regular file, or nothing when it cannot be read.
std::optional<std::string> read_text(const std::string& file_name) {
    std::error_code ec;
    if (!fs::is_regular_file(file_name, ec)) return std::nullopt;
    std::ifstream in(file_name, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

// Cursor over the text of a table file.
struct table_scanner {
    std::string_view text;
    std::size_t pos = 0;

    // Next white-space separated token; empty at the end of the text.
    std::string_view token() {
        while (pos < text.size() && is_space(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !is_space(text[pos])) ++pos;
        return text.substr(start, pos - start);
    }

    void next_line() {
        const std::size_t nl = text.find('\n', pos);
        pos = (nl == std::string_view::npos) ? text.size() : nl + 1;
    }
};

// Entries of an INI file in file order: lower-case section and key, value.
struct ini_entry {
    std::string section;
    std::string key;
    std::string value;
};

std::vector<ini_entry> parse_ini(std::string_view text) {
    std::vector<ini_entry> entries;
    std::string section;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = trim(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = lower(trim(line.substr(1, close - 1)));
                continue;
            }
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (key.empty()) continue;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        entries.push_back({section, lower(key), std::string(value)});
    }
    return entries;
}

// Typed look-ups in one section; the first occurrence of a key counts.
struct ini_section {
    const std::vector<ini_entry>& entries;
    std::string name;

    const std::string* find(const char* key) const {
        const std::string k = lower(key);
        for (const auto& e : entries)
            if (e.section == name && e.key == k) return &e.value;
        return nullptr;
    }
    double real(const char* key, double def) const {
        const std::string* v = find(key);
        if (v == nullptr) return def;
        return parse_number(*v).value_or(def);
    }
    std::int32_t integer(const char* key, std::int32_t def) const {
        const std::string* v = find(key);
        if (v == nullptr) return def;
        return parse_int(*v).value_or(def);
    }
    bool boolean(const char* key, bool def) const {
        const std::string* v = find(key);
        if (v == nullptr || v->empty()) return def;
        return v->front() == '1';
    }
    std::string text(const char* key, const char* def) const {
        const std::string* v = find(key);
        if (v == nullptr) return def;
        return v->substr(0, CONFIG_TEXT_MAX);
    }
};

}  // namespace

std::string create_path(const str_arr& names) {
    std::string path = fs::current_path().string();
    while (path.size() > 1 && path.back() == SEPARATOR) path.pop_back();
    path += SEPARATOR;
    path += "data";
    for (const auto& part : names) {
        if (part.empty()) continue;
        // A fluid or file name is one name inside data/: no way up or out of it.
        if (part == "." || part == ".." || part.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
            throw std::runtime_error("Недопустимое имя '" + part + "': имя вещества или файла данных не может быть путём");
        path += SEPARATOR;
        path += part;
    }
    return path;
}

void reject_table_file(const std::string& file_name) {
    throw std::runtime_error("При чтении файла " + file_name + " произошла ошибка. Проверьте синтаксис файла.");
}

two_d_array parse_table(std::string_view text, const std::string& file_name) {
    table_scanner scan{text};
    std::int32_t counts[3];
    for (auto& n : counts) {
        const auto value = parse_int(scan.token());
        if (!value) reject_table_file(file_name);
        n = *value;
    }
    const auto [rows, cols, lines] = counts;
    if (rows < 0 || cols < 0) reject_table_file(file_name);
    scan.next_line();
    for (std::int32_t i = 0; i < lines && scan.pos < scan.text.size(); ++i) scan.next_line();

    // Each number takes at least one character: a claim of more numbers than
    // the rest of the file could hold is a read error before any allocation.
    const std::size_t left = scan.text.size() - scan.pos;
    if (static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(cols) > left) reject_table_file(file_name);
    if (cols == 0 && static_cast<std::size_t>(rows) > left + 1024) reject_table_file(file_name);

    two_d_array table(static_cast<std::size_t>(rows));
    for (auto& row : table) {
        row.resize(static_cast<std::size_t>(cols));
        for (double& value : row) {
            const auto number = parse_number(scan.token());
            if (!number) reject_table_file(file_name);
            value = *number;
        }
    }
    return table;
}

two_d_array data_array(const std::string& file_name) {
    std::error_code ec;
    if (!fs::exists(file_name, ec)) throw std::runtime_error("Файл " + file_name + " не найден!");
    const std::optional<std::string> text = read_text(file_name);
    if (!text) reject_table_file(file_name);
    return parse_table(*text, file_name);
}

std::string coeff_file_name(const std::string& f_name, const std::string& id) {
    std::string name = f_name;
    if (!id.empty()) {
        const std::size_t dot = name.find('.');
        name.insert(dot == std::string::npos ? name.size() : dot, "_" + id);
    }
    return name;
}

two_d_array create_coeff_table(const str_arr& names, const std::string& f_name, const std::string& id) {
    str_arr pair = names;
    pair[1] = coeff_file_name(f_name, id);
    return data_array(create_path(pair));
}

const_list create_const(const str_arr& names, const std::string& desc_type, const std::string& file_name) {
    const std::string path = create_path({names[0], file_name});
    std::error_code ec;
    if (!fs::exists(path, ec)) return parse_config(names, desc_type, "");
    const std::optional<std::string> text = read_text(path);
    if (!text) reject_table_file(path);
    return parse_config(names, desc_type, *text);
}

const_list parse_config(const str_arr& names, const std::string& desc_type, std::string_view text) {
    const_list c;
    c.names = names;
    const std::vector<ini_entry> entries = parse_ini(text);

    const ini_section base{entries, "base_const"};
    c.R = base.real("R", 0);
    c.mu = base.real("mu", 0);
    if (c.R == 0 && c.mu != 0) c.R = R_U / c.mu;
    if (c.mu == 0 && c.R != 0) c.mu = R_U / c.R;

    if (desc_type == "ideal" || desc_type == "real") {
        const ini_section ideal{entries, "conf_ideal"};
        c.type_calc = ideal.text("type_calc", "Cp");
        c.type_prop = ideal.text("type_prop", "R");
        c.exp_dim = ideal.text("exp_dim", "1");
        c.k_term = ideal.real("k_term", 100);
        c.c_0 = ideal.real("c_0", 0);
        c.h_0 = ideal.real("h_0", 0);
        c.s_0 = ideal.real("s_0", 0);
        c.h_0_0 = ideal.real("h_0_0", 0);
        c.s_0_0 = ideal.real("s_0_0", 0);
    }
    if (desc_type == "real") {
        const ini_section real{entries, "conf_real"};
        c.maxwell_rule = real.boolean("maxwell_rule", true);
        c.p_cr = real.real("p_cr", 0);
        c.T_cr = real.real("T_cr", 0);
        c.T_tp = real.real("T_tp", 0);
        c.p_tp = real.real("p_tp", 0);
        c.rho_cr = real.real("rho_cr", 0);
        c.rho_div = real.real("rho_div", 1);
        c.tau_div = real.real("tau_div", 1);
        c.rho_0 = real.real("rho_0", 1);
        c.rho_dim = real.text("rho_dim", "kg");
        c.delta_rho = real.real("delta_rho", 0.001);
        c.a_s = real.real("a_s", 0);
        c.b_s = real.real("b_s", 0);
        c.c_s = real.real("c_s", 0);
        c.p_s_0 = real.real("p_s_0", 1);
        c.Ri = real.real("Ri", 7);
        c.P_a = real.real("P_a", 0);
        c.sat_base = real.text("sat_base", "exp");
        c.sat_tau = real.real("sat_tau", 1);
        c.sat_line = real.text("sat_line", "sat_line.txt");
        c.sat_id = real.integer("sat_id", 0);
        c.sat_xi = real.real("sat_xi", 0.03);
        c.sat_rho = real.real("sat_rho", 1);
        c.sat_gas_id = real.integer("sat_gas_id", 0);
        c.sat_liq_id = real.integer("sat_liq_id", 0);
        c.eos_coeff = real.text("eos_coeff", "eos_coeff.txt");
        if (c.rho_dim == "mole") {
            c.rho_cr = c.rho_cr * c.mu;
            c.rho_div = c.rho_div * c.mu;
        }
    }
    return c;
}

void reject_config_value(const const_list& th_c, const std::string& key, const std::string& value) {
    throw std::runtime_error("Недопустимое значение " + key + " = '" + value + "' в файле " +
                             create_path({th_c.names[0], "config.txt"}));
}

void require_columns(const two_d_array& table, std::size_t min_cols, const std::string& file_name) {
    for (const auto& row : table)
        if (row.size() < min_cols) reject_table_file(file_name);
}

two_d_array read_table_checked(const str_arr& names, std::size_t min_cols) {
    const std::string path = create_path(names);
    two_d_array table = data_array(path);
    require_columns(table, min_cols, path);
    return table;
}
