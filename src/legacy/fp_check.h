// Floating-point fault reporting through the status flags of the FPU.
//
// An invalid operation, a division by zero or an overflow anywhere in a
// computation must end the request with its message; underflow and inexact
// results pass. Throwing from a SIGFPE handler is not possible here (glibc's
// math functions are noexcept), so the computations clear the flags when a
// request starts and test them wherever a NaN or an infinity could steer a
// branch, a loop or an output. The flags do not tell which fault came first:
// where one fault can lead to another (0/0 before a logarithm of 0), the code
// checks between the two steps.
#pragma once

// Clears every floating-point status flag; called when a request starts.
void fp_clear();

// Throws vantrel::error (a std::runtime_error) with "Division by zero", "Floating point overflow"
// or "Invalid floating point operation" when the matching flag is raised,
// clearing the flags first so that the next request starts clean.
void fp_check();
