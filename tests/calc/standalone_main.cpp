// A program of its own on the calculation library, with only its public header.
#include "calc/coil_design.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: calc_standalone DIAMETER WIRE INDUCTANCE\n", stderr);
        return 2;
    }
    try {
        const auto design = kolvart::Bereken(argv[1], argv[2], argv[3]);
        if (!design) {
            std::puts("-");
            return 0;
        }
        std::printf("%s %s %s %d\n", design->diameter.c_str(), design->length.c_str(),
                    design->turns.c_str(), design->passes);
    } catch (const kolvart::FloatingPointError& error) {
        std::printf("%s\n", error.what());
    }
    return 0;
}
