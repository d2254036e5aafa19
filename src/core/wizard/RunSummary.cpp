#include "core/wizard/RunSummary.h"

#include "core/text/Text.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/Hints.h"
#include "core/wizard/Screens.h"

namespace rq {
namespace {

std::string withoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

RunSummary summarizeRun(const WizardState& state, const std::string& device) {
    RunSummary summary;
    summary.port = state.commSettings.ComPort;
    summary.device = device;
    if (holdsIdentity(state.params)) {
        summary.model = withoutTrailingBlanks(printableBytes(state.params.ModelName));
        summary.serial = withoutTrailingBlanks(printableBytes(state.params.SerialNumber));
    }
    if (state.versionBefore) summary.versionBefore = versionCaption(*state.versionBefore);
    if (state.versionAfter) summary.versionAfter = versionCaption(*state.versionAfter);
    return summary;
}

std::string summaryLine(const RunSummary& summary) {
    return portCaption(summary.port, summary.device) + "  " + orDash(summary.model) + "  " +
           orDash(summary.serial) + "  " + orDash(summary.versionBefore) + " -> " +
           orDash(summary.versionAfter) + "  " + summary.result + "  " + clockTime(summary.elapsed);
}

}  // namespace rq
