// Messages: every text the library shows, by identifier, in English and
// Russian, with the values they quote kept as values (numbers in SI units
// with their quantity) until a front end asks for the text in its language
// and units. A front end puts its own texts together the same way with
// format_message.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vantrel/units.h"

namespace vantrel {

enum class language { en, ru };

enum class message_id {
    // Values of states.
    temperature_not_positive,
    pressure_not_positive,
    value_not_finite,
    fraction_outside,
    density_not_positive,
    pair_values,
    below_lower_limit,
    state_not_reproduced,
    no_state,
    invalid_pair,
    near_critical,
    no_gas,
    out_of_range,
    range_T_from_to,
    range_T_from,
    range_T_to,
    range_p_to,
    // Solvers.
    state_no_convergence,
    density_no_convergence,
    equilibrium_no_convergence,
    equilibrium_singular,
    equilibrium_trivial,
    envelope_not_traced,
    outside_two_phase_range,
    mixture_no_derivatives,
    not_a_mixture,
    mass_fraction_invalid,
    mass_fractions_sum,
    component_repeated,
    mixture_one_component,
    bubble_dew_no_convergence,
    division_by_zero,
    overflow,
    invalid_operation,
    // Data files and directories.
    file_missing,
    file_syntax,
    file_io,
    file_value,
    table_value,
    name_is_path,
    expansion_changed,
    expansion_other_equation,
    fluid_not_found,
    fluid_not_found_closest,
    data_directory_missing,
    data_directory_named_missing,
    data_directory_unknown,
    dome_not_computed,
    reference_unavailable,
    data_directory_env_missing,
    data_directory_installed_missing,
    current_directory_unavailable,
    mixture_line,
    mixture_pair_missing,
    departure_kind,
    blend_unknown,
    // The cycle.
    cycle_value_not_finite,
    cycle_eta,
    cycle_vol_eff,
    cycle_superheat_negative,
    cycle_subcool_negative,
    cycle_capacity,
    cycle_evap_below_limit,
    cycle_evap_not_below_critical,
    cycle_high_side_missing,
    cycle_evap_not_below_cond,
    cycle_cond_not_below_critical,
    cycle_high_not_above_critical,
    cycle_gc_out_not_above_evap,
    cycle_no_saturation,
    cycle_no_bubble_dew,
    cycle_superheat_short,
    cycle_subcool_short,
    cycle_eta_work,
    cycle_dew_convention,
    cycle_midpoint_convention,
};

struct message;

// A value a message quotes: a text (a name, a path), or a number in SI units
// of its quantity, shown in the reader's units ("T = 300 K" where it has a
// name), or a nested message.
struct message_value {
    std::string text;                // the text; the name a number is shown with
    std::optional<double> number;    // SI
    std::optional<quantity> q;       // the number's quantity: none for a count or a ratio
    std::vector<message> nested;     // shown one after another, ", " between them

    friend bool operator==(const message_value&, const message_value&) = default;
};

message_value text_value(std::string text);
message_value number_value(double si, std::optional<quantity> q = std::nullopt);
// "T = 300 K".
message_value named_value(std::string name, double si, std::optional<quantity> q);
message_value nested_value(std::vector<message> parts);

// How numbers are shown: in SI units and in the shortest form that reads
// back as the number (the library's own), or in a unit system at most ten
// significant digits (a front end's).
struct message_style {
    language lang = language::en;
    std::optional<unit_system> units;
};

struct message {
    message_id id{};
    std::vector<message_value> values;

    std::string text(message_style style = {}) const;

    friend bool operator==(const message&, const message&) = default;
};

// The message's identifier as text, "temperature_not_positive": stable, for
// scripts and bindings.
std::string_view message_key(message_id id);

// Every identifier, in the order of the enum.
std::vector<message_id> message_ids();

// The message's text in a language, before its values are put in: "{0}",
// "{0#}" (a number without its unit) and "{0:MPa}" (in the library's style,
// in that unit) stand for the values.
std::string_view message_template(message_id id, language lang);

// A template of that form with its values put in, numbers, units and nested
// messages shown as in message::text.
std::string format_message(std::string_view tmpl, const std::vector<message_value>& values, message_style style);

}  // namespace vantrel
