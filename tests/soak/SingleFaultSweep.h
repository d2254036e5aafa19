#pragma once

#include <map>
#include <string_view>
#include <vector>

namespace rq::soak {

enum class FaultKind : std::uint8_t { Flip, Drop, Duplicate, Insert };
std::string_view kindName(FaultKind kind);

// One step's answers, every byte of them hit once by one kind of fault.
struct SweepRow {
    int step = 0;  // 2 or 7
    bool verifyIdentity = false;
    FaultKind kind = FaultKind::Flip;
    int faults = 0;
    std::map<int, int> endedWith;  // LinkError of a step the fault ended, and how often
    int identityWrong = 0;  // the step succeeded, but the identity it read or wrote is not the device's
};

// Steps 2 and 7 (7 with and without the read-back) against the simulated device in normal mode.
std::vector<SweepRow> sweepSingleFaults();

}  // namespace rq::soak
