#pragma once

#include "calc/float_fault.h"

#include <optional>
#include <string>
#include <string_view>

namespace kolvart {

struct CoilFit;

// The coil that the search settled on, as the texts of the three result boxes.
struct CoilDesign {
    // Writes the figures of the fit with the decimal separator given; the
    // texts are made in place, where they stay.
    CoilDesign(const CoilFit& fit, std::string_view decimalSeparator);

    std::string diameter; // text for txtSpD2: the coil diameter, in half millimetres
    std::string length;   // text for txtSpL: the coil length, to a tenth of a millimetre
    std::string turns;    // text for txtAW: the number of turns, to a tenth
    int passes;           // passes of the search, the fitting one included
};

// The numbers the calculation works on: the coil diameter D and the wire
// thickness d (mm) stored as floats, the inductance Z (microhenry) as a double.
struct CoilEntries {
    float D;
    float d;
    double Z;
};

// Reads the three entry texts, in this order, by the entry-text rule of
// parseEntryText. Throws FloatingPointError (overflow) for a value beyond the
// range of its type.
CoilEntries readEntries(std::string_view spD, std::string_view dd, std::string_view zi);

// Designs a close-wound single-layer air-core coil from the three entry texts:
// coil diameter (mm), wire thickness (mm) and self-inductance (microhenry).
// decimalSeparator is the one the result texts use; the entry texts always
// take a point.
//
// Returns no value when the diameter or the wire thickness is zero or the
// inductance is below 0.001 microhenry. Throws FloatingPointError at the
// first floating-point fault (division by zero, overflow, invalid argument).
std::optional<CoilDesign> Bereken(std::string_view spD, std::string_view dd, std::string_view zi,
                                  std::string_view decimalSeparator = ".");

} // namespace kolvart
