// The modes of the command line end to end: state, batch, sat and fluids. The
// built vantrel_cli runs in a fresh temporary directory; its tables, CSV and
// JSON are read back and compared with the engine's own values converted to
// the units (exactly in CSV and JSON, to six significant digits in tables),
// and its messages and exit statuses are pinned.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "test_support.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
using nlohmann::json;
using vantrel::input_pair;

namespace {

const fs::path DATA = test::data();
const fs::path REFERENCE = test::source() / "tests" / "modes";

// ---------------------------------------------------------------- running it

// Runs the program in cwd (a fresh temporary directory when none), with
// "--data <library>" right after the mode unless with_data is false.
test::process_result run_in(const fs::path& cwd, std::vector<std::string> args, const std::string& input = "",
                            bool with_data = true, const std::vector<std::string>& env = {}) {
    if (with_data) args.insert(args.begin() + 1, {"--data", DATA.string()});
    return test::run_process(VANTREL_CLI_PATH, cwd, args, input, env);
}

test::process_result run(const std::vector<std::string>& args, const std::string& input = "", bool with_data = true,
                         const std::vector<std::string>& env = {}) {
    test::temp_dir cwd;
    return run_in(cwd.path, args, input, with_data, env);
}

std::string command(const std::vector<std::string>& args) {
    std::string s = "vantrel_cli";
    for (const auto& a : args) s += " " + a;
    return s;
}

// Shortest text that reads back as the same double.
std::string text_of(double v) {
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// Six significant digits, as a table shows them.
std::string six(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

// A number as the program prints or reads it ("," taken for the point).
double number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    double v = NAN;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) ADD_FAILURE() << "not a number: " << text;
    return v;
}

std::vector<std::string> split_on(const std::string& text, char delimiter) {
    std::vector<std::string> out;
    for (std::size_t start = 0, at;; start = at + 1) {
        at = text.find(delimiter, start);
        out.push_back(text.substr(start, at - start));
        if (at == std::string::npos) return out;
    }
}

// RFC 4180: records end with a line break, fields are separated by ","; a
// quoted field may hold both and doubles its quotes.
std::vector<std::vector<std::string>> parse_csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, was_quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else quoted = false;
        } else if (c == '"') {
            if (!field.empty() || was_quoted) ADD_FAILURE() << "a quote inside an unquoted field: " << text;
            quoted = was_quoted = true;
        } else if (c == ',' || c == '\n') {
            row.push_back(field);
            field.clear();
            was_quoted = false;
            if (c == '\n') rows.push_back(std::move(row)), row.clear();
        } else {
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "an unterminated quote";
    EXPECT_TRUE(row.empty() && field.empty()) << "CSV without a final line break";
    return rows;
}

// ------------------------------------------------- units and expected values

enum class dim { text, fraction, temperature, difference, pressure, energy, entropy, density, volume, speed, jt };

const char* unit_of(dim d, bool si) {
    switch (d) {
        case dim::text: return "";
        case dim::fraction: return "-";
        case dim::temperature: return si ? "K" : "°C";
        case dim::difference: return "K";
        case dim::pressure: return si ? "Pa" : "bar";
        case dim::energy: return si ? "J/kg" : "kJ/kg";
        case dim::entropy: return si ? "J/(kg·K)" : "kJ/(kg·K)";
        case dim::density: return "kg/m³";
        case dim::volume: return "m³/kg";
        case dim::speed: return "m/s";
        case dim::jt: return si ? "K/Pa" : "K/bar";
    }
    return "";
}

// An SI value in the output's units: 0 °C = 273.15 K, 1 bar = 1e5 Pa,
// 1 kJ = 1e3 J, 1 K/Pa = 1e5 K/bar.
double shown(dim d, bool si, double v) {
    if (si) return v;
    switch (d) {
        case dim::temperature: return v - 273.15;
        case dim::pressure: return v / 1e5;
        case dim::energy:
        case dim::entropy: return v / 1e3;
        case dim::jt: return v * 1e5;
        default: return v;
    }
}

// A value given in the output's units, in SI units.
double given_si(dim d, bool si, double v) {
    if (si) return v;
    switch (d) {
        case dim::temperature: return v + 273.15;
        case dim::pressure: return v * 1e5;
        case dim::energy:
        case dim::entropy: return v * 1e3;
        default: return v;
    }
}

using value = std::variant<std::monostate, double, std::string>;

value num(dim d, bool si, std::optional<double> v) { return v ? value{shown(d, si, *v)} : value{}; }
value txt(const std::string& s) { return s.empty() ? value{} : value{s}; }

// A state's warning as the modes write it: Russian (the tests' locale), in
// the run's units.
std::string warning_of(const vantrel::state& s, bool si) {
    return s.warning ? s.warning->text({vantrel::language::ru, si ? vantrel::unit_system::si : vantrel::unit_system::eng})
                     : std::string();
}

struct column {
    std::string name;
    dim d;
};

// What an output must hold: columns and rows of values in its units.
struct expected_set {
    std::string fluid;
    std::vector<column> columns;
    std::vector<std::vector<value>> rows;
};

using getter = std::optional<double> (*)(const vantrel::state&);
struct property_def {
    const char* name;
    dim d;
    getter of;  // none for the phase
};

const std::vector<property_def> PROPERTIES = {
    {"T", dim::temperature, [](const vantrel::state& s) -> std::optional<double> { return s.T; }},
    {"p", dim::pressure, [](const vantrel::state& s) -> std::optional<double> { return s.p; }},
    {"phase", dim::text, nullptr},
    {"x", dim::fraction, [](const vantrel::state& s) { return s.x; }},
    {"rho", dim::density, [](const vantrel::state& s) -> std::optional<double> { return s.rho; }},
    {"v", dim::volume, [](const vantrel::state& s) -> std::optional<double> { return s.v; }},
    {"h", dim::energy, [](const vantrel::state& s) -> std::optional<double> { return s.h; }},
    {"s", dim::entropy, [](const vantrel::state& s) -> std::optional<double> { return s.s; }},
    {"u", dim::energy, [](const vantrel::state& s) -> std::optional<double> { return s.u; }},
    {"cp", dim::entropy, [](const vantrel::state& s) { return s.cp; }},
    {"cv", dim::entropy, [](const vantrel::state& s) { return s.cv; }},
    {"w", dim::speed, [](const vantrel::state& s) { return s.w; }},
    {"z", dim::fraction, [](const vantrel::state& s) -> std::optional<double> { return s.z; }},
    {"jt", dim::jt, [](const vantrel::state& s) { return s.jt; }},
    {"Tsat", dim::temperature, [](const vantrel::state& s) { return s.T_sat; }},
    {"psat", dim::pressure, [](const vantrel::state& s) { return s.p_sat; }},
    {"Tbub", dim::temperature, [](const vantrel::state& s) { return s.T_bubble; }},
    {"Tdew", dim::temperature, [](const vantrel::state& s) { return s.T_dew; }},
    {"pbub", dim::pressure, [](const vantrel::state& s) { return s.p_bubble; }},
    {"pdew", dim::pressure, [](const vantrel::state& s) { return s.p_dew; }},
    {"glide", dim::difference, [](const vantrel::state& s) { return s.glide; }},
};

const std::vector<std::string> DEFAULT_PROPS = {"T",  "p",  "phase", "x", "rho",  "h",
                                                "s",  "cp", "cv",    "w", "Tsat", "psat"};

const property_def& property(const std::string& name) {
    for (const auto& p : PROPERTIES)
        if (name == p.name) return p;
    throw std::runtime_error("no property " + name);
}

std::vector<std::string> split_list(const std::string& list) { return split_on(list, ','); }

// The properties of a state as the program must print them.
expected_set state_set(const std::string& fluid, const std::vector<std::string>& props,
                       const std::vector<vantrel::state>& states, bool si) {
    expected_set set{fluid, {}, {}};
    for (const auto& name : props) set.columns.push_back({name, property(name).d});
    for (const auto& s : states) {
        set.rows.emplace_back();
        for (const auto& name : props) {
            const property_def& p = property(name);
            set.rows.back().push_back(p.of ? num(p.d, si, p.of(s)) : txt(vantrel::phase_name(s.phase)));
        }
    }
    return set;
}

// The inputs of a row as the program echoes them: the numbers given, in the
// output's units, however the engine's state rounds them.
void echo_inputs(expected_set& set, std::size_t row, const std::vector<std::pair<std::string, double>>& given) {
    for (std::size_t i = 0; i < set.columns.size(); ++i)
        for (const auto& [name, v] : given)
            if (set.columns[i].name == name) set.rows[row][i] = v;
}

dim key_dim(const std::string& key) {
    if (key == "T") return dim::temperature;
    if (key == "p") return dim::pressure;
    if (key == "h") return dim::energy;
    if (key == "s") return dim::entropy;
    if (key == "rho") return dim::density;
    return dim::fraction;
}

// The engine's state for two keys with values in eng units, in either
// order.
vantrel::state engine_state(const vantrel::fluid& f, const std::string& ka, double va, const std::string& kb,
                            double vb) {
    static const struct {
        const char *a, *b;
        input_pair pair;
    } pairs[] = {{"T", "p", input_pair::T_p}, {"p", "h", input_pair::p_h},   {"p", "s", input_pair::p_s},
                 {"T", "x", input_pair::T_x}, {"p", "x", input_pair::p_x},   {"T", "rho", input_pair::T_rho},
                 {"h", "s", input_pair::h_s}};
    const double a = given_si(key_dim(ka), false, va), b = given_si(key_dim(kb), false, vb);
    for (const auto& p : pairs) {
        if (ka == p.a && kb == p.b) return f.at(p.pair, a, b);
        if (ka == p.b && kb == p.a) return f.at(p.pair, b, a);
    }
    throw std::runtime_error("no pair " + ka + "," + kb);
}

// A mixture's bubble point (its liquid is the mixture) or dew point (its
// vapour is) from the library; none where it refuses the point.
std::optional<vantrel::equilibrium_point> mixture_point(const vantrel::fluid& f, bool bubble, bool by_T, double at) {
    if (!(at > 0)) return std::nullopt;
    const vantrel::phase_boundary b = by_T ? f.boundary_at_T(at) : f.boundary_at_p(at);
    return bubble ? b.bubble : b.dew;
}

// A mixture's rows: the given value, the bubble and dew pressures (or
// temperatures), the bubble point's liquid and the dew point's vapour.
expected_set mixture_sat_set(const vantrel::fluid& f, const std::string& fluid, bool by_T,
                             const std::vector<double>& points, bool si) {
    const dim given = by_T ? dim::temperature : dim::pressure, other = by_T ? dim::pressure : dim::temperature;
    expected_set set{fluid,
                     {{by_T ? "T" : "p", given}, {by_T ? "pbub" : "Tbub", other}, {by_T ? "pdew" : "Tdew", other},
                      {"rho_liq", dim::density}, {"rho_vap", dim::density}, {"h_liq", dim::energy},
                      {"h_vap", dim::energy}, {"s_liq", dim::entropy}, {"s_vap", dim::entropy}},
                     {}};
    for (const double v : points) {
        const double at = given_si(given, si, v);
        const auto bubble = mixture_point(f, true, by_T, at), dew = mixture_point(f, false, by_T, at);
        std::vector<value> row(set.columns.size());
        row[0] = v;
        if (bubble) {
            row[1] = num(other, si, by_T ? bubble->p : bubble->T);
            row[3] = bubble->rho_liquid;
            row[5] = num(dim::energy, si, bubble->h_liquid);
            row[7] = num(dim::entropy, si, bubble->s_liquid);
        }
        if (dew) {
            row[2] = num(other, si, by_T ? dew->p : dew->T);
            row[4] = dew->rho_vapour;
            row[6] = num(dim::energy, si, dew->h_vapour);
            row[8] = num(dim::entropy, si, dew->s_vapour);
        }
        set.rows.push_back(std::move(row));
    }
    return set;
}

// Saturation rows at the given temperatures or pressures (output's units):
// the given value as it was asked for, the rest from the engine.
expected_set sat_set(const vantrel::fluid& f, const std::string& fluid, bool by_T, const std::vector<double>& points,
                     bool si) {
    if (f.info().boundary == vantrel::boundary_kind::envelope) return mixture_sat_set(f, fluid, by_T, points, si);
    expected_set set{fluid,
                     {{"T", dim::temperature}, {"p", dim::pressure}, {"rho_liq", dim::density},
                      {"rho_vap", dim::density}, {"h_liq", dim::energy}, {"h_vap", dim::energy},
                      {"s_liq", dim::entropy}, {"s_vap", dim::entropy}, {"dh_vap", dim::energy}},
                     {}};
    const bool blend = f.info().glide;
    if (blend && by_T) set.columns.insert(set.columns.end(), {{"pbub", dim::pressure}, {"pdew", dim::pressure}});
    if (blend && !by_T) set.columns.insert(set.columns.end(), {{"Tbub", dim::temperature}, {"Tdew", dim::temperature}});
    for (const double v : points) {
        const double at = given_si(by_T ? dim::temperature : dim::pressure, si, v);
        std::optional<vantrel::equilibrium_point> s;
        if (at > 0) s = by_T ? f.boundary_at_T(at).bubble : f.boundary_at_p(at).bubble;
        std::vector<value> row(set.columns.size());
        if (s)
            row = {num(dim::temperature, si, s->T), num(dim::pressure, si, s->p), s->rho_liquid, s->rho_vapour,
                   num(dim::energy, si, s->h_liquid), num(dim::energy, si, s->h_vapour), num(dim::entropy, si, s->s_liquid),
                   num(dim::entropy, si, s->s_vapour), num(dim::energy, si, s->h_vapour - s->h_liquid)};
        row.resize(set.columns.size());
        row[by_T ? 0 : 1] = v;
        if (blend && at > 0) {
            const vantrel::bubble_dew b = by_T ? f.boundary_at_T(at).lines : f.boundary_at_p(at).lines;
            const dim d = by_T ? dim::pressure : dim::temperature;
            row[row.size() - 2] = num(d, si, b.bubble);
            row[row.size() - 1] = num(d, si, b.dew);
        }
        set.rows.push_back(std::move(row));
    }
    return set;
}

