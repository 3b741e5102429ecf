// The single-stage vapour-compression cycle, built from the fluid's states.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/base/fpu.h"
#include "vantrel/vantrel.h"

namespace vantrel {

namespace {

[[noreturn]] void invalid(message_id id, std::vector<message_value> values = {}) {
    throw error(error_kind::input, id, std::move(values));
}

message_value kelvin(double T) { return number_value(T, quantity::temperature); }
message_value kelvins(double dT) { return number_value(dT, quantity::temperature_difference); }
message_value pascal(double p) { return number_value(p, quantity::pressure); }

// The lower and upper ends of a range are inclusive to 1e-15 of them: a
// limit written in other units rounds a hair to either side.
bool below(double v, double limit) { return v < limit * (1 - 1e-15); }

// Every input a number: NaN and infinities are no temperature, pressure or efficiency.
void check_finite(const cycle_input& in) {
    const std::pair<const char*, std::optional<double>> values[] = {
        {"T_evap", in.T_evap},       {"T_cond", in.T_cond},     {"T_gc_out", in.T_gc_out},
        {"p_high", in.p_high},       {"superheat", in.superheat}, {"subcool", in.subcool},
        {"eta", in.eta},             {"vol_eff", in.vol_eff},   {"capacity", in.capacity},
    };
    for (const auto& [name, v] : values)
        if (v && !std::isfinite(*v))
            invalid(message_id::cycle_value_not_finite, {text_value(name), number_value(*v)});
}

void check_input(const fluid_info& i, const cycle_input& in) {
    if (!(in.eta > 0 && in.eta <= 1))
        invalid(message_id::cycle_eta, {number_value(in.eta)});
    if (in.vol_eff && !(*in.vol_eff > 0 && *in.vol_eff <= 1))
        invalid(message_id::cycle_vol_eff, {number_value(*in.vol_eff)});
    if (!(in.superheat >= 0)) invalid(message_id::cycle_superheat_negative, {kelvins(in.superheat)});
    if (!(in.subcool >= 0)) invalid(message_id::cycle_subcool_negative, {kelvins(in.subcool)});
    if (in.capacity && !(*in.capacity > 0))
        invalid(message_id::cycle_capacity, {number_value(*in.capacity, quantity::power)});
    if (below(in.T_evap, i.T_tp))
        invalid(message_id::cycle_evap_below_limit, {kelvin(in.T_evap), kelvin(i.T_tp)});
    if (!(in.T_evap < i.T_cr))
        invalid(message_id::cycle_evap_not_below_critical, {kelvin(in.T_evap), kelvin(i.T_cr)});
    const bool subcritical = in.T_cond.has_value();
    if (subcritical == (in.T_gc_out || in.p_high) || (!subcritical && !(in.T_gc_out && in.p_high)))
        invalid(message_id::cycle_high_side_missing);
    if (subcritical) {
        if (!(in.T_evap < *in.T_cond))
            invalid(message_id::cycle_evap_not_below_cond, {kelvin(in.T_evap), kelvin(*in.T_cond)});
        if (!(*in.T_cond < i.T_cr))
            invalid(message_id::cycle_cond_not_below_critical, {kelvin(*in.T_cond), kelvin(i.T_cr)});
    } else {
        if (!(*in.p_high > i.p_cr))
            invalid(message_id::cycle_high_not_above_critical, {pascal(*in.p_high), pascal(i.p_cr)});
        if (!(*in.T_gc_out > in.T_evap))
            invalid(message_id::cycle_gc_out_not_above_evap, {kelvin(*in.T_gc_out), kelvin(in.T_evap)});
    }
}

// The pressure whose dew temperature is T: the blend's dew line, or the
// saturation pressure.
double dew_pressure(const fluid& f, double T) {
    const phase_boundary b = f.boundary_at_T(T);
    if (f.info().glide && b.lines.dew) return *b.lines.dew;
    if (b.dew) return b.dew->p;
    invalid(message_id::cycle_no_saturation, {kelvin(T)});
}

// The bubble temperature at p: the blend's bubble line, or the saturation
// temperature.
double bubble_temperature(const fluid& f, double p, double T_sat) {
    if (f.info().glide) {
        if (const auto b = f.boundary_at_p(p).lines.bubble) return *b;
    }
    return T_sat;
}

// The state at (T, p) that must be of the given phase: a saturated one (x)
// when no difference is asked for (a mixture's bubble or dew point), an
// error otherwise.
state phase_state(const fluid& f, double T, double p, phase_kind phase, double difference, double x,
                  message_id short_of) {
    if (difference == 0 && (!f.info().glide || f.is_mixture())) return f.at(input_pair::p_x, p, x, extras::none);
    const state s = f.at(input_pair::T_p, T, p, extras::none);
    if (s.phase == phase) return s;
    if (difference == 0) return f.at(input_pair::p_x, p, x, extras::none);
    invalid(short_of, {kelvins(difference), kelvin(T), pascal(p)});
}

// The pressure where g(p), rising with p, is target: the secant method in
// ln p from p0, to 1e-9 K.
template <class G>
double pressure_where(G g, double target, double p0) {
    double a = std::log(p0), b = a + 0.01;
    double ga = g(std::exp(a)) - target, gb = g(std::exp(b)) - target;
    for (int it = 0; it < 50; ++it) {
        if (std::fabs(gb) < 1e-9) return std::exp(b);
        if (gb == ga) break;
        const double next = b - gb * (b - a) / (gb - ga);
        a = b, ga = gb;
        b = std::clamp(next, a - 0.5, a + 0.5);
        gb = g(std::exp(b)) - target;
    }
    invalid(message_id::cycle_no_saturation, {kelvin(target)});
}

double mean_line_temperature(const fluid& f, double p) {
    const bubble_dew b = f.boundary_at_p(p).lines;
    if (!b.bubble || !b.dew) invalid(message_id::cycle_no_bubble_dew, {pascal(p)});
    return 0.5 * (*b.bubble + *b.dew);
}

// The condensing pressure: the dew point's at T_cond, or by the midpoint
// convention the one whose bubble and dew temperatures average T_cond.
double condensing_pressure(const fluid& f, const cycle_input& in, bool midpoint) {
    const double p = dew_pressure(f, *in.T_cond);
    if (!midpoint) return p;
    return pressure_where([&](double q) { return mean_line_temperature(f, q); }, *in.T_cond, p);
}

// The evaporating pressure: the dew point's at T_evap, or by the midpoint
// convention the one where point 4 (at h_3) and the dew point average T_evap.
double evaporating_pressure(const fluid& f, const cycle_input& in, bool midpoint, double h_3) {
    const double p = dew_pressure(f, in.T_evap);
    if (!midpoint) return p;
    const auto mean = [&](double q) {
        const std::optional<double> dew = f.boundary_at_p(q).lines.dew;
        if (!dew) invalid(message_id::cycle_no_bubble_dew, {pascal(q)});
        return 0.5 * (f.at(input_pair::p_h, q, h_3, extras::none).T + *dew);
    };
    return pressure_where(mean, in.T_evap, p);
}

void add_figures(cycle_result& r, const cycle_input& in) {
    const state& s1 = r.points[0].s;
    const state& s2 = r.points[2].s;
    const state& s3 = r.points[3].s;
    const state& s4 = r.points[4].s;
    r.q0 = s1.h - s4.h;
    r.w = s2.h - s1.h;
    r.qc = s2.h - s3.h;
    r.cop_cooling = r.q0 / r.w;
    r.cop_heating = r.qc / r.w;
    r.pressure_ratio = s2.p / s1.p;
    r.t_discharge = s2.T;
    r.qvol = r.q0 * s1.rho;
    if (in.capacity) {
        r.mass_flow = *in.capacity / r.q0;
        r.volume_flow = *r.mass_flow / s1.rho;
        if (in.vol_eff) r.swept_volume_flow = *r.volume_flow / *in.vol_eff;
    }
    for (const cycle_point& p : r.points)
        if (p.s.warning && std::find(r.warnings.begin(), r.warnings.end(), *p.s.warning) == r.warnings.end())
            r.warnings.push_back(*p.s.warning);
}

}  // namespace

cycle_result vapour_compression(const fluid& f, const cycle_input& in) {
    detail::fp_guard guard;
    check_finite(in);
    check_input(f.info(), in);
    const bool subcritical = in.T_cond.has_value();
    const bool midpoint = in.convention == glide_convention::midpoint && f.info().glide;
    const double p_high = subcritical ? condensing_pressure(f, in, midpoint) : *in.p_high;
    const state s3 = subcritical ? phase_state(f, bubble_temperature(f, p_high, *in.T_cond) - in.subcool, p_high,
                                               phase_kind::liquid, in.subcool, 0, message_id::cycle_subcool_short)
                                 : f.at(input_pair::T_p, *in.T_gc_out, p_high, extras::none);
    const double p_evap = evaporating_pressure(f, in, midpoint, s3.h);
    const double T_dew_evap = midpoint ? *f.boundary_at_p(p_evap).lines.dew : in.T_evap;

    cycle_result r;
    r.dew_point_convention = f.info().glide && !midpoint;
    r.midpoint_convention = midpoint;
    const state s1 = phase_state(f, T_dew_evap + in.superheat, p_evap, phase_kind::gas, in.superheat, 1,
                                 message_id::cycle_superheat_short);
    const state s2s = f.at(input_pair::p_s, p_high, s1.s, extras::none);
    const double work = (s2s.h - s1.h) / in.eta;
    if (!std::isfinite(work))
        invalid(message_id::cycle_eta_work, {number_value(in.eta)});
    const state s2 = f.at(input_pair::p_h, p_high, s1.h + work, extras::none);
    const state s4 = f.at(input_pair::p_h, p_evap, s3.h, extras::none);
    r.points = {{"1", s1}, {"2s", s2s}, {"2", s2}, {"3", s3}, {"4", s4},
                {"1''", f.at(input_pair::p_x, p_evap, 1, extras::none)}};
    if (subcritical) {
        r.points.push_back({"2''", f.at(input_pair::p_x, p_high, 1, extras::none)});
        r.points.push_back({"3'", f.at(input_pair::p_x, p_high, 0, extras::none)});
    }
    add_figures(r, in);
    // Every figure finite: an efficiency of 1e-320 or a capacity of 1e308
    // overflows them.
    detail::check_fp();
    for (double v : {r.q0, r.w, r.qc, r.cop_cooling, r.cop_heating, r.pressure_ratio, r.qvol, s2.h, s2.T})
        detail::finite(v);
    for (const auto& v : {r.mass_flow, r.volume_flow, r.swept_volume_flow})
        if (v) detail::finite(*v);
    return r;
}

std::optional<message> convention_note(const cycle_result& r) {
    if (r.midpoint_convention) return message{message_id::cycle_midpoint_convention, {}};
    if (r.dew_point_convention) return message{message_id::cycle_dew_convention, {}};
    return std::nullopt;
}

std::vector<cycle_figure> figures_of(const cycle_result& r) {
    return {{"q0", quantity::energy, r.q0},
            {"w", quantity::energy, r.w},
            {"qc", quantity::energy, r.qc},
            {"cop_cooling", quantity::fraction, r.cop_cooling},
            {"cop_heating", quantity::fraction, r.cop_heating},
            {"pressure_ratio", quantity::fraction, r.pressure_ratio},
            {"t_discharge", quantity::temperature, r.t_discharge},
            {"qvol", quantity::volumetric, r.qvol},
            {"mass_flow", quantity::mass_flow, r.mass_flow},
            {"volume_flow", quantity::volume_flow, r.volume_flow},
            {"swept_volume_flow", quantity::volume_flow, r.swept_volume_flow}};
}

}  // namespace vantrel
