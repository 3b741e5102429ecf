#include "engine/base/fpu.h"

#include <cmath>

#include "vantrel/vantrel.h"

namespace vantrel::detail {

void clear_fp() { std::feclearexcept(FE_ALL_EXCEPT); }

void check_fp() {
    const int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
    if (raised == 0) return;
    std::feclearexcept(FE_ALL_EXCEPT);
    // A NaN raises nothing further and an infinity usually leads to an invalid
    // operation later, so a division by zero or an overflow, when raised, is
    // the fault that came first.
    if (raised & FE_DIVBYZERO) throw error(error_kind::floating_point, message_id::division_by_zero);
    if (raised & FE_OVERFLOW) throw error(error_kind::floating_point, message_id::overflow);
    throw error(error_kind::floating_point, message_id::invalid_operation);
}

double finite(double value) {
    if (!std::isfinite(value)) throw error(error_kind::floating_point, message_id::invalid_operation);
    return value;
}

fp_guard::fp_guard() { std::feholdexcept(&saved_); }

fp_guard::~fp_guard() { std::fesetenv(&saved_); }

}  // namespace vantrel::detail
