#pragma once

// The arithmetic of the coil search, as two interchangeable policies.
//
// CheckedArithmetic tests every step for a floating-point fault by looking at
// the values (the optimiser does not respect the processor's exception flags)
// and throws FloatingPointError at the first one. UncheckedArithmetic is the
// bare IEEE arithmetic of the same steps; the benchmark uses it as the floor.
//
// Every step is an ordinary double operation; a store to float rounds to
// nearest. The operands are always finite, since a fault stops the search
// before a non-finite value can be used again.

#include "calc/float_fault.h"

#include <cmath>
#include <limits>

namespace kolvart {

[[noreturn]] void raiseFault(FloatFault fault);

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
    // Rounds to float. Magnitudes from FLT_MAX plus half its last step upwards
    // round to infinity: that is an overflow, and it is tested before the
    // conversion, which would be undefined behaviour for them.
    static float single(double a) {
        constexpr double roundsToInfinity = 0x1.ffffffp127;
        if (!(std::fabs(a) < roundsToInfinity)) [[unlikely]]
            raiseFault(std::isnan(a) ? FloatFault::InvalidArgument : FloatFault::Overflow);
        return static_cast<float>(a);
    }
};

// The tests of CheckedArithmetic that a fault cannot get past: the divisor and
// every store to float. A fault anywhere else in a pass gives an infinity or a
// NaN that reaches a store within the same pass, so this finds every input that
// faults, though not always with the kind of the first fault; Bereken runs such
// an input again with CheckedArithmetic to name it.
struct StoreCheckedArithmetic {
    static double checked(double r) { return r; }
    static double add(double a, double b) { return a + b; }
    static double mul(double a, double b) { return a * b; }
    static double div(double a, double b) { return CheckedArithmetic::div(a, b); }
    static double sqrt(double a) { return std::sqrt(a); }
    static float single(double a) { return CheckedArithmetic::single(a); }
};

struct UncheckedArithmetic {
    static double checked(double r) { return r; }
    static double add(double a, double b) { return a + b; }
    static double mul(double a, double b) { return a * b; }
    static double div(double a, double b) { return a / b; }
    static double sqrt(double a) { return std::sqrt(a); }
    static float single(double a) { return static_cast<float>(a); }
};

} // namespace kolvart
