// The public face of mixtures: finding one by name (a predefined blend or a
// typed composition), its information, reference state and envelope, and
// its bubble and dew points in SI mass units.
#include <algorithm>
#include <cmath>
#include <set>

#include "engine/base/files.h"
#include "engine/base/fpu.h"
#include "engine/model/mixture_data.h"
#include "engine/mixture_fluid.h"
#include "engine/reference.h"
#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

constexpr double FRACTION_SUM = 1e-6;  // the mass fractions add up to 1 within this

struct composition {
    std::vector<std::string> agents;
    std::vector<double> mass;
};

[[noreturn]] void bad_fraction(const std::string& part, const std::string& name) {
    throw error(error_kind::input, message_id::mass_fraction_invalid, {text_value(part), text_value(name)});
}

// "A:w_A+B:w_B...", each name as find_fluid reads it.
composition typed_composition(const std::filesystem::path& data_dir, const std::string& name) {
    composition c;
    std::set<std::string> seen;
    double sum = 0;
    for (const std::string& part : split(name, '+')) {
        const auto colon = part.rfind(':');
        if (colon == std::string::npos) bad_fraction(part, name);
        const std::string fluid_name = part.substr(0, colon);
        const auto w = parse_number(part.substr(colon + 1));
        if (!w || !(*w > 0 && *w <= 1)) bad_fraction(part, name);
        const auto agent = find_fluid(data_dir, fluid_name);
        if (!agent)
            throw error(error_kind::data, message_id::fluid_not_found,
                        {text_value(fluid_name), text_value(data_dir.string())});
        if (!seen.insert(*agent).second)
            throw error(error_kind::input, message_id::component_repeated, {text_value(*agent), text_value(name)});
        c.agents.push_back(*agent);
        c.mass.push_back(*w);
        sum += *w;
    }
    if (c.agents.size() < 2) throw error(error_kind::input, message_id::mixture_one_component, {text_value(name)});
    if (!(std::fabs(sum - 1) <= FRACTION_SUM))
        throw error(error_kind::input, message_id::mass_fractions_sum,
                    {text_value(name), number_value(sum, quantity::fraction)});
    for (double& w : c.mass) w /= sum;
    return c;
}

std::string blends_path(const std::filesystem::path& data_dir) { return (data_dir / "mixtures" / "blends.txt").string(); }

// The predefined blends of data_dir; none without the file.
std::vector<blend_data> read_blends_of(const std::filesystem::path& data_dir) {
    return file_exists(blends_path(data_dir)) ? read_blends(blends_path(data_dir)) : std::vector<blend_data>{};
}

std::optional<blend_data> find_blend_named(const std::filesystem::path& data_dir, const std::string& name) {
    for (const blend_data& b : read_blends_of(data_dir))
        if (name_key(b.name) == name_key(name)) return b;
    return std::nullopt;
}

// A phase of a two-phase state in mass units, with the blend's shift.
struct phase_values {
    double rho, h, s;
    std::vector<double> mole, mass;
};

phase_values phase_of(const fluid::mixture& m, double T, double rho, const std::vector<double>& x) {
    const mixture_model& model = m.fluid.model;
    const double M = molar_mass(model, x);
    const molar_caloric c = caloric_of(model, T, rho, x);
    phase_values v{rho * M, c.h / M + m.h_shift, c.s / M + m.s_shift, x, std::vector<double>(x.size())};
    for (std::size_t i = 0; i < x.size(); ++i) v.mass[i] = x[i] * model.components[i].M / M;
    return v;
}

// x the liquid, y the vapour; the incipient phase is the vapour at a bubble point.
equilibrium_point public_point(const fluid::mixture& m, const two_phase& s, bool bubble) {
    const phase_values l = phase_of(m, s.T, s.rho_x, s.x), v = phase_of(m, s.T, s.rho_y, s.y);
    const phase_values& incipient = bubble ? v : l;
    return {s.T, s.p, l.rho, v.rho, l.h, v.h, l.s, v.s, incipient.mole, incipient.mass};
}

