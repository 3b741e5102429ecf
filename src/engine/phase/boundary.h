// The phase boundary of a fluid: where its two-phase region begins, at one
// temperature or pressure, as a bubble point (the fluid's own composition is
// the liquid) and a dew point (it is the vapour); for a fluid of one
// component both are its one saturation state. One interface, whose
// providers are the saturation of a pure fluid (from the expansions of its
// equal-area solution, the equal-area rule itself, or the correlations of a
// fluid configured without it) and the traced envelope of a mixture. Each
// provider also states the rules the flash needs beyond the points: the
// phase of a state outside the boundary's range, the neighbourhood of the
// critical point it refuses, and where a single phase starts its density.
// Molar units: K, Pa, mol/m3, J/mol, J/(mol K).
#pragma once

#include <optional>

#include "engine/model/caloric.h"
#include "engine/phase/density.h"
#include "engine/phase/equilibrium.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

enum class given { T, p };
enum class side { bubble, dew };

// A bubble or dew point: T, p, both phases' densities and compositions, x
// the liquid (a bubble point's is the feed) and y the vapour (a dew point's).
using boundary_point = two_phase;

// The points at one T or p: none where the boundary has none there.
struct boundary_points {
    std::optional<boundary_point> bubble, dew;
};

// How precisely a point is wanted: solved, or estimated where that is
// cheaper (a mixture's envelope interpolated, to about 1e-6; a pure fluid's
// saturation is always solved).
enum class precision { solved, estimate };

// The phase of (T, p) and what a single phase's density starts from.
struct tp_decision {
    phase_kind phase = phase_kind::none;
    boundary_points lines;  // the points at T (or at p, by_T false) the decision compared with
    bool by_T = true;
    bool near = false;          // a line solved next to the state: its stability to be tested
    std::optional<double> rho;    // the density's start
    std::optional<double> dense;  // and a dense one, where the phase is not known: the lower Gibbs energy wins
    branch on = branch::any;
};

// A bracket's end along an isobar: T with its value of h or s where known;
// without a value, where the search for the end starts (outward from T:
// down for the lower end, up for the upper).
struct isobar_end {
    double T = 0;
    std::optional<double> value;
};

// A single phase of the isobar p: of a known phase or decided state by
// state; where known, a state (T, rho) of it Newton's method in T and rho
// at once starts from, its T kept between lo and hi (hi infinite: no bound);
// and the bracket of Newton's method in T.
struct isobar_part {
    std::optional<phase_kind> phase;
    std::optional<std::pair<double, double>> start;  // (T, rho)
    double lo = 0, hi = 0;
    isobar_end low, high;
};

// What the isobar p holds at a value of h or s: a single phase, or two
// phases between the bubble point b and the dew point d (at weight t from b
// to d), or none: the state is refused or does not exist (the provider says
// which).
struct isobar_decision {
    std::optional<isobar_part> single;
    std::optional<boundary_point> bubble, dew;
    double weight = 0;
    // Two phases below the bubble line's lowest pressure, started from its
    // point at T_low: those below T_low are refused with this error.
    std::optional<error> below_bubble_line;
    // One component's saturated liquid and vapour, where the decision
    // evaluated them.
    std::optional<phase_pair> saturated;
};

class boundary_provider {
public:
    virtual ~boundary_provider() = default;

    // The bubble and dew points at T or p; none outside the boundary's range
    // and (for a mixture) in its refused neighbourhood.
    virtual boundary_points at(given g, double value, precision how = precision::solved) const = 0;

    // The bubble or dew point at T or p: none where a pure fluid has no
    // saturation state there (the caller's error), refused with a mixture's
    // own errors (its range, its critical neighbourhood).
    virtual std::optional<boundary_point> point(side s, given g, double value) const = 0;

    // The bubble and dew points between which two phases at T or p lie:
    // below a mixture's bubble line's lowest pressure, its point at T_low
    // (below_bubble_line set); none where a pure fluid has no saturation
    // state there, refused with a mixture's own errors.
    virtual isobar_decision two_phase_at(given g, double value) const = 0;

    // The phase of (T, p), refusing the critical neighbourhood.
    virtual tp_decision decide(double T, double p) const = 0;

    // Where the density of a single phase of a known kind starts at (T, p).
    virtual std::pair<std::optional<double>, branch> start(double T, double p, phase_kind phase) const = 0;

    // The single phase or the two phases of the isobar p at h or s (J/mol,
    // J/(mol K)), target.kind h or s.
    virtual isobar_decision on_isobar(double p, const spec& target) const = 0;

    // The phase of the single phase (T, rho) at its pressure p, refusing the
    // critical neighbourhood.
    virtual phase_kind single_at(double T, double p, double rho) const = 0;

    // Whether (T, rho) at p is a stable single phase on its side of the
    // boundary: its phase, or none.
    virtual std::optional<phase_kind> stable(double T, double rho, double p) const = 0;

    // Whether a single phase (T, rho) of a decided phase lies on its side of
    // the boundary (to 1e-9 of the saturated densities at T); known: the
    // boundary at T where the decision solved it.
    virtual bool on_its_side(double T, double rho, phase_kind phase, const std::optional<boundary_point>& known) const = 0;

    // The refusal of a single phase too close to the critical point.
    virtual void refuse(double T, double p) const = 0;

    // The lower limit of temperature: the lowest of the boundary.
    virtual double T_low() const = 0;

    // The pressures at which both a bubble and a dew point are computed.
    virtual std::pair<double, double> p_range() const = 0;
};

}  // namespace vantrel::detail
