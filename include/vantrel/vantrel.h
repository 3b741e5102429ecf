// vantrel: thermodynamic properties of a working fluid from its multi-parameter
// Helmholtz equation of state.
//
// A fluid is loaded once from its directory of plain-text data files and
// checked as it loads; it is immutable afterwards and may be shared between
// threads. States are computed from it in SI units: K, Pa, kg/m3, J/kg,
// J/(kg K), m/s. Every failure is a vantrel::error with a kind and a one-line
// message (English from what(), any language of the catalogue on request). The caller's floating-point environment (flags and traps) is left
// as it was by every call.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vantrel/messages.h"
#include "vantrel/units.h"

namespace vantrel {

enum class error_kind {
    data,            // a fluid's files: missing, unreadable, malformed or inconsistent
    input,           // a state that cannot be computed: T <= 0 K, p <= 0, ...
    no_convergence,  // a solver did not converge
    near_critical,   // the refused neighbourhood of the critical point
    floating_point,  // an invalid operation, a division by zero or an overflow
};

// Every failure of the library: its kind, and its message as an identifier
// with the values it quotes. what() is the English text in SI units; a front
// end asks for the text in its own language and units.
class error : public std::runtime_error {
public:
    error(error_kind kind, vantrel::message m);
    error(error_kind kind, message_id id, std::vector<message_value> values = {})
        : error(kind, vantrel::message{id, std::move(values)}) {}

    error_kind kind() const noexcept { return kind_; }
    message_id id() const noexcept { return message_.id; }
    const std::vector<message_value>& values() const noexcept { return message_.values; }
    const vantrel::message& what_message() const noexcept { return message_; }

