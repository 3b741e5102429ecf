// States of every fluid from every input pair: one driver per pair, the same
// for every fluid. Each decides the phase from the fluid's phase boundary,
// solves one phase (its density, or its T and density along an isobar) or
// two (between the boundary's bubble and dew points: by the lever rule for
// one component, by Newton's method on the equilibrium equations for more),
// and the state is checked before it is returned. Molar units: K, Pa,
// mol/m3, J/mol, J/(mol K); the vapour fraction by mass.
#pragma once

#include <memory>
#include <optional>

#include "engine/model/caloric.h"
#include "engine/phase/boundary.h"
#include "vantrel/properties.h"

namespace vantrel::detail {

// A fluid as the flash sees it: its model, its composition (one component:
// {1}), its phase boundary and what its configuration states.
struct fluid_core {
    std::shared_ptr<const model> m;
    composition z;
    double M = 0;  // kg/mol of z
    std::shared_ptr<const boundary_provider> boundary;
    fluid_info info;
    double rho_critical = 0;  // mol/m3: the critical density (a pure fluid's configured, a mixture's envelope's)

    bool one_component() const { return z.size() == 1; }
};

// A state as the flashes find it: a single phase (its density and alpha_r's
// derivatives there), or two phases (their split and the vapour's mole
// fraction beta); x, the vapour mass fraction, of two phases and of a
// saturated state given by it.
struct flash_state {
    phase_kind phase = phase_kind::none;
    double T = 0, p = 0;
    double rho = 0;  // the single phase's
    alpha_derivatives<double> alpha;
    std::optional<double> x;
    std::optional<two_phase> split;
    double beta = 0;
    std::optional<boundary_point> sat_at_T;  // the boundary at T, where the phase decision solved it
    std::optional<phase_pair> phases;        // one component's saturated phases, where the boundary evaluated them
};

// The state named by pair (molar values in the pair's order).
flash_state flash(const fluid_core& f, input_pair pair, double first, double second);

// The single phase at (T, rho) with its pressure and alpha_r's derivatives.
flash_state single_at_density(const fluid_core& f, double T, double rho, phase_kind phase);

// The single phase of a known kind at (T, p), its density from the
// boundary's start for it.
flash_state single_at(const fluid_core& f, double T, double p, phase_kind phase);

// The state of (T, p).
flash_state at_T_p(const fluid_core& f, double T, double p);

// Two phases between the boundary's bubble point b and dew point d holding
// the values a and b, started at weight t from b to d (the vapour fraction
// of one component, whose b and d are its one saturation state: the lever
// rule at t). A mixture's smaller phase may vanish (a state the boundary's
// last digits put inside): the larger phase's state then, its phase liquid
// or gas and no split.
flash_state two_phases(const fluid_core& f, const spec& a, const spec& b, const boundary_point& bubble,
                       const boundary_point& dew, double t);

// The saturated state of a bubble point (the liquid) or dew point (the
// vapour): one component's saturated phase, a mixture's two phases of which
// the incipient one has no share.
flash_state saturated_state(const fluid_core& f, const boundary_point& s, side at);

// The single phase of the isobar p whose h or s is target.
flash_state along_isobar(const fluid_core& f, double p, const spec& target, const isobar_part& part);

// The state of (h, s).
flash_state at_h_s(const fluid_core& f, double h, double s);

// The properties of a flash state's single phase, and of both phases of a
// two-phase state (at one T: one component's from one evaluation of the
// factors of tau).
phase_properties properties_of(const fluid_core& f, const flash_state& st);
phase_pair phases_of(const fluid_core& f, const two_phase& s);

// The errors of a flash: no state with the pair's values, no convergence in
// 100 steps. They quote no values: the public entry puts in the pair's, in
// the caller's units.
[[noreturn]] void no_state();
[[noreturn]] void no_convergence();

inline constexpr int MAX_STEPS = 100;

}  // namespace vantrel::detail
