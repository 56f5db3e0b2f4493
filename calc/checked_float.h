#pragma once

// The arithmetic of the coil search, as two interchangeable policies.
//
// CheckedArithmetic tests every step for a floating-point fault by looking at
// the values (the optimiser does not respect the processor's exception flags)
// and throws FloatingPointError at the first one. UncheckedArithmetic is the
// bare IEEE arithmetic of the same steps, for the search's fast path.
//
// Every step is an ordinary double operation; a store to float rounds to
// nearest.

#include "calc/float_fault.h"

#include <cmath>
#include <limits>

namespace kolvart {

// Magnitudes from FLT_MAX plus half its last step upwards round to infinity
// when stored as a float.
inline constexpr double floatOverflowBound = 0x1.ffffffp127;

struct CheckedArithmetic {
    // One comparison on the way through: NaN fails it as well as infinity.
    static double checked(double r) {
        if (!(std::fabs(r) <= std::numeric_limits<double>::max())) [[unlikely]]
            raiseFault(std::isnan(r) ? FloatFault::InvalidArgument : FloatFault::Overflow);
        return r;
    }
    static double add(double a, double b) { return checked(a + b); }
    static double mul(double a, double b) { return checked(a * b); }
    static double div(double a, double b) {
        if (b == 0.0) [[unlikely]]
            raiseFault(a == 0.0 ? FloatFault::InvalidArgument : FloatFault::DivisionByZero);
        return checked(a / b);
    }
    static double sqrt(double a) {
        if (a < 0.0) [[unlikely]]
            raiseFault(FloatFault::InvalidArgument);
        return std::sqrt(a);
    }
    // Rounds to float; a value that would round to infinity is an overflow,
    // tested before the conversion.
    static float single(double a) {
        if (!(std::fabs(a) < floatOverflowBound)) [[unlikely]]
            raiseFault(std::isnan(a) ? FloatFault::InvalidArgument : FloatFault::Overflow);
        return static_cast<float>(a);
    }
};

// A fault leaves an infinity or a NaN behind, as IEEE 754 has it: an overflow
// gives infinity, also when a value beyond the float range is stored as a
// float, and an invalid operation gives NaN. A division by zero gives NaN
// without being carried out, so that no instruction divides by zero.
struct UncheckedArithmetic {
    static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

    static double add(double a, double b) { return a + b; }
    static double mul(double a, double b) { return a * b; }
    static double div(double a, double b) {
        return b == 0.0 ? std::numeric_limits<double>::quiet_NaN() : a / b;
    }
    static double sqrt(double a) { return std::sqrt(a); }
    static float single(double a) { return static_cast<float>(a); }
};

} // namespace kolvart