// FROM:TO:STEP as the points FROM + i STEP up to TO, and TO itself in place
// of a point within 1e-9 STEP of it; VALUE as itself.
std::vector<double> range_points(const std::string& range) {
    const auto bounds = split_on(range, ':');
    if (bounds.size() == 1) return {number(range)};
    const double from = number(bounds[0]), to = number(bounds[1]), step = number(bounds[2]);
    std::vector<double> out;
    for (int i = 0; from + i * step <= to + 1e-9 * step; ++i)
        out.push_back(std::fabs(from + i * step - to) <= 1e-9 * step ? to : from + i * step);
    return out;
}

// A batch row with ";" between the numbers and decimal commas.
std::string semicolon_row(double a, double b) {
    std::string row = text_of(a) + ";" + text_of(b);
    std::replace(row.begin(), row.end(), '.', ',');
    return row + "\n";
}

// ------------------------------------------------------------ output checks

std::string label(const column& c, bool si) {
    const std::string unit = unit_of(c.d, si);
    return unit.empty() || unit == "-" ? c.name : c.name + " [" + unit + "]";
}

// The code points of a UTF-8 text, one string each.
std::vector<std::string> glyphs(const std::string& s) {
    std::vector<std::string> out;
    for (const char c : s) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && !out.empty()) out.back() += c;
        else out.emplace_back(1, c);
    }
    return out;
}

std::string joined(const std::vector<std::string>& g, std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i < to && i < g.size(); ++i) s += g[i];
    return s;
}

// A table: a header of labels, numbers right-aligned under their label's end,
// texts left-aligned at its start, two blanks at least between columns.
void check_table(const std::string& out, const expected_set& set, bool si) {
    const auto lines = test::lines(out);
    ASSERT_EQ(lines.size(), set.rows.size() + 1) << out;
    const auto header = glyphs(lines[0]);
    std::vector<std::size_t> start, end;
    std::size_t at = 0;
    for (const column& c : set.columns) {
        const auto l = glyphs(label(c, si));
        const auto is_label_at = [&](std::size_t k) {
            return joined(header, k, k + l.size()) == joined(l, 0, l.size()) && (k == 0 || header[k - 1] == " ") &&
                   (k + l.size() == header.size() || header[k + l.size()] == " ");
        };
        std::size_t k = at;
        while (k + l.size() <= header.size() && !is_label_at(k)) ++k;
        ASSERT_LE(k + l.size(), header.size()) << "no column " << label(c, si) << " in\n" << lines[0];
        ASSERT_TRUE(joined(header, at, k).find_first_not_of(' ') == std::string::npos && (at == 0 || k >= at + 2))
            << "columns out of order or run together: " << lines[0];
        start.push_back(k);
        end.push_back(k + l.size());
        at = k + l.size();
    }
    EXPECT_EQ(at, header.size()) << "more columns than " << set.columns.size() << ": " << lines[0];
    for (std::size_t r = 0; r < set.rows.size(); ++r) {
        const auto g = glyphs(lines[r + 1]);
        EXPECT_TRUE(g.empty() || g.back() != " ") << "trailing blanks: '" << lines[r + 1] << "'";
        for (std::size_t i = 0; i < set.columns.size(); ++i) {
            const value& v = set.rows[r][i];
            const std::string want = std::holds_alternative<double>(v)        ? six(std::get<double>(v))
                                     : std::holds_alternative<std::string>(v) ? std::get<std::string>(v)
                                                                              : "";
            std::string got;
            if (set.columns[i].d == dim::text) {  // up to two blanks
                EXPECT_TRUE(start[i] == 0 || start[i] > g.size() || g[start[i] - 1] == " ") << lines[r + 1];
                got = joined(g, start[i], g.size());
                got = got.substr(0, got.find("  "));
            } else {
                std::size_t k = std::min(end[i], g.size());
                while (k > 0 && g[k - 1] != " ") --k;
                if (end[i] <= g.size()) got = joined(g, k, end[i]);
                EXPECT_TRUE(end[i] >= g.size() || g[end[i]] == " ") << "misaligned: " << lines[r + 1];
            }
            EXPECT_EQ(got, want) << "row " << r << ", column " << set.columns[i].name << ":\n" << out;
        }
    }
}

void check_cells(const std::vector<std::string>& got, const std::vector<value>& want, const std::string& where) {
    ASSERT_EQ(got.size(), want.size()) << where;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (const auto* d = std::get_if<double>(&want[i])) {
            EXPECT_EQ(number(got[i]), *d) << where << ", field " << i << ": " << got[i] << " != " << text_of(*d);
        } else {
            EXPECT_EQ(got[i], std::holds_alternative<std::string>(want[i]) ? std::get<std::string>(want[i]) : "")
                << where << ", field " << i;
        }
    }
}

// CSV: a header of names, then exact numbers and empty fields where absent.
void check_csv(const std::string& out, const expected_set& set) {
    const auto rows = parse_csv(out);
    ASSERT_EQ(rows.size(), set.rows.size() + 1) << out;
    std::vector<std::string> names;
    for (const auto& c : set.columns) names.push_back(c.name);
    EXPECT_EQ(rows[0], names);
    for (std::size_t r = 0; r < set.rows.size(); ++r) check_cells(rows[r + 1], set.rows[r], "row " + std::to_string(r));
}

void check_json_object(const json& o, const expected_set& set, const std::vector<value>& row, bool si) {
    ASSERT_TRUE(o.is_object()) << o.dump();
    json units = json::object();
    std::size_t keys = 1;
    bool fluid_column = false;
    for (const column& c : set.columns) {
        if (c.d != dim::text) units[c.name] = unit_of(c.d, si);
        fluid_column = fluid_column || c.name == "fluid";
    }
    if (!fluid_column) {
        EXPECT_EQ(o.value("fluid", json()), set.fluid);
        ++keys;
    }
    EXPECT_EQ(o.value("units", json()), units);
    EXPECT_EQ(o.size(), set.columns.size() + keys) << o.dump();
    for (std::size_t i = 0; i < set.columns.size(); ++i) {
        const json v = o.value(set.columns[i].name, json("absent"));
        if (const auto* d = std::get_if<double>(&row[i]))
            EXPECT_TRUE(v.is_number() && v.get<double>() == *d)
                << set.columns[i].name << ": " << v << " != " << text_of(*d);
        else if (const auto* t = std::get_if<std::string>(&row[i]))
            EXPECT_EQ(v, *t) << set.columns[i].name;
        else
            EXPECT_TRUE(v.is_null()) << set.columns[i].name << ": " << v << " where null";
    }
}

// JSON: one object for a state, an array of objects otherwise.
void check_json(const std::string& out, const expected_set& set, bool si, bool single) {
    const json doc = json::parse(out);
    if (single) {
        ASSERT_EQ(set.rows.size(), 1u);
        check_json_object(doc, set, set.rows[0], si);
        return;
    }
    ASSERT_TRUE(doc.is_array()) << out;
    ASSERT_EQ(doc.size(), set.rows.size());
    for (std::size_t r = 0; r < set.rows.size(); ++r) check_json_object(doc[r], set, set.rows[r], si);
}

void check_output(const std::string& out, const expected_set& set, const std::string& format, bool si, bool single) {
    if (format == "csv") check_csv(out, set);
    else if (format == "json") check_json(out, set, si, single);
    else check_table(out, set, si);
}

// Format and units of one run; empty for the defaults (table, eng).
struct style {
    std::string format, units;
    bool si() const { return units == "si"; }
    void add_to(std::vector<std::string>& args) const {
        if (!format.empty()) args.insert(args.end(), {"--format", format});
        if (!units.empty()) args.insert(args.end(), {"--units", units});
    }
};

const std::vector<style> STYLES = {{"", ""},         {"table", "eng"}, {"csv", "eng"}, {"json", "eng"},
                                   {"table", "si"}, {"csv", "si"},    {"json", "si"}};

// A value given in eng units as the argument in the run's units.
std::string in_units(const std::string& key, const std::string& eng, bool si) {
    return si ? text_of(given_si(key_dim(key), false, number(eng))) : eng;
}

// A batch's output: the properties, then the warning and error columns.
expected_set batch_set(const std::string& fluid, const std::vector<std::string>& props,
                       const std::vector<vantrel::state>& states, bool si) {
    expected_set set = state_set(fluid, props, states, si);
    set.columns.insert(set.columns.end(), {{"warning", dim::text}, {"error", dim::text}});
    for (std::size_t i = 0; i < states.size(); ++i) set.rows[i].insert(set.rows[i].end(), {txt(warning_of(states[i], si)), {}});
    return set;
}

}  // namespace

// ------------------------------------------------------------------- state

TEST(ModesState, EveryFormatAndUnitSystemAgreesWithTheEngine) {
    const struct {
        std::string fluid, a, va, b, vb, props;  // values in eng units; no fluid: R507A; no props: the default set
    } cases[] = {
        {"", "T", "20", "p", "5", ""},                                    // gas: no x
        {"R507A", "T", "-20", "x", "0.4", ""},                            // two-phase: no cp, cv, w
        {"R134a", "p", "3", "h", "300", "T,p,phase,x,rho,v,h,s,u,cp,cv,w,z,Tsat,psat,Tbub,glide"},
        {"R407C", "T", "10", "p", "3", "T,p,phase,Tbub,Tdew,pbub,pdew,glide,Tsat,psat"},
        {"R410A", "x", "0.3", "p", "8", "p,T,x,h,s,pbub,pdew,Tbub,Tdew,glide"},  // keys in reverse order
        {"R32", "s", "1.8", "p", "10", ""},
        {"R744", "T", "40", "rho", "600", "T,p,phase,rho,v,h,s,u,z,w"},  // supercritical
        {"R718", "h", "2800", "s", "7", "T,p,phase,x,h,s,Tsat,psat"},
    };
    for (const auto& c : cases) {
        const std::string fluid = c.fluid.empty() ? "R507A" : c.fluid;
        const vantrel::fluid f = vantrel::fluid::load(DATA, fluid);
        const auto props = c.props.empty() ? DEFAULT_PROPS : split_list(c.props);
        for (const style& st : STYLES) {
            std::vector<std::string> args{"state"};
            if (!c.fluid.empty()) args.push_back(c.fluid);
            args.push_back(c.a + "=" + in_units(c.a, c.va, st.si()));
            args.push_back(c.b + "=" + in_units(c.b, c.vb, st.si()));
            if (!c.props.empty()) args.insert(args.end(), {"--props", c.props});
            st.add_to(args);
            SCOPED_TRACE(command(args));
            const auto s = engine_state(f, c.a, number(c.va), c.b, number(c.vb));
            const auto r = run(args);
            EXPECT_EQ(r.exit_code, 0);
            EXPECT_EQ(r.err, "");
            expected_set want = state_set(fluid, props, {s}, st.si());
            echo_inputs(want, 0, {{c.a, number(in_units(c.a, c.va, st.si()))}, {c.b, number(in_units(c.b, c.vb, st.si()))}});
            check_output(r.out, want, st.format, st.si(), true);
        }
    }
}

