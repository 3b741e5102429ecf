// The loaded fluid behind a vantrel::fluid: the flash's view of it, what the
// public face shows of it, and the shift of h and s its reference state
// puts on every state.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "engine/flash/flash.h"
#include "engine/phase/glide_lines.h"
#include "vantrel/vantrel.h"

class vantrel::fluid::impl {
public:
    detail::fluid_core core;
    std::vector<component> components;
    std::optional<detail::glide_lines> lines;  // a pseudo-pure blend's bubble and dew correlations
    std::optional<phase_envelope> envelope;    // a mixture's, in mass units
    double h_shift = 0, s_shift = 0;           // J/kg, J/(kg K): added to every state's h and s

    bool mixture() const { return !core.one_component(); }
};

namespace vantrel::detail {

using fluid_impl = fluid::impl;

struct fluid_access {
    static const fluid_impl& of(const fluid& f) { return *f.impl_; }
};

// The loaded fluid of a public one (tests and the tools reach it here).
inline const fluid_impl& impl_of(const fluid& f) { return fluid_access::of(f); }

// A pure fluid (or pseudo-pure blend) of its component, and a mixture of
// its model and mole fractions, named name, in the configured reference
// state of its files; reference states are set on them afterwards.
std::shared_ptr<fluid_impl> pure_fluid(std::shared_ptr<const component_data> c);
std::shared_ptr<fluid_impl> mixture_fluid(model m, const composition& z, const std::string& name,
                                          const std::string& description);

// The fluid f with h and s counted from ref (reference.cpp).
std::shared_ptr<const fluid_impl> with_reference(std::shared_ptr<fluid_impl> f, reference_state ref);

// A boundary point in the public's mass units with the reference shift, and
// the molar value of a key's given value (T, p and x as they are).
equilibrium_point public_point(const fluid_impl& f, const boundary_point& s, side at);
double molar_given(const fluid_impl& f, input_key k, double v);

}  // namespace vantrel::detail
