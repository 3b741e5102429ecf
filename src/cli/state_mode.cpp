// vantrel_cli state [FLUID] KEY=VALUE KEY=VALUE: one state, any properties.
#include <ostream>

#include "cli/arguments.h"
#include "cli/data_location.h"
#include "cli/modes.h"
#include "cli/output.h"

namespace cli {

int run_state(const mode_options& o, std::ostream& out, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    if (pos.given.size() != 2)
        throw usage_error("Нужны ровно две величины состояния, например T=20 p=5; задано " +
                          std::to_string(pos.given.size()) + ".");
    const unit_system u = parse_units(o.units);
    const output_format format = parse_format(o.format);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const std::vector<property> props = o.props.empty() ? default_properties() : parse_properties(o.props);
    const input_key a = parse_key(pos.given[0].key), b = parse_key(pos.given[1].key);
    const pair_order order = checked_pair(a, b);
    const double va = argument_number(pos.given[0].value, pos.given[0].key + "=");
    const double vb = argument_number(pos.given[1].value, pos.given[1].key + "=");
    const state_request r = request_of(order, a, va, b, vb, u);

    const vantrel::fluid f = vantrel::fluid::by_name(data_directory(o.data), pos.fluid, ref);
    const vantrel::state s = f.at(r.pair, r.first, r.second, extras_for(props));
    if (!s.warning.empty()) err << s.warning << '\n';

    record_set set{f.info().agent, {}, {{}}};
    for (const property p : props) {
        set.columns.push_back(column_of(p));
        set.rows[0].push_back(value_of(p, s, u));
    }
    write_records(out, set, format, u, true);
    return 0;
}

}  // namespace cli