TEST(ModesState, DecimalCommaReadsAsAPoint) {
    const vantrel::fluid f = vantrel::fluid::load(DATA, "R507A");
    const struct {
        std::vector<std::string> comma, point;
    } cases[] = {
        {{"T=20,5", "p=5"}, {"T=20.5", "p=5"}},
        {{"p=1,25", "h=300,5"}, {"p=1.25", "h=300.5"}},
        {{"T=-10,75", "x=0,25"}, {"T=-10.75", "x=0.25"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> a{"state"}, b{"state"};
        a.insert(a.end(), c.comma.begin(), c.comma.end());
        b.insert(b.end(), c.point.begin(), c.point.end());
        a.insert(a.end(), {"--format", "csv"});
        b.insert(b.end(), {"--format", "csv"});
        const auto ra = run(a), rb = run(b);
        EXPECT_EQ(ra.exit_code, 0) << command(a) << "\n" << ra.err;
        EXPECT_EQ(ra.out, rb.out) << command(a);
        const auto key = [](const std::string& kv) { return kv.substr(0, kv.find('=')); };
        const auto val = [](const std::string& kv) { return number(kv.substr(kv.find('=') + 1)); };
        const auto s = engine_state(f, key(c.point[0]), val(c.point[0]), key(c.point[1]), val(c.point[1]));
        expected_set want = state_set("R507A", DEFAULT_PROPS, {s}, false);
        echo_inputs(want, 0, {{key(c.point[0]), val(c.point[0])}, {key(c.point[1]), val(c.point[1])}});
        check_csv(ra.out, want);
    }
}

// Beyond the stated range a state is still computed; the one-line warning
// goes to standard error, the values to standard output.
TEST(ModesState, StateOutsideTheRangeIsComputedWithAWarning) {
    const struct {
        std::string fluid, T, p;
    } cases[] = {{"R507A", "300", "5"}, {"R507A", "20", "600"}, {"R744", "-60", "100"}, {"R134a", "190", "1"}};
    for (const auto& c : cases) {
        const vantrel::fluid f = vantrel::fluid::load(DATA, c.fluid);
        const auto s = engine_state(f, "T", number(c.T), "p", number(c.p));
        ASSERT_TRUE(s.warning) << c.fluid << " " << c.T << " " << c.p;
        const std::vector<std::string> args{"state", c.fluid, "T=" + c.T, "p=" + c.p, "--props", "T,p,h,s,rho",
                                            "--format", "csv"};
        const auto r = run(args);
        EXPECT_EQ(r.exit_code, 0) << command(args);
        EXPECT_EQ(r.err, warning_of(s, false) + "\n") << command(args);
        check_csv(r.out, state_set(c.fluid, {"T", "p", "h", "s", "rho"}, {s}, false));
    }
}

// 1 K/Pa is exactly 1e5 K/bar: the coefficient in K/bar must be the
// engine's value times 1e5, rounded once.
TEST(ModesState, JouleThomsonCoefficientInKelvinPerBarIsExact) {
    const vantrel::fluid f = vantrel::fluid::load(DATA, "R507A");
    for (const auto& [T, p] : std::vector<std::pair<std::string, std::string>>{
             {"20", "5"}, {"50", "1"}, {"0", "20"}, {"100", "30"}, {"-20", "10"}}) {
        const auto s = engine_state(f, "T", number(T), "p", number(p));
        for (const std::string format : {"csv", "json"}) {
            const std::vector<std::string> args{"state", "T=" + T, "p=" + p, "--props", "jt", "--format", format};
            const auto r = run(args);
            ASSERT_EQ(r.exit_code, 0) << command(args);
            check_output(r.out, state_set("R507A", {"jt"}, {s}, false), format, false, true);
        }
    }
}

// A zero is printed as 0, never -0, whatever its sign, in every format.
TEST(ModesState, NoNegativeZeroIsPrinted) {
    const std::regex negative_zero(R"((^|[\s,:\[])-0(\.0*)?(?=[\s,\]}]|$))");
    const struct {
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {{"state", "T=0", "x=-0"}, ""},
        {{"state", "T=-0", "p=5", "--units", "eng"}, ""},
        {{"sat", "T=-0"}, ""},
        {{"batch", "--in", "T,p"}, "-0,5\n-0.0,-0\n"},
    };
    for (const auto& c : cases) {
        for (const std::string format : {"table", "csv", "json"}) {
            std::vector<std::string> args = c.args;
            if (args[0] != "batch") args.insert(args.end(), {"--format", format});
            SCOPED_TRACE(command(args));
            const auto r = run(args, c.input);
            EXPECT_EQ(r.exit_code, 0) << r.err;
            EXPECT_FALSE(std::regex_search(r.out, negative_zero)) << r.out;
            EXPECT_NE(r.out.find('0'), std::string::npos);
        }
    }
}

// Water in both unit systems against IAPWS-95 as python3-iapws computes it.
TEST(ModesState, WaterAgreesWithIapws95InBothUnitSystems) {
    int compared = 0;
    for (const auto& rec : test::read_records(REFERENCE / "water_iapws95.txt")) {
        if (rec.kind != "state") continue;
        for (const bool si : {false, true}) {
            const std::vector<std::string> args{"state", "R718", "T=" + in_units("T", rec.text("T_C"), si),
                                                "p=" + in_units("p", rec.text("p_bar"), si), "--props",
                                                "rho,h,s,cp,cv,w", "--units", si ? "si" : "eng", "--format", "csv"};
            const auto r = run(args);
            ASSERT_EQ(r.exit_code, 0) << command(args) << "\n" << r.err;
            const auto rows = parse_csv(r.out);
            ASSERT_EQ(rows.size(), 2u) << r.out;
            for (std::size_t i = 0; i < rows[0].size(); ++i) {
                const std::string& name = rows[0][i];
                const double want = shown(property(name).d, si, rec.number(name));
                EXPECT_NEAR(number(rows[1][i]), want, 1e-7 * std::fabs(want)) << command(args) << ": " << name;
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 5 * 2 * 6);
}

// ------------------------------------------------------------------- batch

TEST(ModesBatch, EveryUnitSystemAgreesWithTheEngine) {
    const struct {
        std::string fluid, in, props;
        std::vector<std::pair<std::string, std::string>> rows;  // eng units
    } cases[] = {
        {"", "T,p", "", {{"20", "5"}, {"-30", "1"}, {"60", "25"}, {"300", "5"}, {"-20", "10"}}},
        {"R134a", "p,h", "T,p,phase,x,h,s,u,v,cp,w,z", {{"3", "250"}, {"3", "420"}, {"10", "200"}, {"1", "390"}}},
        {"R407C", "x,T", "T,p,x,h,pbub,pdew,Tbub,Tdew,glide", {{"0.5", "10"}, {"0", "-20"}, {"1", "40"}}},
        {"R718", "h,s", "T,p,phase,x,h,s,Tsat,psat", {{"2800", "7"}, {"1500", "4"}, {"3200", "6.5"}}},
    };
    for (const auto& c : cases) {
        const std::string fluid = c.fluid.empty() ? "R507A" : c.fluid;
        const vantrel::fluid f = vantrel::fluid::load(DATA, fluid);
        const auto props = c.props.empty() ? DEFAULT_PROPS : split_list(c.props);
        const auto keys = split_list(c.in);
        for (const std::string units : {"", "eng", "si"}) {
            const bool si = units == "si";
            std::vector<std::string> args{"batch"};
            if (!c.fluid.empty()) args.push_back(c.fluid);
            args.insert(args.end(), {"--in", c.in});
            if (!c.props.empty()) args.insert(args.end(), {"--props", c.props});
            if (!units.empty()) args.insert(args.end(), {"--units", units});
            std::string input;
            std::vector<vantrel::state> states;
            for (const auto& [a, b] : c.rows) {
                input += in_units(keys[0], a, si) + "," + in_units(keys[1], b, si) + "\n";
                states.push_back(engine_state(f, keys[0], number(a), keys[1], number(b)));
            }
            SCOPED_TRACE(command(args));
            const auto r = run(args, input);
            EXPECT_EQ(r.exit_code, 0);
            EXPECT_EQ(r.err, "");  // warnings go to their column
            expected_set want = batch_set(fluid, props, states, si);
            for (std::size_t i = 0; i < c.rows.size(); ++i)
                echo_inputs(want, i, {{keys[0], number(in_units(keys[0], c.rows[i].first, si))},
                                      {keys[1], number(in_units(keys[1], c.rows[i].second, si))}});
            check_csv(r.out, want);
        }
    }
}

// Rows that cannot be read or computed keep their place with the message in
// the error column; the rows around them are computed as usual. A field over
// 1 KiB or a line over 64 KiB is such a row, named by its line number and
// length, with at most 40 characters of it quoted.
TEST(ModesBatch, BadRowsKeepTheirPlaceAndTheBatchGoesOn) {
    const vantrel::fluid f = vantrel::fluid::load(DATA, "R507A");
    const auto engine_error = [&](double T, double p) {
        try {
            f.at(input_pair::T_p, T + 273.15, p * 1e5);
        } catch (const vantrel::error& e) {
            return e.message({vantrel::language::ru, vantrel::unit_system::eng});
        }
        return std::string("no error");
    };
    const auto too_long = [](std::size_t line, std::size_t length, const std::string& head) {
        return "Строка " + std::to_string(line) + " длиннее 65536 байт (" + std::to_string(length) + " байт): '" + head +
               "…'.";
    };
    const auto ones = [](std::size_t n) { return std::string(n, '1'); };
    const auto cyrillic = [](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += "я";
        return s;
    };
    using row = std::variant<std::pair<double, double>, std::string>;  // T, p in eng units, or the error
    const struct {
        std::string name, input;
        std::vector<row> rows;
    } cases[] = {
        {"header, blank lines, bad rows in the middle",
         "T,p\n20,5\n-10,2\nabc,5\n20,5,6\n20\n\n  \nT,p\n-300,5\n20,-1\n\"abc,5\n70.5426,36.9914\n"
         "30,8\n300,5\n 25 , 4 \n",
         {std::pair{20.0, 5.0}, std::pair{-10.0, 2.0}, "Недопустимое число 'abc'.",
          "В строке должно быть два числа через ',', а полей в ней 3.",
          "В строке должно быть два числа через ',', а полей в ней 1.", "Недопустимое число 'T'.",
          engine_error(-300, 5), engine_error(20, -1), "Недопустимое число '\"abc'.", engine_error(70.5426, 36.9914),
          std::pair{30.0, 8.0}, std::pair{300.0, 5.0}, std::pair{25.0, 4.0}}},
        {"';' with decimal commas and CRLF",
         "T;p\r\n20,5;5\r\n\r\n-10;2,5\r\nabc;5\r\n1;2;3\r\n30.5;7\r\n",
         {std::pair{20.5, 5.0}, std::pair{-10.0, 2.5}, "Недопустимое число 'abc'.",
          "В строке должно быть два числа через ';', а полей в ней 3.", std::pair{30.5, 7.0}}},
        {"',' takes no decimal comma and no ';'", "20.5,5\n20;5\n20,5;5\n",
         {std::pair{20.5, 5.0}, "В строке должно быть два числа через ',', а полей в ней 1.",
          "Недопустимое число '5;5'."}},
        {"a first line of numbers is a row", "20,5\n30,6", {std::pair{20.0, 5.0}, std::pair{30.0, 6.0}}},
        {"a header with one number is a row", "T,5\n20,5\n", {"Недопустимое число 'T'.", std::pair{20.0, 5.0}}},
        {"a line over 64 KiB", "20,5\n" + ones(70000) + "\n30,6\n",
         {std::pair{20.0, 5.0}, too_long(2, 70000, ones(40)), std::pair{30.0, 6.0}}},
        {"one across the reads of 1 MiB, and one at the end",
         "T,p\n20,5\n" + ones(3 << 20) + "\n30,6\n" + std::string(40000, 'x') + "я" + ones(30000),
         {std::pair{20.0, 5.0}, too_long(3, 3 << 20, ones(40)), std::pair{30.0, 6.0},
          too_long(5, 70002, std::string(40, 'x'))}},
        {"a first line over 64 KiB is no header, but gives the delimiter", ";" + cyrillic(40000) + "\n20;5\n",
         {too_long(1, 80001, ";" + cyrillic(39)), std::pair{20.0, 5.0}}},
        {"64 KiB exactly", "20,5\n" + std::string(65536, ',') + "\n" + std::string(65537, ',') + "\n",
         {std::pair{20.0, 5.0}, "В строке должно быть два числа через ',', а полей в ней 65537.",
          too_long(3, 65537, std::string(40, ','))}},
        {"a field over 1 KiB", "20," + std::string(1025, '0') + "\n20," + std::string(1023, '0') + "5\n",
         {"Поле в строке 1 длиннее 1024 байт (1025 байт): '" + std::string(40, '0') + "…'.", std::pair{20.0, 5.0}}},
        {"header only", "T [°C];p [bar]\r\n", {}},
        {"nothing", "", {}},
    };
    // The one line on standard error of the cases with skipped lines.
    const std::map<std::string, std::string> skipped{
        {"header, blank lines, bad rows in the middle", "Пропущено строк ввода: 3 (заголовок: 1, пустых: 2).\n"},
        {"';' with decimal commas and CRLF", "Пропущено строк ввода: 2 (заголовок: 1, пустых: 1).\n"},
        {"one across the reads of 1 MiB, and one at the end", "Пропущено строк ввода: 1 (заголовок: 1).\n"},
        {"header only", "Пропущено строк ввода: 1 (заголовок: 1).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = run({"batch", "--in", "T,p", "--props", "T,p,h"}, c.input);
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.err, skipped.contains(c.name) ? skipped.at(c.name) : "");
        expected_set set{"R507A", {{"T", dim::temperature}, {"p", dim::pressure}, {"h", dim::energy},
                                   {"warning", dim::text}, {"error", dim::text}}, {}};
        for (const row& w : c.rows) {
            if (const auto* message = std::get_if<std::string>(&w)) {
                set.rows.push_back({{}, {}, {}, {}, *message});
                continue;
            }
            const auto [T, p] = std::get<std::pair<double, double>>(w);
            const auto s = engine_state(f, "T", T, "p", p);
            set.rows.push_back({T, p, shown(dim::energy, false, s.h), txt(warning_of(s, false)), {}});
        }
        check_csv(r.out, set);
    }
}

// The output is the same byte for byte however many threads share the rows,
// with bad rows, blank lines and two-phase states among them, and whole when
// the rows do not divide evenly among the threads.
TEST(ModesBatch, OutputIsTheSameForAnyNumberOfThreads) {
    unsigned seed = 12345;
    const auto uniform = [&](double lo, double hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + (hi - lo) * ((seed >> 8) % 1000000) / 1e6;
    };
    const struct {
        std::string in;
        double lo_a, hi_a, lo_b, hi_b;
        std::size_t rows;
    } cases[] = {{"p,h", 0.5, 30, 150, 450, 3000},
                 {"p,s", 0.5, 30, 0.8, 1.9, 1003}};  // 1003: a remainder for 2, 3 and 7 threads
    for (const auto& c : cases) {
        std::string input = "first;second\n";
        const std::size_t rows = c.rows;
        std::size_t bad = 0;
        for (std::size_t i = 0; i < rows; ++i) {
            if (i % 211 == 17) input += "abc;1\n", ++bad;
            else if (i % 307 == 5) input += "1;2;3\n", ++bad;
            else input += semicolon_row(uniform(c.lo_a, c.hi_a), uniform(c.lo_b, c.hi_b));
            if (i % 101 == 0) input += "\r\n";
        }
        std::string first;
        for (const std::string threads : {"1", "2", "3", "7"}) {
            const std::vector<std::string> args{"batch", "--in", c.in, "--props", "T,p,phase,x,h,s,cp,w",
                                                "--threads", threads};
            const auto r = run(args, input);
            ASSERT_EQ(r.exit_code, 0) << command(args);
            EXPECT_EQ(r.err, "Пропущено строк ввода: " + std::to_string(1 + (rows + 100) / 101) +
                                 " (заголовок: 1, пустых: " + std::to_string((rows + 100) / 101) + ").\n");
            if (first.empty()) {
                first = r.out;
                const auto table = parse_csv(r.out);
                ASSERT_EQ(table.size(), rows + 1);
                std::size_t two_phase = 0, errors = 0;
                for (std::size_t k = 1; k < table.size(); ++k) {
                    two_phase += table[k][2] == "two-phase";
                    errors += !table[k].back().empty();
                }
                EXPECT_GE(errors, bad);
                EXPECT_GT(two_phase, rows / 10) << c.in;
            } else {
                EXPECT_TRUE(r.out == first) << command(args) << ": output differs from one thread's";
            }
        }
    }
}

// More than one read's worth of input (1 MiB): the rows across the seams of
// the reads come out whole and in order.
TEST(ModesBatch, LongInputKeepsEveryRowInOrder) {
    std::string input;
    std::vector<std::pair<double, double>> rows;
    for (int i = 0; input.size() < 1'300'000; ++i) {
        rows.emplace_back(10 + i % 40, 1 + 0.5 * (i % 7));
        input += text_of(rows.back().first) + "." + std::string(20 + i % 13, '0') + "," + text_of(rows.back().second) +
                 std::string(i % 5, ' ') + "\n";
    }
    const auto r = run({"batch", "--in", "T,p", "--props", "T,p", "--threads", "2"}, input);
    ASSERT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
    const auto table = parse_csv(r.out);
    ASSERT_EQ(table.size(), rows.size() + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(table[i + 1].size(), 4u) << "row " << i;
        ASSERT_EQ(number(table[i + 1][0]), rows[i].first) << "row " << i;
        ASSERT_EQ(number(table[i + 1][1]), rows[i].second) << "row " << i;
        ASSERT_EQ(table[i + 1][3], "") << "row " << i;
    }
}

// Whatever the input, memory stays within what a read of 1 MiB needs: a line
// of 100 MB from a pipe, under a limit of 100 MB of address space, is one
// error row.
TEST(ModesBatch, MemoryStaysBoundedWhateverTheInput) {
#ifdef VANTREL_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve more address space than any such limit";
#endif
    const auto r = test::run_process(
        "/bin/bash", fs::temp_directory_path(),
        {"-c", "ulimit -v 100000 && head -c 100000000 /dev/zero | tr '\\0' 7 | \"$0\" batch --data \"$1\" --in T,p --props h",
         VANTREL_CLI_PATH, DATA.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "h,warning,error\n,,Строка 1 длиннее 65536 байт (100000000 байт): '" + std::string(40, '7') + "…'.\n");
}

// FLUID and FILE: one argument naming a fluid of the library is the fluid,
// anything else the file; "-" and no file are standard input.
TEST(ModesBatch, FluidAndFileArguments) {
    test::temp_dir dir;
    const std::string file = (dir.path / "rows.csv").string();
    test::write_file(file, "20,5\n");
    const std::string stdin_rows = "-10,3\n";  // read only where no file is named
    const struct {
        std::vector<std::string> args;
        std::string fluid;
        double T;
    } cases[] = {
        {{"batch", "--in", "T,p"}, "R507A", -10},
        {{"batch", "R134a", "--in", "T,p"}, "R134a", -10},
        {{"batch", "--in", "T,p", "-"}, "R507A", -10},
        {{"batch", "R32", "--in", "T,p", "-"}, "R32", -10},
        {{"batch", "--in", "T,p", file}, "R507A", 20},
        {{"batch", "R744", "--in", "T,p", file}, "R744", 20},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args, stdin_rows);
        ASSERT_EQ(r.exit_code, 0) << command(c.args) << "\n" << r.err;
        const vantrel::fluid f = vantrel::fluid::load(DATA, c.fluid);
        const auto s = engine_state(f, "T", c.T, "p", c.T == 20 ? 5 : 3);
        SCOPED_TRACE(command(c.args));
        check_csv(r.out, batch_set(c.fluid, DEFAULT_PROPS, {s}, false));
    }
}

// --------------------------------------------------------------------- sat

TEST(ModesSat, EveryFormatAndUnitSystemAgreesWithTheEngine) {
    const struct {
        std::string fluid, key, eng, si;  // the range in either unit system
        bool outside;                     // some points off the curve: one line on standard error
    } cases[] = {
        {"", "T", "-40:60:20", "233.15:333.15:20", false},
        {"R134a", "p", "1:20:4,75", "100000:2000000:475000", false},
        {"R407C", "p", "2:50:12", "200000:5000000:1200000", true},  // 50 bar beyond the critical point
        {"R407C", "T", "-50:100:50", "223.15:373.15:50", true},
        {"R718", "T", "100", "373.15", false},
        {"R744", "p", "10", "1000000", false},
        // Mixtures: bubble and dew points, predefined or typed.
        {"R454B", "T", "-40:60:20", "233.15:333.15:20", false},
        {"R32:0.689+R1234yf:0.311", "p", "2:22:5", "200000:2200000:500000", false},
        {"R407C.mix", "T", "-50:100:50", "223.15:373.15:50", true},  // 100 °C beyond the critical point
        {"R455A", "p", "0.5:1:0.25", "50000:100000:25000", true},    // dew points below the lowest bubble point
    };
    for (const auto& c : cases) {
        const std::string fluid = c.fluid.empty() ? "R507A" : c.fluid;
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, fluid);
        for (const style& st : STYLES) {
            std::vector<std::string> args{"sat"};
            if (!c.fluid.empty()) args.push_back(c.fluid);
            args.push_back(c.key + "=" + (st.si() ? c.si : c.eng));
            st.add_to(args);
            SCOPED_TRACE(command(args));
            const auto r = run(args);
            EXPECT_EQ(r.exit_code, 0);
            EXPECT_EQ(test::lines(r.err).size(), c.outside ? 1u : 0u) << r.err;
            const auto points = range_points(st.si() ? c.si : c.eng);
            check_output(r.out, sat_set(f, fluid, c.key == "T", points, st.si()), st.format, st.si(), false);
        }
    }
}

// Point i is FROM + i STEP, computed afresh each time; TO is the last point
// when it lies within 1e-9 STEP of one.
TEST(ModesSat, RangeEndsAndSteps) {
    std::vector<double> tenths;  // i 0.1, not 0.1 added up (0.7999999999999999 at i = 8)
    for (int i = 0; i <= 10; ++i) tenths.push_back(i * 0.1);
    const struct {
        std::string given;
        std::vector<double> points;
    } cases[] = {
        {"T=0:0.3:0.1", {0, 0.1, 0.2, 0.3}},
        {"T=0:0.29999999999:0.1", {0, 0.1, 0.2, 0.29999999999}},  // 1e-11 short of 3 STEP
        {"T=0:0.30000000001:0.1", {0, 0.1, 0.2, 0.30000000001}},  // 1e-11 beyond it
        {"T=0:0.2999999:0.1", {0, 0.1, 0.2}},                     // 1e-7 short: not a point
        {"T=0:0.3000001:0.1", {0, 0.1, 0.2, 3 * 0.1}},            // 1e-7 beyond: the point itself
        {"T=0:1.05:0.1", tenths},
        {"T=-10:10:2,5", {-10, -7.5, -5, -2.5, 0, 2.5, 5, 7.5, 10}},
        {"T=5:5:1", {5}},
        {"T=-20,5", {-20.5}},
        {"p=1:2:0.25", {1, 1.25, 1.5, 1.75, 2}},
        {"p=3:3.5:1", {3}},
    };
    const vantrel::fluid f = vantrel::fluid::load(DATA, "R507A");
    for (const auto& c : cases) {
        const std::vector<std::string> args{"sat", c.given, "--format", "csv"};
        const auto r = run(args);
        ASSERT_EQ(r.exit_code, 0) << command(args) << "\n" << r.err;
        EXPECT_EQ(r.err, "") << command(args);
        SCOPED_TRACE(command(args));
        check_csv(r.out, sat_set(f, "R507A", c.given[0] == 'T', c.points, false));
    }
}

// Points off the saturation curve, below the triple point or at and beyond
// the critical point, keep their row with empty values; standard error tells
// why once, at the first of them. So do the points whose bubble or dew
// point the library refuses for a mixture.
TEST(ModesSat, PointsOffTheCurveAreEmptyAndToldOnce) {
    const struct {
        std::vector<std::string> args;
        std::string fluid, message;
    } cases[] = {
        {{"sat", "T=60:90:10"}, "R507A",
         "Состояния насыщения при T = 80 °C нет: оно рассчитывается от тройной точки до критической (T от -73.15 "
         "до 70.542616 °C); значения в таких строках пусты."},
        {{"sat", "R134a", "T=-120:-100:10"}, "R134a",
         "Состояния насыщения при T = -120 °C нет: оно рассчитывается от тройной точки до критической (T от -103.3 "
         "до 101.061967 °C); значения в таких строках пусты."},
        {{"sat", "T=-100:100:50"}, "R507A",
         "Состояния насыщения при T = -100 °C нет: оно рассчитывается от тройной точки до критической (T от -73.15 "
         "до 70.542616 °C); значения в таких строках пусты."},
        {{"sat", "R407C", "p=40:50:5"}, "R407C",
         "Состояния насыщения при p = 45 bar нет: оно рассчитывается от тройной точки до критической (p от 0.1497402834 "
         "до 43.92773779 bar); значения в таких строках пусты."},
        {{"sat", "R134a", "p=0:1:1"}, "R134a",
         "Состояния насыщения при p = 0 bar нет: оно рассчитывается от тройной точки до критической (p от 0.003895637886 "
         "до 40.5927637 bar); значения в таких строках пусты."},
        {{"sat", "R718", "T=300:700:100", "--units", "si"}, "R718",
         "Состояния насыщения при T = 700 K нет: оно рассчитывается от тройной точки до критической (T от 273.16 до "
         "647.096 K); значения в таких строках пусты."},
        // A mixture: beyond the refused neighbourhood of its critical point, and in it.
        {{"sat", "R454B", "T=60:90:10"}, "R454B",
         "Точки начала кипения или конденсации при T = 80 °C нет: у смеси точки начала кипения рассчитываются при T "
         "от -136.81 до 77.56588721 °C, точки конденсации — от -136.81 до 77.56588721 °C, не доходя до критической "
         "точки; ячейки недостающих точек пусты."},
        {{"sat", "R32:0.215+R1234yf:0.785", "p=40:50:5"}, "R32:0.215+R1234yf:0.785",
         "Точки начала кипения или конденсации при p = 45 bar нет: у смеси точки начала кипения рассчитываются при p "
         "от 0.000382777838 до 43.50109631 bar, точки конденсации — от 0.0001180140618 до 43.50109631 bar, не доходя "
         "до критической точки; ячейки недостающих точек пусты."},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--format", "csv"});
        SCOPED_TRACE(command(args));
        const auto r = run(args);
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.err, c.message + "\n");
        const std::string given = c.args[c.args.size() > 2 && c.args[1] == c.fluid ? 2 : 1];
        const bool si = std::find(c.args.begin(), c.args.end(), "si") != c.args.end();
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, c.fluid);
        const expected_set set = sat_set(f, c.fluid, given[0] == 'T', range_points(given.substr(2)), si);
        check_csv(r.out, set);
        std::size_t empty = 0;
        for (const auto& row : set.rows) empty += std::holds_alternative<std::monostate>(row[2]);
        EXPECT_GT(empty, 0u);
        EXPECT_LT(empty, set.rows.size());
    }
}

TEST(ModesSat, AtMostAHundredThousandRows) {
    const auto r = run({"sat", "T=100:100099:1", "--format", "csv"});  // all beyond the critical point
    ASSERT_EQ(r.exit_code, 0);
    EXPECT_EQ(test::lines(r.err).size(), 1u);
    const auto lines = test::lines(r.out);
    ASSERT_EQ(lines.size(), 100001u);
    EXPECT_EQ(lines[1], "100,,,,,,,,,,");
    EXPECT_EQ(lines.back(), "100099,,,,,,,,,,");
    const auto over = run({"sat", "T=100:100100:1"});
    EXPECT_EQ(over.exit_code, 2);
    EXPECT_EQ(over.out, "");
}

// Water's saturated states against IAPWS-95 as python3-iapws computes it.
TEST(ModesSat, WaterAgreesWithIapws95InBothUnitSystems) {
    int compared = 0;
    for (const auto& rec : test::read_records(REFERENCE / "water_iapws95.txt")) {
        if (rec.kind != "sat_T" && rec.kind != "sat_p") continue;
        const bool by_T = rec.kind == "sat_T";
        for (const bool si : {false, true}) {
            const std::string key = by_T ? "T" : "p";
            const std::vector<std::string> args{"sat", "R718",
                                                key + "=" + in_units(key, rec.text(by_T ? "T_C" : "p_bar"), si),
                                                "--units", si ? "si" : "eng", "--format", "json"};
            const auto r = run(args);
            ASSERT_EQ(r.exit_code, 0) << command(args) << "\n" << r.err;
            const json doc = json::parse(r.out);
            ASSERT_EQ(doc.size(), 1u);
            const struct {
                const char* name;
                dim d;
            } columns[] = {{by_T ? "p" : "T", by_T ? dim::pressure : dim::temperature},
                           {"rho_liq", dim::density}, {"rho_vap", dim::density}, {"h_liq", dim::energy},
                           {"h_vap", dim::energy},    {"s_liq", dim::entropy},   {"s_vap", dim::entropy}};
            for (const auto& col : columns) {
                const double want = shown(col.d, si, rec.number(col.name));
                ASSERT_TRUE(doc[0][col.name].is_number()) << command(args) << ": " << col.name;
                EXPECT_NEAR(doc[0][col.name].get<double>(), want, 1e-7 * std::fabs(want))
                    << command(args) << ": " << col.name;
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 7 * 2 * 7);
}

// The triple point is on the curve: given in degrees Celsius as the program
// itself states it, it must have its saturated states.
TEST(ModesSat, TriplePointGivenInCelsiusIsOnTheCurve) {
    for (const std::string fluid : {"R718", "R507A", "R134a"}) {
        const vantrel::fluid f = vantrel::fluid::load(DATA, fluid);
        const std::string T = six(f.info().T_tp - 273.15);  // 0.01, -73.15, -103.3
        const auto triple = f.boundary_at_T(f.info().T_tp).bubble;
        ASSERT_TRUE(triple.has_value()) << fluid;
        const std::vector<std::string> sat{"sat", fluid, "T=" + T, "--format", "json"};
        const auto r = run(sat);
        ASSERT_EQ(r.exit_code, 0) << command(sat);
        EXPECT_EQ(r.err, "") << command(sat);
        const json doc = json::parse(r.out);
        EXPECT_TRUE(doc[0]["p"].is_number()) << command(sat) << ": no saturation pressure at the triple point";
        if (doc[0]["p"].is_number()) {
            EXPECT_NEAR(doc[0]["p"].get<double>() * 1e5, triple->p, 1e-9 * triple->p) << command(sat);
        }
        const std::vector<std::string> state{"state", fluid, "T=" + T, "x=0", "--props", "p", "--format", "csv"};
        const auto s = run(state);
        EXPECT_EQ(s.exit_code, 0) << command(state) << ": " << s.err;
    }
}

// ------------------------------------------------------------------ fluids

// The shipped library, and a copy of a fluid whose [info] section was
// edited (a range and the reference state left out, a description with a
// quote and a comma) beside a directory that holds no fluid.
// Every mode, and the legacy form, on every fluid of the library: a
// two-phase and a gas state, a saturation table, a batch, a cycle between
// temperatures its range allows, its diagram with the cycle.
TEST(ModesLibrary, EveryModeWorksForEveryFluid) {
    test::temp_dir bin;
    for (const std::string& agent : test::library_fluids()) {
        SCOPED_TRACE(agent);
        const vantrel::fluid f = vantrel::fluid::load(DATA / agent);
        const double t_c = f.info().T_cr - 273.15, t_tp = f.info().T_tp - 273.15;
        const double evap = std::round(std::max(t_tp + 15, std::min(-10.0, t_c - 60)));
        const double cond = std::round(std::min(40.0, t_c - 12));
        const double p_evap = f.boundary_at_T(evap + 273.15).bubble->p / 1e5;
        const std::string e = text_of(evap), c = text_of(cond), p = text_of(p_evap);
        const std::vector<std::pair<std::vector<std::string>, std::string>> runs{
            {{"state", agent, "T=" + c, "x=0.5", "--format", "json"}, "\"two-phase\""},
            {{"state", agent, "T=" + text_of(cond + 20), "p=" + p, "--props", "phase,h,s,cp,w"}, "gas"},
            {{"sat", agent, "T=" + e + ":" + c + ":" + text_of(cond - evap), "--format", "csv"}, "\n" + c + ","},
            {{"cycle", agent, "evap=" + e, "cond=" + c, "superheat=5", "--format", "json"}, "\"cop_cooling\""},
            {{"fluids", "--format", "csv"}, "\n" + agent + ","},
        };
        for (const auto& [args, expected] : runs) {
            const auto r = run(args);
            EXPECT_EQ(r.exit_code, 0) << command(args) << "\n" << r.err;
            EXPECT_NE(r.out.find(expected), std::string::npos) << command(args) << "\n" << r.out;
        }
        const auto batch = run({"batch", agent, "--in", "T,p", "--props", "T,p,phase,h"},
                               "T,p\n" + c + "," + p + "\n" + e + "," + text_of(2 * p_evap) + "\n");
        EXPECT_EQ(batch.exit_code, 0) << batch.err;
        const auto rows = test::lines(batch.out);
        ASSERT_EQ(rows.size(), 3u) << batch.out;
        // Gas, then liquid; no warning and no error.
        EXPECT_TRUE(rows[1].find(",gas,") != std::string::npos && rows[1].ends_with(",,")) << rows[1];
        EXPECT_TRUE(rows[2].find(",liquid,") != std::string::npos && rows[2].ends_with(",,")) << rows[2];
        test::temp_dir out;
        const std::vector<std::string> diagram{"diagram", agent, "-o", (out.path / "d.svg").string(),
                                               "--cycle", "evap=" + e, "cond=" + c};
        const auto d = run(diagram);
        EXPECT_EQ(d.exit_code, 0) << d.err;
        EXPECT_GT(fs::file_size(out.path / "d.svg"), 10000u);
        // The legacy form: its report, in its own units (°C, bar).
        const auto legacy = test::run_cli(bin.path, test::source(), {c, text_of(2 * p_evap), agent});
        EXPECT_EQ(legacy.exit_code, 0) << legacy.out << legacy.err;
        EXPECT_NE(legacy.out.find("Phase State = gas"), std::string::npos) << legacy.out;
    }
}

// Every predefined blend's diagram, and a typed composition's, as the
// figure's JSON: the bubble and dew lines meeting at the critical point,
// nine quality lines, the isotherms; every point of every curve near the
// window (a state computed wrong, such as a spurious root of the equation,
// lands far outside it).
TEST(ModesLibrary, EveryBlendsDiagram) {
    std::vector<std::string> names{"R32:0.3+R1234ze(E):0.7"};
#ifdef VANTREL_SANITIZED
    names.insert(names.end(), {"R454B", "R449A"});  // a blend's chart takes seconds there: three of them
#else
    for (const auto& b : vantrel::list_blends(DATA)) names.push_back(b.info.agent);
#endif
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        test::temp_dir out;
        const auto d = run({"diagram", name, "-o", (out.path / "d.json").string()});
        ASSERT_EQ(d.exit_code, 0) << d.err;
        EXPECT_EQ(d.err, "");
        const json fig = json::parse(test::read_file(out.path / "d.json"));
        EXPECT_EQ(fig["legend"][0]["text"], "bubble and dew lines");
        const double p_cr = vantrel::fluid::by_name(DATA, name).info().p_cr / 1e5;
        EXPECT_NEAR(fig["markers"][0]["at"][1].get<double>(), p_cr, 1e-9 * p_cr);
        std::map<std::string, int> curves;
        const double x_min = fig["x_min"], x_max = fig["x_max"], width = x_max - x_min;
        for (const auto& c : fig["curves"]) {
            ++curves[c["style"]["color"]];
            for (const auto& p : c["points"]) {
                const double h = p[0];
                EXPECT_TRUE(h > x_min - 3 * width && h < x_max + 3 * width) << c["style"]["color"] << " at " << p;
            }
        }
        EXPECT_EQ(curves["#c00000"], 1);  // the dome
        EXPECT_EQ(curves["#a0a0a0"], 9);  // x = 0.1 ... 0.9
        EXPECT_GE(curves["#1f5fbf"], 8);
    }
}

// The modes take the names users give fluids, and report the fluid by its
// name in the library; a batch's one argument that names a fluid is no file.
TEST(ModesLibrary, NamesAsUsersGiveThem) {
    const struct {
        std::vector<std::string> args;
        std::string input, expected;
    } cases[] = {
        {{"state", "co2", "T=20", "x=0", "--format", "json"}, "", "\"fluid\": \"R744\""},
        {{"sat", "R-134a", "T=0", "--format", "json"}, "", "\"fluid\": \"R134a\""},
        {{"cycle", "propane", "evap=-10", "cond=40", "--format", "json"}, "", "\"fluid\": \"R290\""},
        {{"batch", "r134a", "--in", "T,p", "--props", "T,phase"}, "20,1\n", "\n20,gas,,\n"},
        {{"batch", "water", "--in", "T,p", "--props", "T,phase"}, "20,1\n", "\n20,liquid,,\n"},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args, c.input);
        EXPECT_EQ(r.exit_code, 0) << command(c.args) << "\n" << r.err;
        EXPECT_NE(r.out.find(c.expected), std::string::npos) << command(c.args) << "\n" << r.out;
    }
}

std::string aliases_of(const vantrel::fluid_info& i) {
    std::string out;
    for (const auto& a : i.aliases) out += (out.empty() ? "" : ", ") + a;
    return out;
}

// A limit in eng units without the noise of the conversion: twelve
// significant digits where they stand for the SI value to two units in its
// last place (-103.3 °C, not -103.29999999999998), else every digit.
value limit(dim d, std::optional<double> si) {
    if (!si) return {};
    const double v = shown(d, false, *si);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.12g", v);
    const double rounded = number(buf), ulp = std::nextafter(std::fabs(*si), INFINITY) - std::fabs(*si);
    return std::fabs(given_si(d, false, rounded) - *si) <= 2 * ulp ? rounded : v;
}

TEST(ModesFluids, EveryFormatListsTheLibraryAsTheEngineReadsIt) {
    std::vector<std::string> directories, listed;
    for (const auto& e : fs::directory_iterator(DATA))
        if (e.is_directory() && e.path().filename() != "mixtures") directories.push_back(e.path().filename().string());
    std::sort(directories.begin(), directories.end());
    for (const auto& i : vantrel::list_fluids(DATA)) listed.push_back(i.agent);
    ASSERT_EQ(listed, directories);  // every directory of the library but the mixture data is a fluid

    test::temp_dir edited;
    fs::copy(DATA / "R507A", edited.path / "R507A");
    fs::create_directory(edited.path / "notes");
    std::string config;
    for (const auto& line : test::lines(test::read_file(edited.path / "R507A" / "config.txt"))) {
        if (line.starts_with("T_max=") || line.starts_with("reference_state=") || line.starts_with("safety_class="))
            continue;
        config += line.starts_with("T_min=")         ? "aliases= blend A ,, B\nT_min=210\n"
                  : line.starts_with("description=") ? "description=a \"blend\", edited\n"
                                                     : line + "\n";
    }
    test::write_file(edited.path / "R507A" / "config.txt", config);

    const auto edited_infos = vantrel::list_fluids(edited.path);
    ASSERT_EQ(edited_infos.size(), 1u);
    EXPECT_EQ(edited_infos[0].aliases, (std::vector<std::string>{"blend A", "B"}));
    EXPECT_EQ(edited_infos[0].safety_class, "");

    for (const fs::path& library : {DATA, edited.path}) {
        auto infos = vantrel::list_fluids(library);
        for (const auto& b : vantrel::list_blends(library)) infos.push_back(b.info);  // after the pure fluids
        for (const std::string format : {"", "table", "csv", "json"}) {
            const bool table = format.empty() || format == "table";
            expected_set set{"", {{"fluid", dim::text}, {"name", dim::text}, {"description", dim::text},
                                  {"T_min", dim::temperature}, {"T_max", dim::temperature}, {"p_max", dim::pressure},
                                  {"T_cr", dim::temperature}, {"p_cr", dim::pressure}, {"T_tp", dim::temperature},
                                  {"p_tp", dim::pressure}, {"reference_state", dim::text},
                                  {"safety_class", dim::text}, {"aliases", dim::text}}, {}};
            if (!table) set.columns.push_back({"source", dim::text});  // too long for a table
            for (const auto& i : infos) {
                set.rows.push_back({txt(i.agent), txt(i.name), txt(i.description),
                                    limit(dim::temperature, i.T_min), limit(dim::temperature, i.T_max),
                                    limit(dim::pressure, i.p_max), limit(dim::temperature, i.T_cr),
                                    limit(dim::pressure, i.p_cr), limit(dim::temperature, i.T_tp),
                                    limit(dim::pressure, i.p_tp), txt(i.reference_state), txt(i.safety_class),
                                    txt(aliases_of(i))});
                if (!table) set.rows.back().push_back(txt(i.source));
            }
            std::vector<std::string> args{"fluids", "--data", library.string()};
            if (!format.empty()) args.insert(args.end(), {"--format", format});
            SCOPED_TRACE(command(args));
            const auto r = run(args, "", false);
            EXPECT_EQ(r.exit_code, 0);
            EXPECT_EQ(r.err, "");
            check_output(r.out, set, format, false, false);
        }
    }
}

// The predefined mixtures follow the pure fluids, in the order of
// data/mixtures/blends.txt, each described by its composition as the file
// gives it, with the critical point of its phase envelope.
TEST(ModesFluids, PredefinedMixturesFollowThePureFluids) {
    std::vector<std::string> names, descriptions;
    for (const auto& line : test::lines(test::read_file(DATA / "mixtures" / "blends.txt"))) {
        if (line.empty() || line[0] == ';') continue;
        const auto words = split_on(line, ' ');  // NAME COMPONENT FRACTION ...
        ASSERT_EQ(words.size() % 2, 1u) << line;
        std::string agents, fractions;
        for (std::size_t i = 1; i < words.size(); i += 2) {
            agents += (i > 1 ? "/" : "") + words[i];
            fractions += (i > 1 ? "/" : "") + words[i + 1];
        }
        names.push_back(words[0]);
        descriptions.push_back(agents + " " + fractions + " (mass fractions)");
    }
    ASSERT_GE(names.size(), 10u);
    const auto r = run({"fluids", "--format", "csv"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto rows = parse_csv(r.out);
    const std::size_t pure = vantrel::list_fluids(DATA).size();
    ASSERT_EQ(rows.size(), 1 + pure + names.size());
    const auto column = [&](const std::string& name) {
        return static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin());
    };
    for (std::size_t k = 0; k < names.size(); ++k) {
        const auto& row = rows[1 + pure + k];
        SCOPED_TRACE(names[k]);
        ASSERT_EQ(row.size(), rows[0].size());
        EXPECT_EQ(row[column("fluid")], names[k]);
        EXPECT_EQ(row[column("description")], descriptions[k]);
        EXPECT_EQ(row[column("reference_state")], "IIR");
        const vantrel::fluid f = vantrel::fluid::by_name(DATA, names[k]);
        const vantrel::phase_envelope& e = f.envelope();
        EXPECT_EQ(value(number(row[column("T_cr")])), limit(dim::temperature, e.T_critical));
        EXPECT_EQ(value(number(row[column("p_cr")])), limit(dim::pressure, e.p_critical));
    }
}

// ------------------------------------------------------------------ errors

// Usage errors: exit status 2, the message and the hint to the mode's help.
TEST(ModesErrors, UsageErrorsExitWithStatusTwo) {
    const std::string props =
        "T, p, phase, x, rho, v, h, s, u, cp, cv, w, z, jt, Tsat, psat, Tbub, Tdew, pbub, pdew, glide";
    const std::string pairs = "допустимы (T, p), (p, h), (p, s), (T, x), (p, x), (T, rho), (h, s).";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"state", "T=20", "p=5", "--bogus"}, "Лишний аргумент или неизвестный параметр: --bogus."},
        {{"state", "T=20"}, "Нужны ровно две величины состояния, например T=20 p=5; задано 1."},
        {{"state", "T=20", "p=5", "x=1"}, "Нужны ровно две величины состояния, например T=20 p=5; задано 3."},
        {{"state", "R134a"}, "Нужны ровно две величины состояния, например T=20 p=5; задано 0."},
        {{"state", "T=20", "q=5"}, "Неизвестная величина 'q': допустимы T, p, h, s, x, rho."},
        {{"state", "T=20", "h=300"}, "Пара (T, h) не поддерживается: " + pairs},
        {{"state", "x=0.5", "s=1"}, "Пара (x, s) не поддерживается: " + pairs},
        {{"state", "T=20", "T=30"}, "Величина T задана дважды."},
        {{"state", "T=20", "p=abc"}, "Недопустимое число 'abc' в p=."},
        {{"state", "T=", "p=5"}, "Недопустимое число '' в T=."},
        {{"state", "T=20", "p=5,5,5"}, "Недопустимое число '5,5,5' в p=."},
        {{"state", "T=nan", "p=5"}, "Недопустимое число 'nan' в T=."},
        {{"state", "T=inf", "p=5"}, "Недопустимое число 'inf' в T=."},
        {{"state", "T=1e", "p=5"}, "Недопустимое число '1e' в T=."},
        {{"state", "T=20", "p=1e304"}, "Значение p = 1e+304 bar в единицах СИ выходит за пределы чисел double."},
        {{"state", "h=-1e306", "p=5"}, "Значение h = -1e+306 kJ/kg в единицах СИ выходит за пределы чисел double."},
        {{"state", "T=20", "p=5", "--units", "imperial"}, "Недопустимая система единиц 'imperial': допустимы eng, si, ip."},
        {{"state", "T=20", "p=5", "--format", "xml"}, "Недопустимый формат 'xml': допустимы table, csv, json."},
        {{"state", "T=20", "p=5", "--props", "T,foo"}, "Неизвестное свойство 'foo': допустимы " + props + "."},
        {{"state", "R507A", "R134a", "T=20", "p=5"}, "Лишний аргумент 'R134a': вещество уже задано (R507A)."},
        {{"state", "T=20", "p=5", "--aa", "--bb"}, "Лишний аргумент или неизвестный параметр: --aa --bb."},
        {{"state", "T=20", "p=5", "--units"}, "Параметру --units не задано значение."},
        {{"state", "T=20", "p=5", "--units", "si", "--units", "eng"}, "Параметр --units задан больше одного раза."},
        {{"batch"}, "Не задан параметр --in: ключи двух входных столбцов, например --in T,p."},
        {{"batch", "--in", "T"}, "Параметр --in: нужны два ключа через запятую, например --in T,p."},
        {{"batch", "--in", "T,p,h"}, "Параметр --in: нужны два ключа через запятую, например --in T,p."},
        {{"batch", "--in", "T,q"}, "Неизвестная величина 'q': допустимы T, p, h, s, x, rho."},
        {{"batch", "--in", "T,h"}, "Пара (T, h) не поддерживается: " + pairs},
        {{"batch", "--in", "p,p"}, "Величина p задана дважды."},
        {{"batch", "--in", "T,p", "--threads", "0"}, "Недопустимое число потоков '0': от 1 до 256."},
        {{"batch", "--in", "T,p", "--threads", "257"}, "Недопустимое число потоков '257': от 1 до 256."},
        {{"batch", "--in", "T,p", "--threads", "x"}, "Недопустимое число потоков 'x': от 1 до 256."},
        {{"batch", "--in", "T,p", "--threads", "1.5"}, "Недопустимое число потоков '1.5': от 1 до 256."},
        {{"batch", "--in", "T,p", "--units", "SI"}, "Недопустимая система единиц 'SI': допустимы eng, si, ip."},
        {{"batch", "--in", "T,p", "--props", "h,u2"}, "Неизвестное свойство 'u2': допустимы " + props + "."},
        {{"batch", "--in", "T,p", "--format"}, "Лишний аргумент или неизвестный параметр: --format."},
        {{"batch", "R134a", "a.csv", "b.csv", "--in", "T,p"}, "Лишний аргумент 'b.csv': ожидаются [FLUID] [FILE|-]."},
        {{"batch", "--in", "T,p", "--in", "T,x"}, "Параметр --in задан больше одного раза."},
        {{"sat"}, "Задайте одну величину: T=FROM:TO:STEP, p=FROM:TO:STEP, T=VALUE или p=VALUE."},
        {{"sat", "h=100"}, "Задайте одну величину: T=FROM:TO:STEP, p=FROM:TO:STEP, T=VALUE или p=VALUE."},
        {{"sat", "T=1", "p=1"}, "Задайте одну величину: T=FROM:TO:STEP, p=FROM:TO:STEP, T=VALUE или p=VALUE."},
        {{"sat", "T=0:1"}, "Задайте T=FROM:TO:STEP или T=VALUE."},
        {{"sat", "p=1:2:3:4"}, "Задайте p=FROM:TO:STEP или p=VALUE."},
        {{"sat", "T=1:0:1"}, "Начало таблицы больше её конца: 1:0:1."},
        {{"sat", "T=0:1:0"}, "Шаг таблицы должен быть больше 0: 0."},
        {{"sat", "T=0:1:-0,5"}, "Шаг таблицы должен быть больше 0: -0,5."},
        {{"sat", "T=100:100100:1"}, "Слишком много точек в таблице 100:100100:1: не более 100000."},
        {{"sat", "T=a:1:1"}, "Недопустимое число 'a' в T=."},
        {{"sat", "p=1:1e304:2e303"}, "Значение p = 2e+303 bar в единицах СИ выходит за пределы чисел double."},
        {{"sat", "T=0", "--format", "xml"}, "Недопустимый формат 'xml': допустимы table, csv, json."},
        {{"sat", "T=0", "--units", "metric"}, "Недопустимая система единиц 'metric': допустимы eng, si, ip."},
        {{"sat", "T=0", "--format"}, "Параметру --format не задано значение."},
        {{"sat", "T=0", "R134a", "R32"}, "Лишний аргумент 'R32': вещество уже задано (R134a)."},
        {{"fluids", "--format", "xml"}, "Недопустимый формат 'xml': допустимы table, csv, json."},
        {{"fluids", "R134a"}, "Лишний аргумент или неизвестный параметр: R134a."},
        {{"fluids", "--bogus"}, "Лишний аргумент или неизвестный параметр: --bogus."},
        {{"fluids", "--units", "imperial"}, "Недопустимая система единиц 'imperial': допустимы eng, si, ip."},
        {{"state", "T=20", "p=5", "--ref", "ashrae"}, "Неизвестное состояние отсчёта 'ashrae': допустимы IIR, ASHRAE, NBP, DEF."},
        {{"cycle", "evap=-10", "cond=40", "--ref", "IAPWS"},
         "Неизвестное состояние отсчёта 'IAPWS': допустимы IIR, ASHRAE, NBP, DEF."},
        {{"diagram", "-o", "x.svg", "--ref", ""}, "Неизвестное состояние отсчёта '': допустимы IIR, ASHRAE, NBP, DEF."},
        {{"fluids", "--ref", "IIR"}, "Лишний аргумент или неизвестный параметр: --ref IIR."},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.exit_code, 2) << command(c.args);
        EXPECT_EQ(r.out, "") << command(c.args);
        EXPECT_EQ(r.err, c.message + "\nПодробнее: vantrel_cli " + c.args[0] + " --help\n") << command(c.args);
    }
}

