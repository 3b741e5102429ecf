// Floating-point faults of the computations, reported through the status
// flags of the FPU: an invalid operation, a division by zero or an overflow
// ends the computation with its message; underflow and inexact results pass.
#pragma once

#include <cfenv>

namespace vantrel::detail {

// Clears every floating-point status flag.
void clear_fp();

// Throws error(floating_point) with "Division by zero", "Floating point
// overflow" or "Invalid floating point operation" when the matching flag is
// raised, clearing the flags first.
void check_fp();

// value itself when it is finite; otherwise the invalid-operation error.
// Guards results where the flags cannot be trusted (valgrind, say).
double finite(double value);

// Saves the caller's floating-point environment, then runs with the flags
// cleared and no traps; restores the caller's flags and traps exactly on
// destruction, discarding the computation's own flags.
//
// On x86-64 the computations' doubles are SSE arithmetic, whose flags and
// traps are the MXCSR register: the guard and the checks read and write
// that register alone (a few cycles, where saving the whole environment
// with the x87 unit's costs a tenth of a state), and leave the x87 unit,
// which nothing here uses, as the caller has it.
class fp_guard {
public:
    fp_guard();
    ~fp_guard();
    fp_guard(const fp_guard&) = delete;
    fp_guard& operator=(const fp_guard&) = delete;

private:
#if defined(__x86_64__) && defined(__SSE2__)
    unsigned int saved_;
#else
    std::fenv_t saved_;
#endif
};

}  // namespace vantrel::detail