phase_envelope public_envelope(const fluid::mixture& m) {
    const mixture_fluid& f = m.fluid;
    const envelope_data& e = f.envelope;
    phase_envelope out;
    for (std::size_t i = 0; i < e.points.size(); ++i) {
        const bool bubble = i >= e.first_bubble;
        (bubble ? out.bubble : out.dew).push_back(public_point(m, envelope_state(e, f.z, i), bubble));
    }
    std::reverse(out.bubble.begin(), out.bubble.end());
    out.T_critical = e.critical.T;
    out.p_critical = e.critical.p;
    out.rho_critical = e.rho_critical * molar_mass(f.model, f.z);
    out.T_cricondenbar = e.cricondenbar.T;
    out.p_cricondenbar = e.cricondenbar.p;
    out.T_cricondentherm = e.cricondentherm.T;
    out.p_cricondentherm = e.cricondentherm.p;
    out.T_refused = f.T_refused;
    out.p_refused = f.p_refused;
    return out;
}

std::string composition_text(const composition& c) {
    std::string names, shares;
    for (std::size_t i = 0; i < c.agents.size(); ++i) {
        if (i) names += '/', shares += '/';
        names += c.agents[i];
        shares += number_text(c.mass[i]);
    }
    return names + " " + shares + " (mass fractions)";
}

fluid_info info_of(const std::string& name, const composition& c, const mixture_fluid& f) {
    fluid_info i;
    i.agent = i.name = name;
    i.description = composition_text(c);
    i.source = "multi-fluid mixture model of the components' equations (data/mixtures/pairs.txt)";
    i.T_min = f.envelope.T_low;
    for (const auto& k : f.model.components) {
        const fluid_info& ki = k.fluid->info;
        if (ki.T_max) i.T_max = std::min(i.T_max.value_or(*ki.T_max), *ki.T_max);
        if (ki.p_max) i.p_max = std::min(i.p_max.value_or(*ki.p_max), *ki.p_max);
    }
    i.T_cr = f.envelope.critical.T;
    i.p_cr = f.envelope.critical.p;
    i.T_tp = f.envelope.T_low;
    i.p_tp = std::exp(f.envelope.points.back().v(ln_p_index(f.z.size())));
    const double M = molar_mass(f.model, f.z);
    i.R = R_MIXTURE / M;
    i.molar_mass = M * 1000;
    i.glide = true;
    return i;
}

// The shift that puts the bubble-point liquid at the reference point on its values.
void set_reference(fluid::mixture& m, reference_state ref) {
    m.info.reference_state = ref == reference_state::equation ? "DEF" : "IIR";
    if (ref == reference_state::equation) return;
    const reference_point at = point_of(ref == reference_state::configured ? reference_state::iir : ref);
    m.info.reference_state = at.name;
    try {
        const two_phase s = at.T ? saturation_at_T(m.fluid, saturation_side::bubble, *at.T)
                                 : saturation_at_p(m.fluid, saturation_side::bubble, *at.p);
        const phase_values liquid = phase_of(m, s.T, s.rho_x, s.x);
        m.h_shift = at.h - liquid.h;
        m.s_shift = at.s - liquid.s;
    } catch (const error&) {
        refuse(m.info, at);
    }
}

std::shared_ptr<const fluid::mixture> make(const std::filesystem::path& data_dir, const std::string& name,
                                           const composition& c, reference_state ref) {
    for (const auto& a : c.agents) check_plain_name(a);
    mixture_model model = load_mixture(data_dir.string(), c.agents);
    std::vector<double> x = mole_fractions(model, c.mass);
    auto m = std::make_shared<fluid::mixture>();
    m->fluid = make_mixture_fluid(std::move(model), std::move(x));
    m->info = info_of(name, c, m->fluid);
    for (std::size_t i = 0; i < c.agents.size(); ++i) m->components.push_back({c.agents[i], c.mass[i], m->fluid.z[i]});
    set_reference(*m, ref);
    m->envelope = public_envelope(*m);
    return m;
}

