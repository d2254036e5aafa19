#include "FlashBench.h"

// Each subsystem's benchmark prints its own figures; add further ones below.
int main() {
    rq::runFlashBenchmarks();
    return 0;
}
