#include "engine/phase/envelope.h"

#include "engine/phase/saturation.h"

#include <algorithm>
#include <cmath>

namespace vantrel::detail {

namespace {

constexpr double FIRST_STEP = 0.05;  // arc length in the unknowns
constexpr double LONGEST_STEP = 0.25;
// Near the critical point (ln (rho_x / rho_y) within NEAR_CRITICAL_APART), where the
// critical point, cricondenbar and cricondentherm are interpolated: steps
// of at most NEAR_CRITICAL_STEP.
constexpr double NEAR_CRITICAL_APART = 0.3;
constexpr double NEAR_CRITICAL_STEP = 0.05;
constexpr double SHORTEST_STEP = 1e-6;
constexpr int STEP_ITERATIONS = 12;
constexpr std::size_t MOST_POINTS = 2000;
// The trace's points are starts and the extremes' estimates: its equations
// hold to 1e-9.
constexpr newton_options TRACE_STEP{STEP_ITERATIONS, 1e-9, 1e-9, 1e-7, true};
constexpr double EQUILIBRIUM_TOLERANCE = 1e-12;
constexpr double HIGHEST_PRESSURE = 1e9;  // Pa: beyond it the envelope does not close
constexpr newton_options AT_T_LOW{STEP_ITERATIONS, EQUILIBRIUM_TOLERANCE, EQUILIBRIUM_TOLERANCE, 1e-7, true};
constexpr newton_options POINT{100, EQUILIBRIUM_TOLERANCE, EQUILIBRIUM_TOLERANCE, 1e-7};
constexpr double DISTINCT = 1e-6;  // |rho_x / rho_y - 1| of two phases, at the least
constexpr double END_ROUNDING = 1e-12;  // in ln T or ln p: a value the trace's end gives, written out and read back
// Steps grow by STEP_GROWTH after a point found in at most FEW_ITERATIONS
// of Newton's method, shrink by STEP_SHRINK after one that took more than
// MANY_ITERATIONS.
constexpr double STEP_GROWTH = 1.5, STEP_SHRINK = 0.6;
constexpr int FEW_ITERATIONS = 3, MANY_ITERATIONS = 5;
// Towards the critical point: a step halves the distance in ln (rho_x /
// rho_y) while far, then crosses to the mirror point, a quarter of the way
// there from afar.
constexpr double HALF_WAY = 0.5, QUARTER_WAY = 0.25;

// Cubic Hermite interpolation between two trace points, u in [0, 1], the
// tangents scaled by the chord.
struct segment {
    const envelope_point& a;
    const envelope_point& b;
    double chord;

    segment(const envelope_point& a_, const envelope_point& b_) : a(a_), b(b_), chord((b_.v - a_.v).norm()) {}

