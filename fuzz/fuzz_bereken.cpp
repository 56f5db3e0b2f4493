// Designs a coil from arbitrary entry texts, and runs the search's fast path
// beside the fully checked search.
//
// Input: the diameter, wire and inductance texts and the decimal separator,
// separated by newlines; missing parts are empty. Bereken may only return or
// raise FloatingPointError. Besides the sanitizers, each call checks:
// - a fault names its kind;
// - no result means a guard held: diameter or wire zero, inductance below
//   0.001;
// - the fast path (UncheckedArithmetic) gives no result exactly where the
//   fully checked search (CheckedArithmetic) raises a fault, and otherwise
//   the same result in the same passes;
// - Bereken raises the checked search's fault, of the same kind, or gives its
//   result written with the same separator.

#include "calc/checked_float.h"
#include "calc/coil_design.h"
#include "calc/coil_search.h"

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
    using namespace kolvart;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view spD = nextPart(rest);
    const std::string_view dd = nextPart(rest);
    const std::string_view zi = nextPart(rest);
    const std::string_view separator = rest.substr(0, 16);

    std::optional<CoilDesign> design;
    std::optional<FloatFault> fault;
    try {
        design = Bereken(spD, dd, zi, separator);
    } catch (const FloatingPointError& error) {
        if (std::strcmp(error.what(), faultName(error.fault())) != 0)
            fail("fault without its name");
        fault = error.fault();
    }

    CoilEntries entries{};
    try {
        entries = readEntries(spD, dd, zi);
    } catch (const FloatingPointError& error) {
        if (fault != error.fault())
            fail("an entry beyond its range without its fault");
        return 0;
    }
    const auto [D, d, Z] = entries;
    if (D == 0 || d == 0 || Z < 0.001) {
        if (design || fault)
            fail("a result or a fault despite a guard");
        return 0;
    }
    if (!design && !fault)
        fail("no result without a guard");

    std::optional<CoilFit> checked;
    std::optional<FloatFault> checkedFault;
    try {
        checked = searchCoil<CheckedArithmetic>(D, d, Z);
    } catch (const FloatingPointError& error) {
        checkedFault = error.fault();
    }
    const std::optional<CoilFit> fast = searchCoil<UncheckedArithmetic>(D, d, Z);
    if (fast.has_value() == checkedFault.has_value())
        fail("the fast path and the checked search disagree on a fault");
    if (fast && (fast->diameter != checked->diameter || fast->length != checked->length ||
                 fast->turns != checked->turns || fast->passes != checked->passes))
        fail("the fast path and the checked search differ");

    if (checkedFault) {
        if (fault != checkedFault)
            fail("Bereken names another fault than the checked search");
        return 0;
    }
    if (!design)
        fail("a fault where the checked search has none");
    const CoilDesign expected(*checked, separator);
    if (design->passes < 1 || design->passes != expected.passes ||
        design->diameter != expected.diameter || design->length != expected.length ||
        design->turns != expected.turns)
        fail("other results than the checked search");
    return 0;
}
