// Kolvart: calculates single-layer air-core coils.
#include "app/startup.h"

int main(int argc, char* argv[]) {
    return kolvart::runKolvart(argc, argv);
}
