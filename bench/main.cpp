#include <cstdio>
#include <cstring>

#include "FlashBench.h"
#include "LinkBench.h"

// Each subsystem's benchmark prints its own figures. Naming "link" or "flash" runs that one alone: the
// flash figures take more than a minute, the link figures a fraction of a second.
int main(int argc, char** argv) {
    const char* only = argc == 2 ? argv[1] : nullptr;
    const auto named = [&](const char* name) { return only != nullptr && std::strcmp(only, name) == 0; };
    if (argc > 2 || (only != nullptr && !named("link") && !named("flash"))) {
        std::fprintf(stderr, "usage: rqbench [link|flash]\n");
        return 2;
    }
    if (only == nullptr || named("link")) rq::runLinkBenchmarks();
    if (only == nullptr || named("flash")) rq::runFlashBenchmarks();
    return 0;
}
