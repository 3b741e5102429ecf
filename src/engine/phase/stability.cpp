#include "engine/phase/stability.h"

#include <cmath>

#include "engine/model/fugacity.h"
#include "engine/phase/density.h"

namespace vantrel::detail {

namespace {

constexpr int STABILITY_ITERATIONS = 60;  // successive substitution of the trial phase
constexpr double TRIVIAL = 1e-6;          // a trial phase this close to the feed in x and rho is the feed
constexpr double NEGATIVE = -1e-10;       // a tangent-plane distance below this: unstable
constexpr double SETTLED = 1e-10;         // the trial phase's change at which the substitution has converged
// Near enough: a change below NEAR_ENOUGH with tm above FALL_LEFT times its
// square, what is left of tm's fall, stays positive.
constexpr double NEAR_ENOUGH = 1e-4, FALL_LEFT = 1e3;

}  // namespace

bool unstable(const model& m, const composition& z, double T, double p, double rho_z, const two_phase& line,
              bool liquid) {
    const std::size_t n = z.size();
    const auto phi_z = ln_fugacity_coefficients(model_at<double>(m, T, z).at(rho_z), z).ln_phi;
    composition d(n), w = liquid ? line.y : line.x;
    for (std::size_t i = 0; i < n; ++i) d[i] = std::log(z[i]) + phi_z[i];
    double rho = liquid ? line.rho_y : line.rho_x;
    for (int it = 0; it < STABILITY_ITERATIONS; ++it) {
        composition x(w);
        double sum = 0;
        for (double c : w) sum += c;
        for (double& c : x) c /= sum;
        const model_at<double> e(m, T, x);
        rho = density_of(e, p, rho);
        const auto phi = ln_fugacity_coefficients(e.at(rho), x).ln_phi;
        double change = 0, tm = 1;
        for (std::size_t i = 0; i < n; ++i) {
            const double next = std::exp(d[i] - phi[i]);
            change = std::max(change, std::fabs(std::log(next / w[i])));
            tm += next * (std::log(next) + phi[i] - d[i] - 1);
            w[i] = next;
        }
        double apart = 0;  // from the trivial solution
        for (std::size_t i = 0; i < n; ++i) apart = std::max(apart, std::fabs(x[i] - z[i]));
        if (apart < TRIVIAL && std::fabs(rho / rho_z - 1) < TRIVIAL) return false;
        if (tm < NEGATIVE) return true;
        // Converged, or near enough that tm stays positive: what is left of
        // its fall is of the order of the remaining change squared.
        if (change < SETTLED || (change < NEAR_ENOUGH && tm > FALL_LEFT * change * change)) return false;
    }
    return false;
}

}  // namespace vantrel::detail
