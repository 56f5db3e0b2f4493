// Designs a coil from arbitrary entry texts.
//
// Input: the diameter, wire and inductance texts and the decimal separator,
// separated by newlines; missing parts are empty. Bereken may only return or
// raise FloatingPointError. Besides the sanitizers, each call checks:
// - a fault names its kind;
// - no result means a guard held: diameter or wire zero, inductance below
//   0.001;
// - a result is the one the bare search (UncheckedArithmetic) settles on for
//   the same numbers, in the same passes, written with the same separator:
//   where no step faults, the checks change nothing.

#include "calc/checked_float.h"
#include "calc/coil_design.h"
#include "calc/coil_search.h"
#include "calc/number_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The next part of the input up to a newline; the rest follows the newline.
std::string_view nextPart(std::string_view& rest) {
    const std::size_t newline = rest.find('\n');
    const std::string_view part = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view spD = nextPart(rest);
    const std::string_view dd = nextPart(rest);
    const std::string_view zi = nextPart(rest);
    const std::string_view separator = rest.substr(0, 16);

    std::optional<kolvart::CoilDesign> design;
    try {
        design = kolvart::Bereken(spD, dd, zi, separator);
    } catch (const kolvart::FloatingPointError& error) {
        if (std::strcmp(error.what(), kolvart::faultName(error.fault())) != 0)
            fail("fault without its name");
        return 0;
    }

    // No fault: every entry was read within the range of its type.
    const float D = static_cast<float>(kolvart::parseEntryText(spD));
    const float d = static_cast<float>(kolvart::parseEntryText(dd));
    const double Z = kolvart::parseEntryText(zi);
    if (!design) {
        if (!(D == 0 || d == 0 || Z < 0.001))
            fail("no result without a guard");
        return 0;
    }
    if (D == 0 || d == 0 || Z < 0.001)
        fail("a result despite a guard");

    const kolvart::CoilFit fit = kolvart::searchCoil<kolvart::UncheckedArithmetic>(D, d, Z);
    if (design->passes < 1 || design->passes != fit.passes)
        fail("other passes than the bare search");
    if (design->diameter != kolvart::displaySingle(fit.diameter, separator) ||
        design->length != kolvart::displayDouble(fit.length, separator) ||
        design->turns != kolvart::displayDouble(fit.turns, separator))
        fail("other results than the bare search");
    return 0;
}
