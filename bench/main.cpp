#include <cstdio>
#include <cstring>

#include "FlashBench.h"
#include "LinkBench.h"
#include "ManyDevicesBench.h"

// Each subsystem's benchmark prints its own figures. Naming "link", "flash" or "many" runs that one
// alone: the link figures take a fraction of a second, the flash figures more than a minute, the many
// devices' figures more than three.
int main(int argc, char** argv) {
    const char* only = argc == 2 ? argv[1] : nullptr;
    const auto named = [&](const char* name) { return only != nullptr && std::strcmp(only, name) == 0; };
    if (argc > 2 || (only != nullptr && !named("link") && !named("flash") && !named("many"))) {
        std::fprintf(stderr, "usage: rqbench [link|flash|many]\n");
        return 2;
    }
    if (only == nullptr || named("link")) rq::runLinkBenchmarks();
    if (only == nullptr || named("flash")) rq::runFlashBenchmarks();
    if (only == nullptr || named("many")) rq::runManyDevicesBenchmarks();
    return 0;
}
