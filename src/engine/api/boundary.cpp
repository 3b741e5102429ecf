// The public face of the phase boundary: the boundary at T or p for every
// fluid, a mixture's envelope, and the boundary by its older names.
#include <cmath>

#include "engine/api/fluid.h"
#include "engine/base/fpu.h"
#include "engine/base/text.h"

namespace vantrel::detail {

namespace {

void require_positive(double v, quantity q) {
    if (!(v > 0) || !std::isfinite(v))
        throw error(error_kind::input,
                    q == quantity::temperature ? message_id::temperature_not_positive : message_id::pressure_not_positive,
                    {number_value(v, q), number_value(0, q)});
}

equilibrium_point checked(equilibrium_point p) {
    check_fp();
    for (double v : {p.T, p.p, p.rho_liquid, p.rho_vapour, p.h_liquid, p.h_vapour, p.s_liquid, p.s_vapour}) finite(v);
    return p;
}

bubble_dew checked(const bubble_dew& b) {
    check_fp();
    if (b.bubble) finite(*b.bubble);
    if (b.dew) finite(*b.dew);
    return b;
}

// A mixture's bubble and dew lines at T or p: its points' p or T.
bubble_dew lines_through(given g, const boundary_points& b) {
    const auto other = [&](const std::optional<boundary_point>& q) {
        return q ? std::optional(g == given::T ? q->p : q->T) : std::nullopt;
    };
    return {other(b.bubble), other(b.dew)};
}

phase_boundary boundary_of(const fluid_impl& f, given g, double value) {
    require_positive(value, g == given::T ? quantity::temperature : quantity::pressure);
    const boundary_points b = f.core.boundary->at(g, value, precision::solved);
    phase_boundary out;
    if (b.bubble) out.bubble = checked(public_point(f, *b.bubble, side::bubble));
    // A pure fluid's one saturation state, of the vapour's composition too.
    if (b.dew) out.dew = f.mixture() ? checked(public_point(f, *b.dew, side::dew)) : out.bubble;
    if (f.lines) out.lines = checked(f.lines->at(g, value));
    if (f.mixture()) out.lines = lines_through(g, b);
    return out;
}

// The lines alone: a blend's correlations, a mixture's points' T or p
// (without their phases' properties), none for a pure fluid.
bubble_dew lines_of(const fluid_impl& f, given g, double value) {
    require_positive(value, g == given::T ? quantity::temperature : quantity::pressure);
    if (f.lines) return checked(f.lines->at(g, value));
    if (!f.mixture()) return {};
    return checked(lines_through(g, f.core.boundary->at(g, value, precision::solved)));
}

[[noreturn]] void not_a_mixture(const fluid_info& i) {
    throw error(error_kind::input, message_id::not_a_mixture, {text_value(i.agent)});
}

equilibrium_point mixture_point(const fluid_impl& f, side at, given g, double value) {
    if (!f.mixture()) not_a_mixture(f.core.info);
    require_positive(value, g == given::T ? quantity::temperature : quantity::pressure);
    return checked(public_point(f, *f.core.boundary->point(at, g, value), at));
}

std::optional<saturation> saturation_of(const fluid_impl& f, given g, double value) {
    require_positive(value, g == given::T ? quantity::temperature : quantity::pressure);
    if (f.mixture()) return std::nullopt;
    const std::optional<boundary_point> b = f.core.boundary->point(side::bubble, g, value);
    if (!b) return std::nullopt;
    const equilibrium_point p = checked(public_point(f, *b, side::bubble));
    return saturation{p.T, p.p, p.rho_liquid, p.rho_vapour, p.h_liquid, p.h_vapour, p.s_liquid, p.s_vapour};
}

}  // namespace

equilibrium_point public_point(const fluid_impl& f, const boundary_point& s, side at) {
    const phase_pair ph = phases_of(f.core, s);
    const model& m = *f.core.m;
    const double M_l = molar_mass(m, s.x), M_v = molar_mass(m, s.y);
    const composition& incipient = at == side::bubble ? s.y : s.x;
    const composition mass = mass_fractions(m, incipient);
    return {s.T,
            s.p,
            s.rho_x * M_l,
            s.rho_y * M_v,
            ph.liquid.h / M_l + f.h_shift,
            ph.vapour.h / M_v + f.h_shift,
            ph.liquid.s / M_l + f.s_shift,
            ph.vapour.s / M_v + f.s_shift,
            {incipient.begin(), incipient.end()},
            {mass.begin(), mass.end()}};
}

}  // namespace vantrel::detail

namespace vantrel {

using namespace detail;

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

const fluid_info& fluid::info() const { return impl_->core.info; }

bool fluid::is_mixture() const { return impl_->mixture(); }

const std::vector<component>& fluid::components() const { return impl_->components; }

const phase_envelope& fluid::envelope() const {
    if (!impl_->envelope) not_a_mixture(info());
    return *impl_->envelope;
}

phase_boundary fluid::boundary_at_T(double T) const {
    fp_guard guard;
    return boundary_of(*impl_, given::T, T);
}

phase_boundary fluid::boundary_at_p(double p) const {
    fp_guard guard;
    return boundary_of(*impl_, given::p, p);
}

residual_derivatives fluid::derivatives(double rho, double T) const {
    fp_guard guard;
    if (!(T > 0) || !std::isfinite(T))
        throw error(error_kind::input, message_id::temperature_not_positive,
                    {number_value(T, quantity::temperature), number_value(0, quantity::temperature)});
    if (impl_->mixture()) throw error(error_kind::input, message_id::mixture_no_derivatives, {text_value(info().agent)});
    const component_data& c = impl_->core.m->pure();
    const alpha_derivatives<double> a = c.residual.at(rho / c.cfg.rho_div, c.cfg.tau_div / T);
    check_fp();
    const residual_derivatives r{a.d, 2 * a.d + a.dd, a.d - a.dt, a.d + a.t, a.t - a.a, -a.tt};
    for (double v : {r.z_minus_1, r.p_rho, r.p_T, r.h, r.s, r.cv}) finite(v);
    return r;
}

std::optional<saturation> fluid::saturation_at_T(double T) const {
    fp_guard guard;
    return saturation_of(*impl_, given::T, T);
}

std::optional<saturation> fluid::saturation_at_p(double p) const {
    fp_guard guard;
    return saturation_of(*impl_, given::p, p);
}

bubble_dew fluid::bubble_dew_at_T(double T) const {
    fp_guard guard;
    return lines_of(*impl_, given::T, T);
}

bubble_dew fluid::bubble_dew_at_p(double p) const {
    fp_guard guard;
    return lines_of(*impl_, given::p, p);
}

equilibrium_point fluid::bubble_at_T(double T) const {
    fp_guard guard;
    return mixture_point(*impl_, side::bubble, given::T, T);
}

equilibrium_point fluid::bubble_at_p(double p) const {
    fp_guard guard;
    return mixture_point(*impl_, side::bubble, given::p, p);
}

equilibrium_point fluid::dew_at_T(double T) const {
    fp_guard guard;
    return mixture_point(*impl_, side::dew, given::T, T);
}

equilibrium_point fluid::dew_at_p(double p) const {
    fp_guard guard;
    return mixture_point(*impl_, side::dew, given::p, p);
}

}  // namespace vantrel
