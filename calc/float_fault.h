#pragma once

#include <stdexcept>

namespace kolvart {

// The kinds of floating-point fault that abandon a calculation.
enum class FloatFault { DivisionByZero, Overflow, InvalidArgument };

// Raised at the first floating-point fault of a calculation. what() names
// the kind in Dutch, as the window shows it to the user.
class FloatingPointError : public std::runtime_error {
public:
    explicit FloatingPointError(FloatFault fault);
    FloatFault fault() const noexcept { return fault_; }

private:
    FloatFault fault_;
};

// The Dutch name of a fault kind: "Deling door nul", "Overloop" or
// "Ongeldig argument".
const char* faultName(FloatFault fault) noexcept;

// Throws FloatingPointError for the fault; kept out of line so that the
// arithmetic that may raise it stays small.
[[noreturn]] void raiseFault(FloatFault fault);

} // namespace kolvart
