#include "engine/phase/mixture_boundary.h"

#include <algorithm>
#include <cmath>

#include "engine/model/caloric.h"
#include "engine/model/fugacity.h"
#include "engine/phase/stability.h"

namespace vantrel::detail {

namespace {

constexpr int POLISH_ITERATIONS = 100;     // as the message says
constexpr double DISTINCT_PHASES = 1e-6;   // |ln (rho_x/rho_y)| of two phases, at the least
constexpr double NEAR_LINE = 1e-3;         // |ln p - ln p_line| (or of T, h, s likewise) where a line is solved
constexpr double FAR_BEYOND = 0.1;         // h / RT or s / R beyond the dew value: a gas, whatever the span
constexpr double ON_LINE = 1e-9;           // of the span between the lines: a state on a line
constexpr double LIQUID_START = 3;         // a liquid's start density, times the critical one
constexpr double T_MARGIN = 1e-5;          // around the lines' estimated T at p
constexpr double ABOVE = 1 + 1e-9;         // a hair above a temperature, into the single phase beyond
constexpr double BELOW = 1 - 1e-9;
constexpr double LIMIT_ROUNDING = 1e-12;   // Newton's method puts a state on the lower limit a few ulps either side of it
constexpr double SAME_DENSITY = 1e-9;      // of a density solved from the decision's start and from the state's
constexpr double BEYOND_CRITICAL = 1.01;   // of T: past the critical point, whose phase names the isobar's far side

[[noreturn]] void refuse_near_critical() { throw error(error_kind::near_critical, message_id::near_critical); }

// A point of the bubble or dew line as a two-phase state (x the liquid)
// from the unknowns of the bubble or dew formulation.
boundary_point line_state(const composition& z, bool bubble, const Eigen::VectorXd& v) {
    const std::size_t n = z.size();
    boundary_point s{std::exp(v(n)), std::exp(v(n + 1)), z, z, std::exp(v(n + 2)), std::exp(v(n + 3))};
    composition& w = bubble ? s.y : s.x;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += w[i] = bubble ? z[i] * std::exp(v(i)) : z[i] / std::exp(v(i));
    for (double& c : w) c /= sum;
    return s;
}

// The lowest of the components' lower limits.
double lower_limit(const model& m) {
    double T = 0;
    for (const auto& c : m.components) T = std::max(T, c->info.T_min.value_or(c->cfg.T_tp));
    return T;
}

}  // namespace

mixture_boundary::mixture_boundary(std::shared_ptr<const model> m, composition z)
    : m_(std::move(m)), z_(std::move(z)), envelope_(trace_envelope(*m_, z_, lower_limit(*m_))) {
    const envelope_data& e = envelope_;
    T_refused_ = std::min(e.critical.T, e.cricondenbar.T) * (1 - MIXTURE_CRITICAL_BAND);
    p_refused_ = std::min(e.critical.p, e.cricondentherm.p) * (1 - MIXTURE_CRITICAL_BAND);
}

double mixture_boundary::p_lowest(side s) const {
    const Eigen::VectorXd& v = s == side::dew ? envelope_.points.front().v : envelope_.points.back().v;
    return std::exp(v(ln_p_index(z_.size())));
}

// ---- Points -------------------------------------------------------------------

std::optional<boundary_point> mixture_boundary::estimate(side s, given g, double value) const {
    const std::size_t n = z_.size();
    const bool bubble = s == side::bubble;
    const auto v = envelope_start(envelope_, bubble, g == given::T ? ln_T_index(n) : ln_p_index(n), std::log(value));
    if (!v) return std::nullopt;
    return line_state(z_, bubble, *v);
}

std::optional<boundary_point> mixture_boundary::point(side s, given g, double value) const {
    const bool at_T = g == given::T;
    const double low = at_T ? envelope_.T_low : p_lowest(s), high = at_T ? T_refused_ : p_refused_;
    const quantity q = at_T ? quantity::temperature : quantity::pressure;
    if (value >= high && value <= (at_T ? envelope_.cricondentherm.T : envelope_.cricondenbar.p)) refuse_near_critical();
    const bool bubble = s == side::bubble;
    const std::size_t n = z_.size();
    const int held = at_T ? ln_T_index(n) : ln_p_index(n);
    const bool inside = value >= low * (1 - LIMIT_ROUNDING) && value < high;
    const auto start = inside ? envelope_start(envelope_, bubble, held, std::log(value)) : std::nullopt;
    if (!start)
        throw error(error_kind::input, message_id::outside_two_phase_range,
                    {named_value(at_T ? "T" : "p", value, q), number_value(low, q), number_value(high, q)});
    const equilibrium_problem pr{*m_, z_, bubble ? unknowns::bubble : unknowns::dew, false,
                                 {spec_kind::unknown, std::log(value), held}, {}};
    two_phase out = solve_equilibrium(pr, *start, {POLISH_ITERATIONS, 1e-12, 1e-12, 1e-7}).state;
    if (!(std::fabs(std::log(out.rho_x / out.rho_y)) > DISTINCT_PHASES))
        throw error(error_kind::no_convergence, message_id::equilibrium_trivial);
    (at_T ? out.T : out.p) = value;  // as given, not through its logarithm
    return out;
}

boundary_points mixture_boundary::at(given g, double value, precision how) const {
    const auto one = [&](side s) -> std::optional<boundary_point> {
        if (how == precision::estimate) return estimate(s, g, value);
        try {
            return point(s, g, value);
        } catch (const error& e) {
            if (e.kind() != error_kind::input && e.kind() != error_kind::near_critical) throw;
            clear_fp();
            return std::nullopt;
        }
    };
    return {one(side::bubble), one(side::dew)};
}

isobar_decision mixture_boundary::two_phase_at(given g, double value) const {
    isobar_decision d;
    d.dew = point(side::dew, g, value);
    // Below the bubble line's lowest pressure, as (p, h) does: started from
    // the bubble point at T_low, two phases at T_low and above.
    if (g == given::p && value < p_lowest(side::bubble)) {
        d.bubble = point(side::bubble, given::T, envelope_.T_low * ABOVE);
        d.below_bubble_line = outside_at_p(value);
    } else {
        d.bubble = point(side::bubble, g, value);
    }
    return d;
}

// ---- The phase of (T, p) ----------------------------------------------------------

bool mixture_boundary::in_refused_box(double T, double p) const {
    const envelope_data& e = envelope_;
    return T >= T_refused_ && T <= e.cricondentherm.T * (1 + MIXTURE_CRITICAL_BAND) && p >= p_refused_ &&
           p <= e.cricondenbar.p * (1 + MIXTURE_CRITICAL_BAND);
}

void mixture_boundary::refuse(double T, double p) const {
    if (in_refused_box(T, p)) refuse_near_critical();
}

// A single phase outside the envelope's range of T or p: above the
// critical point in both supercritical, else a gas above T_c or a liquid.
phase_kind mixture_boundary::outside_phase(double T, double p) const {
    const envelope_data& e = envelope_;
    if (T > e.critical.T) return p >= e.critical.p ? phase_kind::supercritical : phase_kind::gas;
    return p >= e.critical.p ? phase_kind::liquid : phase_kind::gas;
}

double mixture_boundary::on_limit(double T) const {
    const double low = envelope_.T_low;
    return T < low && T >= low * (1 - LIMIT_ROUNDING) ? low : T;
}

void mixture_boundary::below_envelope(double T) const {
    throw error(error_kind::input, message_id::outside_two_phase_range,
                {named_value("T", T, quantity::temperature), number_value(envelope_.T_low, quantity::temperature),
                 number_value(T_refused_, quantity::temperature)});
}

// Whether the value lies beyond the bubble (liquid) or dew (gas) point, or
// between: by T, the pressure against the lines' at T; by p, the
// temperature against theirs at p.
tp_decision mixture_boundary::decide_by_lines(double T, double p, bool by_T) const {
    const double value = by_T ? T : p, own = by_T ? std::log(p) : -std::log(T);
    const given g = by_T ? given::T : given::p;
    tp_decision d{phase_kind::none, {estimate(side::bubble, g, value), estimate(side::dew, g, value)}, by_T, false,
                  {}, {}, branch::any};
    if (!d.lines.bubble || !d.lines.dew) {
        if (!by_T) below_envelope(T);
        return decide_by_lines(T, p, false);
    }
    const auto line = [&](const boundary_point& s) { return by_T ? std::log(s.p) : -std::log(s.T); };
    if (std::fabs(own - line(*d.lines.bubble)) < NEAR_LINE) d.lines.bubble = point(side::bubble, g, value), d.near = true;
    if (std::fabs(own - line(*d.lines.dew)) < NEAR_LINE) d.lines.dew = point(side::dew, g, value), d.near = true;
    const double on_line = ON_LINE * std::fabs(line(*d.lines.bubble) - line(*d.lines.dew));
    d.phase = own > line(*d.lines.bubble) - on_line ? phase_kind::liquid
              : own < line(*d.lines.dew) + on_line  ? phase_kind::gas
                                                    : phase_kind::two_phase;
    return d;
}

tp_decision mixture_boundary::decide(double T_given, double p) const {
    const envelope_data& e = envelope_;
    const double T = on_limit(T_given);
    if (in_refused_box(T, p)) refuse_near_critical();
    tp_decision d{outside_phase(T, p), {}, true, false, {}, {}, branch::any};
    if (T > e.cricondentherm.T || p > e.cricondenbar.p) {
    } else if (T < e.T_low) {
        // Below the lower limit only a liquid above the bubble pressure there is decided.
        if (!(p > p_lowest(side::bubble))) below_envelope(T);
        d.phase = phase_kind::liquid;
    } else {
        d = decide_by_lines(T, p, T < T_refused_);
    }
    // A liquid above the cricondenbar has no bubble point to start from: it
    // starts on the dense side, as the gas's start can reach a spurious root
    // of the equation (of absurd, and so lowest, Gibbs energy).
    if (d.phase == phase_kind::liquid) d.rho = d.lines.bubble ? d.lines.bubble->rho_x : LIQUID_START * e.rho_critical;
    if (d.phase == phase_kind::gas)
        d.rho = d.lines.dew ? std::min(d.lines.dew->rho_y, p / (m_->R * T)) : p / (m_->R * T);
    if (d.phase == phase_kind::supercritical) d.rho = p / (m_->R * T), d.dense = LIQUID_START * e.rho_critical;
    return d;
}

std::pair<std::optional<double>, branch> mixture_boundary::start(double T, double p, phase_kind phase) const {
    if (phase == phase_kind::liquid) {
        const auto b = estimate(side::bubble, given::T, T);
        return {b ? b->rho_x : LIQUID_START * envelope_.rho_critical, branch::any};
    }
    if (phase == phase_kind::gas) return {p / (m_->R * T), branch::any};
    return {std::nullopt, branch::any};
}

std::pair<double, phase_kind> mixture_boundary::single_by_decision(double T, double p) const {
    const tp_decision d = decide(T, p);
    if (d.phase == phase_kind::two_phase) refuse_near_critical();
    const model_at<double> e(*m_, T, z_);
    std::optional<double> rho;
    if (d.rho) rho = density_of(e, p, *d.rho);
    if (!rho || (d.near && unstable(*m_, z_, T, p, *rho, d.phase == phase_kind::liquid ? *d.lines.bubble : *d.lines.dew,
                                    d.phase == phase_kind::liquid)))
        refuse_near_critical();
    return {*rho, d.phase};
}

phase_kind mixture_boundary::single_at(double T, double p, double) const {
    const envelope_data& e = envelope_;
    if (T > e.cricondentherm.T) {
        refuse(T, p);
        return outside_phase(T, p);
    }
    const tp_decision d = decide(T, p);
    if (on_limit(T) < e.T_low && d.phase != phase_kind::liquid) below_envelope(T);
    // Single phases only; the two-phase states here are refused.
    if (d.phase == phase_kind::two_phase) refuse_near_critical();
    return d.phase;
}

std::optional<phase_kind> mixture_boundary::stable(double T, double rho, double p) const {
    try {
        const tp_decision d = decide(T, p);
        if (d.phase == phase_kind::two_phase || !d.rho) return std::nullopt;
        const double own = density_of(model_at<double>(*m_, T, z_), p, *d.rho);
        if (!(std::fabs(own / rho - 1) <= SAME_DENSITY)) return std::nullopt;
        const bool liquid = d.phase == phase_kind::liquid;
        if (d.near && unstable(*m_, z_, T, p, rho, liquid ? *d.lines.bubble : *d.lines.dew, liquid)) return std::nullopt;
        return d.phase;
    } catch (const error&) {
        clear_fp();
        return std::nullopt;
    }
}

// ---- Isobars ----------------------------------------------------------------------

double mixture_boundary::value_of(const boundary_point& s, side at, spec_kind kind) const {
    const phase_properties ph = properties_at(*m_, s.T, at == side::bubble ? s.rho_x : s.rho_y, z_);
    return kind == spec_kind::h ? ph.h : ph.s;
}

error mixture_boundary::outside_at_p(double p) const {
    return error(error_kind::input, message_id::outside_two_phase_range,
                 {named_value("p", p, quantity::pressure), number_value(p_lowest(side::dew), quantity::pressure),
                  number_value(p_refused_, quantity::pressure)});
}

// From p_refused up, outside the critical neighbourhood: the liquid below
// T_refused or the fluid above the neighbourhood's T. Up to the
// cricondenbar the isobar may enter the envelope below T_refused: the
// liquid then ends (as the lines are estimated, so with a margin) at the
// bubble point, and the two phases beyond it are refused with the others
// named by such a p.
isobar_decision mixture_boundary::above_envelope(double p, const spec& target) const {
    const envelope_data& e = envelope_;
    const double T_high = e.cricondentherm.T * (1 + MIXTURE_CRITICAL_BAND);
    const bool boxed = p <= e.cricondenbar.p * (1 + MIXTURE_CRITICAL_BAND);
    double T_edge = T_refused_ * BELOW;
    if (const auto b = estimate(side::bubble, given::p, p); boxed && b && b->T < T_refused_) T_edge = b->T * (1 - T_MARGIN);
    const double T_a = boxed ? T_edge : e.critical.T;
    const auto [rho_a, phase_a] = single_by_decision(T_a, p);
    const phase_properties a = properties_at(*m_, T_a, rho_a, z_);
    const double v_a = target.kind == spec_kind::h ? a.h : a.s;
    isobar_decision d;
    const double lowest = 0.5 * e.T_low;
    if (v_a >= target.value) {
        d.single = isobar_part{phase_a, std::pair{T_a, rho_a}, lowest, T_a, {T_a, {}}, {T_a, v_a}};
        return d;
    }
    if (!boxed) {
        d.single = isobar_part{outside_phase(T_a * BEYOND_CRITICAL, p), std::pair{T_a, rho_a}, T_a, INFINITY, {T_a, v_a},
                               {T_a, {}}};
        return d;
    }
    const double T_b = T_high * ABOVE;
    const auto [rho_b, phase_b] = single_by_decision(T_b, p);
    const phase_properties b = properties_at(*m_, T_b, rho_b, z_);
    const double v_b = target.kind == spec_kind::h ? b.h : b.s;
    if (!(v_b <= target.value)) refuse_near_critical();
    d.single = isobar_part{phase_b, std::pair{T_b, rho_b}, T_b, INFINITY, {T_b, v_b}, {T_b, {}}};
    return d;
}

// Below the lowest pressure of the bubble line (d the dew line's point at
// p), or of both lines (no d), where the bubble point at p lies below T_low:
// a gas beyond the dew point, or from T_low up where the dew line does not
// reach p either; two phases at T_low and above, started between the dew
// point at p and the bubble point at T_low. Otherwise refused as (T, p)
// below T_low.
isobar_decision mixture_boundary::below_bubble_line(double p, const spec& target,
                                                    const std::optional<boundary_point>& d) const {
    const double T_low = envelope_.T_low * ABOVE;
    isobar_decision out;
    if (!d) {
        const tp_decision gas = decide(T_low, p);
        if (gas.phase != phase_kind::gas) throw outside_at_p(p);
        const double rho = density_of(model_at<double>(*m_, T_low, z_), p, *gas.rho);
        const phase_properties g = properties_at(*m_, T_low, rho, z_);
        const double v = target.kind == spec_kind::h ? g.h : g.s;
        if (v > target.value) throw outside_at_p(p);
        out.single = isobar_part{phase_kind::gas, std::pair{T_low, rho}, T_low, INFINITY, {T_low, v}, {T_low, {}}};
        return out;
    }
    const boundary_point dew = *point(side::dew, given::p, p), bubble = *point(side::bubble, given::T, T_low);
    const double vd = value_of(dew, side::dew, target.kind), vb = value_of(bubble, side::bubble, target.kind);
    if (target.value >= vd) {
        out.single = isobar_part{phase_kind::gas, std::pair{dew.T, dew.rho_y}, dew.T * BELOW, INFINITY, {dew.T, vd},
                                 {dew.T, {}}};
        return out;
    }
    if (target.value <= vb) throw outside_at_p(p);
    out.bubble = bubble;
    out.dew = dew;
    out.weight = (target.value - vb) / (vd - vb);
    out.below_bubble_line = outside_at_p(p);
    return out;
}

isobar_decision mixture_boundary::on_isobar(double p, const spec& target) const {
    if (p >= p_refused_) return above_envelope(p, target);
    std::optional<boundary_point> d = estimate(side::dew, given::p, p);
    if (!d) return below_bubble_line(p, target, d);
    isobar_decision out;
    const double lowest = 0.5 * envelope_.T_low;
    // Far beyond the dew value, a gas without the bubble point: FAR_BEYOND
    // is a hundred times the width of NEAR_LINE of a span between the lines
    // of a latent heat of some RT (or R in s).
    double vd = value_of(*d, side::dew, target.kind);
    const auto gas = [&] {
        out.single = isobar_part{phase_kind::gas, std::pair{d->T, d->rho_y}, d->T * BELOW, INFINITY, {d->T, {}},
                                 {d->T, {}}};
        return out;
    };
    if (target.value > vd + FAR_BEYOND * m_->R * (target.kind == spec_kind::h ? d->T : 1)) return gas();
    std::optional<boundary_point> b = estimate(side::bubble, given::p, p);
    if (!b) return below_bubble_line(p, target, d);
    double vb = value_of(*b, side::bubble, target.kind);
    const double near = NEAR_LINE * std::fabs(vd - vb);
    if (std::fabs(target.value - vb) < near) b = point(side::bubble, given::p, p), vb = value_of(*b, side::bubble, target.kind);
    if (std::fabs(target.value - vd) < near) d = point(side::dew, given::p, p), vd = value_of(*d, side::dew, target.kind);
    // A value on a line, to ON_LINE of the span between the lines, is that
    // line's phase: a phase of no share is no state to solve for.
    const double on_line = ON_LINE * std::fabs(vd - vb);
    if (target.value <= vb + on_line) {
        out.single = isobar_part{phase_kind::liquid, std::pair{b->T, b->rho_x}, lowest, b->T * ABOVE, {b->T, {}},
                                 {b->T * ABOVE, {}}};
        return out;
    }
    if (target.value >= vd - on_line) return gas();
    out.bubble = b;
    out.dew = d;
    out.weight = (target.value - vb) / (vd - vb);
    return out;
}

}  // namespace vantrel::detail
