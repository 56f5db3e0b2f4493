#include "calc/coil_design.h"

#include "calc/checked_float.h"
#include "calc/coil_search.h"
#include "calc/number_text.h"

namespace kolvart {

CoilDesign::CoilDesign(const CoilFit& fit, std::string_view decimalSeparator)
    : diameter(displaySingle(fit.diameter, decimalSeparator))
    , length(displayDouble(fit.length, decimalSeparator))
    , turns(displayDouble(fit.turns, decimalSeparator))
    , passes(fit.passes) {}

CoilEntries readEntries(std::string_view spD, std::string_view dd, std::string_view zi) {
    using A = CheckedArithmetic;
    const float D = A::single(parseEntryText(spD));
    const float d = A::single(parseEntryText(dd));
    const double Z = A::checked(parseEntryText(zi));
    return CoilEntries{D, d, Z};
}

std::optional<CoilDesign> Bereken(std::string_view spD, std::string_view dd, std::string_view zi,
                                  std::string_view decimalSeparator) {
    // Read and stored before the guards: a pasted value beyond the range of
    // its type is an overflow even where a guard would have stopped.
    const auto [D, d, Z] = readEntries(spD, dd, zi);

    if (D == 0 || d == 0)
        return std::nullopt;
    if (Z < 0.001)
        return std::nullopt;

    std::optional<CoilFit> fit = searchCoil<UncheckedArithmetic>(D, d, Z);
    if (!fit)
        fit = searchCoil<CheckedArithmetic>(D, d, Z); // raises the first fault with its own kind
    return std::optional<CoilDesign>(std::in_place, *fit, decimalSeparator);
}

} // namespace kolvart
