#include "cli/modes.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <exception>
#include <filesystem>
#include <new>
#include <ostream>
#include <system_error>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/arguments.h"
#include "cli/speech.h"
#include "cli/written.h"
#include "vantrel/vantrel.h"

namespace cli {

namespace {

constexpr const char* MODES[] = {"state", "batch", "sat", "fluids", "diagram", "cycle"};

const char* const DESCRIPTION =
    "vantrel_cli: thermodynamic properties of working fluids from their Helmholtz equations of state.\n"
    "\n"
    "The legacy form, vantrel_cli TEMPERATURE PRESSURE [AGENT] (degrees Celsius, bar), prints the\n"
    "enthalpy, the phase state and the saturation temperature and pressure, and writes vantrel_cli.csv\n"
    "beside the executable. The modes below take any input pair and print any property.";

const char* const FOOTER =
    "Units: eng (default) = degC, bar, kJ/kg, kJ/(kg K), kg/m3, m3/kg, m/s, K/bar;\n"
    "       si = K, Pa, J/kg, J/(kg K), kg/m3, m3/kg, m/s, K/Pa;\n"
    "       ip = degF, psia, Btu/lb, Btu/(lb F), lb/ft3, ft3/lb, ft/s, F/psi (cycle: Btu/ft3, Btu/h, lb/h, ft3/min).\n"
    "A bare input value is read in the output's units; a value may name its own: T=300K, T=20C, T=68F,\n"
    "p=5bar, p=500kPa, p=72.5psia, gauge p=4barg or p=58psig (above 1.01325 bar), h=107.5Btu/lb,\n"
    "s=1.2kJ/(kg K), rho=30kg/m3; a temperature difference (superheat=5K) in K, C (= K), F or R.\n"
    "CSV for spreadsheets: --csv-delimiter CHAR (or tab), --decimal-comma (then ';' unless given), --csv-units.\n"
    "Input keys: T p h s x rho; pairs (T,p) (p,h) (p,s) (T,x) (p,x) (T,rho) (h,s).\n"
    "Properties: T p phase x rho v h s u cp cv w z jt Tsat psat, for blends Tbub Tdew pbub pdew glide.\n"
    "Data: --data DIR, else $VANTREL_DATA, else ./data, else <bin>/../share/vantrel/data.\n"
    "Reference states: IIR = h 200 kJ/kg, s 1 kJ/(kg K) for the saturated liquid at 0 degC;\n"
    "ASHRAE = h, s 0 for the saturated liquid at -40 degC; NBP = h, s 0 for the saturated liquid at\n"
    "101325 Pa; DEF = the equation's own. Default: the fluid's configured one (IIR; IAPWS-95 for water).";

void add_units_format_data(CLI::App& sub, mode_options& o, bool format, bool reference = true) {
    sub.add_option("--units", o.units, "eng (default), si or ip")->type_name("eng|si|ip");
    if (format) sub.add_option("--format", o.format, "table (default), csv or json")->type_name("table|csv|json");
    sub.add_option("--data", o.data, "directory of the fluid library")->type_name("DIR");
    if (reference)
        sub.add_option("--ref", o.ref, "reference state of h and s (default: the fluid's configured one)")
            ->type_name("IIR|ASHRAE|NBP|DEF");
}

void add_csv_options(CLI::App& sub, mode_options& o) {
    sub.add_option("--csv-delimiter", o.csv_delimiter, "CSV field delimiter: one character, or tab")->type_name("CHAR");
    sub.add_flag("--decimal-comma", o.decimal_comma, "CSV numbers with ',' as the decimal point (delimiter ';')");
    sub.add_flag("--csv-units", o.csv_units, "CSV header with the units: T [°C], p [bar], ...");
}

// The parse error's message in the program's language.
std::string usage_message(const CLI::ParseError& e) {
    const std::string what = e.what();
    const std::size_t colon = what.find(": ");
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr)
        return say(text_id::extra_argument_or_option,
                   {text_value(what.substr(colon == std::string::npos ? 0 : colon + 2))});
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr)
        return say(what.find("At Most") != std::string::npos ? text_id::option_twice : text_id::option_without_value,
                   {text_value(what.substr(0, colon))});
    return say(text_id::invalid_command_line, {text_value(what)});
}

int usage_failure(std::ostream& err, const std::string& message, const std::string& mode) {
    err << message << "\n"
        << say(text_id::see_help, {text_value("vantrel_cli " + (mode.empty() ? "" : mode + " ") + "--help")}) << "\n";
    return 2;
}

}  // namespace

