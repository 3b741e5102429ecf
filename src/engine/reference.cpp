#include "engine/reference.h"

#include <optional>
#include <string>


namespace vantrel::detail {

namespace {

struct h_s {
    double h, s;
};

// A blend's liquid on the bubble line at T: the equation's liquid at the
// bubble pressure, or its saturated liquid where its own saturation pressure
// lies above the bubble pressure (a near-azeotrope, whose equation does not
// resolve the small glide; the two liquids differ by v dp, a fraction of a
// J/kg).
std::optional<h_s> bubble_liquid(const fluid& f, double T, double p_bubble) {
    if (const std::optional<saturation> sat = f.saturation_at_T(T); sat && sat->p >= p_bubble)
        return h_s{sat->h_liq, sat->s_liq};
    const state s = f.at(input_pair::T_p, T, p_bubble, extras::none);
    if (s.phase != phase_kind::liquid) return std::nullopt;
    return h_s{s.h, s.s};
}

std::optional<h_s> liquid_at_T(const fluid& f, double T) {
    const fluid_info& i = f.info();
    if (T < i.T_min.value_or(i.T_tp) || !(T < i.T_cr)) return std::nullopt;
    if (i.glide) {
        const std::optional<double> p = f.bubble_dew_at_T(T).bubble;
        return p ? bubble_liquid(f, T, *p) : std::nullopt;
    }
    const std::optional<saturation> sat = f.saturation_at_T(T);
    if (!sat) return std::nullopt;
    return h_s{sat->h_liq, sat->s_liq};
}

std::optional<h_s> liquid_at_p(const fluid& f, double p) {
    const fluid_info& i = f.info();
    if (p < i.p_tp || !(p < i.p_cr)) return std::nullopt;
    if (i.glide) {
        const std::optional<double> T = f.bubble_dew_at_p(p).bubble;
        if (!T || *T < i.T_min.value_or(i.T_tp)) return std::nullopt;
        return bubble_liquid(f, *T, p);
    }
    const std::optional<saturation> sat = f.saturation_at_p(p);
    if (!sat) return std::nullopt;
    return h_s{sat->h_liq, sat->s_liq};
}

}  // namespace

reference_point point_of(reference_state ref) {
    if (ref == reference_state::iir) return {"IIR", 273.15, std::nullopt, 200e3, 1e3};
    if (ref == reference_state::ashrae) return {"ASHRAE", 233.15, std::nullopt, 0, 0};
    return {"NBP", std::nullopt, 101325.0, 0, 0};
}

void refuse(const fluid_info& i, const reference_point& at) {
    const message_value where =
        at.T ? number_value(*at.T, quantity::temperature) : number_value(*at.p, quantity::pressure);
    throw error(error_kind::input, message_id::reference_unavailable, {text_value(at.name), text_value(i.agent), where});
}

std::shared_ptr<const fluid_data> with_reference(std::shared_ptr<const fluid_data> d, reference_state ref) {
    if (ref == reference_state::configured) return d;
    auto out = std::make_shared<fluid_data>(*d);
    out->ideal->set_shift(0, 0);
    out->cfg.ideal.h_shift = out->cfg.ideal.s_shift = 0;
    if (ref == reference_state::equation) {
        if (d->cfg.ideal.h_shift != 0 || d->cfg.ideal.s_shift != 0) out->info.reference_state = "DEF";
        return out;
    }
    const reference_point at = point_of(ref);
    const fluid unshifted(out);
    const std::optional<h_s> liquid = at.T ? liquid_at_T(unshifted, *at.T) : liquid_at_p(unshifted, *at.p);
    if (!liquid) refuse(d->info, at);
    out->cfg.ideal.h_shift = at.h - liquid->h;
    out->cfg.ideal.s_shift = at.s - liquid->s;
    out->ideal->set_shift(out->cfg.ideal.h_shift, out->cfg.ideal.s_shift);
    out->info.reference_state = at.name;
    return out;
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