// A word within two edits of a mode's name, followed by KEY=VALUE, is a
// mistyped mode (exit 2, naming it); without KEY=VALUE it stays the legacy
// form's temperature.
TEST(ModesErrors, MistypedModesAreUsageErrors) {
    const struct {
        std::vector<std::string> args;
        std::string meant;  // "" where the legacy form runs
    } cases[] = {
        {{"stat", "R134a", "T=1", "p=1"}, "state"}, {{"sate", "T=20"}, "state"},
        {{"cylce", "evap=-10", "cond=40"}, "cycle"}, {{"Sat", "T=0"}, "sat"},
        {{"fluid", "--format=csv"}, "fluids"},      {{"bach", "--in=T,p"}, "batch"},
        {{"stat", "5"}, ""},                        {{"20", "5"}, ""},
        {{"20", "5", "R134a"}, ""},                 {{"sta", "5", "R507A"}, ""},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args, "", false);
        if (c.meant.empty()) {
            EXPECT_NE(r.exit_code, 2) << command(c.args);
            EXPECT_EQ(r.err.find("Неизвестный режим"), std::string::npos) << command(c.args);
        } else {
            EXPECT_EQ(r.exit_code, 2) << command(c.args);
            EXPECT_EQ(r.out, "") << command(c.args);
            EXPECT_EQ(r.err, "Неизвестный режим '" + c.args[0] + "': может быть, " + c.meant +
                                 "?\nПодробнее: vantrel_cli --help\n")
                << command(c.args);
        }
    }
}

