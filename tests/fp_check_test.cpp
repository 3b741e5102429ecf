// Floating-point faults end a computation with their message; underflow and
// inexact results pass.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "fp_check.h"

namespace {

volatile double zero = 0.0;
volatile double one = 1.0;
volatile double big = 1e300;
volatile double tiny = 1e-300;
volatile double sink = 0;

std::string fault_of(double (*f)()) {
    fp_clear();
    sink = f();
    try {
        fp_check();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "none";
}

TEST(FpCheck, EachFaultHasItsMessageAndUnderflowPasses) {
    const struct {
        const char* name;
        double (*f)();
        const char* message;
    } cases[] = {
        {"1/0", [] { return one / zero; }, "Division by zero"},
        {"log(0)", [] { return std::log(zero); }, "Division by zero"},
        {"0/0", [] { return zero / zero; }, "Invalid floating point operation"},
        {"sqrt(-1)", [] { return std::sqrt(-one); }, "Invalid floating point operation"},
        {"log(-1)", [] { return std::log(-one); }, "Invalid floating point operation"},
        {"1e300*1e300", [] { return big * big; }, "Floating point overflow"},
        {"exp(1000)", [] { return std::exp(1000 * one); }, "Floating point overflow"},
        {"underflow", [] { return tiny * tiny; }, "none"},
        {"exp(-1000)", [] { return std::exp(-1000 * one); }, "none"},
        {"inexact", [] { return one / 3.0; }, "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(fault_of(c.f), c.message) << c.name;
}

TEST(FpCheck, FlagsAreClearedAfterAFault) {
    fp_clear();
    sink = one / zero;
    EXPECT_THROW(fp_check(), std::runtime_error);
    EXPECT_NO_THROW(fp_check());
}

}  // namespace
