#include "calc/coil_design.h"

#include "calc/checked_float.h"
#include "calc/coil_search.h"
#include "calc/number_text.h"

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

std::optional<CoilDesign> Bereken(std::string_view spD, std::string_view dd, std::string_view zi,
                                  std::string_view decimalSeparator) {
    using A = CheckedArithmetic;
    // Read and stored before the guards: a pasted value beyond the range of
    // its type is an overflow even where a guard would have stopped.
    const float D = A::single(parseEntryText(spD));
    const float d = A::single(parseEntryText(dd));
    const double Z = A::checked(parseEntryText(zi));

    if (D == 0 || d == 0)
        return std::nullopt;
    if (Z < 0.001)
        return std::nullopt;

    CoilFit fit;
    try {
        fit = searchCoil<StoreCheckedArithmetic>(D, d, Z);
    } catch (const FloatingPointError&) {
        fit = searchCoil<A>(D, d, Z); // raises the first fault with its own kind
    }
    return CoilDesign{displaySingle(fit.diameter, decimalSeparator),
                      displayDouble(fit.length, decimalSeparator),
                      displayDouble(fit.turns, decimalSeparator), fit.passes};
}

} // namespace kolvart