// Errors of the computation and of the data: exit status 1, one line.
TEST(ModesErrors, FailuresExitWithStatusOneAndOneLine) {
    const std::string data = DATA.string();
    const struct {
        std::vector<std::string> args;
        std::string message, input = "";
    } cases[] = {
        {{"state", "R999", "T=20", "p=5"}, "Вещество 'R999' не найдено в каталоге " + data + "! Ближайшие: R290, R125, R22."},
        {{"sat", "R999", "T=0"}, "Вещество 'R999' не найдено в каталоге " + data + "! Ближайшие: R290, R125, R22."},
        {{"batch", "R999", "--in", "T,p", "-"}, "Вещество 'R999' не найдено в каталоге " + data + "! Ближайшие: R290, R125, R22."},
        {{"state", "../R507A", "T=20", "p=5"},
         "Недопустимое имя '../R507A': имя вещества или файла данных не может быть путём"},
        {{"state", "T=20", "x=1.5"}, "Недопустимая доля пара x = 1.5: она должна быть от 0 до 1."},
        {{"state", "T=70.5426", "p=36.9914"},
         "Состояние слишком близко к критической точке: свойства реального вещества не рассчитываются."},
        {{"state", "T=70.5426", "rho=500"},
         "Состояние слишком близко к критической точке: свойства реального вещества не рассчитываются."},
        {{"state", "p=1", "h=1e9"}, "Состояния с p = 1 bar и h = 1000000000 kJ/kg не существует."},
        {{"state", "T=20", "rho=1e30"}, "Floating point overflow"},
        {{"sat", "R744", "T=0", "--ref", "NBP"},
         "Состояние отсчёта NBP недоступно для R744: у него нет насыщенной жидкости при 1.01325 bar."},
        {{"state", "water", "T=20", "p=1", "--ref", "IIR", "--units", "si"},
         "Состояние отсчёта IIR недоступно для R718: у него нет насыщенной жидкости при 273.15 K."},
        {{"state", "T=20", "p=-1"}, "Недопустимое давление p = -1 bar: оно должно быть больше 0 bar."},
        {{"state", "T=-73.15", "x=0", "--units", "si"},
         "Недопустимая температура T = -73.15 K: она должна быть больше 0 K."},
        {{"batch", "--in", "T,p", "/nonexistent/rows.csv"}, "Файл /nonexistent/rows.csv не найден!"},
        // A NUL byte: binary input, not rows.
        {{"batch", "--in", "T,p", "/dev/zero"}, "Файл /dev/zero двоичный: в строке 1 нулевой байт."},
        {{"batch", "--in", "T,p"}, "Стандартный ввод двоичный: в строке 3 нулевой байт.", std::string("20,5\n\n30,\0", 10)},
        // A mixture's (h, s) nowhere on its surface.
        {{"state", "R32:0.689+R1234yf:0.311", "s=-1000", "h=-1e4", "--format", "json"},
         "Состояния с h = -10000 kJ/kg и s = -1000 kJ/(kg·K) не существует."},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args, c.input);
        EXPECT_EQ(r.exit_code, 1) << command(c.args);
        EXPECT_LE(test::lines(r.out).size(), c.args[0] == "batch" ? 1u : 0u) << command(c.args);  // a batch's header
        EXPECT_EQ(r.err, c.message + "\n") << command(c.args);
    }
}

