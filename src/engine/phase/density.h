// The density at a given temperature and pressure: Newton's method on the
// pressure equation in delta, safeguarded by the bracket its residuals set.
// One solver for every fluid and for the program's routines: the model at
// (T, x) is any function of delta giving alpha_r's derivatives.
#pragma once

#include <cmath>
#include <optional>

#include "engine/base/fpu.h"
#include "engine/model/model.h"

namespace vantrel::detail {

// Which root of the isotherm a solve may end on: any, or one on the
// vapour's branch (where the isotherm rises from zero density on).
enum class branch { any, vapour };

inline constexpr int MAX_DENSITY_CORRECTIONS = 200;  // as the message says
inline constexpr double LOOP_STEP = 1.1051709180756477;  // e^0.1: out of a loop of the isotherm

[[noreturn]] void density_not_converged();

// Newton's method on delta (1 + delta alpha_delta) = delta_id from delta_0,
// where delta_id = p / (rho_r R T) is the ideal gas's delta: r(delta) =
// delta_id - delta (1 + delta alpha_delta) is positive below the root and
// negative above it where the isotherm rises. The steps stay inside the
// bracket [lo, hi] the signs of r have set where it rises, bisecting it (or
// doubling, while no delta above the root is known) where a step would leave
// it; where the isotherm falls they leave the loop by its nearer side; done
// when a correction is smaller than tolerance (the last one applied). On the
// vapour's branch, nothing where the isotherm stops rising before the root
// (the equation has no gas state there). More than
// MAX_DENSITY_CORRECTIONS corrections: error(no_convergence).
template <class Alpha>
std::optional<double> solve_delta(const Alpha& alpha, double delta_id, double tolerance, double delta_0,
                                  branch on = branch::any) {
    double delta = delta_0;
    double lo = 0, hi = INFINITY;
    for (int i = 0; i < MAX_DENSITY_CORRECTIONS; ++i) {
        const alpha_derivatives<double> a = alpha(delta);
        const double r = delta_id - (1 + a.d) * delta, slope = 1 + 2 * a.d + a.dd;
        // Only a NaN or an infinity could steer the steps below; a fault
        // that left finite numbers stays raised in the flags and is reported
        // on the way out.
        if (!std::isfinite(r) || !std::isfinite(slope)) check_fp();
        if (r == 0) {
            check_fp();
            return delta;
        }
        if (!(slope > 0)) {
            if (on == branch::vapour) {
                check_fp();
                return std::nullopt;
            }
            // Inside a loop of the isotherm the sign of r tells nothing of
            // the side of a stable root (the loop has roots of its own):
            // away from it, towards the liquid above the reducing density
            // and towards the gas below it.
            const double next = delta > 1 ? (std::isfinite(hi) ? 0.5 * (delta + hi) : delta * LOOP_STEP)
                                          : (lo > 0 ? 0.5 * (lo + delta) : delta / LOOP_STEP);
            if (!std::isfinite(next)) check_fp();
            delta = next;
            continue;
        }
        (r > 0 ? lo : hi) = delta;
        double next = delta + r / slope;
        if (!(next >= lo && next <= hi)) next = std::isfinite(hi) ? 0.5 * (lo + hi) : 2 * delta;
        // Without a delta above the root, at most a doubling: a longer step
        // can pass the maximum of an isotherm that turns over far above the
        // liquid (R152a's), into pressures below the root again.
        if (!std::isfinite(hi)) next = std::min(next, 2 * delta);
        if (!std::isfinite(next)) check_fp();
        if (std::fabs(next - delta) < tolerance) {
            check_fp();
            return next;
        }
        delta = next;
    }
    density_not_converged();
}

// Whether delta (its alpha_r's derivatives a there) holds delta_id: to
// 1e-9 of it, and 1e-10 of delta more (the last bits of a liquid's small Z).
// Newton's steps also settle where a term of the equation is singular (far
// outside its range), on a jump of the pressure rather than a root.
inline bool holds_pressure(const alpha_derivatives<double>& a, double delta, double delta_id) {
    return std::fabs((1 + a.d) * delta - delta_id) <= 1e-9 * delta_id + 1e-10 * delta;
}

// The same, refused as the solver refuses.
inline void check_density(const alpha_derivatives<double>& a, double delta, double delta_id) {
    if (!holds_pressure(a, delta, delta_id)) density_not_converged();
}

// The density (mol/m3) of the model at (T, x) at p from rho_start, to the
// model's tolerance, its pressure checked, with alpha_r's derivatives there;
// on the vapour's branch nothing where the isotherm has no gas root.
struct density_solution {
    double rho = 0;
    alpha_derivatives<double> alpha;
};
std::optional<density_solution> density_at(const model_at<double>& e, double p, double rho_start, branch on);
double density_of(const model_at<double>& e, double p, double rho_start);

// The start of a pure fluid's delta by the side of its saturation line: the
// ideal gas's delta_id on the vapour side (below_saturation(), evaluated
// only there) and 3.2 on the liquid side; from T_r on, delta_id below
// 1.05 p_cr and a dense estimate above. pi = p / p_cr, tau = T_r / T.
template <class Below>
double density_start(double tau, double delta_id, double pi, const Below& below_saturation) {
    if (tau > 1) return below_saturation() ? delta_id : 3.2;
    if (pi < 1.05) return delta_id;
    return 9 * delta_id / (1.1 * pi + 0.7);
}

}  // namespace vantrel::detail
