#include "legacy/vantrel_cli.h"

#include <exception>
#include <filesystem>
#include <optional>

#include "legacy/calc_properties.h"
#include "cli/speech.h"
#include "cli/written.h"
#include "engine/base/fpu.h"
#include "legacy/const_unit.h"
#include "legacy/fp_check.h"
#include "legacy/general_func.h"
#include "legacy/real_props.h"

namespace fs = std::filesystem;

namespace {

const char* const USAGE =
    "Use:\n"
    "vantrel_cli TEMPERATURE PRESSURE [AGENT]\n"
    "\n"
    "TEMPERATURE - temperature in degrees Celsius\n"
    "PRESSURE    - pressure in Bar\n"
    "AGENT       - agent (default 'R507A')\n"
    "\n"
    "Result of calculation save to file vantrel_cli.csv\n";

double number_argument(int argc, const char* const* argv, int index, double def) {
    if (index >= argc) return def;
    return parse_number(commatopoint(argv[index])).value_or(def);
}

// A saturation value, or the empty text where no saturation state was computed.
std::string saturation_text(const std::optional<double>& value) {
    return value ? format_fixed2(*value) : std::string();
}

// Writes the four lines to a new temporary file beside csv_path and renames
// it over csv_path, so that a failed write never leaves a damaged result
// file; a planted link or FIFO is never followed or opened.
void write_result_file(const std::string& csv_path, const std::string& content) {
    cli::replacement_file file(csv_path);
    file.write(content);
    file.commit();
}

// A number about to be printed: the floating-point flags checked, and the
// number itself finite whatever they say (valgrind does not keep them).
double printable(double value) {
    fp_check();
    return vantrel::detail::finite(value);
}

}  // namespace

std::string result_file_path(const char* argv0) {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) exe = fs::absolute(argv0 != nullptr ? argv0 : "vantrel_cli", ec);
    return (exe.parent_path() / "vantrel_cli.csv").string();
}

int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, const std::string& csv_path) {
    // The legacy form's texts are Russian whatever the locale, its numbers
    // as the library writes them.
    cli::speak({vantrel::language::ru, std::nullopt});
    // Each line must reach standard output; when one does not, standard error
    // says so and nothing more is done (no result file).
    const auto shown = [&] {
        const auto failure = cli::output_failure(out, cli::standard_output());
        if (failure) err << *failure << "\n" << std::flush;
        return !failure;
    };
    if (argc <= 1) {
        out << USAGE;
        shown();
        return 1;
    }
    const double t = number_argument(argc, argv, 1, 0);
    const double p = number_argument(argc, argv, 2, 1);
    const std::string agent = (argc > 3 && argv[3][0] != '\0') ? argv[3] : "R507A";
    const T_dim_info dims{"C", "bar"};

    try {
        const double h = printable(calc_property_h(t, PR.t, p, PR.p, dims, agent));
        out << "H = " << format_fixed2(h) << " J/kg\n";
        if (!shown()) return 1;
        const std::string warning = calc_range_warning(t, p, dims, agent);
        if (!warning.empty()) err << warning << "\n" << std::flush;

        const std::string ph_st = calc_phase_state(t, p, dims, agent);
        out << "Phase State = " << ph_st << "\n";
        if (!shown()) return 1;

        // Each saturation request has its own record: a request that computes
        // nothing must not show the value of another one.
        std::optional<double> t_s;
        prop_list by_p;
        if (calc_sat_props(p, PR.p, dims, agent, by_p, UNDEFINE_ST)) t_s = printable(by_p.t);
        out << "Saturation T = " << saturation_text(t_s) << " " << dims.t_dim << "\n";
        if (!shown()) return 1;

        std::optional<double> p_s;
        prop_list by_t;
        if (calc_sat_props(t, PR.t, dims, agent, by_t, UNDEFINE_ST)) p_s = printable(by_t.p);
        out << "Saturation P = " << saturation_text(p_s) << " " << dims.p_dim << "\n";
        if (!shown()) return 1;

        write_result_file(csv_path, "H;" + format_fixed2(h) + ";J/kg\n" +
                                        "Phase State;" + ph_st + ";\n" +
                                        "Saturation T;" + saturation_text(t_s) + ";" + dims.t_dim + "\n" +
                                        "Saturation P;" + saturation_text(p_s) + ";" + dims.p_dim + "\n");
    } catch (const std::exception& e) {
        // One line, whatever names the message quotes; the library's
        // messages in their Russian text, numbers as the library writes them.
        const auto* library = dynamic_cast<const vantrel::error*>(&e);
        std::string message = library ? library->message(cli::speech()) : e.what();
        for (char& c : message)
            if (c == '\n' || c == '\r') c = ' ';
        out << message << "\n";
        shown();
        return 1;
    }
    return 0;
}
