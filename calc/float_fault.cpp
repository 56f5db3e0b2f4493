#include "calc/float_fault.h"

namespace kolvart {

FloatingPointError::FloatingPointError(FloatFault fault)
    : std::runtime_error(faultName(fault))
    , fault_(fault) {}

const char* faultName(FloatFault fault) noexcept {
    switch (fault) {
    case FloatFault::DivisionByZero:
        return "Deling door nul";
    case FloatFault::Overflow:
        return "Overloop";
    case FloatFault::InvalidArgument:
        return "Ongeldig argument";
    }
    return "Onbekende rekenfout";
}

void raiseFault(FloatFault fault) {
    throw FloatingPointError(fault);
}

} // namespace kolvart
