#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "sim/RqSystem.h"

namespace rq::test {

// Options of a simulated RQ system whose line takes no time, with the named faults; a fault the
// simulator does not know fails the test.
inline sim::RqSystemOptions instantSystem(const std::vector<const char*>& faults = {}) {
    sim::RqSystemOptions options;
    options.instantLine = true;
    for (const char* fault : faults) EXPECT_EQ(options.faults.add(fault), std::nullopt) << fault;
    return options;
}

}  // namespace rq::test