    // The text in a language, numbers in SI units; or in the style's
    // language and units.
    std::string message(language lang) const;
    std::string message(const message_style& style) const { return message_.text(style); }

private:
    error_kind kind_;
    vantrel::message message_;
};

enum class phase_kind { none, gas, liquid, supercritical, two_phase };

// "gas", "liquid", "supercritical", "two-phase"; "" where no rule decides.
const char* phase_name(phase_kind phase);

// The two values that name a state, in this order: temperature (K),
// pressure (Pa), specific enthalpy (J/kg), specific entropy (J/(kg K)),
// vapour mass fraction, density (kg/m3).
enum class input_pair { T_p, p_h, p_s, T_x, p_x, T_rho, h_s };

// Residual reduced Helmholtz energy a(d, x) and its derivatives at a state,
// d = rho / rho_reducing, x = T_reducing / T; S is the number type (double,
// or an extended-precision type for the tools that need one).
template <class S>
struct basic_residual_derivatives {
    S z_minus_1{};  // d a_d:                  Z - 1
    S p_rho{};      // 2 d a_d + d^2 a_dd:     (dp/drho)_T / (R T) - 1
    S p_T{};        // d a_d - d x a_dx:       (dp/dT)_rho / (rho R) - 1
    S h{};          // d a_d + x a_x:          residual h / (R T)
    S s{};          // x a_x - a:              residual s / R
    S cv{};         // -x^2 a_xx:              residual c_v / R
};
using residual_derivatives = basic_residual_derivatives<double>;

// How a fluid's phase boundary is found (the README says where each is
// refused near the critical point):
//   equal_area   the equal-area rule of the fluid's own equation, from the
//                expansions of its solution where the fluid has them: a pure
//                fluid, or a blend described as one;
//   correlation  the saturation-line correlations of a fluid configured
//                without the equal-area rule;
//   envelope     the traced envelope of a mixture of the multi-fluid model.
// The first two give one saturation state at each temperature, the same
// bubble and dew point; an envelope's bubble and dew points lie apart.
enum class boundary_kind { equal_area, correlation, envelope };

// What a fluid's configuration states about it. Texts are empty and ranges
// absent where the configuration does not state them.
struct fluid_info {
    std::string agent;  // the name of the fluid's directory
    std::string name;
    std::string description;
    std::string source;           // citation of the equation of state
    std::string reference_state;  // e.g. "IIR"; that of the load (reference_state) where one was asked for
    std::string safety_class;     // ANSI/ASHRAE 34, e.g. "A2L"
    std::vector<std::string> aliases;  // other names of the fluid
    std::optional<double> T_min;  // stated range of validity: K
    std::optional<double> T_max;  // K
    std::optional<double> p_max;  // Pa
    double T_cr = 0, p_cr = 0;    // critical point of the equation, K and Pa
    double T_tp = 0, p_tp = 0;    // triple point (or the lower limit) and its saturation pressure
    double R = 0;                 // specific gas constant, J/(kg K)
    double molar_mass = 0;        // kg/kmol
    bool glide = false;           // bubble and dew lines of a blend
    boundary_kind boundary = boundary_kind::equal_area;
    // The reducing values of the equation (a mixture's of its composition):
    // tau = T_reducing / T, delta = rho / rho_reducing (kg/m3).
    double T_reducing = 0, rho_reducing = 0;
};

// The liquid's and the vapour's compositions of a mixture's two-phase
// state, mole and mass fractions in the order of fluid::components().
struct phase_compositions {
    std::vector<double> liquid_mole, vapour_mole, liquid_mass, vapour_mass;
};

// One state. Properties that do not exist for it are absent, never 0. A
// two-phase state has the saturation temperature and pressure, v, h, s and
// u weighted by its vapour mass fraction x, and rho = 1/v; a mixture's,
// the phases' compositions too.
struct state {
    double T = 0, p = 0;    // K, Pa
    double rho = 0, v = 0;  // kg/m3, m3/kg
    double h = 0, s = 0;    // J/kg, J/(kg K)
    double u = 0;           // J/kg
    double z = 0;           // compressibility factor, p v / (R T)
    std::optional<double> cp, cv;  // J/(kg K): single-phase states only
    std::optional<double> w;       // speed of sound, m/s: single-phase states only
    std::optional<double> jt;      // Joule-Thomson coefficient, K/Pa: single-phase states only
    phase_kind phase = phase_kind::none;
    std::optional<double> x;       // vapour mass fraction: two-phase states and states given by it
    std::optional<double> T_sat;  // saturation temperature at p, K
    std::optional<double> p_sat;  // saturation pressure at T, Pa
    // Blends with bubble and dew lines, below the equation's critical point:
    std::optional<double> p_bubble, p_dew;  // at T, Pa
    std::optional<double> T_bubble, T_dew;  // at p, K
    std::optional<double> glide;            // T_dew - T_bubble at p, K
    std::optional<message> warning;  // when the state lies outside the stated range
    std::optional<phase_compositions> phases;  // a mixture's two-phase state
};

// The saturated liquid and vapour of one saturation state.
struct saturation {
    double T = 0, p = 0;                // K, Pa
    double rho_liq = 0, rho_vap = 0;    // kg/m3
    double h_liq = 0, h_vap = 0;        // J/kg
    double s_liq = 0, s_vap = 0;        // J/(kg K)
};

// What a state gets besides its own properties: nothing, its saturation
// temperature and pressure, or those and a blend's bubble and dew values.
enum class extras { none, saturation, glide };

// A blend's bubble and dew values at one temperature (pressures, Pa) or at
// one pressure (temperatures, K); absent for fluids without the lines and
// beyond the equation's critical temperature.
struct bubble_dew {
    std::optional<double> bubble, dew;
};

// A component of a mixture: its fluid's agent name and its share.
struct component {
    std::string agent;
    double mass_fraction = 0, mole_fraction = 0;
};

// A bubble point (the fluid's own composition is the liquid) or dew point (it
// is the vapour): temperature and pressure, both phases' density, enthalpy
// and entropy, and the incipient phase's composition (the first bubble of
// vapour, the first drop of liquid) in the order of components(). A pure
// fluid's bubble and dew points are its one saturation state, the incipient
// phase of the fluid's own composition.
struct equilibrium_point {
    double T = 0, p = 0;                // K, Pa
    double rho_liquid = 0, rho_vapour = 0;  // kg/m3
    double h_liquid = 0, h_vapour = 0;      // J/kg
    double s_liquid = 0, s_vapour = 0;      // J/(kg K)
    std::vector<double> incipient_mole, incipient_mass;  // fractions
};

// A fluid's phase boundary at one temperature or pressure: its bubble and
// dew points (a pure fluid's saturation state twice), absent where it has
// none there (outside its range, in the refused neighbourhood of its
// critical point); and a blend's bubble and dew values (pressures at a
// temperature, temperatures at a pressure), absent for a fluid without
// glide: a mixture's points' own, a pseudo-pure blend's from its bubble and
// dew correlations (its states are those of its one saturation state).
struct phase_boundary {
    std::optional<equilibrium_point> bubble, dew;
    bubble_dew lines;
};

// A mixture's phase envelope: the dew line from the lower limit up to the
// critical point and the bubble line from it back down, as traced (the
// points the trace solved, each line in the order of rising pressure), and
// its extremes. Bubble and dew points are refused from T_refused or
// p_refused up, the neighbourhood of the critical point where the two
// phases all but coincide (documented in the README).
struct phase_envelope {
    std::vector<equilibrium_point> dew, bubble;
    double T_critical = 0, p_critical = 0, rho_critical = 0;  // K, Pa, kg/m3
    double T_cricondenbar = 0, p_cricondenbar = 0;
    double T_cricondentherm = 0, p_cricondentherm = 0;
    double T_refused = 0, p_refused = 0;
};

// Where h and s count from. Every state, saturation state and cycle of a
// fluid loaded with one of them sees the same shift of h and s:
//   configured  as the fluid's configuration has it (h_shift, s_shift of
//               [conf_ideal]): IIR for the refrigerants, IAPWS-95's for water;
//   iir         h = 200 kJ/kg, s = 1 kJ/(kg K) for the saturated liquid at 0 C;
//   ashrae      h = 0, s = 0 for the saturated liquid at -40 C;
//   nbp         h = 0, s = 0 for the saturated liquid at 101325 Pa;
//   equation    the equation's own (the configuration without h_shift, s_shift).
// A blend with bubble and dew lines, and a mixture, takes its saturated
// liquid on the bubble line (a mixture's configured one is IIR). A fluid without that saturated liquid (below its lower limit, above
// its critical point: water has no IIR or ASHRAE state, carbon dioxide no
// NBP) refuses the reference state with an error of kind input.
enum class reference_state { configured, iir, ashrae, nbp, equation };

// A reference state by the name the front ends take: "IIR", "ASHRAE", "NBP"
// or "DEF" (the equation's own); nothing for another.
std::optional<reference_state> find_reference_state(std::string_view name);

namespace detail {
struct fluid_access;
}

class fluid {
public:
    // Loads and checks the fluid whose files are in dir; the directory's name
    // is the fluid's agent name.
    static fluid load(const std::filesystem::path& dir, reference_state ref = reference_state::configured);

