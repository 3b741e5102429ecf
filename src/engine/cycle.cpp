// The single-stage vapour-compression cycle, built from the fluid's states.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/fpu.h"
#include "vantrel/vantrel.h"

namespace vantrel {

namespace {

[[noreturn]] void invalid(const std::string& message) { throw error(error_kind::input, message); }

// Ten significant digits: 263.15 K, not the 263.14999999999998 of a
// conversion from degrees Celsius.
std::string readable(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
    return std::string(buf, r.ptr);
}

// A number as given: the shortest text that reads back as it (1.0000000000000002
// is not 1).
std::string exact(double v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string kelvin(double T) { return readable(T) + " K"; }
std::string pascal(double p) { return readable(p) + " Pa"; }

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
            invalid(std::string("Недопустимое значение ") + name + " = " + exact(*v) + ": нужно конечное число.");
}

void check_input(const fluid_info& i, const cycle_input& in) {
    if (!(in.eta > 0 && in.eta <= 1))
        invalid("Недопустимый КПД компрессора eta = " + exact(in.eta) + ": он должен быть больше 0 и не больше 1.");
    if (in.vol_eff && !(*in.vol_eff > 0 && *in.vol_eff <= 1))
        invalid("Недопустимый коэффициент подачи vol_eff = " + exact(*in.vol_eff) +
                ": он должен быть больше 0 и не больше 1.");
    if (!(in.superheat >= 0)) invalid("Недопустимый перегрев " + kelvin(in.superheat) + ": он не может быть отрицательным.");
    if (!(in.subcool >= 0)) invalid("Недопустимое переохлаждение " + kelvin(in.subcool) + ": оно не может быть отрицательным.");
    if (in.capacity && !(*in.capacity > 0))
        invalid("Недопустимая холодопроизводительность " + readable(*in.capacity) + " W: она должна быть больше 0.");
    if (below(in.T_evap, i.T_tp))
        invalid("Температура кипения " + kelvin(in.T_evap) + " ниже нижней границы уравнения состояния " + kelvin(i.T_tp) + ".");
    if (!(in.T_evap < i.T_cr))
        invalid("Температура кипения " + kelvin(in.T_evap) + " не ниже критической " + kelvin(i.T_cr) + ".");
    const bool subcritical = in.T_cond.has_value();
    if (subcritical == (in.T_gc_out || in.p_high) || (!subcritical && !(in.T_gc_out && in.p_high)))
        invalid("Задайте либо температуру конденсации, либо температуру на выходе из газоохладителя и высокое давление.");
    if (subcritical) {
        if (!(in.T_evap < *in.T_cond))
            invalid("Температура кипения " + kelvin(in.T_evap) + " должна быть ниже температуры конденсации " +
                    kelvin(*in.T_cond) + ".");
        if (!(*in.T_cond < i.T_cr))
            invalid("Температура конденсации " + kelvin(*in.T_cond) + " не ниже критической " + kelvin(i.T_cr) +
                    ": для транскритического цикла задайте температуру на выходе из газоохладителя и высокое давление.");
    } else {
        if (!(*in.p_high > i.p_cr))
            invalid("Высокое давление " + pascal(*in.p_high) + " не выше критического " + pascal(i.p_cr) +
                    ": транскритический цикл невозможен.");
        if (!(*in.T_gc_out > in.T_evap))
            invalid("Температура на выходе из газоохладителя " + kelvin(*in.T_gc_out) +
                    " должна быть выше температуры кипения " + kelvin(in.T_evap) + ".");
    }
}

// The pressure whose dew temperature is T: the blend's dew line, or the
// saturation pressure.
double dew_pressure(const fluid& f, double T) {
    if (f.info().glide) {
        if (const auto d = f.bubble_dew_at_T(T).dew) return *d;
    }
    if (const auto s = f.saturation_at_T(T)) return s->p;
    invalid("Нет состояния насыщения при T = " + kelvin(T) + ".");
}

// The bubble temperature at p: the blend's bubble line, or the saturation
// temperature.
double bubble_temperature(const fluid& f, double p, double T_sat) {
    if (f.info().glide) {
        if (const auto b = f.bubble_dew_at_p(p).bubble) return *b;
    }
    return T_sat;
}

// The state at (T, p) that must be of the given phase: a saturated one (x)
// when no difference is asked for, an error otherwise.
state phase_state(const fluid& f, double T, double p, phase_kind phase, double difference, double x,
                  const char* what) {
    if (difference == 0 && !f.info().glide) return f.at(input_pair::p_x, p, x, extras::none);
    const state s = f.at(input_pair::T_p, T, p, extras::none);
    if (s.phase == phase) return s;
    if (difference == 0) return f.at(input_pair::p_x, p, x, extras::none);
    invalid(std::string(what) + " " + kelvin(difference) + " недостаточно: по уравнению состояния точка при T = " +
            kelvin(T) + " и p = " + pascal(p) + " не " + (phase == phase_kind::gas ? "газ." : "жидкость."));
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
        if (!p.s.warning.empty() && std::find(r.warnings.begin(), r.warnings.end(), p.s.warning) == r.warnings.end())
            r.warnings.push_back(p.s.warning);
}

}  // namespace

cycle_result vapour_compression(const fluid& f, const cycle_input& in) {
    detail::fp_guard guard;
    check_finite(in);
    check_input(f.info(), in);
    const bool subcritical = in.T_cond.has_value();
    const double p_evap = dew_pressure(f, in.T_evap);
    const double p_high = subcritical ? dew_pressure(f, *in.T_cond) : *in.p_high;

    cycle_result r;
    r.dew_point_convention = f.info().glide;
    const state s1 = phase_state(f, in.T_evap + in.superheat, p_evap, phase_kind::gas, in.superheat, 1, "Перегрев");
    const state s2s = f.at(input_pair::p_s, p_high, s1.s, extras::none);
    const double work = (s2s.h - s1.h) / in.eta;
    if (!std::isfinite(work))
        invalid("Недопустимый КПД компрессора eta = " + exact(in.eta) + ": работа сжатия не выражается конечным числом.");
    const state s2 = f.at(input_pair::p_h, p_high, s1.h + work, extras::none);
    const state s3 = subcritical ? phase_state(f, bubble_temperature(f, p_high, *in.T_cond) - in.subcool, p_high,
                                               phase_kind::liquid, in.subcool, 0, "Переохлаждение")
                                 : f.at(input_pair::T_p, *in.T_gc_out, p_high, extras::none);
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

}  // namespace vantrel
