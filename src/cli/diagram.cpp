#include "cli/diagram.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "cli/output.h"

namespace cli {

namespace {

using plot::point;

constexpr int SAT_POINTS = 160, LINE_POINTS = 90;

const plot::line_style DOME{"#c00000", 2.0, 1}, ISOTHERM{"#1f5fbf", 0.8, 1}, ISENTROPE{"#2e8b57", 0.8, 2},
    QUALITY{"#909090", 0.6, 3}, ISOCHORE{"#b8860b", 0.8, 4}, CYCLE{"#000000", 2.0, 1};

// The window and the units of the picture, and conversions of SI values.
struct frame {
    unit_system u;
    double p_lo, p_hi, h_lo, h_hi;  // SI
    point at(double h, double p) const {
        return {from_si(quantity::energy, u, h), from_si(quantity::pressure, u, p)};
    }
    bool inside(double h, double p) const { return h >= h_lo && h <= h_hi && p >= p_lo && p <= p_hi; }
};

// n values from a to b, evenly spaced in ln.
std::vector<double> log_spaced(double a, double b, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(a * std::pow(b / a, static_cast<double>(i) / (n - 1)));
    return v;
}

// The saturated states from the lower limit to just below the critical
// point, denser towards it (evenly in sqrt(1 - T/T_cr)).
std::vector<vantrel::saturation> saturation_curve(const vantrel::fluid& f) {
    const auto& i = f.info();
    const double top = std::sqrt(1 - i.T_tp / i.T_cr), bottom = 1e-3;
    std::vector<vantrel::saturation> out;
    for (int k = 0; k < SAT_POINTS; ++k) {
        const double y = top + (bottom - top) * k / (SAT_POINTS - 1);
        if (const auto s = f.saturation_at_T(i.T_cr * (1 - y * y))) out.push_back(*s);
    }
    return out;
}

// A curve of states, skipping those the engine refuses (the neighbourhood of
// the critical point, states that do not exist).
plot::curve states_curve(const frame& fr, const std::vector<double>& values,
                         const std::function<vantrel::state(double)>& at, const plot::line_style& style) {
    plot::curve c{{}, style};
    for (const double v : values) {
        try {
            const vantrel::state s = at(v);
            c.points.push_back(fr.at(s.h, s.p));
        } catch (const vantrel::error&) {
        }
    }
    return c;
}

// A label on the curve at the point inside the window nearest to the given
// height (a fraction of the window's log p span), along the curve.
void add_label(plot::figure& fig, const frame& fr, const plot::curve& c, double height, const std::string& text) {
    const point lo = fr.at(fr.h_lo, fr.p_lo), hi = fr.at(fr.h_hi, fr.p_hi);
    const double target = std::log(lo.y) + height * (std::log(hi.y) - std::log(lo.y));
    std::size_t best = c.points.size();
    for (std::size_t k = 1; k + 1 < c.points.size(); ++k) {
        const point& p = c.points[k];
        const bool in = p.x > lo.x + 0.03 * (hi.x - lo.x) && p.x < hi.x - 0.03 * (hi.x - lo.x) && p.y > lo.y && p.y < hi.y;
        if (in && (best == c.points.size() ||
                   std::fabs(std::log(p.y) - target) < std::fabs(std::log(c.points[best].y) - target)))
            best = k;
    }
    if (best == c.points.size()) return;
    // No label on top of another: at least 2.5 % of the window apart.
    const auto apart = [&](const point& p, const point& q) {
        const double dx = (p.x - q.x) / (hi.x - lo.x), dy = std::log(p.y / q.y) / std::log(hi.y / lo.y);
        return dx * dx + dy * dy > 0.025 * 0.025;
    };
    for (const plot::label& l : fig.labels)
        if (!apart(l.at, c.points[best])) return;
    const point& a = c.points[best - 1];
    const point& b = c.points[best + 1];
    // Text reads left to right, or upwards along a steep curve.
    const double dx = (b.x - a.x) / (hi.x - lo.x), dy = std::log(b.y / a.y) / std::log(hi.y / lo.y);
    const bool forward = std::fabs(dy) > std::fabs(dx) ? dy > 0 : dx > 0;
    // (The ratio first: a product of two pressures near the ends of the range
    // of doubles would not be one.)
    const point& at = c.points[best];
    const point towards = forward ? point{at.x + (b.x - a.x), at.y * (b.y / a.y)}
                                  : point{at.x + (a.x - b.x), at.y * (a.y / b.y)};
    fig.labels.push_back({at, towards, text, c.style.color, 1});
}

// A "nice" step (1, 2 or 5 times a power of ten) giving about n intervals.
double nice_step(double span, int n) {
    const double raw = span / n, mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * mag) return m * mag;
    return 10 * mag;
}

std::string value_text(double v) { return rounded_text(std::fabs(v) < 1e-12 ? 0.0 : v); }

}  // namespace