    // The fluid named agent in a data directory (its sub-directory agent);
    // a name that is a path is refused.
    static fluid load(const std::filesystem::path& data_dir, const std::string& agent,
                      reference_state ref = reference_state::configured);

    // The fluid a user's name means in a data directory: a pure fluid or
    // pseudo-pure blend (find_fluid), a predefined mixture of
    // mixtures/blends.txt ("R454B", "R407C.mix"), or a mixture typed as its
    // components' names and mass fractions, "R32:0.689+R1234yf:0.311"
    // (fractions adding up to 1 within 1e-6). An unknown name is an error of
    // kind data listing the closest known names.
    static fluid by_name(const std::filesystem::path& data_dir, const std::string& name,
                         reference_state ref = reference_state::configured);

    const fluid_info& info() const;

    // The components: a mixture's of the multi-fluid model, a pure fluid (or
    // pseudo-pure blend) itself with the fraction 1.
    bool is_mixture() const;
    const std::vector<component>& components() const;

    // The state named by pair (the values in SI units, in the pair's order).
    // For a mixture, its saturation temperature and pressure are the dew
    // point's.
    state at(input_pair pair, double first, double second, extras with = extras::glide) const;

    // The phase boundary at T (K) or at p (Pa).
    phase_boundary boundary_at_T(double T) const;
    phase_boundary boundary_at_p(double p) const;

    // A mixture's phase envelope; for a pure fluid an error of kind input.
    const phase_envelope& envelope() const;

    // Residual derivatives at density rho (kg/m3) and temperature T (K); for
    // a mixture an error of kind input.
    residual_derivatives derivatives(double rho, double T) const;

    // The boundary by its older names, for this release.
    // The saturation state at T (K) or at p (Pa), where one exists; nothing
    // for a mixture.
    [[deprecated("use boundary_at_T")]] std::optional<saturation> saturation_at_T(double T) const;
    [[deprecated("use boundary_at_p")]] std::optional<saturation> saturation_at_p(double p) const;
    // A blend's bubble and dew pressures at T (K), or temperatures at p (Pa).
    [[deprecated("use boundary_at_T(T).lines")]] bubble_dew bubble_dew_at_T(double T) const;
    [[deprecated("use boundary_at_p(p).lines")]] bubble_dew bubble_dew_at_p(double p) const;
    // A mixture's bubble and dew points, refused where it has none (kind
    // input; near_critical in its critical neighbourhood) and for a pure fluid.
    [[deprecated("use boundary_at_T(T).bubble")]] equilibrium_point bubble_at_T(double T) const;
    [[deprecated("use boundary_at_p(p).bubble")]] equilibrium_point bubble_at_p(double p) const;
    [[deprecated("use boundary_at_T(T).dew")]] equilibrium_point dew_at_T(double T) const;
    [[deprecated("use boundary_at_p(p).dew")]] equilibrium_point dew_at_p(double p) const;