    Eigen::VectorXd at(double u) const {
        const double u2 = u * u, u3 = u2 * u;
        return (2 * u3 - 3 * u2 + 1) * a.v + (u3 - 2 * u2 + u) * chord * a.t + (-2 * u3 + 3 * u2) * b.v +
               (u3 - u2) * chord * b.t;
    }
    double component(int k, double u) const {
        const double u2 = u * u, u3 = u2 * u;
        return (2 * u3 - 3 * u2 + 1) * a.v(k) + (u3 - 2 * u2 + u) * chord * a.t(k) + (-2 * u3 + 3 * u2) * b.v(k) +
               (u3 - u2) * chord * b.t(k);
    }
    bool holds(int k, double value) const { return spans(a, b, k, value); }
    static bool spans(const envelope_point& a, const envelope_point& b, int k, double value) {
        return (a.v(k) - value) * (b.v(k) - value) <= 0 && a.v(k) != b.v(k);
    }
    // u where f(u) passes 0, by bisection (f changing sign on the segment).
    template <class F>
    static double zero_of(F f) {
        double lo = 0, hi = 1;
        const bool rising = f(1.0) > f(0.0);
        for (int i = 0; i < 60; ++i) {
            const double mid = 0.5 * (lo + hi);
            ((f(mid) < 0) == rising ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
    // u where unknown k takes value.
    double where(int k, double value) const {
        return zero_of([&](double u) { return component(k, u) - value; });
    }
    // u of the largest value of unknown k on the segment (ternary search).
    double highest(int k) const {
        double lo = 0, hi = 1;
        for (int i = 0; i < 80; ++i) {
            const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
            const bool rising = component(k, m1) < component(k, m2);
            (rising ? lo : hi) = rising ? m1 : m2;
        }
        return 0.5 * (lo + hi);
    }
};

envelope_point point_of(const equilibrium_solution& s, const Eigen::VectorXd* previous_tangent) {
    envelope_point p{s.u, s.du.normalized()};
    const std::size_t n = static_cast<std::size_t>(s.u.size()) - 4;
    const bool reversed = previous_tangent ? p.t.dot(*previous_tangent) < 0 : p.t(n + 1) < 0;
    if (reversed) p.t = -p.t;  // the trace goes on the way it came; it starts up in pressure
    return p;
}

int fastest(const Eigen::VectorXd& t) {
    int k = 0;
    t.cwiseAbs().maxCoeff(&k);
    return k;
}

// ln (rho_x / rho_y) of the unknowns: 0 at the critical point.
double apart_of(const Eigen::VectorXd& v) {
    const auto n = v.size() - 4;
    return v(n + 2) - v(n + 3);
}

// The step towards the critical point: halving the distance to it in ln
// (rho_x / rho_y) while far, then across it to the mirror point (never
// onto it, where the phases are one).
double step_to_critical(const envelope_point& last, double h) {
    const double apart = apart_of(last.v), rate = apart_of(last.t);
    if (apart * rate >= 0 || std::fabs(rate * h) < HALF_WAY * std::fabs(apart)) return h;
    const double to_mirror = 2 * std::fabs(apart / rate);
    return std::fabs(apart) < NEAR_CRITICAL_APART ? to_mirror : QUARTER_WAY * to_mirror;
}

// The next point a step h along the tangent, or nothing when Newton's
// method fails from there or lands off the step.
std::optional<envelope_point> next_point(const model& m, const composition& z,
                                         const std::vector<envelope_point>& pts, double h, int& iterations) {
    const envelope_point& last = pts.back();
    const Eigen::VectorXd g = last.v + h * last.t;
    const int k = fastest(last.t);
    try {
        const equilibrium_problem q{m, z, unknowns::dew, false, {spec_kind::unknown, g(k), k}, {}};
        const equilibrium_solution s = solve_equilibrium(q, g, TRACE_STEP);
        // Off the step, or onto the trivial solution (one phase twice) short of where the densities cross.
        const double apart = apart_of(last.v), predicted = apart_of(g);
        if ((s.u - last.v).norm() > 2 * h || std::fabs(apart_of(s.u) - predicted) > 0.5 * std::fabs(apart))
            return std::nullopt;
        iterations = s.iterations;
        return point_of(s, &last.t);
    } catch (const error& e) {
        if (e.kind() != error_kind::no_convergence && e.kind() != error_kind::floating_point) throw;
        return std::nullopt;
    }
}

// The critical point inside the segment where the densities cross.
void find_critical(envelope_data& e, std::size_t n) {
    const segment s(e.points[e.first_bubble - 1], e.points[e.first_bubble]);
    const int i = ln_p_index(n) + 1, j = ln_p_index(n) + 2;  // where ln rho_x - ln rho_y passes 0
    const Eigen::VectorXd g = s.at(segment::zero_of([&](double u) { return s.component(i, u) - s.component(j, u); }));
    e.critical = {std::exp(g(n)), std::exp(g(n + 1))};
    e.rho_critical = std::exp(0.5 * (g(n + 2) + g(n + 3)));
}

// The largest value of unknown k along the trace.
envelope_extreme find_highest(const envelope_data& e, std::size_t n, int k) {
    std::size_t top = 0;
    for (std::size_t i = 1; i < e.points.size(); ++i)
        if (e.points[i].v(k) > e.points[top].v(k)) top = i;
    Eigen::VectorXd best = e.points[top].v;
    for (std::size_t a : {top - 1, top}) {
        if (top == 0 && a != top) continue;
        if (a + 1 >= e.points.size()) continue;
        const segment s(e.points[a], e.points[a + 1]);
        const Eigen::VectorXd v = s.at(s.highest(k));
        if (v(k) > best(k)) best = v;
    }
    return {std::exp(best(n)), std::exp(best(n + 1))};
}

[[noreturn]] void not_traced() { throw error(error_kind::no_convergence, message_id::envelope_not_traced); }

// Start values from Raoult's law with the components' saturation states at
// T, the densities of both phases solved at its pressure.
Eigen::VectorXd raoult_start(const model& m, double T, const composition& z, bool bubble) {
    const std::size_t n = z.size();
    per_component<double> p_sat(n);
    double v_liquid = 0, sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::optional<sat_solution> s = solve_saturation(model_of(m.components[i]), given::T, T);
        if (!s || !s->rho_liquid || !s->rho_vapour)
            throw error(error_kind::input, message_id::dome_not_computed, {text_value(m.components[i]->info.agent)});
        p_sat[i] = s->p;
        v_liquid += z[i] * m.M[i] / std::max(*s->rho_liquid, *s->rho_vapour);  // kg/m3 of the pure fluid
        sum += bubble ? z[i] * p_sat[i] : z[i] / p_sat[i];
    }
    two_phase s{T, bubble ? sum : 1 / sum, z, z, 0, 0};
    composition& w = bubble ? s.y : s.x;
    double w_sum = 0;
    for (std::size_t i = 0; i < n; ++i) w_sum += w[i] = z[i] * std::pow(p_sat[i] / s.p, bubble ? 1 : -1);
    for (double& c : w) c /= w_sum;
    s.rho_x = density_of(model_at<double>(m, T, s.x), s.p, 1 / v_liquid);
    s.rho_y = density_of(model_at<double>(m, T, s.y), s.p, s.p / (m.R * T));
    return unknowns_of(s);
}

// The dew point with ln T held at value, from g.
equilibrium_solution dew_at(const model& m, const composition& z, const Eigen::VectorXd& g, double value) {
    const int held_T = ln_T_index(z.size());
    const equilibrium_problem q{m, z, unknowns::dew, false, {spec_kind::unknown, value, held_T}, {}};
    return solve_equilibrium(q, g, AT_T_LOW);
}

}  // namespace

envelope_data trace_envelope(const model& m, const composition& z, double T_low) {
    const std::size_t n = z.size();
    const int held_T = static_cast<int>(n);
    envelope_data e;
    e.T_low = T_low;
    const Eigen::VectorXd g = unknowns_of(raoult_point(m, T_low, z, false));
    e.points.push_back(point_of(dew_at(m, z, g, g(n)), nullptr));
    double h = FIRST_STEP;
    while (e.points.size() < MOST_POINTS) {
        int iterations = 0;
        const double step = step_to_critical(e.points.back(), h);
        const auto next = next_point(m, z, e.points, step, iterations);
        if (!next) {
            if ((h /= 2) < SHORTEST_STEP) not_traced();
            continue;
        }
        const double apart = apart_of(next->v);
        const bool crossed = apart * apart_of(e.points.back().v) < 0;
        e.points.push_back(*next);
        if (crossed && e.first_bubble == 0) e.first_bubble = e.points.size() - 1;
        if (next->v(n + 1) > std::log(HIGHEST_PRESSURE)) not_traced();
        if (e.first_bubble && next->v(n) < std::log(T_low)) break;
        h = iterations <= FEW_ITERATIONS   ? std::min(STEP_GROWTH * h, LONGEST_STEP)
            : iterations > MANY_ITERATIONS ? STEP_SHRINK * h
                                           : h;
        if (std::fabs(apart) < NEAR_CRITICAL_APART) h = std::min(h, NEAR_CRITICAL_STEP);
    }
    if (e.first_bubble == 0 || e.points.size() >= MOST_POINTS) not_traced();
    // The last point exactly at T_low.
    const segment last(e.points[e.points.size() - 2], e.points.back());
    const Eigen::VectorXd end = last.at(last.where(held_T, std::log(T_low)));
    e.points.back() = point_of(dew_at(m, z, end, std::log(T_low)), &last.a.t);
    find_critical(e, n);
    e.cricondenbar = find_highest(e, n, held_T + 1);
    e.cricondentherm = find_highest(e, n, held_T);
    return e;
}

std::optional<Eigen::VectorXd> envelope_start(const envelope_data& e, bool bubble, int held, double value) {
    const std::size_t n = static_cast<std::size_t>(e.points.front().v.size()) - 4;
    const std::size_t count = e.points.size();
    const std::size_t segments = bubble ? count - e.first_bubble - 1 : e.first_bubble - 1;
    const auto as_given = [&](Eigen::VectorXd g) {
        if (bubble) {  // the feed is the phase x: K and the phases the other way round
            g.head(n) = -g.head(n);
            std::swap(g(n + 2), g(n + 3));
        }
        return g;
    };
    for (std::size_t k = 0; k < segments; ++k) {
        // The dew branch from its first point up, the bubble branch from its last point down.
        const std::size_t a = bubble ? count - 2 - k : k;
        if (!segment::spans(e.points[a], e.points[a + 1], held, value)) continue;
        const segment s(e.points[a], e.points[a + 1]);
        return as_given(s.at(s.where(held, value)));
    }
    // The line's end at T_low, its T or p given as written out (a rounding of
    // the logarithm beyond it).
    const envelope_point& end = bubble ? e.points.back() : e.points.front();
    if (std::fabs(end.v(held) - value) <= END_ROUNDING) return as_given(end.v);
    return std::nullopt;
}

two_phase envelope_state(const envelope_data& e, const composition& z, std::size_t i) {
    const envelope_point& pt = e.points[i];
    const std::size_t n = z.size();
    two_phase s{std::exp(pt.v(n)), std::exp(pt.v(n + 1)), composition(n), z, std::exp(pt.v(n + 2)),
                std::exp(pt.v(n + 3))};
    double sum = 0;
    for (std::size_t k = 0; k < n; ++k) sum += s.x[k] = z[k] / std::exp(pt.v(k));
    for (double& x : s.x) x /= sum;
    if (s.rho_y > s.rho_x) {
        std::swap(s.x, s.y);
        std::swap(s.rho_x, s.rho_y);
    }
    return s;
}

two_phase raoult_point(const model& m, double T, const composition& z, bool bubble) {
    const Eigen::VectorXd start = raoult_start(m, T, z, bubble);
    const int held = ln_T_index(z.size());
    const equilibrium_problem q{m, z, bubble ? unknowns::bubble : unknowns::dew, false,
                                {spec_kind::unknown, start(held), held}, {}};
    const two_phase s = solve_equilibrium(q, start, POINT).state;
    if (std::fabs(s.rho_x / s.rho_y - 1) < DISTINCT) throw error(error_kind::no_convergence, message_id::equilibrium_trivial);
    return s;
}

}  // namespace vantrel::detail
