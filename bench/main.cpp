#include "FlashBench.h"
#include "LinkBench.h"

// Each subsystem's benchmark prints its own figures.
int main() {
    rq::runLinkBenchmarks();
    rq::runFlashBenchmarks();
    return 0;
}