    // The loaded fluid, opaque outside the library.
    class impl;
    explicit fluid(std::shared_ptr<const impl> i) : impl_(std::move(i)) {}

private:
    friend struct detail::fluid_access;
    std::shared_ptr<const impl> impl_;
};

// How a blend's evaporating and condensing temperatures name its
// pressures: dew, the dew-point temperatures; midpoint, the mean of the
// evaporator's inlet (point 4) and dew-point temperatures and the mean of
// the condenser's dew- and bubble-point temperatures.
enum class glide_convention { dew, midpoint };

// A single-stage vapour-compression cycle. Subcritical: evaporation and
// condensation temperatures; transcritical: evaporation temperature, the gas
// cooler's outlet temperature and the high pressure. For a blend with bubble
// and dew lines, T_evap and T_cond are temperatures of its convention;
// superheat counts from the dew point at the evaporating pressure and
// subcooling from the bubble point at the condensing pressure. SI units
// throughout.
struct cycle_input {
    double T_evap = 0;                  // K
    std::optional<double> T_cond;       // K: subcritical
    std::optional<double> T_gc_out;     // K: transcritical, with p_high
    std::optional<double> p_high;       // Pa
    double superheat = 0, subcool = 0;  // K
    double eta = 1;                     // isentropic efficiency of the compressor
    std::optional<double> vol_eff;      // volumetric efficiency
    std::optional<double> capacity;     // refrigerating capacity, W
    glide_convention convention = glide_convention::dew;
};

struct cycle_point {
    std::string name;  // "1", "2s", "2", "3", "4", and the saturated states "1''", "2''", "3'"
    state s;
};

struct cycle_result {
    std::vector<cycle_point> points;
    double q0 = 0, w = 0, qc = 0;   // refrigerating effect, compressor work, heat rejected: J/kg
    double cop_cooling = 0, cop_heating = 0;
    double pressure_ratio = 0;
    double t_discharge = 0;         // K
    double qvol = 0;                // volumetric refrigerating capacity q0 rho_1, J/m3
    std::optional<double> mass_flow, volume_flow;  // with a capacity: kg/s, suction m3/s
    std::optional<double> swept_volume_flow;       // with a volumetric efficiency as well: m3/s
    bool dew_point_convention = false;  // a blend's dew-point convention applies
    bool midpoint_convention = false;   // a blend's midpoint convention applies
    std::vector<message> warnings;  // states outside the stated range, each once
};

// The cycle's states and figures; an impossible cycle is an error of kind input.
cycle_result vapour_compression(const fluid& f, const cycle_input& in);

// The note on the blend's convention the result follows; none for a fluid
// without glide.
std::optional<message> convention_note(const cycle_result& r);

// The cycle's figures by name, in the order the front ends show them: q0, w,
// qc, cop_cooling, cop_heating, pressure_ratio, t_discharge, qvol, mass_flow,
// volume_flow, swept_volume_flow; the value in SI units, absent where the
// result has none.
struct cycle_figure {
    const char* name;
    quantity q;
    std::optional<double> value;
};
std::vector<cycle_figure> figures_of(const cycle_result& r);

// The installed fluid library: $VANTREL_DATA when set and not empty; else,
// for the shared library (libvantrel.so), share/vantrel/data of the
// installed tree that holds it, found from the library file's own location
// (the tree may be moved); for the static archive, which cannot know where
// it was linked from, the data directory of the install prefix it was built
// for (CMAKE_INSTALL_PREFIX/CMAKE_INSTALL_DATADIR/vantrel/data). A
// directory that does not exist is an error of kind data naming it.
std::filesystem::path default_data_directory();

// The fluids of a data directory (one sub-directory each, holding
// config.txt), sorted by agent name, with what their configurations state.
std::vector<fluid_info> list_fluids(const std::filesystem::path& data_dir);

// The predefined mixtures of a data directory (mixtures/blends.txt), in its
// order, each with its components; its fluid_info as fluid::by_name gives it
// (the envelope traced to find the critical point). None without the file.
struct blend_info {
    fluid_info info;
    std::vector<component> components;
};
std::vector<blend_info> list_blends(const std::filesystem::path& data_dir);

// The agent a user's name means in a data directory: a fluid's directory
// name itself, else the fluid whose directory name or one of whose aliases
// matches it ignoring case and a hyphen after a leading "R" ("r134a",
// "R-134a", "CO2", "water"); nothing when none does.
std::optional<std::string> find_fluid(const std::filesystem::path& data_dir, const std::string& name);

// A decimal number of the data files' grammar, the whole text: an optional
// sign, digits with an optional fraction after "." (".5" and "5." too), an
// optional exponent. Anything else, and values beyond the range of double,
// give nothing. Independent of the locale.
std::optional<double> parse_number(std::string_view text);

// The library's version, "MAJOR.MINOR.PATCH".
const char* version();

}  // namespace vantrel
