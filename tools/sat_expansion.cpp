// vantrel_sat_expansion FLUID_DIR [FILE]
//
// Fits the saturation curves of the fluid in FLUID_DIR to the equal-area
// solution of its own equation of state and writes them, as the program's
// table, to FLUID_DIR/FILE (default sat_expansion.txt): Chebyshev expansions
// of ln(p_s/p_c), ln(rho'/rho_c) and ln(rho''/rho_c) in x = sqrt(1 - T/T_c)
// on intervals from the triple point to within 1e-7 of T_c. Every solve runs
// in 50-digit arithmetic (Boost.Multiprecision): the critical point, where
// dp/drho and d2p/drho2 vanish, and the equal-area states at the nodes. An
// interval is split until the expansions agree with the solution at points
// between the nodes to 5e-15 in every logarithm. The file records the
// equation table it was fitted to with its CRC-32; the program refuses the
// file when that table changes.
#include <algorithm>
#include <array>
#include <charconv>
#include <boost/math/constants/constants.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <boost/multiprecision/eigen.hpp>
#include <Eigen/LU>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

#include "engine/base/config.h"
#include "engine/base/files.h"
#include "engine/base/text.h"
#include "engine/model/residual.h"
#include "engine/model/sat_expansion.h"
#include "engine/model/sat_line.h"
#include "engine/phase/density.h"

