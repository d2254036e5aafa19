#pragma once

#include <string>

#include "core/io/Clock.h"
#include "core/state/WizardState.h"

namespace rq {

// What one run did to one device, for the line a person reads at its end. An empty field is not known.
struct RunSummary {
    int port = 0;        // COMn
    std::string device;  // the system's name of the port, "/dev/ttyUSB0"
    std::string model;   // as printableBytes() shows it, without trailing blanks
    std::string serial;
    std::string versionBefore;  // "Ver.1.2.0"
    std::string versionAfter;
    std::string result;  // "done", "error 33 in step 5 (connect)", "cancelled", ...
    int status = 0;      // the exit status
    Micros elapsed{0};
};

// The run's device as the state holds it; the result is the caller's.
RunSummary summarizeRun(const WizardState& state, const std::string& device);

// "COM3 (/dev/ttyUSB0)  RQA-4021  12345  Ver.1.2.0 -> Ver.1.3.0  done  2:41", "-" for what is not known.
std::string summaryLine(const RunSummary& summary);

}  // namespace rq
