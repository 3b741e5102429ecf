// Reference states of h and s: the shift that puts a fluid's saturated
// liquid at a reference point on the values that state defines, the same
// shift for every state of the fluid (a pure fluid's in its ideal part).
#include <algorithm>
#include <optional>

#include "engine/api/fluid.h"
#include "engine/base/fpu.h"
#include "engine/phase/envelope.h"
#include "engine/phase/mixture_boundary.h"

namespace vantrel::detail {

namespace {

// A reference point: the saturated liquid at T or at p, and its h and s.
struct reference_point {
    const char* name;
    std::optional<double> T, p;  // K, Pa
    double h, s;                 // J/kg, J/(kg K)
};

reference_point point_of(reference_state ref) {
    if (ref == reference_state::iir) return {"IIR", 273.15, std::nullopt, 200e3, 1e3};
    if (ref == reference_state::ashrae) return {"ASHRAE", 233.15, std::nullopt, 0, 0};
    return {"NBP", std::nullopt, 101325.0, 0, 0};
}

[[noreturn]] void refuse(const fluid_info& i, const reference_point& at) {
    const message_value where =
        at.T ? number_value(*at.T, quantity::temperature) : number_value(*at.p, quantity::pressure);
    throw error(error_kind::input, message_id::reference_unavailable, {text_value(at.name), text_value(i.agent), where});
}

struct h_s {
    double h, s;
};

// The liquid of a bubble point, in mass units without the fluid's shift.
h_s liquid_of(const fluid_impl& f, const boundary_point& b) {
    const phase_properties l = properties_at(*f.core.m, b.T, b.rho_x, b.x);
    const double M = molar_mass(*f.core.m, b.x);
    return {l.h / M, l.s / M};
}

// A pseudo-pure blend's liquid on its bubble line at T: the equation's
// liquid at the bubble pressure, or its saturated liquid where its own
// saturation pressure lies above the bubble pressure (a near-azeotrope,
// whose equation does not resolve the small glide; the two liquids differ by
// v dp, a fraction of a J/kg).
std::optional<h_s> bubble_liquid(const fluid_impl& f, double T, double p_bubble) {
    const std::optional<boundary_point> sat = f.core.boundary->point(side::bubble, given::T, T);
    if (sat && sat->p >= p_bubble) return liquid_of(f, *sat);
    const flash_state st = at_T_p(f.core, T, p_bubble);
    if (st.phase != phase_kind::liquid) return std::nullopt;
    const phase_properties l = properties_of(f.core, st);
    return h_s{l.h / f.core.M, l.s / f.core.M};
}

// The liquid of the fluid's bubble point at the reference point: its
// saturated liquid, a mixture's bubble point's, a pseudo-pure blend's on its
// bubble line; none where the fluid has none there.
std::optional<h_s> liquid_at(const fluid_impl& f, const reference_point& at) {
    const fluid_info& i = f.core.info;
    if (at.T) {
        const double T = *at.T;
        if (T < i.T_min.value_or(i.T_tp) || !(T < i.T_cr)) return std::nullopt;
        if (f.lines) {
            const std::optional<double> p = f.lines->at(given::T, T).bubble;
            return p ? bubble_liquid(f, T, *p) : std::nullopt;
        }
    } else {
        const double p = *at.p;
        if (p < i.p_tp || !(p < i.p_cr)) return std::nullopt;
        if (f.lines) {
            const std::optional<double> T = f.lines->at(given::p, p).bubble;
            if (!T || *T < i.T_min.value_or(i.T_tp)) return std::nullopt;
            return bubble_liquid(f, *T, p);
        }
    }
    const std::optional<boundary_point> b = f.core.boundary->point(side::bubble, at.T ? given::T : given::p,
                                                                   at.T ? *at.T : *at.p);
    if (!b) return std::nullopt;
    return liquid_of(f, *b);
}

// A mixture's envelope in mass units with its shift.
phase_envelope public_envelope(const fluid_impl& f) {
    const auto& b = static_cast<const mixture_boundary&>(*f.core.boundary);
    const envelope_data& e = b.envelope();
    phase_envelope out;
    for (std::size_t i = 0; i < e.points.size(); ++i) {
        const bool bubble = i >= e.first_bubble;
        (bubble ? out.bubble : out.dew)
            .push_back(public_point(f, envelope_state(e, f.core.z, i), bubble ? side::bubble : side::dew));
    }
    std::reverse(out.bubble.begin(), out.bubble.end());
    out.T_critical = e.critical.T;
    out.p_critical = e.critical.p;
    out.rho_critical = e.rho_critical * f.core.M;
    out.T_cricondenbar = e.cricondenbar.T;
    out.p_cricondenbar = e.cricondenbar.p;
    out.T_cricondentherm = e.cricondentherm.T;
    out.p_cricondentherm = e.cricondentherm.p;
    out.T_refused = b.T_refused();
    out.p_refused = b.p_refused();
    return out;
}

// A pure fluid in ref: its own component with the ideal part's shift (the
// states compare the values asked for with their own, unrounded by a shift
// added afterwards). The shift comes from the fluid without any shift.
std::shared_ptr<fluid_impl> pure_in(const fluid_impl& f, reference_state ref) {
    const component_data& own = f.core.m->pure();
    auto c = std::make_shared<component_data>(own);
    c->ideal->set_shift(0, 0);
    c->cfg.ideal.h_shift = c->cfg.ideal.s_shift = 0;
    if (ref == reference_state::equation) {
        if (own.cfg.ideal.h_shift != 0 || own.cfg.ideal.s_shift != 0) c->info.reference_state = "DEF";
        return pure_fluid(c);
    }
    const reference_point at = point_of(ref);
    std::optional<h_s> liquid;
    try {
        liquid = liquid_at(*pure_fluid(c), at);
    } catch (const error&) {
        clear_fp();
    }
    if (!liquid) refuse(own.info, at);
    c->cfg.ideal.h_shift = at.h - liquid->h;
    c->cfg.ideal.s_shift = at.s - liquid->s;
    c->ideal->set_shift(c->cfg.ideal.h_shift, c->cfg.ideal.s_shift);
    c->info.reference_state = at.name;
    return pure_fluid(c);
}

// A mixture's shift of every phase: its configured state is IIR, its
// equation's own the components' configured ones.
void set_reference(fluid_impl& f, reference_state ref) {
    fluid_info& info = f.core.info;
    if (ref == reference_state::equation) {
        info.reference_state = "DEF";
        return;
    }
    const reference_point at = point_of(ref == reference_state::configured ? reference_state::iir : ref);
    std::optional<h_s> liquid;
    try {
        liquid = liquid_at(f, at);
    } catch (const error&) {
        clear_fp();
    }
    if (!liquid) refuse(info, at);
    f.h_shift = at.h - liquid->h;
    f.s_shift = at.s - liquid->s;
    info.reference_state = at.name;
}

}  // namespace

std::shared_ptr<const fluid_impl> with_reference(std::shared_ptr<fluid_impl> f, reference_state ref) {
    if (!f->mixture()) return ref == reference_state::configured ? f : pure_in(*f, ref);
    set_reference(*f, ref);
    f->envelope = public_envelope(*f);
    return f;
}

}  // namespace vantrel::detail

namespace vantrel {

std::optional<reference_state> find_reference_state(std::string_view name) {
    if (name == "IIR") return reference_state::iir;
    if (name == "ASHRAE") return reference_state::ashrae;
    if (name == "NBP") return reference_state::nbp;
    if (name == "DEF") return reference_state::equation;
    return std::nullopt;
}

}  // namespace vantrel
