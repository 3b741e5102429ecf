// The phase boundary of a mixture of fixed composition z: its envelope,
// traced once when the mixture is made, and the bubble and dew points at T
// or p, each started from the envelope and solved by Newton's method.
//
// The neighbourhood of the critical point it refuses, where the two phases
// all but coincide: from MIXTURE_CRITICAL_BAND below the lower of the
// critical point's and the cricondenbar's temperature (T_refused) and of
// the critical point's and the cricondentherm's pressure (p_refused) up to
// the cricondentherm and cricondenbar (a band beyond them for single
// phases). Below the envelope's lowest temperature T_low only a liquid
// above the bubble line's lowest pressure is decided.
#pragma once

#include <memory>

#include "engine/phase/boundary.h"
#include "engine/phase/envelope.h"

namespace vantrel::detail {

inline constexpr double MIXTURE_CRITICAL_BAND = 2e-3;

class mixture_boundary final : public boundary_provider {
public:
    // The envelope is traced from the highest of the components' lower limits.
    mixture_boundary(std::shared_ptr<const model> m, composition z);

    boundary_points at(given g, double value, precision how) const override;
    std::optional<boundary_point> point(side s, given g, double value) const override;
    isobar_decision two_phase_at(given g, double value) const override;
    tp_decision decide(double T, double p) const override;
    std::pair<std::optional<double>, branch> start(double T, double p, phase_kind phase) const override;
    isobar_decision on_isobar(double p, const spec& target) const override;
    phase_kind single_at(double T, double p, double rho) const override;
    std::optional<phase_kind> stable(double T, double rho, double p) const override;
    bool on_its_side(double, double, phase_kind, const std::optional<boundary_point>&) const override { return true; }
    void refuse(double T, double p) const override;
    double T_low() const override { return envelope_.T_low; }
    std::pair<double, double> p_range() const override { return {p_lowest(side::bubble), p_refused_}; }

    const envelope_data& envelope() const { return envelope_; }
    const composition& envelope_z() const { return z_; }
    double T_refused() const { return T_refused_; }
    double p_refused() const { return p_refused_; }
    // The lowest pressure of the bubble line and of the dew line.
    double p_lowest(side s) const;

private:
    std::optional<boundary_point> estimate(side s, given g, double value) const;
    bool in_refused_box(double T, double p) const;
    phase_kind outside_phase(double T, double p) const;
    // T, or the lower limit where T lies within rounding below it.
    double on_limit(double T) const;
    [[noreturn]] void below_envelope(double T) const;
    tp_decision decide_by_lines(double T, double p, bool by_T) const;
    // A single phase at (T, p) by the decision, refused where the decision finds two phases.
    std::pair<double, phase_kind> single_by_decision(double T, double p) const;
    double value_of(const boundary_point& s, side at, spec_kind kind) const;
    isobar_decision above_envelope(double p, const spec& target) const;
    isobar_decision below_bubble_line(double p, const spec& target, const std::optional<boundary_point>& d) const;
    error outside_at_p(double p) const;

    std::shared_ptr<const model> m_;
    composition z_;
    envelope_data envelope_;
    double T_refused_ = 0, p_refused_ = 0;
};

}  // namespace vantrel::detail
