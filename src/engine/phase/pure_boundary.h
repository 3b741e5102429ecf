// The phase boundary of a pure fluid (or a blend described as one): its
// saturation state at T or p, the same point as bubble and dew point.
//
// The neighbourhood of the critical point it refuses: single-phase states
// within CRITICAL_BAND of both the critical temperature and pressure.
// Saturation states exist up to 1 - SATURATION_LIMIT of the critical
// values with the equal-area rule (the expansions), up to them with the
// correlations.
#pragma once

#include <memory>

#include "engine/phase/boundary.h"
#include "engine/phase/saturation.h"

namespace vantrel::detail {

class pure_boundary final : public boundary_provider {
public:
    explicit pure_boundary(std::shared_ptr<const model> m) : m_(std::move(m)) {}

    boundary_points at(given g, double value, precision how) const override;
    std::optional<boundary_point> point(side, given g, double value) const override { return saturated(*m_, g, value); }
    isobar_decision two_phase_at(given g, double value) const override;
    tp_decision decide(double T, double p) const override;
    std::pair<std::optional<double>, branch> start(double T, double p, phase_kind phase) const override;
    isobar_decision on_isobar(double p, const spec& target) const override;
    phase_kind single_at(double T, double p, double rho) const override;
    std::optional<phase_kind> stable(double T, double rho, double p) const override;
    bool on_its_side(double T, double rho, phase_kind phase, const std::optional<boundary_point>& known) const override;
    void refuse(double T, double p) const override;
    double T_low() const override;
    std::pair<double, double> p_range() const override;

    // The phase of (T, p) by the critical and triple points and, between
    // them, by the saturation pressure; the saturation state at T where the
    // decision solved one.
    struct decision {
        phase_kind phase = phase_kind::none;
        std::optional<sat_solution> sat;
    };
    decision decide_phase(double T, double p) const;

    const component_data& pure() const { return m_->pure(); }

private:
    std::pair<std::optional<double>, branch> start_of(double T, double p, const decision& ph) const;

    std::shared_ptr<const model> m_;
};

}  // namespace vantrel::detail
