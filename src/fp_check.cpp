#include "fp_check.h"

#include <cfenv>
#include <stdexcept>

void fp_clear() { std::feclearexcept(FE_ALL_EXCEPT); }

void fp_check() {
    const int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
    if (raised == 0) return;
    std::feclearexcept(FE_ALL_EXCEPT);
    // A NaN raises nothing further and an infinity usually leads to an invalid
    // operation later, so a division by zero or an overflow, when raised, is
    // the fault that came first.
    if (raised & FE_DIVBYZERO) throw std::runtime_error("Division by zero");
    if (raised & FE_OVERFLOW) throw std::runtime_error("Floating point overflow");
    throw std::runtime_error("Invalid floating point operation");
}