std::shared_ptr<const fluid::mixture> make_blend(const std::filesystem::path& data_dir, const blend_data& b,
                                                 reference_state ref) {
    composition c;
    for (const auto& [agent, w] : b.mass_fractions) {
        c.agents.push_back(agent);
        c.mass.push_back(w);
    }
    return make(data_dir, b.name, c, ref);
}

}  // namespace

std::shared_ptr<const fluid::mixture> find_mixture(const std::filesystem::path& data_dir, const std::string& name,
                                                   reference_state ref) {
    if (name.find(':') != std::string::npos) return make(data_dir, name, typed_composition(data_dir, name), ref);
    const auto b = find_blend_named(data_dir, name);
    return b ? make_blend(data_dir, *b, ref) : nullptr;
}

std::vector<std::string> blend_names(const std::filesystem::path& data_dir) {
    std::vector<std::string> out;
    for (const blend_data& b : read_blends_of(data_dir)) out.push_back(b.name);
    return out;
}

}  // namespace vantrel::detail

namespace vantrel {

using namespace detail;

namespace {

[[noreturn]] void not_a_mixture(const fluid_info& i) {
    throw error(error_kind::input, message_id::not_a_mixture, {text_value(i.agent)});
}

equilibrium_point checked_point(const fluid::mixture& m, const two_phase& s, bool bubble) {
    equilibrium_point p = public_point(m, s, bubble);
    check_fp();
    for (double v : {p.T, p.p, p.rho_liquid, p.rho_vapour, p.h_liquid, p.h_vapour, p.s_liquid, p.s_vapour}) finite(v);
    return p;
}

void require_positive(double v, quantity q) {
    if (!(v > 0) || !std::isfinite(v))
        throw error(error_kind::input,
                    q == quantity::temperature ? message_id::temperature_not_positive : message_id::pressure_not_positive,
                    {number_value(v, q), number_value(0, q)});
}

}  // namespace

const std::vector<component>& fluid::components() const {
    static const std::vector<component> none;
    return mixture_ ? mixture_->components : none;
}

const phase_envelope& fluid::envelope() const {
    if (!mixture_) not_a_mixture(info());
    return mixture_->envelope;
}

namespace {

equilibrium_point solve_point(const fluid::mixture* m, const fluid_info& info, saturation_side side, bool at_T,
                              double value) {
    fp_guard guard;
    if (!m) not_a_mixture(info);
    require_positive(value, at_T ? quantity::temperature : quantity::pressure);
    const two_phase s = at_T ? saturation_at_T(m->fluid, side, value) : saturation_at_p(m->fluid, side, value);
    return checked_point(*m, s, side == saturation_side::bubble);
}

}  // namespace

equilibrium_point fluid::bubble_at_T(double T) const {
    return solve_point(mixture_.get(), info(), saturation_side::bubble, true, T);
}

equilibrium_point fluid::dew_at_T(double T) const {
    return solve_point(mixture_.get(), info(), saturation_side::dew, true, T);
}

equilibrium_point fluid::bubble_at_p(double p) const {
    return solve_point(mixture_.get(), info(), saturation_side::bubble, false, p);
}

equilibrium_point fluid::dew_at_p(double p) const {
    return solve_point(mixture_.get(), info(), saturation_side::dew, false, p);
}

std::vector<blend_info> list_blends(const std::filesystem::path& data_dir) {
    fp_guard guard;
    std::vector<blend_info> out;
    // blends.txt read once, each blend made from its line
    for (const blend_data& b : read_blends_of(data_dir)) {
        const auto m = make_blend(data_dir, b, reference_state::configured);
        out.push_back({m->info, m->components});
    }
    return out;
}

}  // namespace vantrel