// Standard output that cannot be written (a full device, a closed
// descriptor): one line with the system's reason and exit status 1 in every
// mode and in the legacy form, which then writes no result file. A batch
// whose output outgrows the buffer fails in a write rather than the flush.
TEST(ModesErrors, StandardOutputThatCannotBeWrittenIsOneLine) {
    std::string rows;
    for (int i = 0; i < 500; ++i) rows += "20," + std::to_string(1 + i % 9) + "\n";
    const std::string full = "Не удалось записать стандартный вывод: No space left on device\n";
    const struct {
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {{"state", "T=20", "p=5"}, ""},      {{"state", "T=20", "p=5", "--format", "json"}, ""},
        {{"batch", "--in", "T,p"}, "20,5\n"}, {{"batch", "--in", "T,p", "--threads", "2"}, rows},
        {{"sat", "T=0:40:10"}, ""},          {{"fluids", "--format", "csv"}, ""},
        {{"cycle", "evap=-10", "cond=40"}, ""}, {{"cycle", "evap=-10", "cond=40", "--format", "json"}, ""},
        {{"--help"}, ""},                     {{"--version"}, ""},
        {{"state", "--help"}, ""},            {{"diagram", "--help"}, ""},
        {{"20", "5", "R507A"}, ""},           {{}, ""},  // the legacy form and its usage text
    };
    test::temp_dir root;
    const fs::path exe = test::cli_copy(root.path / "bin");
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        // A mode computing something is given the library; the legacy form finds ./data.
        if (!args.empty() && std::isalpha(static_cast<unsigned char>(args[0][0])) &&
            std::find(args.begin(), args.end(), "--help") == args.end())
            args.insert(args.end(), {"--data", DATA.string()});
        SCOPED_TRACE(command(args));
        const auto r = test::run_process(exe, test::source(), args, c.input, {}, false, "/dev/full");
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, full);
        EXPECT_FALSE(fs::exists(root.path / "bin" / "vantrel_cli.csv"));
    }
    // A closed standard output.
    const auto closed = test::run_process("/bin/sh", test::source(),
                                          {"-c", "exec \"$0\" state T=20 p=5 --data \"$1\" >&-", exe.string(), DATA.string()});
    EXPECT_EQ(closed.exit_code, 1);
    EXPECT_EQ(closed.err, "Не удалось записать стандартный вывод: Bad file descriptor\n");
}

