// vantrel_cli state [FLUID] KEY=VALUE KEY=VALUE: one state, any properties.
#include <ostream>

#include "cli/arguments.h"
#include "cli/data_location.h"
#include "cli/modes.h"
#include "cli/output.h"
#include "cli/speech.h"
#include "cli/values.h"

namespace cli {

int run_state(const mode_options& o, std::ostream& out, std::ostream& err) {
    const fluid_and_keys pos = split_positionals(o.args);
    if (pos.given.size() != 2)
        throw usage_error(say(text_id::state_needs_two, {text_value(std::to_string(pos.given.size()))}));
    const unit_system u = parse_units(o.units);
    const output_format format = parse_format(o.format);
    const csv_style style = csv_style_of(o, format);
    const vantrel::reference_state ref = parse_reference(o.ref);
    const std::vector<property> props = o.props.empty() ? default_properties() : parse_properties(o.props);
    const key_value &ka = pos.given[0], &kb = pos.given[1];
    const input_key a = parse_key(ka.key), b = parse_key(kb.key);
    const pair_order order = checked_pair(a, b);
    const given_value va = read_value(ka.key, ka.value, info_of(a).q, u);
    const given_value vb = read_value(kb.key, kb.value, info_of(b).q, u);
    const double sa = si_of(va, ka.key), sb = si_of(vb, kb.key);
    const state_request r = request_of(order, sa, sb);

    const vantrel::fluid f = vantrel::fluid::by_name(data_directory(o.data), pos.fluid, ref);
    const vantrel::state s = f.at(r.pair, r.first, r.second, extras_for(props));
    if (s.warning) err << say(*s.warning) << '\n';

    record_set set{f.info().agent, {}, {{}}};
    for (const property p : props) {
        set.columns.push_back(column_of(p));
        // The inputs as given, the rest as computed.
        const std::string_view name = info_of(p).name;
        if (name == info_of(a).name) set.rows[0].push_back(shown_value(va, sa, u));
        else if (name == info_of(b).name) set.rows[0].push_back(shown_value(vb, sb, u));
        else set.rows[0].push_back(value_of(p, s, u));
    }
    if (s.phases) {
        for (const auto& c : f.components()) set.components.push_back(c.agent);
        set.phases.push_back(s.phases);
    }
    write_records(out, set, format, u, true, style);
    return 0;
}

}  // namespace cli