namespace {

using real = boost::multiprecision::cpp_bin_float_50;
using namespace vantrel::detail;

constexpr int DEGREE = 16;
constexpr double TOLERANCE = 5e-15;
constexpr double CLOSEST = 1e-7;  // the expansions end at T_c (1 - CLOSEST)

// Temperatures below are theta = T / T_r, the inverse of the equation's tau;
// densities delta = rho / rho_r.
struct fluid {
    config c;
    residual_terms m;
    std::string eos_text;
    real R, rho_div, tau_div;
};

// d(delta (1 + delta alpha_delta))/d delta at (delta, theta = T / T_r).
real pressure_slope(const residual_at<real>& at, const real& delta) {
    const alpha_derivatives<real> a = at(delta);
    return 1 + 2 * a.d + a.dd;
}

real pressure(const fluid& f, const real& delta, const real& theta) {
    const residual_at<real> at(f.m, 1 / theta);
    return (1 + at(delta).d) * delta * f.rho_div * f.R * theta * f.tau_div;
}

// (delta, theta) where dp/d delta = 0 and d2p/d delta2 = 0: Newton's method
// with central differences, which 50 digits make exact enough. Equations
// with non-analytic terms (IAPWS-95, Span-Wagner) are built to pass through
// their reducing point as the critical point, where those terms are singular:
// the pressure is taken a hair beside it.
std::pair<real, real> solve_critical_point(const fluid& f) {
    if (!f.m.nonanalytic_.empty()) return {1 + real("1e-30"), real(1)};
    real delta = f.c.rho_cr > 0 ? real(f.c.rho_cr) / f.rho_div : real(1);
    real theta = real(f.c.T_cr) / f.tau_div;
    const real h("1e-15"), step("1e-12");
    const auto g = [&](const real& w, const real& t) {
        const residual_at<real> at(f.m, 1 / t);
        const real slope = pressure_slope(at, w);
        return std::array<real, 2>{slope, (pressure_slope(at, w + h) - pressure_slope(at, w - h)) / (2 * h)};
    };
    for (int i = 0; i < 100; ++i) {
        const auto g0 = g(delta, theta);
        const auto gw = g(delta + step, theta), gt = g(delta, theta + step);
        const real a = (gw[0] - g0[0]) / step, b = (gt[0] - g0[0]) / step;
        const real c = (gw[1] - g0[1]) / step, d = (gt[1] - g0[1]) / step;
        const real det = a * d - b * c;
        const real dw = (d * g0[0] - b * g0[1]) / det, dt = (a * g0[1] - c * g0[0]) / det;
        delta -= dw;
        theta -= dt;
        if (abs(dw) < real("1e-28") && abs(dt) < real("1e-28")) return {delta, theta};
    }
    throw std::runtime_error("the critical point does not converge");
}

struct coexistence {
    real delta_1, delta_2;
};

// The Newton correction of the equal-area rule at (delta_1, delta_2): equal
// delta (1 + delta alpha_delta), the reduced pressure, and equal reduced
// Gibbs energy ln delta + alpha + delta alpha_delta of the two phases.
Eigen::Matrix<real, 2, 1> equal_area_correction(const residual_at<real>& at, const coexistence& s) {
    const alpha_derivatives<real> a1 = at(s.delta_1), a2 = at(s.delta_2);
    Eigen::Matrix<real, 2, 1> f;
    Eigen::Matrix<real, 2, 2> w;
    f << (1 + a1.d) * s.delta_1 - (1 + a2.d) * s.delta_2, log(s.delta_1 / s.delta_2) + (a1.a + a1.d) - (a2.a + a2.d);
    const real slope_1 = 1 + 2 * a1.d + a1.dd, slope_2 = 1 + 2 * a2.d + a2.dd;
    w << slope_1, -slope_2, slope_1 / s.delta_1, -slope_2 / s.delta_2;
    const Eigen::FullPivLU<Eigen::Matrix<real, 2, 2>> lu(w);
    if (!lu.isInvertible()) throw std::runtime_error("the equal-area Jacobian is singular");
    return lu.solve(f);
}

// The equal-area densities at theta from a start close enough for Newton's
// method, in 50 digits.
coexistence equal_area(const fluid& f, const real& theta, coexistence s) {
    const residual_at<real> at(f.m, 1 / theta);
    for (int i = 0; i < 200; ++i) {
        const auto d = equal_area_correction(at, s);
        // A step that would leave the densities' order, or change one by more
        // than a factor of 3 (the vapour's, far below the critical point,
        // from a rough start), is shortened to one that does not.
        real k = 1;
        for (int j = 0; j < 60; ++j, k /= 2) {
            const real w1 = s.delta_1 - k * d[0], w2 = s.delta_2 - k * d[1];
            if (w2 > s.delta_2 / 3 && w2 < 3 * s.delta_2 && w1 > s.delta_1 / 3 && w1 < 3 * s.delta_1 && w1 > w2) break;
        }
        s.delta_1 -= k * d[0];
        s.delta_2 -= k * d[1];
        if (!(s.delta_2 > 0 && s.delta_1 > s.delta_2)) break;
        if (k == 1 && abs(d[0] / s.delta_1) + abs(d[1] / s.delta_2) < real("1e-40")) return s;
    }
    throw std::runtime_error("no equal-area solution at T = " + (theta * f.tau_div).str(12));
}

struct point {
    real ln_p, ln_liq, ln_vap;
    coexistence s;
};

// The equal-area states solved so far, by x: each new one starts from the
// straight line through its two nearest neighbours.
class curves {
public:
    curves(const fluid& f, real t_c, real p_c, real rho_c) : f_(f), t_c_(t_c), p_c_(p_c), rho_c_(rho_c) {}

    void seed(const real& x, coexistence s) { store(x, equal_area(f_, theta(x), s)); }

    const point& at(const real& x) {
        const auto found = done_.find(x);
        if (found != done_.end()) return found->second;
        return store(x, equal_area(f_, theta(x), start(x)));
    }

private:
    real theta(const real& x) const { return t_c_ * (1 - x * x) / f_.tau_div; }

    coexistence start(const real& x) const {
        auto hi = done_.lower_bound(x);
        auto a = hi, b = hi;
        if (hi == done_.end()) {
            a = std::prev(hi);
            b = a == done_.begin() ? a : std::prev(a);
        } else if (hi == done_.begin()) {
            b = std::next(hi);
            if (b == done_.end()) b = a;
        } else {
            a = std::prev(hi);
        }
        if (a == b) return a->second.s;
        const real w = (x - a->first) / (b->first - a->first);
        const auto lin = [&](const real& u, const real& v) { return exp(log(u) + w * (log(v) - log(u))); };
        return {lin(a->second.s.delta_1, b->second.s.delta_1), lin(a->second.s.delta_2, b->second.s.delta_2)};
    }