namespace {

frame window_of(const vantrel::fluid& f, const std::vector<vantrel::saturation>& dome, const diagram_request& r) {
    const auto& i = f.info();
    double h_vap_max = dome.front().h_vap;
    for (const auto& s : dome) h_vap_max = std::max(h_vap_max, s.h_vap);
    const double span = h_vap_max - dome.front().h_liq;
    frame fr{r.units, i.p_tp, 2 * i.p_cr, dome.front().h_liq - 0.05 * span, h_vap_max + 0.6 * span};
    if (r.p_range) {
        fr.p_lo = to_si(quantity::pressure, r.units, r.p_range->first);
        fr.p_hi = to_si(quantity::pressure, r.units, r.p_range->second);
    }
    if (r.h_range) {
        fr.h_lo = to_si(quantity::energy, r.units, r.h_range->first);
        fr.h_hi = to_si(quantity::energy, r.units, r.h_range->second);
    }
    return fr;
}

// The dome: the saturated liquid upwards, the critical point, the saturated
// vapour downwards; and the lines of constant quality.
void add_dome(plot::figure& fig, const frame& fr, const std::vector<vantrel::saturation>& dome) {
    plot::curve c{{}, DOME};
    for (const auto& s : dome) c.points.push_back(fr.at(s.h_liq, s.p));
    const auto& top = dome.back();
    const point critical = fr.at(0.5 * (top.h_liq + top.h_vap), top.p);
    c.points.push_back(critical);
    for (auto s = dome.rbegin(); s != dome.rend(); ++s) c.points.push_back(fr.at(s->h_vap, s->p));
    fig.curves.push_back(std::move(c));
    fig.markers.push_back({critical, "", DOME.color, false});
    for (int k = 1; k <= 9; ++k) {
        const double x = 0.1 * k;
        plot::curve q{{}, QUALITY};
        for (const auto& s : dome) q.points.push_back(fr.at(s.h_liq + x * (s.h_vap - s.h_liq), s.p));
        q.points.push_back(critical);
        add_label(fig, fr, q, 0.04, value_text(x));
        fig.curves.push_back(std::move(q));
    }
}

std::optional<double> saturation_pressure(const vantrel::fluid& f, double T) {
    const auto s = f.saturation_at_T(T);
    return s ? std::optional<double>(s->p) : std::nullopt;
}

void add_isotherms(plot::figure& fig, const vantrel::fluid& f, const frame& fr) {
    const auto& i = f.info();
    double T_hi = i.T_max.value_or(2 * i.T_cr);
    try {
        T_hi = std::min(T_hi, f.at(vantrel::input_pair::p_h, fr.p_lo, fr.h_hi, vantrel::extras::none).T);
    } catch (const vantrel::error&) {
    }
    const double lo = from_si(quantity::temperature, fr.u, i.T_tp), hi = from_si(quantity::temperature, fr.u, T_hi);
    const double step = (hi - lo) / 10 > 25 ? 20 : 10;
    for (double t = std::ceil(lo / step) * step; t <= hi; t += step) {
        const double T = to_si(quantity::temperature, fr.u, t);
        const auto at = [&](double p) { return f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none); };
        const std::optional<double> p_s = T < i.T_cr ? saturation_pressure(f, T) : std::nullopt;
        std::vector<double> gas_p = log_spaced(fr.p_lo, fr.p_hi, 2 * LINE_POINTS), liquid_p;
        if (p_s) {
            gas_p = *p_s > fr.p_lo ? log_spaced(fr.p_lo, *p_s * (1 - 1e-9), LINE_POINTS) : std::vector<double>{};
            liquid_p = log_spaced(*p_s * (1 + 1e-9), std::max(fr.p_hi, 2 * *p_s), LINE_POINTS);
        }
        const plot::curve gas = states_curve(fr, gas_p, at, ISOTHERM);
        plot::curve whole = gas;
        const plot::curve liquid = states_curve(fr, liquid_p, at, ISOTHERM);
        whole.points.insert(whole.points.end(), liquid.points.begin(), liquid.points.end());
        add_label(fig, fr, gas, 0.12, value_text(t));
        fig.curves.push_back(std::move(whole));
    }
}

void add_isentropes(plot::figure& fig, const vantrel::fluid& f, const frame& fr, const vantrel::saturation& top) {
    double s_hi = 0;
    try {
        s_hi = f.at(vantrel::input_pair::p_h, fr.p_lo, fr.h_hi, vantrel::extras::none).s;
    } catch (const vantrel::error&) {
        return;
    }
    const double lo = from_si(quantity::entropy, fr.u, 0.5 * (top.s_liq + top.s_vap));
    const double hi = from_si(quantity::entropy, fr.u, s_hi);
    if (!(hi > lo)) return;
    const double step = nice_step(hi - lo, 8);
    const std::vector<double> ps = log_spaced(fr.p_lo, fr.p_hi, LINE_POINTS);
    // Counted, not summed: a step below the spacing of doubles near lo
    // would never get to hi.
    const double first = std::ceil(lo / step);
    for (int k = 0; k <= 20 && (first + k) * step <= hi; ++k) {
        const double s = (first + k) * step;
        const double s_si = to_si(quantity::entropy, fr.u, s);
        const auto at = [&](double p) { return f.at(vantrel::input_pair::p_s, p, s_si, vantrel::extras::none); };
        plot::curve c = states_curve(fr, ps, at, ISENTROPE);
        add_label(fig, fr, c, 0.75, value_text(s));
        fig.curves.push_back(std::move(c));
    }
}