namespace {

// Levenshtein distance, one row of the table at a time.
std::size_t distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> prev(b.size() + 1), cur(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) prev[j] = j;
    for (std::size_t i = 0; i < a.size(); ++i) {
        cur[0] = i + 1;
        for (std::size_t j = 0; j < b.size(); ++j)
            cur[j + 1] = std::min({prev[j + 1] + 1, cur[j] + 1, prev[j] + (a[i] == b[j] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev[b.size()];
}

// The mode argv[1] was meant to be: a word within two edits of a mode's name,
// followed by a KEY=VALUE argument (the legacy form has none), is no
// temperature of the legacy form.
std::optional<std::string> mistyped_mode(int argc, const char* const* argv) {
    if (argc < 3) return std::nullopt;
    bool keyed = false;
    for (int i = 2; i < argc; ++i) keyed = keyed || std::strchr(argv[i], '=') != nullptr;
    if (!keyed) return std::nullopt;
    std::optional<std::string> best;
    std::size_t best_distance = 3;
    for (const char* m : MODES) {
        const std::size_t d = distance(argv[1], m);
        if (d < best_distance) best = m, best_distance = d;
    }
    return best;
}

}  // namespace

bool is_mode(int argc, const char* const* argv) {
    if (argc < 2) return false;
    for (const char* m : MODES)
        if (std::strcmp(argv[1], m) == 0) return true;
    return std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0 ||
           mistyped_mode(argc, argv).has_value();
}

namespace {

// The command line of every mode, its values landing in o.
void describe(CLI::App& app, mode_options& o) {
    app.footer(FOOTER);
    app.set_version_flag("--version", std::string("vantrel_cli ") + vantrel::version());
    app.require_subcommand(0, 1);

    CLI::App* state = app.add_subcommand("state", "one state: vantrel_cli state [FLUID] KEY=VALUE KEY=VALUE");
    state->add_option("args", o.args, "FLUID (default R507A) and two of T=, p=, h=, s=, x=, rho=");
    state->add_option("--props", o.props, "properties to print, comma-separated")->type_name("LIST");
    add_units_format_data(*state, o, true);

    CLI::App* batch = app.add_subcommand("batch", "rows of two numbers in, CSV out: vantrel_cli batch [FLUID] --in KEY,KEY [FILE|-]");
    batch->add_option("args", o.args, "FLUID (default R507A), and FILE (standard input when absent or -)");
    batch->add_option("--in", o.in, "the keys of the two input columns, e.g. T,p")->required()->type_name("KEY,KEY");
    batch->add_option("--props", o.props, "properties to write, comma-separated")->type_name("LIST");
    batch->add_option("--threads", o.threads, "threads (default: all cores); the output is the same for any")
        ->type_name("N");
    add_units_format_data(*batch, o, false);

    CLI::App* sat = app.add_subcommand("sat", "saturation table (a mixture's bubble and dew points): "
                                              "vantrel_cli sat [FLUID] T=FROM:TO:STEP | p=FROM:TO:STEP | T=V | p=V");
    sat->add_option("args", o.args, "FLUID (default R507A; a mixture: R454B, R32:0.689+R1234yf:0.311) and the "
                                    "temperatures or pressures");
    add_units_format_data(*sat, o, true);

    CLI::App* fluids = app.add_subcommand("fluids", "the fluids of the data directory, then its predefined mixtures");
    add_units_format_data(*fluids, o, true, false);

    CLI::App* diagram = app.add_subcommand("diagram", "log p-h diagram: vantrel_cli diagram [FLUID] -o FILE.svg|png|pdf");
    diagram->add_option("args", o.args, "FLUID (default R507A)");
    diagram->add_option("-o", o.output, "the picture: .svg, .png or .pdf (.json: the figure)")->required()->type_name("FILE");
    diagram->add_option("--scale", o.scale, "a PNG this many times larger, from 1 to 4 (sharper)")->type_name("N");
    diagram->add_option("--p-range", o.p_range, "pressure axis")->type_name("LO:HI");
    diagram->add_option("--h-range", o.h_range, "enthalpy axis")->type_name("LO:HI");
    diagram->add_option("--cycle", o.cycle, "a cycle to draw: the KEY=VALUE tokens of the cycle mode")
        ->type_name("KEY=VALUE...")
        ->expected(1, -1);
    add_units_format_data(*diagram, o, false);

    CLI::App* cycle = app.add_subcommand("cycle", "vapour-compression cycle: vantrel_cli cycle [FLUID] evap=T cond=T "
                                                  "[superheat=K] [subcool=K] [eta=E] [vol_eff=E] [capacity=Q]");
    cycle->add_option("args", o.args, "FLUID (default R507A) and the cycle's KEY=VALUE: evap, cond (or gc_out and high), "
                                      "superheat, subcool, eta, vol_eff, capacity");
    cycle->add_option("--diagram", o.diagram, "also draw the cycle on the log p-h diagram")->type_name("FILE");
    for (CLI::App* sub : {cycle, diagram})
        sub->add_option("--convention", o.convention, "a blend's evap and cond: dew points (default) or midpoint")
            ->type_name("dew|midpoint");
    cycle->add_option("--scale", o.scale, "the diagram's PNG this many times larger, from 1 to 4")->type_name("N");
    add_units_format_data(*cycle, o, true);

    for (CLI::App* sub : {state, batch, sat, fluids, cycle}) add_csv_options(*sub, o);
    for (CLI::App* sub : {state, batch, sat, fluids, diagram, cycle}) sub->allow_extras();
}

// The mode the parsed command line chose ("" for none); unknown options and
// surplus arguments are a usage error that names them in their order.
std::string chosen_mode(const CLI::App& app) {
    std::string mode;
    for (const CLI::App* sub : app.get_subcommands()) {
        mode = sub->get_name();
        const std::vector<std::string> extra = sub->remaining();
        if (!extra.empty()) {
            std::string list;
            for (const std::string& a : extra) list += (list.empty() ? "" : " ") + a;
            throw usage_error(say(text_id::extra_argument_or_option, {text_value(list)}));
        }
    }
    return mode;
}

}  // namespace

csv_style csv_style_of(const mode_options& o, output_format format) {
    const bool asked = !o.csv_delimiter.empty() || o.decimal_comma || o.csv_units;
    if (asked && format != output_format::csv)
        throw usage_error(say(text_id::csv_options_format));
    return parse_csv_style(o.csv_delimiter, o.decimal_comma, o.csv_units);
}

std::string message_of(const std::exception_ptr& e) {
    std::string message;
    try {
        std::rethrow_exception(e);
    } catch (const vantrel::error& x) {
        message = x.message(speech());
    } catch (const usage_error& x) {
        message = x.what();
    } catch (const output_error& x) {
        message = x.what();
    } catch (const failure& x) {
        message = x.what();
    } catch (const std::bad_alloc&) {
        message = say(text_id::out_of_memory);
    } catch (const std::filesystem::filesystem_error& x) {
        message = say(text_id::filesystem_error,
                      {text_value((x.path1().empty() ? "" : x.path1().string() + ": ") + x.code().message())});
    } catch (const std::system_error& x) {
        message = say(text_id::system_error, {text_value(x.code().message())});
    } catch (const nlohmann::json::exception&) {
        message = say(text_id::json_internal);
    } catch (...) {
        message = say(text_id::internal_error);
    }
    for (char& c : message)
        if (c == '\n' || c == '\r') c = ' ';
    return message;
}

namespace {

int run_chosen(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app(DESCRIPTION, "vantrel_cli");
    mode_options o;
    describe(app, o);
    std::string mode;
    try {
        app.parse(argc, argv);
        if (const auto units = vantrel::find_unit_system(o.units)) speak_units(*units);
        for (const CLI::App* sub : app.get_subcommands()) mode = sub->get_name();  // for the hint, should it fail
        mode = chosen_mode(app);
        if (mode.empty()) {
            out << app.help();
            return 0;
        }
        if (mode == "state") return run_state(o, out, err);
        if (mode == "batch") return run_batch(o, out, err);
        if (mode == "sat") return run_sat(o, out, err);
        if (mode == "diagram") return run_diagram(o, out, err);
        if (mode == "cycle") return run_cycle(o, out, err);
        return run_fluids(o, out, err);
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << "\n";
        return 0;
    } catch (const CLI::Success&) {
        const CLI::App* sub = nullptr;
        for (const CLI::App* s : app.get_subcommands()) sub = s;
        out << (sub != nullptr ? sub->help() : app.help());
        return 0;
    } catch (const CLI::RequiredError&) {
        for (const CLI::App* sub : app.get_subcommands()) mode = sub->get_name();
        return usage_failure(err, say(mode == "diagram" ? text_id::picture_missing : text_id::batch_in_missing), mode);
    } catch (const CLI::ParseError& e) {
        for (const CLI::App* sub : app.get_subcommands()) mode = sub->get_name();
        return usage_failure(err, usage_message(e), mode);
    } catch (const usage_error& e) {
        return usage_failure(err, e.what(), mode);
    } catch (...) {
        err << message_of(std::current_exception()) << "\n";
        return 1;
    }
}

}  // namespace

int run_mode(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    speak({language_of_environment(), vantrel::unit_system::eng});
    bool exact = false;
    for (const char* m : MODES) exact = exact || std::strcmp(argv[1], m) == 0;
    if (const auto meant = exact ? std::nullopt : mistyped_mode(argc, argv))
        return usage_failure(err, say(text_id::unknown_mode, {text_value(argv[1]), text_value(*meant)}), "");
    const int status = run_chosen(argc, argv, out, err);
    // Everything written must have arrived; a failed run has said so already.
    if (status == 0) {
        if (const auto failure = output_failure(out, standard_output())) {
            err << *failure << "\n";
            return 1;
        }
    }
    return status;
}

}  // namespace cli
