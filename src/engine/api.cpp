// The public entry points: each runs under its own floating-point
// environment and checks what it returns.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "engine/base/files.h"
#include "engine/flash.h"
#include "engine/base/fpu.h"
#include "engine/mixture_fluid.h"
#include "engine/reference.h"
#include "engine/states.h"
#include "engine/base/text.h"
#include "vantrel/properties.h"
#include "vantrel/vantrel.h"

namespace vantrel {

using namespace detail;

namespace detail {

bool reproduces(input_key k, double v, const state& s) {
    const std::optional<double> got = k == input_key::T     ? s.T
                                      : k == input_key::p   ? s.p
                                      : k == input_key::h   ? s.h
                                      : k == input_key::s   ? s.s
                                      : k == input_key::rho ? std::optional<double>(s.rho)
                                                            : s.x;
    const double floor = k == input_key::h ? 1e-6 : k == input_key::s ? 1e-9 : k == input_key::x ? 1e-12 : 0;
    return got && std::fabs(*got - v) <= 1e-9 * std::fabs(v) + floor;
}

void check_finite(const state& s) {
    for (double v : {s.T, s.p, s.rho, s.v, s.h, s.s, s.u, s.z}) finite(v);
    for (const auto& v : {s.cp, s.cv, s.w, s.jt, s.x, s.T_sat, s.p_sat, s.p_bubble, s.p_dew, s.T_bubble, s.T_dew,
                          s.glide})
        if (v) finite(*v);
}

}  // namespace detail

namespace {

void require_temperature(double T) {
    if (!(T > 0) || !std::isfinite(T))
        throw error(error_kind::input, message_id::temperature_not_positive,
                    {number_value(T, quantity::temperature), number_value(0, quantity::temperature)});
}

void require_pressure(double p) {
    if (!(p > 0) || !std::isfinite(p))
        throw error(error_kind::input, message_id::pressure_not_positive,
                    {number_value(p, quantity::pressure), number_value(0, quantity::pressure)});
}

void require_finite(const char* name, double value, quantity q) {
    if (!std::isfinite(value))
        throw error(error_kind::input, message_id::value_not_finite, {named_value(name, value, q)});
}

// The values of a pair, checked: temperatures, pressures and densities
// positive, the vapour fraction in [0, 1], everything finite.
void require_pair(input_pair pair, double first, double second) {
    const bool t_first = pair == input_pair::T_p || pair == input_pair::T_x || pair == input_pair::T_rho;
    if (t_first) require_temperature(first);
    if (pair == input_pair::p_h || pair == input_pair::p_s || pair == input_pair::p_x) require_pressure(first);
    if (pair == input_pair::T_p) require_pressure(second);
    if (pair == input_pair::h_s) require_finite("h", first, quantity::energy);
    if (pair == input_pair::p_h) require_finite("h", second, quantity::energy);
    if (pair == input_pair::p_s || pair == input_pair::h_s) require_finite("s", second, quantity::entropy);
    if ((pair == input_pair::T_x || pair == input_pair::p_x) && !(second >= 0 && second <= 1))
        throw error(error_kind::input, message_id::fraction_outside, {number_value(second, quantity::fraction)});
    if (pair == input_pair::T_rho && !(second > 0 && std::isfinite(second)))
        throw error(error_kind::input, message_id::density_not_positive, {number_value(second, quantity::density)});
}

// Whether a state lies on its side of the saturation dome: a two-phase one
// with 0 <= x <= 1; a single phase stable, and for a gas or liquid below
// T_cr with a density outside the saturated ones (to 1e-9 of them), where
// saturation comes from the expansions or the phase decision solved it.
bool on_its_side(const fluid_data& f, const flash_state& st, const state& s) {
    if (st.sat) return *s.x >= 0 && *s.x <= 1;
    // Stable: c_v > 0, c_p > 0 and a rising isotherm (w > 0 with c_p/c_v >
    // 0). Far below the lower limit the equation has states that are not.
    if (!(*s.cv > 0 && *s.cp > 0 && *s.w > 0)) return false;
    const bool gas = s.phase == phase_kind::gas, liquid = s.phase == phase_kind::liquid;
    if (!(gas || liquid) || !(s.T < f.cfg.T_cr) || !f.cfg.maxwell_rule) return true;
    std::optional<sat_solution> sat = st.sat_at_T;
    if (!(sat && sat->omega_1) && f.expansion) sat = solve_saturation(f, given::T, s.T);
    if (!(sat && sat->omega_1)) return true;
    const double omega = s.rho / f.cfg.rho_div;
    return gas ? omega <= *sat->omega_2 * (1 + 1e-9) : omega >= *sat->omega_1 * (1 - 1e-9);
}

// The equation's lower limit of temperature: the stated one, or the triple point.
double lower_limit(const fluid_data& f) { return f.info.T_min.value_or(f.cfg.T_tp); }

[[noreturn]] void below_lower_limit(const fluid_data& f, input_pair pair, double first, double second) {
    throw error(error_kind::input, message_id::below_lower_limit,
                {pair_values(pair, first, second), text_value(f.info.agent),
                 number_value(lower_limit(f), quantity::temperature)});
}

// A state that does not reproduce the values it was asked for, or lies on
// the wrong side of the dome, is never returned: one line naming the pair
// and the values instead (that it lies below the equation's lower limit,
// where it would). Below half the lower limit the equation's numbers mean
// nothing: refused too.
void check_state(const fluid_data& f, input_pair pair, double first, double second, const flash_state& st,
                 const state& s) {
    const auto [a, b] = keys_of(pair);
    const bool holds = reproduces(a, first, s) && reproduces(b, second, s) && on_its_side(f, st, s);
    if (holds && !(s.T < 0.5 * lower_limit(f))) return;
    if (s.T <= lower_limit(f) * (1 + 1e-9)) below_lower_limit(f, pair, first, second);
    throw error(error_kind::no_convergence, message_id::state_not_reproduced,
                {text_value(std::string(info_of(a).name)), text_value(std::string(info_of(b).name)),
                 pair_values(pair, first, second)});
}

// The public state of a flash: its record; c_p, c_v, w and the
// Joule-Thomson coefficient for a single phase only. u from the primary of
// the record's density and volume (rho of a single phase, v of two).
state make_state(const fluid_data& f, const flash_state& st) {
    detail::properties q;
    fill_record(f, st, q);
    check_fp();
    state s;
    s.T = q.t;
    s.p = q.p;
    s.rho = q.rho;
    s.v = q.v;
    s.h = q.h;
    s.s = q.s;
    s.z = q.z;
    s.phase = st.phase;
    s.x = st.x;
    if (st.sat) {
        s.u = q.h - q.p * q.v;
        return s;
    }
    s.u = q.h - q.p / q.rho;
    s.cp = q.c_p;
    s.cv = q.c_v;
    s.w = q.c;
    s.jt = q.adiab_eff;
    return s;
}

// The checked state of a pair and its flash. Where its temperature is
// given, refused below half the lower limit, and below the limit itself
// where the equation has no state there (no convergence, a floating-point
// fault): the message then says that it lies below the limit.
std::pair<flash_state, state> checked_state(const fluid_data& f, input_pair pair, double first, double second) {
    const bool by_T = keys_of(pair).first == input_key::T;
    if (by_T && first < 0.5 * lower_limit(f)) below_lower_limit(f, pair, first, second);
    try {
        const flash_state st = flash(f, pair, first, second);
        // A single phase near the critical point, whichever pair found it.
        if (!st.sat) refuse_near_critical(f, st.T, st.p);
        const state s = make_state(f, st);
        check_state(f, pair, first, second, st, s);
        return {st, s};
    } catch (const error& e) {
        const bool failed = e.kind() == error_kind::no_convergence || e.kind() == error_kind::floating_point;
        if (!by_T || !(first < lower_limit(f)) || !failed) throw;
        clear_fp();
        below_lower_limit(f, pair, first, second);
    }
}

bubble_dew lines_at_T(const fluid_data& f, double T) {
    if (!f.bubble_line || !f.dew_line) return {};
    return {line_pressure(f, *f.bubble_line, T), line_pressure(f, *f.dew_line, T)};
}

bubble_dew lines_at_p(const fluid_data& f, double p) {
    if (!f.bubble_line || !f.dew_line) return {};
    return {line_temperature(f, *f.bubble_line, p), line_temperature(f, *f.dew_line, p)};
}

void add_glide(const fluid_data& f, state& s) {
    const bubble_dew at_T = lines_at_T(f, s.T), at_p = lines_at_p(f, s.p);
    s.p_bubble = at_T.bubble;
    s.p_dew = at_T.dew;
    s.T_bubble = at_p.bubble;
    s.T_dew = at_p.dew;
    if (s.T_bubble && s.T_dew) s.glide = *s.T_dew - *s.T_bubble;
}

// Saturation at T and at p.
void add_saturation(const fluid_data& f, const flash_state& st, state& s) {
    // The phase decision may have solved the saturation state at T already.
    if (st.sat_at_T && st.sat_at_T->omega_1 && in_saturation_range(f.cfg, given::T, st.T, 1))
        s.p_sat = st.sat_at_T->p;
    else if (const auto at_T = saturated_states(f, given::T, st.T))
        s.p_sat = at_T->p;
    if (const auto at_p = saturated_states(f, given::p, st.p)) s.T_sat = at_p->T;
}

bubble_dew checked(const bubble_dew& b) {
    check_fp();
    if (b.bubble) finite(*b.bubble);
    if (b.dew) finite(*b.dew);
    return b;
}

saturation make_saturation(const fluid_data& f, const saturated_pair& sp) {
    const property_constants c = constants_of(f);
    const ideal_entry id = ideal_entry_at(f, sp.T);
    const double rho_l = f.cfg.rho_div * sp.omega_1, rho_v = f.cfg.rho_div * sp.omega_2;
    const detail::properties l = real_properties(c, id, sp.T, sp.p, rho_l, sp.a1);
    const detail::properties v = real_properties(c, id, sp.T, sp.p, rho_v, sp.a2);
    check_fp();
    saturation s{sp.T, sp.p, rho_l, rho_v, l.h, v.h, l.s, v.s};
    for (double x : {s.T, s.p, s.rho_liq, s.rho_vap, s.h_liq, s.h_vap, s.s_liq, s.s_vap}) finite(x);
    return s;
}

}  // namespace

std::optional<double> parse_number(std::string_view text) { return detail::parse_number(text); }

const char* version() { return VANTREL_VERSION; }

const char* phase_name(phase_kind phase) {
    switch (phase) {
        case phase_kind::gas: return "gas";
        case phase_kind::liquid: return "liquid";
        case phase_kind::supercritical: return "supercritical";
        case phase_kind::two_phase: return "two-phase";
        default: return "";
    }
}

fluid fluid::load(const std::filesystem::path& dir, reference_state ref) {
    fp_guard guard;
    return fluid(with_reference(load_fluid(dir.string()), ref));
}

fluid fluid::load(const std::filesystem::path& data_dir, const std::string& agent, reference_state ref) {
    fp_guard guard;
    check_plain_name(agent);
    std::error_code ec;
    if (agent.empty() || !std::filesystem::is_directory(data_dir / agent, ec))
        throw error(error_kind::data, message_id::fluid_not_found, {text_value(agent), text_value(data_dir.string())});
    return fluid(with_reference(load_fluid((data_dir / agent).string()), ref));
}

const fluid_info& fluid::info() const { return mixture_ ? mixture_->info : model_->info; }

namespace {

[[noreturn]] void no_mixture_derivatives(const fluid_info& i) {
    throw error(error_kind::input, message_id::mixture_no_derivatives, {text_value(i.agent)});
}

bubble_dew mixture_lines(const fluid::mixture& m, bool at_T, double v) {
    const mixture_fluid& f = m.fluid;
    const auto value = [&](saturation_side side) {
        return where_defined([&] {
            const two_phase s = at_T ? saturation_at_T(f, side, v) : saturation_at_p(f, side, v);
            return at_T ? s.p : s.T;
        });
    };
    return {value(saturation_side::bubble), value(saturation_side::dew)};
}

}  // namespace

state fluid::at(input_pair pair, double first, double second, extras with) const {
    fp_guard guard;
    require_pair(pair, first, second);
    if (mixture_) return mixture_state_at(*mixture_, pair, first, second, with);
    const fluid_data& f = *model_;
    auto [st, s] = checked_state(f, pair, first, second);
    if (with != extras::none) add_saturation(f, st, s);
    if (with == extras::glide) add_glide(f, s);
    s.warning = range_warning(f.info, s.T, s.p);
    check_fp();
    check_finite(s);
    return s;
}

std::optional<saturation> fluid::saturation_at_T(double T) const {
    fp_guard guard;
    require_temperature(T);
    if (mixture_) return std::nullopt;
    const auto sp = saturated_states(*model_, given::T, T);
    if (!sp) return std::nullopt;
    return make_saturation(*model_, *sp);
}

std::optional<saturation> fluid::saturation_at_p(double p) const {
    fp_guard guard;
    require_pressure(p);
    if (mixture_) return std::nullopt;
    const auto sp = saturated_states(*model_, given::p, p);
    if (!sp) return std::nullopt;
    return make_saturation(*model_, *sp);
}

bubble_dew fluid::bubble_dew_at_T(double T) const {
    fp_guard guard;
    require_temperature(T);
    return checked(mixture_ ? mixture_lines(*mixture_, true, T) : lines_at_T(*model_, T));
}

bubble_dew fluid::bubble_dew_at_p(double p) const {
    fp_guard guard;
    require_pressure(p);
    return checked(mixture_ ? mixture_lines(*mixture_, false, p) : lines_at_p(*model_, p));
}

residual_derivatives fluid::derivatives(double rho, double T) const {
    fp_guard guard;
    require_temperature(T);
    if (mixture_) no_mixture_derivatives(mixture_->info);
    const residual_derivatives a = model_->residual.at(rho / model_->cfg.rho_div, T / model_->cfg.tau_div);
    check_fp();
    for (double v : {a.z_minus_1, a.p_rho, a.p_T, a.h, a.s, a.cv}) finite(v);
    return a;
}

namespace {

std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The three agents or blends whose name or an alias comes closest to name.
std::string closest_names(const std::vector<fluid_info>& infos, const std::vector<std::string>& blends,
                          const std::string& name) {
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const fluid_info& i : infos) {
        std::size_t d = edit_distance(name_key(name), name_key(i.agent));
        for (const auto& a : i.aliases) d = std::min(d, edit_distance(name_key(name), name_key(a)));
        ranked.emplace_back(d, i.agent);
    }
    for (const auto& b : blends) ranked.emplace_back(edit_distance(name_key(name), name_key(b)), b);
    std::sort(ranked.begin(), ranked.end());
    std::string out;
    for (std::size_t k = 0; k < ranked.size() && k < 3; ++k) out += (k ? ", " : "") + ranked[k].second;
    return out;
}

bool is_fluid_directory(const std::filesystem::path& data_dir, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(data_dir / name / "config.txt", ec);
}

// The fluid of infos whose agent or alias matches name as names compare.
std::optional<std::string> matching(const std::vector<fluid_info>& infos, const std::string& name) {
    const std::string key = name_key(name);
    for (const fluid_info& i : infos) {
        if (name_key(i.agent) == key) return i.agent;
        for (const auto& a : i.aliases)
            if (name_key(a) == key) return i.agent;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> find_fluid(const std::filesystem::path& data_dir, const std::string& name) {
    if (is_fluid_directory(data_dir, name)) return name;
    return matching(list_fluids(data_dir), name);
}

fluid fluid::by_name(const std::filesystem::path& data_dir, const std::string& name, reference_state ref) {
    fp_guard guard;
    if (name.find(':') != std::string::npos) return fluid(find_mixture(data_dir, name, ref));
    check_plain_name(name);
    if (is_fluid_directory(data_dir, name)) return load(data_dir, name, ref);
    // The configurations are read once, for the match or the closest names.
    const auto infos = list_fluids(data_dir);
    if (const auto agent = matching(infos, name)) return load(data_dir, *agent, ref);
    if (auto m = find_mixture(data_dir, name, ref)) return fluid(std::move(m));
    const auto blends = blend_names(data_dir);
    if (infos.empty() && blends.empty())
        throw error(error_kind::data, message_id::fluid_not_found, {text_value(name), text_value(data_dir.string())});
    throw error(error_kind::data, message_id::fluid_not_found_closest,
                {text_value(name), text_value(data_dir.string()), text_value(closest_names(infos, blends, name))});
}

std::vector<fluid_info> list_fluids(const std::filesystem::path& data_dir) {
    fp_guard guard;
    std::vector<std::filesystem::path> dirs;
    std::error_code ec;
    // An entry that cannot be looked at (a loop of links, no permission) is no fluid.
    for (const auto& e : std::filesystem::directory_iterator(data_dir, ec)) {
        std::error_code entry;
        if (e.is_directory(entry) && file_exists((e.path() / "config.txt").string())) dirs.push_back(e.path());
    }
    if (ec) throw error(error_kind::data, message_id::data_directory_missing, {text_value(data_dir.string())});
    std::sort(dirs.begin(), dirs.end());
    std::vector<fluid_info> out;
    for (const auto& d : dirs) out.push_back(read_fluid_info(d.string()));
    return out;
}

}  // namespace vantrel