    const point& store(const real& x, const coexistence& s) {
        const real p = pressure(f_, s.delta_1, theta(x));
        const real r1 = s.delta_1 * f_.rho_div, r2 = s.delta_2 * f_.rho_div;
        return done_[x] = {log(p / p_c_), log(r1 / rho_c_), log(r2 / rho_c_), s};
    }

    const fluid& f_;
    real t_c_, p_c_, rho_c_;
    std::map<real, point> done_;
};

struct piece {
    double lo, hi;
    std::array<std::vector<double>, 3> c;
};

real value_of(const point& p, int q) { return q == 0 ? p.ln_p : q == 1 ? p.ln_liq : p.ln_vap; }

// The expansions on [lo, hi] from the Chebyshev nodes, and the largest error
// at the extrema between them (the ends included).
std::pair<piece, double> fit(curves& cv, double lo, double hi) {
    const real pi = boost::math::constants::pi<real>();
    const int n = DEGREE + 1;
    const real mid = (real(lo) + hi) / 2, half = (real(hi) - lo) / 2;
    std::array<std::vector<real>, 3> c;
    for (auto& v : c) v.assign(n, real(0));
    for (int j = 0; j < n; ++j) {
        const real angle = pi * (j + real(0.5)) / n;
        const point& p = cv.at(mid + half * cos(angle));
        for (int q = 0; q < 3; ++q)
            for (int k = 0; k < n; ++k) c[q][k] += 2 * value_of(p, q) * cos(k * angle) / n;
    }
    piece out{lo, hi, {}};
    for (int q = 0; q < 3; ++q) {
        c[q][0] /= 2;
        for (const real& v : c[q]) out.c[q].push_back(static_cast<double>(v));
    }
    double worst = 0;
    for (int j = 0; j <= DEGREE; ++j) {
        const real u = cos(pi * j / DEGREE);
        const point& p = cv.at(mid + half * u);
        for (int q = 0; q < 3; ++q)
            worst = std::max(worst, static_cast<double>(abs(chebyshev(c[q], u) - value_of(p, q))));
    }
    return {out, worst};
}

// Fits [lo, hi], from its upper end down, splitting it until it holds.
void fit_down(curves& cv, double lo, double hi, std::vector<piece>& out, int depth = 0) {
    const auto [p, worst] = fit(cv, lo, hi);
    if (worst <= TOLERANCE || depth > 12) {
        if (worst > TOLERANCE) std::cerr << "warning: [" << lo << ", " << hi << "] holds to " << worst << " only\n";
        out.push_back(p);
        return;
    }
    const double mid = 0.5 * (lo + hi);
    fit_down(cv, mid, hi, out, depth + 1);
    fit_down(cv, lo, mid, out, depth + 1);
}

fluid read_fluid(const std::string& dir) {
    fluid f;
    f.c = read_config(read_config_file(dir), "real");
    f.eos_text = read_data_file(dir + "/" + f.c.eos_coeff);
    f.m = residual_terms::from_table(parse_table(f.eos_text, f.c.eos_coeff), f.c.eos_coeff);
    f.R = f.c.R;
    f.rho_div = f.c.rho_div;
    f.tau_div = f.c.tau_div;
    return f;
}

// The first equal-area state, at the upper end of x: the correlation's
// pressure and the density solver of the program give the start.
coexistence first_start(const std::string& dir, const fluid& f, double T) {
    const pressure_line line = load_pressure_line(f.c.line, dir, f.c.path);
    const residual_at<double> at(f.m, f.c.tau_div / T);
    const double delta_id = line.p(T) / (f.c.rho_div * f.c.R * T), tolerance = f.c.delta_rho / f.c.rho_div;
    return {real(*solve_delta(at, delta_id, tolerance, 3.2)), real(*solve_delta(at, delta_id, tolerance, delta_id))};
}

// A coefficient with the digits it needs to be exact to 1e-18: the sums stay
// exact to a few 1e-17, and the file small to read.
std::string coefficient_text(double v) {
    if (std::fabs(v) < 1e-19) return "0";
    const int digits = std::clamp(static_cast<int>(std::ceil(std::log10(std::fabs(v)))) + 18, 1, 17);
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
    return std::string(buf, res.ptr);
}

void write(const std::string& path, const fluid& f, double t_c, double p_c, double rho_c,
           const std::vector<piece>& pieces) {
    std::ostringstream rows;
    rows << "0 " << number_text(t_c) << ' ' << number_text(p_c) << ' ' << number_text(rho_c);
    for (int k = 3; k < DEGREE + 3; ++k) rows << " 0";
    rows << '\n';
    for (int q = 0; q < 3; ++q)
        for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
            rows << q + 1 << ' ' << number_text(it->lo) << ' ' << number_text(it->hi);
            for (double v : it->c[q]) rows << ' ' << coefficient_text(v);
            rows << '\n';
        }
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", text_checksum(f.eos_text));
    const char* heading[] = {
        "; saturation curves of the equation by the equal-area rule, as Chebyshev expansions",
        "; made by vantrel_sat_expansion (tools/sat_expansion.cpp) in 50-digit arithmetic",
        "; x = sqrt(1 - T/T_c); a row: kind, x_lo, x_hi, c_0 ... c_16 of sum c_k T_k(u), u = (2 x - x_lo - x_hi)/(x_hi - x_lo)",
        "; kind 0: the equation's critical point T_c (K), p_c (Pa), rho_c (kg/m3); kind 1: ln(p_s/p_c);",
        "; kind 2: ln(rho'/rho_c); kind 3: ln(rho''/rho_c)",
    };
    // The file without its own checksum's line, then that line inserted
    // after the heading.
    std::ostringstream text;
    text << 1 + 3 * pieces.size() << ' ' << DEGREE + 4 << ' ' << std::size(heading) + 2
         << " rows, columns, heading lines\n";
    for (const char* h : heading) text << h << '\n';
    text << "; fitted to " << f.c.eos_coeff << ", CRC-32 0x" << crc << '\n';
    const std::string head = text.str(), body = rows.str();
    char own[16];
    std::snprintf(own, sizeof own, "%08x", text_checksum(head + body));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head << sat_expansion::OWN_CHECKSUM << own << '\n' << body;
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: vantrel_sat_expansion FLUID_DIR [FILE]\n";
        return 2;
    }
    try {
        const std::string dir = argv[1], name = argc > 2 ? argv[2] : "sat_expansion.txt";
        const fluid f = read_fluid(dir);
        const auto [delta_c, theta_c] = solve_critical_point(f);
        const real t_c = theta_c * f.tau_div, rho_c = delta_c * f.rho_div, p_c = pressure(f, delta_c, theta_c);
        std::cout << "critical point: T_c = " << t_c.str(15) << " K, p_c = " << p_c.str(15)
                  << " Pa, rho_c = " << rho_c.str(15) << " kg/m3\n";
        const double t_lo = f.c.T_tp * (1 - 1e-4);
        const double x_hi = static_cast<double>(sqrt(1 - t_lo / t_c)), x_lo = std::sqrt(CLOSEST);
        curves cv(f, t_c, p_c, rho_c);
        cv.seed(real(x_hi), first_start(dir, f, t_lo));
        std::vector<piece> pieces;  // from the upper end of x down
        const double edges[] = {x_lo, 0.01, 0.05, 0.25, x_hi};
        for (int i = 3; i >= 0; --i) fit_down(cv, std::max(edges[i], x_lo), edges[i + 1], pieces);
        write(dir + "/" + name, f, static_cast<double>(t_c), static_cast<double>(p_c), static_cast<double>(rho_c),
              pieces);
        std::cout << pieces.size() << " intervals written to " << dir << "/" << name << "\n";
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