// -------------------------------------------------------------------- data

namespace {

// A data directory of some of the library's fluids, linked to them.
std::string library_of(const fs::path& dir, const std::vector<std::string>& fluids) {
    fs::create_directories(dir);
    for (const auto& f : fluids) fs::create_directory_symlink(DATA / f, dir / f);
    return dir.string();
}

std::string fluid_names(const std::string& csv) {
    std::string names;
    const auto rows = parse_csv(csv);
    for (std::size_t i = 1; i < rows.size(); ++i) names += (i > 1 ? " " : "") + rows[i][0];
    return names;
}

}  // namespace

// --data, then $VANTREL_DATA (when not empty), then ./data, then
// share/vantrel/data beside the executable's bin directory.
TEST(ModesData, LocationPrecedence) {
    const test::scoped_env unset("VANTREL_DATA", std::nullopt);
    test::temp_dir root;
    const std::string option = library_of(root.path / "option", {"R718"});
    const std::string variable = library_of(root.path / "variable", {"R32", "R744"});
    const fs::path installed = test::cli_copy(root.path / "prefix" / "bin");
    library_of(root.path / "prefix" / "share" / "vantrel" / "data", {"R410A"});
    const fs::path bare = test::cli_copy(root.path / "bare" / "bin");  // nothing installed beside it
    const fs::path with_data = root.path / "work", without_data = root.path / "elsewhere";
    library_of(with_data / "data", {"R134a"});
    fs::create_directories(without_data);
    const std::string no = (root.path / "no").string();
    const struct {
        std::string name, option;
        bool cwd_data;
        std::vector<std::string> env;
        bool from_installed;
        std::string fluids, error;
    } cases[] = {
        {"the option first", option, true, {"VANTREL_DATA=" + variable}, true, "R718", ""},
        {"then the variable", "", true, {"VANTREL_DATA=" + variable}, true, "R32 R744", ""},
        {"an empty variable is none", "", true, {"VANTREL_DATA="}, true, "R134a", ""},
        {"then ./data", "", true, {}, true, "R134a", ""},
        {"then the installed tree", "", false, {}, true, "R410A", ""},
        {"none of them", "", false, {}, false, "",
         "Каталог данных не найден: задайте его параметром --data или переменной VANTREL_DATA."},
        {"an option naming nothing", no, true, {}, true, "", "Каталог данных " + no + " (--data) не найден!"},
        {"a variable naming nothing", "", true, {"VANTREL_DATA=" + no}, true, "",
         "Каталог данных " + no + " (VANTREL_DATA) не найден!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"fluids", "--format", "csv"};
        if (!c.option.empty()) args.insert(args.end(), {"--data", c.option});
        const auto r = test::run_process(c.from_installed ? installed : bare, c.cwd_data ? with_data : without_data,
                                         args, "", c.env);
        EXPECT_EQ(r.exit_code, c.error.empty() ? 0 : 1) << r.err;
        EXPECT_EQ(r.err, c.error.empty() ? "" : c.error + "\n");
        EXPECT_EQ(fluid_names(r.out), c.fluids);
    }
}

// Only the legacy form writes vantrel_cli.csv beside the executable.
TEST(ModesData, ModesWriteNoResultFile) {
    test::temp_dir root;
    const fs::path bin = test::cli_copy(root.path / "bin");
    const std::string data = DATA.string();
    const std::vector<std::vector<std::string>> runs = {
        {"state", "T=20", "p=5", "--data", data},         {"sat", "T=0:10:5", "--data", data, "--format", "csv"},
        {"batch", "--in", "T,p", "--data", data},          {"fluids", "--data", data, "--format", "json"},
        {"state", "T=20", "x=1.5", "--data", data},        {"state", "--bogus"},
        {"--help"},                                        {"--version"},
    };
    for (const auto& args : runs) {
        const auto r = test::run_process(bin, root.path, args, "20,5\n");
        EXPECT_NE(r.out + r.err, "") << command(args);
        EXPECT_FALSE(fs::exists(root.path / "bin" / "vantrel_cli.csv")) << command(args);
    }
}

// --------------------------------------------------------- reference states

// --ref: every mode that computes h and s counts them from the reference
// state asked for, as the library loads the fluid with it; without it, the
// configured one.
TEST(ModesReference, EveryModeCountsFromTheStateAskedFor) {
    const vantrel::fluid ashrae = vantrel::fluid::by_name(DATA, "R134a", vantrel::reference_state::ashrae);
    const vantrel::fluid configured = vantrel::fluid::by_name(DATA, "R134a");
    vantrel::cycle_input in;
    in.T_evap = 263.15;
    in.T_cond = 313.15;
    const double h1 = vantrel::vapour_compression(ashrae, in).points[0].s.h;
    const double h1_configured = vantrel::vapour_compression(configured, in).points[0].s.h;
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::size_t row, column;  // of the CSV output
        double value;             // eng units: kJ/kg, kJ/(kg K)
    } cases[] = {
        {{"state", "R134a", "T=-40", "x=0", "--props", "h,s", "--ref", "ASHRAE"}, "", 1, 0, 0},
        {{"state", "R134a", "T=-40", "x=0", "--props", "h,s", "--ref", "ASHRAE"}, "", 1, 1, 0},
        {{"state", "R134a", "T=0", "x=0", "--props", "h,s", "--ref", "IIR"}, "", 1, 0, 200},
        {{"state", "R134a", "p=1.01325", "x=0", "--props", "h", "--ref", "NBP"}, "", 1, 0, 0},
        // The published equation's own IIR state, a hair off the exact one.
        {{"state", "R134a", "T=0", "x=0", "--props", "h"}, "", 1, 0, configured.at(vantrel::input_pair::T_x, 273.15, 0).h / 1e3},
        {{"batch", "R134a", "--in", "T,x", "--props", "h,s", "--ref", "ASHRAE"}, "-40,0\n", 1, 0, 0},
        {{"sat", "R134a", "T=-40", "--ref", "ASHRAE"}, "", 1, 4, 0},
        {{"cycle", "R134a", "evap=-10", "cond=40", "--ref", "ASHRAE"}, "", 1, 3, h1 / 1e3},
        {{"cycle", "R134a", "evap=-10", "cond=40"}, "", 1, 3, h1_configured / 1e3},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        if (args[0] != "batch") args.insert(args.end(), {"--format", "csv"});
        const auto r = run(args, c.input);
        ASSERT_EQ(r.exit_code, 0) << command(args) << r.err;
        const auto rows = parse_csv(r.out);
        ASSERT_GT(rows.size(), c.row) << command(args);
        ASSERT_GT(rows[c.row].size(), c.column) << command(args);
        const double got = *vantrel::parse_number(rows[c.row][c.column]);
        EXPECT_LE(std::fabs(got - c.value), 1e-9 * std::fabs(c.value) + 1e-9) << command(args) << ": " << got;
    }
    // The diagram draws the dome of the state asked for.
    test::temp_dir dir;
    const auto d = run({"diagram", "R134a", "--ref", "ASHRAE", "-o", (dir.path / "ph.svg").string()});
    EXPECT_EQ(d.exit_code, 0) << d.err;
    EXPECT_TRUE(fs::exists(dir.path / "ph.svg"));
}

// -------------------------------------------------------------------- help

