#include "engine/base/fpu.h"

#include <cmath>
#if defined(__x86_64__) && defined(__SSE2__)
#include <xmmintrin.h>
#define VANTREL_MXCSR 1
#endif

#include "vantrel/vantrel.h"

namespace vantrel::detail {

#ifdef VANTREL_MXCSR
namespace {
// MXCSR: the six status flags in bits 0 to 5 (the same bits as FE_*), their
// traps' masks in bits 7 to 12.
constexpr unsigned int FLAGS = 0x3f, MASKS = 0x1f80;
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08);

int raised_flags() { return static_cast<int>(_mm_getcsr() & (FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID)); }
}  // namespace

void clear_fp() { _mm_setcsr(_mm_getcsr() & ~FLAGS); }

fp_guard::fp_guard() : saved_(_mm_getcsr()) { _mm_setcsr((saved_ | MASKS) & ~FLAGS); }

fp_guard::~fp_guard() { _mm_setcsr(saved_); }
#else
namespace {
int raised_flags() { return std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID); }
}  // namespace

void clear_fp() { std::feclearexcept(FE_ALL_EXCEPT); }

fp_guard::fp_guard() { std::feholdexcept(&saved_); }

fp_guard::~fp_guard() { std::fesetenv(&saved_); }
#endif

void check_fp() {
    const int raised = raised_flags();
    if (raised == 0) return;
    clear_fp();
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

}  // namespace vantrel::detail
