#include "cli/diagram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "cli/chart_layout.h"
#include "cli/output.h"

namespace cli {

namespace {

using plot::point;

constexpr int SAT_POINTS = 160, LINE_POINTS = 90, GLIDE_POINTS = 20;

const plot::line_style DOME{"#c00000", 2.0, 1}, ISOTHERM{"#1f5fbf", 0.8, 1}, ISENTROPE{"#2e8b57", 0.8, 1},
    QUALITY{"#a0a0a0", 0.6, 1}, ISOCHORE{"#b8860b", 0.8, 3}, CYCLE{"#000000", 2.0, 1};

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

// The dome's temperatures from the lower limit to just below the critical
// point, denser towards it (evenly in sqrt(1 - T/T_cr)).
std::vector<double> dome_temperatures(const vantrel::fluid_info& i) {
    const double top = std::sqrt(1 - i.T_tp / i.T_cr), bottom = 1e-3;
    std::vector<double> out;
    for (int k = 0; k < SAT_POINTS; ++k) {
        const double y = top + (bottom - top) * k / (SAT_POINTS - 1);
        out.push_back(i.T_cr * (1 - y * y));
    }
    return out;
}

// A point of the dome, SI units.
struct dome_point {
    double h, p;
};

// The dome: the liquid's line (saturated liquid, or a mixture's bubble line)
// and the vapour's (saturated vapour, or the dew line), each in rising
// pressure, and the critical point where they meet.
struct dome_lines {
    std::vector<dome_point> liquid, vapour;
    dome_point critical{};
};

bool has_envelope(const vantrel::fluid& f) { return f.info().boundary == vantrel::boundary_kind::envelope; }

// The boundary at T or p; none where the engine refuses it.
std::optional<vantrel::phase_boundary> boundary_at(const vantrel::fluid& f, bool by_T, double v) {
    try {
        return by_T ? f.boundary_at_T(v) : f.boundary_at_p(v);
    } catch (const vantrel::error&) {
        return std::nullopt;
    }
}

// The dome: the bubble points' liquid and the dew points' vapour at the
// dome's temperatures (a pure fluid's saturated liquid and vapour). A
// mixture's lines stop below the refused neighbourhood of its critical
// point, and go on with the points its envelope traced there; its critical
// point, refused as a state, is drawn at the critical pressure halfway
// between the enthalpies of the two lines' last points.
dome_lines dome_of(const vantrel::fluid& f) {
    const bool envelope = has_envelope(f);
    const double top = envelope ? f.envelope().T_refused : INFINITY;
    dome_lines d;
    for (const double T : dome_temperatures(f.info())) {
        if (T >= top) break;
        const std::optional<vantrel::phase_boundary> b = boundary_at(f, true, T);
        if (!b) continue;
        if (b->bubble) d.liquid.push_back({b->bubble->h_liquid, b->bubble->p});
        if (b->dew) d.vapour.push_back({b->dew->h_vapour, b->dew->p});
    }
    if (envelope) {
        const vantrel::phase_envelope& e = f.envelope();
        for (const auto& q : e.bubble)
            if (d.liquid.empty() || q.p > d.liquid.back().p) d.liquid.push_back({q.h_liquid, q.p});
        for (const auto& q : e.dew)
            if (d.vapour.empty() || q.p > d.vapour.back().p) d.vapour.push_back({q.h_vapour, q.p});
    }
    if (!d.liquid.empty() && !d.vapour.empty())
        d.critical = {0.5 * (d.liquid.back().h + d.vapour.back().h),
                      envelope ? f.envelope().p_critical : d.liquid.back().p};
    return d;
}

// The two-phase region's edges at one temperature or pressure: the liquid
// on the bubble line and the vapour on the dew line (for a pure fluid both
// of the one saturation state).
struct edges {
    double T_dew, p_bubble, p_dew, h_liquid, h_vapour;
};

std::optional<edges> edges_at(const vantrel::fluid& f, bool by_T, double v) {
    const std::optional<vantrel::phase_boundary> b = boundary_at(f, by_T, v);
    if (!b || !b->bubble || !b->dew) return std::nullopt;
    return edges{b->dew->T, b->bubble->p, b->dew->p, b->bubble->h_liquid, b->dew->h_vapour};
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

// How many multiples of step lie strictly between lo and hi.
int multiples(double lo, double hi, double step) {
    const double first = std::floor(lo / step) + 1, last = std::ceil(hi / step) - 1;
    return last >= first ? static_cast<int>(last - first) + 1 : 0;
}

// How far a count of lines falls outside 8 to 15.
int miss(int n) { return n < 8 ? 8 - n : n > 15 ? n - 15 : 0; }

// The step of round mantissas (1-2-5 by default) giving 8 to 15 values
// between lo and hi, or the count nearest to that (the coarser step on a tie).
double step_between(double lo, double hi, const std::vector<double>& mantissas = {1, 2, 5}) {
    const double mag = std::pow(10.0, std::floor(std::log10(hi - lo)) - 2);
    double best = mag;
    for (int e = 0; e < 4; ++e)
        for (const double m : mantissas)
            if (const double step = m * mag * std::pow(10.0, e); miss(multiples(lo, hi, step)) <= miss(multiples(lo, hi, best)))
                best = step;
    return best;
}

// Values between lo and hi > 0 from a series of round mantissas per decade,
// the coarsest giving 8 to 15 of them (or the nearest count).
std::vector<double> log_values_between(double lo, double hi) {
    static const std::vector<std::vector<double>> SERIES = {
        {1}, {1, 3}, {1, 2, 5}, {1, 2, 3, 5}, {1, 2, 3, 5, 7}, {1, 1.5, 2, 3, 5, 7}, {1, 1.5, 2, 3, 4, 5, 6, 8},
        {1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8}};
    std::vector<double> best;
    for (const auto& series : SERIES) {
        std::vector<double> v;
        for (int e = static_cast<int>(std::floor(std::log10(lo))); e <= static_cast<int>(std::ceil(std::log10(hi))); ++e)
            for (const double m : series)
                if (const double x = m * std::pow(10.0, e); x > lo && x < hi) v.push_back(x);
        if (best.empty() || miss(static_cast<int>(v.size())) < miss(static_cast<int>(best.size()))) best = v;
    }
    return best;
}

// A value as a label writes it: shortest round trip, a true minus sign.
std::string value_text(double v) {
    std::string t = rounded_text(std::fabs(v) < 1e-12 ? 0.0 : v);
    return !t.empty() && t[0] == '-' ? "\u2212" + t.substr(1) : t;
}

// A fixed number of decimals, a true minus sign.
std::string fixed_text(double v, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    const std::string t(buf, r.ptr);
    return !t.empty() && t[0] == '-' ? "\u2212" + t.substr(1) : t;
}

// A label a curve asks for: on which part of it, where on the chart it goes
// best (a fraction of the height), and how soon it is placed (lower first).
struct wanted_label {
    std::size_t curve;
    std::vector<point> part;
    double height;
    std::string text;
    int order;
};

// The chart being built: the window, the dome, the figure and its labels.
struct chart {
    const vantrel::fluid& f;
    dome_lines dome;
    frame fr;
    plot::figure fig;
    std::vector<wanted_label> wanted;
    double isotherm_step = 0;  // in the chart's units

    // The saturated vapour's enthalpy at a pressure (SI), linear in ln p
    // between the dome's points; the critical one above them.
    double h_vap(double p) const {
        const std::vector<dome_point>& v = dome.vapour;
        const auto it =
            std::lower_bound(v.begin(), v.end(), p, [](const dome_point& s, double value) { return s.p < value; });
        if (it == v.end()) return dome.critical.h;
        if (it == v.begin()) return it->h;
        const auto prev = it - 1;
        const double t = std::log(p / prev->p) / std::log(it->p / prev->p);
        return prev->h + t * (it->h - prev->h);
    }
    // The longest run of a curve's points right of the dome (vapour, or
    // above the critical point).
    std::vector<point> right_of_dome(const plot::curve& c) const {
        std::vector<point> best, run;
        for (const point& q : c.points) {
            if (to_si(quantity::energy, fr.u, q.x) > h_vap(to_si(quantity::pressure, fr.u, q.y))) {
                run.push_back(q);
                if (run.size() > best.size()) best = run;
            } else {
                run.clear();
            }
        }
        return best;
    }
    void add(plot::curve c, std::vector<point> part, double height, const std::string& text, int order) {
        wanted.push_back({fig.curves.size(), std::move(part), height, text, order});
        fig.curves.push_back(std::move(c));
    }
    void want(std::vector<point> part, double height, const std::string& text, int order) {
        wanted.push_back({fig.curves.size() - 1, std::move(part), height, text, order});
    }
};

}  // namespace

namespace {

// Saturation from -60 °C (or the triple point) to above the critical point;
// the dome's width about three quarters of the plot's.
frame window_of(const vantrel::fluid& f, const dome_lines& dome, const diagram_request& r) {
    const auto& i = f.info();
    const double T_lo = std::max({213.15, i.T_tp, i.T_min.value_or(0)});
    const edges low = edges_at(f, true, T_lo).value_or(edges{T_lo, dome.liquid.front().p, dome.vapour.front().p,
                                                             dome.liquid.front().h, dome.vapour.front().h});
    double h_vap_max = low.h_vapour;
    for (const auto& s : dome.vapour)
        if (s.p >= low.p_dew) h_vap_max = std::max(h_vap_max, s.h);
    const double span = h_vap_max - low.h_liquid;
    frame fr{r.units, 0.95 * low.p_dew, 2 * i.p_cr, low.h_liquid - 0.04 * span, h_vap_max + 0.32 * span};
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

// A pure fluid's quality line, between the dome's points.
plot::curve quality_between(const chart& ch, double x) {
    const dome_lines& d = ch.dome;
    plot::curve q{{}, QUALITY};
    for (std::size_t k = 0; k < d.liquid.size(); ++k)
        q.points.push_back(ch.fr.at(d.liquid[k].h + x * (d.vapour[k].h - d.liquid[k].h), d.liquid[k].p));
    return q;
}

// A mixture's quality line, its states at the pressures of the dew line's
// points (denser towards the critical point) from the last below the window
// up to the refused neighbourhood of the critical point.
plot::curve quality_states(const chart& ch, double x) {
    std::vector<double> ps;
    for (const auto& s : ch.dome.vapour) ps.push_back(s.p);
    auto first = std::upper_bound(ps.begin(), ps.end(), ch.fr.p_lo);
    if (first != ps.begin()) --first;
    const auto last = std::lower_bound(first, ps.end(), ch.f.envelope().p_refused);
    const auto at = [&](double p) { return ch.f.at(vantrel::input_pair::p_x, p, x, vantrel::extras::none); };
    return states_curve(ch.fr, std::vector<double>(first, last), at, QUALITY);
}

// The dome: the saturated liquid (bubble line) upwards, the critical point,
// the saturated vapour (dew line) downwards; and the lines of constant quality.
void add_dome(chart& ch) {
    const frame& fr = ch.fr;
    plot::curve c{{}, DOME};
    for (const auto& s : ch.dome.liquid) c.points.push_back(fr.at(s.h, s.p));
    const point critical = fr.at(ch.dome.critical.h, ch.dome.critical.p);
    c.points.push_back(critical);
    for (auto s = ch.dome.vapour.rbegin(); s != ch.dome.vapour.rend(); ++s) c.points.push_back(fr.at(s->h, s->p));
    ch.fig.curves.push_back(std::move(c));
    ch.fig.markers.push_back({critical, "", DOME.color, false});
    for (int k = 1; k <= 9; ++k) {
        const double x = 0.1 * k;
        plot::curve q = has_envelope(ch.f) ? quality_states(ch, x) : quality_between(ch, x);
        q.points.push_back(critical);
        std::vector<point> part = q.points;
        ch.add(std::move(q), std::move(part), 0.05, value_text(x), 4);
    }
}

// The points of a curve below (or from) a pressure in the units of the chart.
std::vector<point> split_at(const std::vector<point>& pts, double p, bool below) {
    std::vector<point> out;
    for (const point& q : pts)
        if ((q.y < p) == below) out.push_back(q);
    return out;
}

// A mixture's isotherm inside the two-phase region, from next to its dew
// point down in quality to next to its bubble point; none for a pure
// fluid, whose isotherm crosses straight.
std::vector<point> two_phase_part(const chart& ch, double T) {
    if (!has_envelope(ch.f)) return {};
    std::vector<double> xs;
    for (int k = GLIDE_POINTS - 1; k > 0; --k) xs.push_back(static_cast<double>(k) / GLIDE_POINTS);
    const auto at = [&](double x) { return ch.f.at(vantrel::input_pair::T_x, T, x, vantrel::extras::none); };
    return states_curve(ch.fr, xs, at, ISOTHERM).points;
}

// One isotherm: vapour below the dew pressure, the two-phase part, liquid
// above the bubble pressure; above the critical temperature (or too close
// to it for a mixture's bubble and dew points) the gas below and the fluid
// above the critical pressure. Labelled in each.
void add_isotherm(chart& ch, double t, double T) {
    const vantrel::fluid& f = ch.f;
    const frame& fr = ch.fr;
    const auto& i = f.info();
    const auto at = [&](double p) { return f.at(vantrel::input_pair::T_p, T, p, vantrel::extras::none); };
    const std::optional<edges> e = T < i.T_cr ? edges_at(f, true, T) : std::nullopt;
    const std::string text = value_text(t);
    if (!e) {
        plot::curve c = states_curve(fr, log_spaced(fr.p_lo, fr.p_hi, 2 * LINE_POINTS), at, ISOTHERM);
        const double p_cr = from_si(quantity::pressure, fr.u, i.p_cr);
        std::vector<point> above = split_at(c.points, p_cr, false), below = split_at(c.points, p_cr, true);
        ch.add(std::move(c), std::move(above), 0.92, text, 1);
        ch.want(std::move(below), 0.06, text, 1);
        return;
    }
    const std::vector<double> gas_p =
        e->p_dew > fr.p_lo ? log_spaced(fr.p_lo, e->p_dew * (1 - 1e-9), LINE_POINTS) : std::vector<double>{};
    const plot::curve gas = states_curve(fr, gas_p, at, ISOTHERM);
    const plot::curve liquid = states_curve(
        fr, log_spaced(e->p_bubble * (1 + 1e-9), std::max(fr.p_hi, 2 * e->p_bubble), LINE_POINTS), at, ISOTHERM);
    const std::vector<point> wet = two_phase_part(ch, T);
    plot::curve whole = gas;
    whole.points.insert(whole.points.end(), wet.begin(), wet.end());
    whole.points.insert(whole.points.end(), liquid.points.begin(), liquid.points.end());
    ch.add(std::move(whole), liquid.points, 0.8, text, 0);
    ch.want(gas.points, 0.06, text, 1);
}

void add_isotherms(chart& ch) {
    const auto& i = ch.f.info();
    const frame& fr = ch.fr;
    // The warmest state of the window: at its right edge, at the top or the bottom.
    double T_right = 0;
    for (const double p : {fr.p_lo, fr.p_hi}) {
        try {
            T_right = std::max(T_right, ch.f.at(vantrel::input_pair::p_h, p, fr.h_hi, vantrel::extras::none).T);
        } catch (const vantrel::error&) {
        }
    }
    const double T_hi = std::min(i.T_max.value_or(2 * i.T_cr), T_right > 0 ? T_right : 2 * i.T_cr);
    // The window's bottom: a little below the triple point's pressure when that limits it.
    const auto bottom = edges_at(ch.f, false, fr.p_lo);
    const double lo = from_si(quantity::temperature, fr.u, bottom ? bottom->T_dew : i.T_tp - 1);
    const double hi = from_si(quantity::temperature, fr.u, T_hi);
    const double step = step_between(lo, from_si(quantity::temperature, fr.u, i.T_cr));
    ch.isotherm_step = step;
    const double first = std::floor(lo / step) + 1;
    for (int k = 0; k < 200 && (first + k) * step < hi; ++k) {
        const double t = (first + k) * step;
        add_isotherm(ch, t, to_si(quantity::temperature, fr.u, t));
    }
}

// The least and greatest entropy and density (SI) of the vapour in the window,
// sampled on a grid right of the dome below the critical pressure, a little
// inside the window's edges (a line that only cuts a corner has no room for
// its label).
struct vapour_ranges {
    double s_lo = INFINITY, s_hi = -INFINITY, rho_lo = INFINITY, rho_hi = -INFINITY;
};

vapour_ranges vapour_of(const chart& ch) {
    const frame& fr = ch.fr;
    vapour_ranges r;
    const double p_top = std::min(fr.p_hi, 0.95 * ch.f.info().p_cr), p_bottom = fr.p_lo * std::pow(fr.p_hi / fr.p_lo, 0.08);
    const double h_right = fr.h_hi - 0.05 * (fr.h_hi - fr.h_lo);
    if (!(p_top > p_bottom)) return r;
    for (const double p : log_spaced(p_bottom, p_top, 16)) {
        const double h0 = std::max(fr.h_lo, ch.h_vap(p) * (1 + 1e-6) + 1e-3);
        for (int k = 0; k < 16 && h0 < h_right; ++k) {
            try {
                const vantrel::state st =
                    ch.f.at(vantrel::input_pair::p_h, p, h0 + (h_right - h0) * k / 15, vantrel::extras::none);
                r.s_lo = std::min(r.s_lo, st.s), r.s_hi = std::max(r.s_hi, st.s);
                r.rho_lo = std::min(r.rho_lo, st.rho), r.rho_hi = std::max(r.rho_hi, st.rho);
            } catch (const vantrel::error&) {
            }
        }
    }
    return r;
}

void add_isentropes(chart& ch, const vapour_ranges& v) {
    const frame& fr = ch.fr;
    if (!(v.s_hi > v.s_lo)) return;
    const double lo = from_si(quantity::entropy, fr.u, v.s_lo), hi = from_si(quantity::entropy, fr.u, v.s_hi);
    const double step = step_between(lo, hi, {1, 2, 2.5, 5});
    const std::vector<double> ps = log_spaced(fr.p_lo, fr.p_hi, LINE_POINTS);
    const double first = std::floor(lo / step) + 1;
    for (int k = 0; k < 20 && (first + k) * step < hi; ++k) {
        const double s = (first + k) * step;
        const double s_si = to_si(quantity::entropy, fr.u, s);
        const auto at = [&](double p) { return ch.f.at(vantrel::input_pair::p_s, p, s_si, vantrel::extras::none); };
        plot::curve c = states_curve(fr, ps, at, ISENTROPE);
        std::vector<point> part = ch.right_of_dome(c);
        ch.add(std::move(c), std::move(part), 0.84, value_text(s), 2);
    }
}

void add_isochores(chart& ch, const vapour_ranges& v) {
    if (!(v.rho_hi > v.rho_lo && v.rho_lo > 0)) return;
    const auto& i = ch.f.info();
    double T_top = 2 * i.T_cr;
    try {
        T_top = ch.f.at(vantrel::input_pair::p_h, ch.fr.p_lo, ch.fr.h_hi, vantrel::extras::none).T;
    } catch (const vantrel::error&) {
    }
    std::vector<double> Ts;
    const double T_bottom = std::max(i.T_tp, 0.6 * i.T_cr);
    for (int k = 0; k < 2 * LINE_POINTS; ++k) Ts.push_back(T_bottom + (T_top - T_bottom) * k / (2 * LINE_POINTS - 1));
    for (const double rho : log_values_between(v.rho_lo, v.rho_hi)) {
        const auto at = [&](double T) { return ch.f.at(vantrel::input_pair::T_rho, T, rho, vantrel::extras::none); };
        plot::curve c = states_curve(ch.fr, Ts, at, ISOCHORE);
        std::vector<point> part = ch.right_of_dome(c);
        ch.add(std::move(c), std::move(part), 0.45, value_text(rho), 3);
    }
}

const vantrel::state& cycle_state(const vantrel::cycle_result& cyc, const std::string& name) {
    for (const auto& p : cyc.points)
        if (p.name == name) return p.s;
    return cyc.points.front().s;
}

const char* const CYCLE_POINTS[] = {"1", "2s", "2", "3", "4"};

void add_cycle(chart& ch, const vantrel::cycle_result& cyc, label_layout& layout) {
    const auto at = [&](const char* name) { return ch.fr.at(cycle_state(cyc, name).h, cycle_state(cyc, name).p); };
    plot::curve c{{}, CYCLE};
    for (const char* name : {"1", "2", "3", "4", "1"}) c.points.push_back(at(name));
    layout.keep_clear(c.points);
    ch.fig.curves.push_back(std::move(c));
    ch.fig.curves.push_back({{at("1"), at("2s")}, {"#000000", 1.0, 2}});
    for (const char* name : CYCLE_POINTS) {
        ch.fig.markers.push_back({at(name), "", "#000000", false});
        layout.keep_free(at(name), 5);
    }
}

// The cycle's points as a table of T, p and h in a corner of the plot, the
// one that hides least (it never covers a cycle point or its line).
void add_cycle_table(chart& ch, const vantrel::cycle_result& cyc, label_layout& layout) {
    const unit_system u = ch.fr.u;
    std::vector<std::vector<std::string>> rows = {{"", "T, " + std::string(unit_name(quantity::temperature, u)),
                                                   "p, " + std::string(unit_name(quantity::pressure, u)),
                                                   "h, " + std::string(unit_name(quantity::energy, u))}};
    for (const char* name : CYCLE_POINTS) {
        const vantrel::state& s = cycle_state(cyc, name);
        const double p = from_si(quantity::pressure, u, s.p), h = from_si(quantity::energy, u, s.h);
        rows.push_back({name, fixed_text(from_si(quantity::temperature, u, s.T), 1),
                        fixed_text(p, p < 1 ? 3 : p < 10 ? 2 : p < 100 ? 1 : 0),
                        fixed_text(h, std::fabs(h) < 1e4 ? 1 : 0)});
    }
    const double size = 0.95, font = plot::LABEL_PX * size, row_h = 1.4 * font, pad = 6;
    std::vector<double> widths(4, 0);
    for (const auto& row : rows)
        for (std::size_t k = 0; k < 4; ++k) widths[k] = std::max(widths[k], plot::text_width(row[k], font) + 12);
    const double w = widths[0] + widths[1] + widths[2] + widths[3] + pad, h = rows.size() * row_h + pad;
    const double left = plot::PAGE_WIDTH * plot::AREA_LEFT + 8, right = plot::PAGE_WIDTH * plot::AREA_RIGHT - 8 - w,
                 top = plot::PAGE_HEIGHT * (1 - plot::AREA_TOP) + 8,
                 bottom = plot::PAGE_HEIGHT * (1 - plot::AREA_BOTTOM) - 8 - h;
    quad best{};
    int best_score = -1;
    for (const point corner : {point{left, top}, point{right, top}, point{right, bottom}, point{left, bottom}}) {
        const quad box{corner, point{corner.x + w, corner.y}, point{corner.x + w, corner.y + h},
                       point{corner.x, corner.y + h}};
        const int score = layout.crowding(box) + (layout.free(box, true) ? 0 : 100000);
        if (best_score < 0 || score < best_score) best = box, best_score = score;
    }
    ch.fig.panels.push_back({plot::figure_of(ch.fig, best[3]), plot::figure_of(ch.fig, best[1])});
    layout.block(best);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        double x = best[0].x + pad / 2;
        const double y = best[0].y + pad / 2 + (r + 0.5) * row_h;
        for (std::size_t k = 0; k < 4; ++k) {
            x += widths[k];
            const double anchor = k == 0 ? x - widths[k] + 4 : x - 6;
            ch.fig.labels.push_back({plot::figure_of(ch.fig, {anchor, y}), plot::figure_of(ch.fig, {anchor + 10, y}),
                                     rows[r][k], "#000000", size, k == 0 ? 0.0 : 1.0, false});
        }
    }
}

// Places the labels the curves asked for, in their order (on the rest of
// the curve when its part has no room); a curve that asked and got none is
// not drawn.
void place_labels(chart& ch, label_layout& layout) {
    std::stable_sort(ch.wanted.begin(), ch.wanted.end(),
                     [](const wanted_label& a, const wanted_label& b) { return a.order < b.order; });
    std::vector<int> asked(ch.fig.curves.size(), 0), got(ch.fig.curves.size(), 0);
    for (const wanted_label& w : ch.wanted) {
        ++asked[w.curve];
        const plot::curve& c = ch.fig.curves[w.curve];
        if (layout.along(w.part, w.text, c.style.color, w.height)) ++got[w.curve];
    }
    for (const wanted_label& w : ch.wanted) {
        const plot::curve& c = ch.fig.curves[w.curve];
        if (got[w.curve] == 0 && layout.along(c.points, w.text, c.style.color, w.height)) ++got[w.curve];
    }
    std::vector<plot::curve> kept;
    for (std::size_t k = 0; k < ch.fig.curves.size(); ++k)
        if (asked[k] == 0 || got[k] > 0) kept.push_back(std::move(ch.fig.curves[k]));
    ch.fig.curves = std::move(kept);
}

void set_frame(plot::figure& fig, const vantrel::fluid& f, const frame& fr) {
    const auto& i = f.info();
    fig.title = (i.name.empty() ? i.agent : i.name) + ": log p-h diagram";
    fig.subtitle = i.description + (i.reference_state.empty() ? "" : "; reference state " + i.reference_state);
    fig.source = i.source;
    fig.x_label = "h [" + std::string(unit_name(quantity::energy, fr.u)) + "]";
    fig.y_label = "p [" + std::string(unit_name(quantity::pressure, fr.u)) + "]";
    const point lo = fr.at(fr.h_lo, fr.p_lo), hi = fr.at(fr.h_hi, fr.p_hi);
    fig.x_min = lo.x;
    fig.x_max = hi.x;
    fig.y_min = lo.y;
    fig.y_max = hi.y;
    fig.legend = {{has_envelope(f) ? "bubble and dew lines" : "saturation line", DOME},
                  {"isotherms, " + std::string(unit_name(quantity::temperature, fr.u)), ISOTHERM},
                  {"isentropes, " + std::string(unit_name(quantity::entropy, fr.u)), ISENTROPE},
                  {"vapour quality x", QUALITY},
                  {"isochores, kg/m³", ISOCHORE}};
}

}  // namespace

plot::figure log_ph_diagram(const vantrel::fluid& f, const diagram_request& r) {
    dome_lines dome = dome_of(f);
    if (dome.liquid.size() < 2 || dome.vapour.size() < 2)
        throw vantrel::error(vantrel::error_kind::data, vantrel::message_id::dome_not_computed,
                             {vantrel::text_value(f.info().agent)});
    const frame fr = window_of(f, dome, r);
    chart ch{f, std::move(dome), fr, {}, {}};
    set_frame(ch.fig, f, fr);
    const vapour_ranges v = vapour_of(ch);
    add_isochores(ch, v);
    add_isentropes(ch, v);
    add_isotherms(ch);
    add_dome(ch);
    label_layout layout(ch.fig);
    // The dome's own curve (the first red one) and its critical point stay clear.
    for (const plot::curve& c : ch.fig.curves)
        if (c.style.color == DOME.color) {
            layout.keep_clear(c.points);
            break;
        }
    layout.keep_free(ch.fig.markers.front().at, 4);
    if (r.cycle) {
        // The gas cooler's isotherm of a transcritical cycle, labelled like the others.
        const vantrel::state& out = cycle_state(*r.cycle, "3");
        const double t3 = from_si(quantity::temperature, r.units, out.T);
        if (out.p > f.info().p_cr && std::fabs(std::remainder(t3, ch.isotherm_step)) > 1e-9 * ch.isotherm_step)
            add_isotherm(ch, t3, out.T);
        add_cycle(ch, *r.cycle, layout);
        for (const char* name : CYCLE_POINTS)
            layout.beside(ch.fr.at(cycle_state(*r.cycle, name).h, cycle_state(*r.cycle, name).p), name, "#000000", 1.2);
        add_cycle_table(ch, *r.cycle, layout);
        ch.fig.legend.push_back({"cycle", CYCLE});
    }
    place_labels(ch, layout);
    return ch.fig;
}

}  // namespace cli