TEST(ModesHelp, HelpAndVersion) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> mentions, absent;
    } cases[] = {
        {{"--help"}, {"state", "batch", "sat", "fluids", "--version", "VANTREL_DATA", "ip = degF", "58psig"}, {}},
        {{"state", "--help"}, {"KEY=VALUE", "--props", "--units", "--format", "--data", "--ref"}, {"--threads", "--in"}},
        {{"batch", "--help"}, {"--in", "--threads", "--props", "--units", "--data"}, {"--format"}},
        {{"sat", "--help"}, {"FROM:TO:STEP", "bubble and dew", "R454B", "--units", "--format", "--data"},
         {"--props", "--threads"}},
        {{"fluids", "--help"}, {"mixtures", "--format", "--data", "--units", "--csv-delimiter"}, {"--props", "--ref"}},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args, "", false);
        EXPECT_EQ(r.exit_code, 0) << command(c.args);
        EXPECT_EQ(r.err, "") << command(c.args);
        for (const auto& m : c.mentions) EXPECT_NE(r.out.find(m), std::string::npos) << command(c.args) << ": " << m;
        for (const auto& m : c.absent) EXPECT_EQ(r.out.find(m), std::string::npos) << command(c.args) << ": " << m;
    }
    const auto v = run({"--version"}, "", false);
    EXPECT_EQ(v.exit_code, 0);
    EXPECT_EQ(v.err, "");
    EXPECT_TRUE(std::regex_match(v.out, std::regex("vantrel_cli [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << v.out;
}

// ------------------------------------------------------- units and spreadsheets

namespace {

// The inch-pound units in SI units by their definitions (1 lb = 0.45359237 kg,
// 1 ft = 0.3048 m, 1 Btu = 1055.05585262 J, 1 lbf = 1 lb * 9.80665 m/s²),
// worked out by python3 in exact fractions and rounded to the nearest double.
constexpr double PSI = 6894.757293168362;          // 8896443230521/1290320000 Pa
constexpr double BTU_PER_LB = 2326;                 // J/kg, exact
constexpr double BTU_PER_LB_F = 4186.8;             // J/(kg K), exact
constexpr double LB_PER_FT3 = 16.018463373960138;   // kg/m³
constexpr double FT = 0.3048;                       // m

// A number of a CSV field, "," taken for the point.
double field_number(const std::string& line, std::size_t i, char delimiter = ',') {
    return number(split_on(line, delimiter).at(i));
}

}  // namespace

// A value may name its unit, whatever the output's units; a unit that is
// unknown or of another quantity is a usage error. Given in the output's
// units, a value is echoed as written; given in another, it is converted
// (gauge pressures to absolute ones above 1.01325 bar).
TEST(ModesUnits, ValuesCarryTheirUnits) {
    const struct {
        std::vector<std::string> args;
        std::vector<double> row;  // the first row's leading numbers, or none for an error
        std::string message;
    } cases[] = {
        {{"state", "R134a", "T=20C", "p=5bar", "--units", "si", "--props", "T,p"}, {293.15, 5e5}, ""},
        {{"state", "R134a", "T=293.15K", "p=0.5MPa", "--props", "T,p"}, {20, 5}, ""},
        {{"state", "R134a", "T=20°C", "p=500000Pa", "--props", "T,p"}, {20, 5}, ""},
        {{"state", "R134a", "T=68F", "p=72.5psia", "--units", "ip", "--props", "T,p"}, {68, 72.5}, ""},
        {{"state", "R134a", "T=68°F", "p=500kPa", "--units", "ip", "--props", "T,p"}, {68, 5e5 / PSI}, ""},
        {{"state", "R134a", "T=20", "p=4barg", "--props", "p"}, {5.01325}, ""},
        {{"state", "R134a", "T=68", "p=58psig", "--units", "ip", "--props", "p"}, {58 + 101325 / PSI}, ""},
        {{"state", "R134a", "T=20", "p=58psig", "--props", "p"}, {(58 * PSI + 101325) / 1e5}, ""},
        {{"state", "R134a", "p=5 bar", "h=107.5Btu/lb", "--props", "p,h"}, {5, 107.5 * BTU_PER_LB / 1e3}, ""},
        {{"state", "R134a", "p=72.5psia", "h=250kJ/kg", "--units", "ip", "--props", "h"}, {250e3 / BTU_PER_LB}, ""},
        {{"state", "R134a", "p=5bar", "s=1.2kJ/(kg K)", "--units", "si", "--props", "s"}, {1200}, ""},
        {{"state", "R134a", "p=5", "s=0.4Btu/(lb F)", "--props", "s"}, {0.4 * BTU_PER_LB_F / 1e3}, ""},
        {{"state", "R134a", "T=20", "rho=1.5lb/ft3", "--props", "rho"}, {1.5 * LB_PER_FT3}, ""},
        {{"state", "R134a", "T=300K", "x=0.5", "--props", "T,x"}, {26.85, 0.5}, ""},
        {{"sat", "R134a", "T=0C:10C:5C"}, {0, 2.9280318233949725}, ""},
        {{"sat", "R134a", "T=32F", "--units", "ip"}, {32}, ""},
        {{"sat", "R134a", "p=14.503773773375PSIA"}, {}, "Неизвестная единица 'PSIA' в p=14.503773773375PSIA: допустимы bar, Pa, "
                                                        "kPa, MPa, at, atm, psia, psi, barg, psig."},
        {{"cycle", "R134a", "evap=14F", "cond=40C", "superheat=5K"}, {}, ""},  // the row is checked below
        {{"state", "T=5bar", "p=4"}, {}, "Единица 'bar' в T=5bar — единица величины «давление», а не «температура»: допустимы °C, K, °F."},
        {{"state", "T=300k", "p=4"}, {}, "Неизвестная единица 'k' в T=300k: допустимы °C, K, °F."},
        {{"state", "T=20", "x=0.5kg"}, {}, "x=0.5kg: x задаётся числом без единицы."},
        {{"state", "p=5", "h=250kJ"}, {}, "Неизвестная единица 'kJ' в h=250kJ: допустимы kJ/kg, J/kg, Btu/lb."},
        {{"sat", "T=0C:10K:5C"}, {}, "T=0C:10K:5C: задайте FROM, TO и STEP в одной единице."},
        {{"cycle", "evap=-10", "cond=40", "superheat=5bar"}, {},
         "Единица 'bar' в superheat=5bar — единица величины «давление», а не «разность температур»: допустимы K, °C, °F, R."},
        {{"cycle", "evap=-10", "cond=40", "capacity=3kg/s"}, {},
         "Единица 'kg/s' в capacity=3kg/s — единица величины «массовый расход», а не «мощность»: допустимы kW, W, Btu/h."},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--format", "csv"});
        SCOPED_TRACE(command(args));
        const auto r = run(args);
        if (!c.message.empty()) {
            EXPECT_EQ(r.exit_code, 2);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, c.message + "\nПодробнее: vantrel_cli " + c.args[0] + " --help\n");
            continue;
        }
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const auto l = test::lines(r.out);
        ASSERT_GE(l.size(), 2u);
        for (std::size_t i = 0; i < c.row.size(); ++i)
            EXPECT_LE(test::rel(field_number(l[1], i), c.row[i]), 1e-15) << l[1];
        if (c.args[0] == "cycle") {  // evap + superheat; cond as given
            EXPECT_EQ(l[1].substr(0, 5), "1,-5,") << l[1];
            EXPECT_EQ(l[4].substr(0, 5), "3,40,") << l[4];
        }
    }
}

// --units ip: every property of a state is its SI value through the exact
// factors of the definitions; °F = K 1.8 - 459.67.
TEST(ModesUnits, InchPoundUnitsAreTheSiValuesByTheirDefinitions) {
    const struct {
        const char* property;
        double factor;  // SI units per inch-pound unit
        double offset;  // of the Fahrenheit scale, in °F
        const char* header;
    } cases[] = {
        {"T", 1 / 1.8, -459.67, "T [°F]"},     {"p", PSI, 0, "p [psia]"},
        {"h", BTU_PER_LB, 0, "h [Btu/lb]"},   {"s", BTU_PER_LB_F, 0, "s [Btu/(lb·°F)]"},
        {"cp", BTU_PER_LB_F, 0, "cp [Btu/(lb·°F)]"}, {"rho", LB_PER_FT3, 0, "rho [lb/ft³]"},
        {"v", 1 / LB_PER_FT3, 0, "v [ft³/lb]"}, {"w", FT, 0, "w [ft/s]"},
        {"jt", 1 / (1.8 * PSI), 0, "jt [°F/psi]"},     {"Tsat", 1 / 1.8, -459.67, "Tsat [°F]"},
        {"psat", PSI, 0, "psat [psia]"},
    };
    std::string props;
    for (const auto& c : cases) {
        if (!props.empty()) props += ',';
        props += c.property;
    }
    const auto si = run({"state", "R134a", "T=300K", "p=2e5Pa", "--props", props, "--units", "si", "--format", "csv"});
    const auto ip = run({"state", "R134a", "T=80.33F", "p=29.0075475468psia", "--props", props, "--units", "ip",
                         "--format", "csv", "--csv-units"});
    ASSERT_EQ(si.exit_code, 0) << si.err;
    ASSERT_EQ(ip.exit_code, 0) << ip.err;
    const auto s = test::lines(si.out), i = test::lines(ip.out);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const auto& c = cases[k];
        SCOPED_TRACE(c.property);
        EXPECT_EQ(split_on(i[0], ',').at(k), c.header);
        EXPECT_LE(test::rel((field_number(i[1], k) - c.offset) * c.factor, field_number(s[1], k)), 1e-9);
    }
}

// sat in ip units: every column of a pure fluid's, a blend's and a
// mixture's table is its SI value through the definitions' factors.
TEST(ModesUnits, SatTablesInInchPoundUnits) {
    const std::map<std::string, double> factors = {
        {"[psia]", PSI}, {"[lb/ft³]", LB_PER_FT3}, {"[Btu/lb]", BTU_PER_LB}, {"[Btu/(lb·°F)]", BTU_PER_LB_F}};
    for (const std::string fluid : {"R134a", "R407C", "R454B"}) {
        SCOPED_TRACE(fluid);
        const auto si = run({"sat", fluid, "T=253.15", "--units", "si", "--format", "csv"});
        const auto ip = run({"sat", fluid, "T=-4", "--units", "ip", "--format", "csv", "--csv-units"});  // 253.15 K
        ASSERT_EQ(si.exit_code, 0) << si.err;
        ASSERT_EQ(ip.exit_code, 0) << ip.err;
        const auto s = test::lines(si.out), i = test::lines(ip.out);
        ASSERT_EQ(s.size(), 2u);
        ASSERT_EQ(i.size(), 2u);
        const auto headers = split_on(i[0], ',');
        ASSERT_EQ(headers.size(), split_on(s[0], ',').size());
        for (std::size_t k = 0; k < headers.size(); ++k) {
            const std::size_t bracket = headers[k].find(" [");
            const std::string unit = bracket == std::string::npos ? "" : headers[k].substr(bracket + 1);
            const double v = field_number(i[1], k);
            double in_si = NAN;
            if (unit == "[°F]") in_si = (v + 459.67) / 1.8;
            else if (factors.contains(unit)) in_si = v * factors.at(unit);
            else ADD_FAILURE() << "not an inch-pound unit: " << headers[k];
            EXPECT_LE(test::rel(in_si, field_number(s[1], k)), 1e-9) << headers[k];
        }
    }
}

// Every CSV output takes a delimiter, a decimal comma (";" then, unless
// given) and units in its header; numbers keep every digit.
TEST(ModesCsv, SpreadsheetOptionsInEveryMode) {
    const struct {
        std::vector<std::string> args;
        std::string input, header, row, message;  // header and the start of the first row, or the message
    } cases[] = {
        {{"state", "T=20,5", "p=5", "--props", "T,p,phase", "--decimal-comma"}, "", "T;p;phase", "20,5;5;gas", ""},
        {{"state", "T=20.5", "p=5", "--props", "T,p", "--csv-delimiter", "tab", "--csv-units"}, "",
         "T [°C]\tp [bar]", "20.5\t5", ""},
        {{"state", "T=20.5", "p=5", "--props", "T,p", "--csv-delimiter", "\\t", "--decimal-comma"}, "", "T\tp",
         "20,5\t5", ""},
        {{"state", "T=20C", "p=5bar", "--props", "T,phase", "--csv-delimiter", "|", "--units", "ip", "--csv-units"}, "",
         "T [°F]|phase", "68|gas", ""},
        {{"batch", "--in", "T,p", "--props", "T,p,phase", "--decimal-comma", "--csv-units"}, "20,5;5\n",
         "T [°C];p [bar];phase;warning;error", "20,5;5;gas;;", ""},
        {{"batch", "--in", "T,p", "--props", "T,p", "--csv-delimiter", ";"}, "20,5\n", "T;p;warning;error",
         "20;5;;", ""},
        {{"sat", "R134a", "T=0", "--decimal-comma", "--csv-units"}, "",
         "T [°C];p [bar];rho_liq [kg/m³];rho_vap [kg/m³];h_liq [kJ/kg];h_vap [kJ/kg];s_liq [kJ/(kg·K)];"
         "s_vap [kJ/(kg·K)];dh_vap [kJ/kg]",
         "0;2,9280318233949725;", ""},
        {{"cycle", "R134a", "evap=-10", "cond=40", "--decimal-comma", "--csv-units"}, "",
         "point;T [°C];p [bar];h [kJ/kg];s [kJ/(kg·K)];rho [kg/m³];x", "1;-10;2,00603", ""},
        {{"fluids", "--csv-delimiter", ";", "--csv-units"}, "",
         "fluid;name;description;T_min [°C];T_max [°C];p_max [bar];T_cr [°C];p_cr [bar];T_tp [°C];p_tp [bar];"
         "reference_state;safety_class;aliases;source",
         "R1233zd(E);R1233zd(E);trans-1-chloro-3,3,3-trifluoropropene;-107.4;176.85;1000;", ""},
        {{"state", "T=20", "p=5", "--decimal-comma", "--csv-delimiter", ","}, "", "", "",
         "Для --decimal-comma нужен разделитель, отличный от ',': задайте --csv-delimiter ';' или не задавайте его."},
        {{"batch", "--in", "T,p", "--csv-delimiter", "ab"}, "", "", "",
         "Параметр --csv-delimiter — один символ или tab: 'ab'."},
        {{"sat", "T=0", "--csv-delimiter", "."}, "", "", "",
         "Символ '.' в --csv-delimiter не может разделять числа: выберите другой, например ';' или tab."},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        if (c.args[0] != "batch") args.insert(args.end(), {"--format", "csv"});
        SCOPED_TRACE(command(args));
        const auto r = run(args, c.input);
        if (!c.message.empty()) {
            EXPECT_EQ(r.exit_code, 2);
            EXPECT_EQ(r.err, c.message + "\nПодробнее: vantrel_cli " + c.args[0] + " --help\n");
            continue;
        }
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const auto l = test::lines(r.out);
        ASSERT_GE(l.size(), 2u);
        EXPECT_EQ(l[0], c.header);
        EXPECT_EQ(l[1].substr(0, c.row.size()), c.row);
    }
    // Only CSV has these options.
    const auto r = run({"state", "T=20", "p=5", "--csv-units"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "Параметры --csv-delimiter, --decimal-comma и --csv-units относятся к выводу CSV: добавьте --format csv.\n"
                     "Подробнее: vantrel_cli state --help\n");
}

// Rows pasted from a spreadsheet: tab or ";" between the numbers, decimal
// commas; a first line is a header only when none of its fields is a number
// under any delimiter; what is skipped is counted on standard error.
TEST(ModesBatch, SpreadsheetRowsHeadersAndSkippedLines) {
    const struct {
        std::string input, out, err;
    } cases[] = {
        {"20\t5\n30\t6\n", "20,5,,\n30,6,,\n", ""},
        {"20\t5,5\r\n-10,5\t2\r\n", "20,5.5,,\n-10.5,2,,\n", ""},
        {"T [°C]\tp [bar]\n20\t5\n", "20,5,,\n", "Пропущено строк ввода: 1 (заголовок: 1).\n"},
        {"20;5,5\n", "20,5.5,,\n", ""},
        {"T;p\n20;5\n\n30;6\n", "20,5,,\n30,6,,\n", "Пропущено строк ввода: 2 (заголовок: 1, пустых: 1).\n"},
        {"# R507A\n\nT,p\n20,5\n# end\n", "20,5,,\n", "Пропущено строк ввода: 4 (заголовок: 1, пустых: 1, комментариев: 2).\n"},
        {"T,p\n20\t5\n", "20,5,,\n", "Пропущено строк ввода: 1 (заголовок: 1).\n"},
        {"T,5\n20,5\n", ",,,Недопустимое число 'T'.\n20,5,,\n", ""},
        {"T\t5,5\n20\t5\n", ",,,Недопустимое число 'T'.\n20,5,,\n", ""},
        {"1e1;5\n", "10,5,,\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const auto r = run({"batch", "--in", "T,p", "--props", "T,p"}, c.input);
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.out, "T,p,warning,error\n" + c.out);
        EXPECT_EQ(r.err, c.err);
    }
}
