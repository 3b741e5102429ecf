#include "cli/output.h"

#include "cli/speech.h"

#include <algorithm>
#include <charconv>

#include <nlohmann/json.hpp>

namespace cli {

namespace {

// Columns of the terminal a UTF-8 text takes (one per code point).
std::size_t display_width(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string table_text(const cell& c) {
    if (const auto* d = std::get_if<double>(&c)) return rounded_text(*d);
    if (const auto* t = std::get_if<std::string>(&c)) return *t;
    return "";
}

void write_table(std::ostream& out, const record_set& set, unit_system u) {
    std::vector<std::vector<std::string>> lines(1);
    for (const column& c : set.columns) lines[0].push_back(header_of(c, u));
    for (const auto& row : set.rows) {
        lines.emplace_back();
        for (const cell& c : row) lines.back().push_back(table_text(c));
    }
    std::vector<std::size_t> width(set.columns.size(), 0);
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.size(); ++i) width[i] = std::max(width[i], display_width(line[i]));
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i > 0) text += "  ";
            // Texts left-aligned, numbers right-aligned.
            const bool left = !set.columns[i].q;
            const std::string pad(width[i] - display_width(line[i]), ' ');
            text += left ? line[i] + (i + 1 < line.size() ? pad : "") : pad + line[i];
        }
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }
}

void write_csv(std::ostream& out, const record_set& set, unit_system u, const csv_style& style) {
    std::string text;
    for (std::size_t i = 0; i < set.columns.size(); ++i) {
        if (i > 0) text += style.delimiter;
        const column& c = set.columns[i];
        append_csv_field(text, style.units ? header_of(c, u) : c.name, style.delimiter);
    }
    text += '\n';
    for (const auto& row : set.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += style.delimiter;
            append_csv_cell(text, row[i], style);
        }
        text += '\n';
    }
    out << text;
}

nlohmann::ordered_json json_object(const record_set& set, const std::vector<cell>& row, unit_system u) {
    nlohmann::ordered_json units = nlohmann::ordered_json::object();
    for (const column& c : set.columns)
        if (c.q) units[c.name] = std::string(unit_name(*c.q, u));
    nlohmann::ordered_json o = nlohmann::ordered_json::object();
    o["fluid"] = set.fluid;
    o["units"] = units;
    for (std::size_t i = 0; i < row.size(); ++i) {
        auto& v = o[set.columns[i].name];
        if (const auto* d = std::get_if<double>(&row[i])) v = unsigned_zero(*d);
        else if (const auto* t = std::get_if<std::string>(&row[i])) v = *t;
        else v = nullptr;
    }
    return o;
}

// {"mole": {component: fraction, ...}, "mass": {...}}
nlohmann::ordered_json composition_object(const std::vector<std::string>& names, const std::vector<double>& mole,
                                          const std::vector<double>& mass) {
    nlohmann::ordered_json o = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < names.size(); ++i) o["mole"][names[i]] = mole[i];
    for (std::size_t i = 0; i < names.size(); ++i) o["mass"][names[i]] = mass[i];
    return o;
}

nlohmann::ordered_json json_row(const record_set& set, std::size_t row, unit_system u) {
    nlohmann::ordered_json o = json_object(set, set.rows[row], u);
    if (row < set.phases.size() && set.phases[row]) {
        const vantrel::phase_compositions& c = *set.phases[row];
        o["liquid"] = composition_object(set.components, c.liquid_mole, c.liquid_mass);
        o["vapour"] = composition_object(set.components, c.vapour_mole, c.vapour_mass);
    }
    return o;
}

void write_json(std::ostream& out, const record_set& set, unit_system u, bool single_object) {
    nlohmann::ordered_json doc;
    if (single_object && set.rows.size() == 1) {
        doc = json_row(set, 0, u);
    } else {
        doc = nlohmann::ordered_json::array();
        for (std::size_t row = 0; row < set.rows.size(); ++row) doc.push_back(json_row(set, row, u));
    }
    out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

}  // namespace

void append_exact(std::string& out, double value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, unsigned_zero(value));
    out.append(buf, res.ptr);
}

std::string exact_text(double value) {
    std::string s;
    append_exact(s, value);
    return s;
}

std::string rounded_text(double value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, unsigned_zero(value), std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

void append_csv_field(std::string& out, std::string_view field, char delimiter) {
    if (field.find_first_of(std::string{delimiter, '"', '\n', '\r'}) == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

csv_style parse_csv_style(std::string_view delimiter, bool decimal_comma, bool units) {
    csv_style style{decimal_comma ? ';' : ',', decimal_comma, units};
    if (delimiter == "tab" || delimiter == "\\t") delimiter = "\t";
    if (delimiter.size() > 1)
        throw usage_error(say(text_id::csv_delimiter_length, {text_value(std::string(delimiter))}));
    if (delimiter.size() == 1) style.delimiter = delimiter[0];
    if (std::string_view("0123456789+-.eE\"\r\n").find(style.delimiter) != std::string_view::npos)
        throw usage_error(say(text_id::csv_delimiter_number, {text_value(std::string(delimiter))}));
    if (decimal_comma && style.delimiter == ',')
        throw usage_error(say(text_id::csv_decimal_comma));
    return style;
}

void append_csv_number(std::string& out, double value, const csv_style& style) {
    const std::size_t start = out.size();
    append_exact(out, value);
    if (style.decimal_comma) std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '.', ',');
}

void append_csv_cell(std::string& out, const cell& c, const csv_style& style) {
    if (const auto* d = std::get_if<double>(&c)) append_csv_number(out, *d, style);
    else if (const auto* t = std::get_if<std::string>(&c)) append_csv_field(out, *t, style.delimiter);
}

std::string header_of(const column& c, unit_system u) {
    if (!c.q || unit_name(*c.q, u) == "-") return c.name;
    const std::string_view unit = unit_name(*c.q, u);
    return c.name + " [" + std::string(unit) + "]";
}

void write_records(std::ostream& out, const record_set& set, output_format format, unit_system u,
                   bool single_object, const csv_style& style) {
    switch (format) {
        case output_format::table: write_table(out, set, u); break;
        case output_format::csv: write_csv(out, set, u, style); break;
        case output_format::json: write_json(out, set, u, single_object); break;
    }
}

}  // namespace cli