void add_isochores(plot::figure& fig, const vantrel::fluid& f, const frame& fr,
                   const std::vector<vantrel::saturation>& dome) {
    const auto& i = f.info();
    const double rho_lo = dome.front().rho_vap, rho_c = 0.5 * (dome.back().rho_liq + dome.back().rho_vap);
    std::vector<double> values;
    for (int e = static_cast<int>(std::floor(std::log10(rho_lo))); e <= 4; ++e)
        for (const double m : {1.0, 2.0, 5.0})
            if (const double rho = m * std::pow(10.0, e); rho > rho_lo && rho < rho_c / 1.5) values.push_back(rho);
    // A few: every second or third of the 1-2-5 values when there are many.
    const std::size_t stride = (values.size() + 5) / 6;
    std::vector<double> Ts;
    for (int k = 0; k < 2 * LINE_POINTS; ++k) Ts.push_back(i.T_tp + (2 * i.T_cr - i.T_tp) * k / (2 * LINE_POINTS - 1));
    for (std::size_t k = 0; k < values.size(); k += std::max<std::size_t>(1, stride)) {
        const double rho = values[k];
        const auto at = [&](double T) { return f.at(vantrel::input_pair::T_rho, T, rho, vantrel::extras::none); };
        plot::curve c = states_curve(fr, Ts, at, ISOCHORE);
        add_label(fig, fr, c, 0.55, value_text(rho));
        fig.curves.push_back(std::move(c));
    }
}

void add_cycle(plot::figure& fig, const frame& fr, const vantrel::cycle_result& cyc) {
    const auto find = [&](const char* name) -> const vantrel::state& {
        for (const auto& p : cyc.points)
            if (p.name == name) return p.s;
        return cyc.points.front().s;
    };
    plot::curve c{{}, CYCLE};
    for (const char* name : {"1", "2", "3", "4", "1"}) c.points.push_back(fr.at(find(name).h, find(name).p));
    fig.curves.push_back(std::move(c));
    fig.curves.push_back({{fr.at(find("1").h, find("1").p), fr.at(find("2s").h, find("2s").p)}, {"#000000", 1.0, 2}});
    for (const char* name : {"1", "2s", "2", "3", "4"}) {
        const bool left = std::string(name) == "2s";  // beside 2, which lies to its right
        fig.markers.push_back({fr.at(find(name).h, find(name).p), name, "#000000", left});
    }
}

}  // namespace

plot::figure log_ph_diagram(const vantrel::fluid& f, const diagram_request& r) {
    const std::vector<vantrel::saturation> dome = saturation_curve(f);
    if (dome.size() < 2) throw vantrel::error(vantrel::error_kind::data, vantrel::message_id::dome_not_computed,
                                                 {vantrel::text_value(f.info().agent)});
    const frame fr = window_of(f, dome, r);
    const auto& i = f.info();
    plot::figure fig;
    fig.title = (i.name.empty() ? i.agent : i.name) + ": log p-h diagram";
    fig.subtitle = i.description + (i.reference_state.empty() ? "" : "; reference state " + i.reference_state);
    fig.source = i.source;
    fig.x_label = "h [" + std::string(unit_name(quantity::energy, r.units)) + "]";
    fig.y_label = "p [" + std::string(unit_name(quantity::pressure, r.units)) + "]";
    const point lo = fr.at(fr.h_lo, fr.p_lo), hi = fr.at(fr.h_hi, fr.p_hi);
    fig.x_min = lo.x;
    fig.x_max = hi.x;
    fig.y_min = lo.y;
    fig.y_max = hi.y;
    add_isochores(fig, f, fr, dome);
    add_isentropes(fig, f, fr, dome.back());
    add_isotherms(fig, f, fr);
    add_dome(fig, fr, dome);
    fig.legend = {{"saturation line", DOME},
                  {"isotherms, " + std::string(unit_name(quantity::temperature, r.units)), ISOTHERM},
                  {"isentropes, " + std::string(unit_name(quantity::entropy, r.units)), ISENTROPE},
                  {"vapour quality x", QUALITY},
                  {"isochores, kg/m³", ISOCHORE}};
    if (r.cycle) {
        add_cycle(fig, fr, *r.cycle);
        fig.legend.push_back({"cycle", CYCLE});
    }
    return fig;
}

}  // namespace cli
