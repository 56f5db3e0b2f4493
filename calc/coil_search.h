#pragma once

// The search for a close-wound coil, on numbers already read.
//
// The number of turns comes from Wheeler's formula for single-layer air-core
// coils, written for millimetres and microhenry:
//     n = sqrt(Z * 25.4 * (18 R + 40 L)) / R,
// evaluated as sqrt((L * 10 + R * 4.5) * (Z * 101.6)) / R. The search scales
// the coil length, and where the length cannot follow also the diameter, in
// fixed steps until the winding length d * n lies within 1 % of the coil
// length. Every expression is evaluated in double and rounded to float where
// the value is kept as a float; the factoring and the order of the steps
// decide the last digit of the results, so keep them as they are.

#include <cmath>
#include <optional>

namespace kolvart {

// What the search settled on, before it is turned into text.
struct CoilFit {
    float diameter; // the working diameter rounded to half millimetres
    double length;  // the coil length rounded to a tenth of a millimetre
    double turns;   // the number of turns rounded to a tenth
    int passes;     // passes of the search, the fitting one included
};

// The coil length the search starts from, by the wanted inductance.
constexpr float startLength(double inductance) noexcept {
    if (inductance > 1000)
        return 200;
    if (inductance > 100)
        return 100;
    if (inductance > 10)
        return 50;
    if (inductance > 1)
        return 25;
    if (inductance >= 0.1)
        return 12;
    return 10;
}

// Runs the search from diameter D and wire thickness d (mm) for inductance Z
// (microhenry), with the arithmetic of CheckedArithmetic or
// UncheckedArithmetic. There is no limit on the passes: the search ends by
// fitting or by a fault.
//
// CheckedArithmetic raises the first fault where it happens. With
// UncheckedArithmetic a fault leaves an infinity or a NaN behind, and the
// search returns no value at the first of three tests that meets it:
// - W, the winding length: a fault in the number of turns reaches it in the
//   same pass, a fault in scaling the length or the diameter in the next
//   pass (the formula takes both);
// - longest and fourDiameters, which only enter a comparison.
// The other stores scale a finite float down and cannot overflow. So the
// unchecked search gives no value exactly where the checked one raises a
// fault, and otherwise the same result.
template <class Arith> std::optional<CoilFit> searchCoil(float D, const float d, const double Z) {
    using A = Arith;
    // D rounded to the nearest half millimetre, halves upwards. R depends on D
    // alone, so it is worked out again only where D changes.
    const auto halves = [](float D) {
        return A::single(A::div(std::floor(A::add(A::add(D, D), 0.5)), 2));
    };
    float L = startLength(Z);
    float R = halves(D);
    for (int passes = 1;; ++passes) {
        const float N = A::single(
            A::div(A::sqrt(A::mul(A::add(A::mul(L, 10), A::mul(R, 4.5)), A::mul(Z, 101.6))), R));
        const float W = A::single(A::mul(d, N)); // winding length
        if (!std::isfinite(W))
            return std::nullopt;

        const float shortest = A::single(A::mul(L, 0.99));
        if (!(shortest < W)) {
            // The winding fills at most 99 % of the length: the coil is too long.
            L = A::single(A::mul(L, 0.95));
            if (!(W > D)) {
                D = A::single(A::mul(D, 0.9));
                R = halves(D);
            }
            continue;
        }
        const float longest = A::single(A::mul(L, 1.01));
        if (!std::isfinite(longest))
            return std::nullopt;
        if (longest > W) {
            const auto tenths = [](double x) {
                return A::div(std::floor(A::add(A::mul(x, 10), 0.5)), 10);
            };
            return CoilFit{R, tenths(L), tenths(N), passes};
        }
        // The winding needs 101 % of the length or more: the coil is too short.
        L = A::single(A::mul(L, 1.05));
        const float fourDiameters = A::single(A::mul(D, 4));
        if (!std::isfinite(fourDiameters))
            return std::nullopt;
        if (!(fourDiameters > W)) {
            D = A::single(A::mul(D, 1.2));
            R = halves(D);
        }
    }
}

} // namespace kolvart
