// A mixture of fixed composition as the library holds it: its model, its
// mole fractions and its phase envelope, traced once when it is made; and
// its bubble and dew points at T or at p, each started from the envelope
// and polished by Newton's method, checked before it is returned.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/base/fpu.h"
#include "engine/mixture_envelope.h"
#include "vantrel/vantrel.h"

namespace vantrel::detail {

// The neighbourhood of the mixture's critical point that is refused: from
// MIXTURE_CRITICAL_BAND below the lower of the critical point's and the
// cricondenbar's temperature (and of the critical point's and the
// cricondentherm's pressure) up; there the two phases all but coincide.
inline constexpr double MIXTURE_CRITICAL_BAND = 2e-3;

struct mixture_fluid {
    mixture_model model;
    std::vector<double> z;  // mole fractions
    envelope_data envelope;
    double T_refused = 0, p_refused = 0;  // the refused neighbourhood begins here
};

// The envelope is traced from the highest of the components' lower limits.
mixture_fluid make_mixture_fluid(mixture_model model, std::vector<double> z);

// A mixture's bubble or dew value where it has one; nothing outside its
// two-phase range and in the critical neighbourhood.
template <class F>
std::optional<double> where_defined(F f) {
    try {
        return f();
    } catch (const error& e) {
        if (e.kind() != error_kind::input && e.kind() != error_kind::near_critical) throw;
        clear_fp();
        return std::nullopt;
    }
}

// The bubble point (x = z) or the dew point (y = z) at T (K) or at p (Pa).
// Refused outside the two-phase region's range of T or p (kind input) and
// in the critical neighbourhood (kind near_critical); a point that does not
// check itself (equations to 1e-12, two distinct phases) is not returned.
enum class saturation_side { bubble, dew };
two_phase saturation_at_T(const mixture_fluid& f, saturation_side side, double T);
two_phase saturation_at_p(const mixture_fluid& f, saturation_side side, double p);

}  // namespace vantrel::detail

// The mixture behind a vantrel::fluid: the model with its envelope, what the
// API shows of it, and the blend's reference-state shift of h and s (J/kg,
// J/(kg K), added to every phase whatever its composition).
class vantrel::fluid::mixture {
public:
    detail::mixture_fluid fluid;
    fluid_info info;
    std::vector<component> components;
    double h_shift = 0, s_shift = 0;
    phase_envelope envelope;
};

namespace vantrel::detail {

// The mixture a name means in data_dir, or nothing where it names none: a
// typed composition "A:w_A+B:w_B..." (each component as find_fluid reads
// names; mass fractions in (0, 1] adding up to 1 within 1e-6, refused
// otherwise with error(input)), or a blend of mixtures/blends.txt (its name
// as names compare).
std::shared_ptr<const fluid::mixture> find_mixture(const std::filesystem::path& data_dir, const std::string& name,
                                                   reference_state ref);

// The state of a mixture that pair names (SI mass units, h and s with the
// mixture's shift) with the extras asked for (its saturation temperature
// and pressure the dew point's), checked before it is returned: its two
// values reproduced to 1e-9, and of two phases, ln f_i of the phases equal
// to 1e-10, each phase at p to 1e-9, the material balance closed to 1e-12.
state mixture_state_at(const fluid::mixture& m, input_pair pair, double first, double second, extras with);

// The names of the predefined blends of data_dir (none without the file).
std::vector<std::string> blend_names(const std::filesystem::path& data_dir);

}  // namespace vantrel::detail
