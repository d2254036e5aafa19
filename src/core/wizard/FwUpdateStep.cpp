#include <string>

#include "core/flash/FlashFrames.h"
#include "core/flash/FlashSequence.h"
#include "core/flash/ImageBuild.h"
#include "core/text/Text.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/Screens.h"

namespace rq {
namespace {

constexpr int kStepIndex = 4;

std::string fwUpdateText() {
    return joinLines(
        {"５．ファームウェアの更新中", "", "　ファームウェアを更新しています。",
         "　※この処理は２～３分ほどかかります。", "",
         "　更新中はRQシステムの電源を切らずにしばらくお待ちください。",
         "　注意！：更新中にRQシステムの電源が落ちた場合", "　　　　　動作保証をすることができません。",
         "　　　　　もし不慮の事故により電源が落ちた場合は", "　　　　　弊社サポートまでご連絡ください。"});
}

void showStep(WizardView& view) {
    markStepLabel(view, kStepIndex);
    view.setText(Control::txtInfo, fwUpdateText());
    disableAllButtons(view);
    view.setText(Control::txtProcess, "");
    view.setStatus(1, "Firmware update");
    view.setStatus(2, "Ready");
}

// The port as the boot firmware listens; the flow control stays the one chosen for normal mode.
bool openBootPort(Port& port, const CommSettings& settings) {
    port.setPortNumber(settings.ComPort);
    if (port.setSettings("9600,N,8,1") != PortError::None) return false;
    if (settings.FlowCtl > static_cast<std::uint8_t>(FlowControl::Both)) return false;
    if (port.setFlowControl(static_cast<FlowControl>(settings.FlowCtl)) != PortError::None) return false;
    port.setRts(false);
    port.setDtr(false);
    return port.open() == PortError::None;
}

void closeBootPort(Port& port) {
    port.close();
    port.setRts(false);
    port.setDtr(false);
}

void showSuccess(WizardView& view) {
    view.setText(Control::txtInfo, fwUpdateText() + std::string(kNewLine) + std::string(kNewLine) +
                                       "　更新作業が終了しました。「次へ」をクリックしてください。");
    disableAllButtons(view);
    view.setEnabled(Control::cmdNext, true);
}

}  // namespace

void subStep5FwUpdate(StepContext& context) {
    WizardState& state = context.state;
    showStep(context.view);
    state.programmingResult = buildProgrammingImage(context);
    if (!openBootPort(context.port, state.commSettings)) {
        state.programmingResult = kResultOtherFailure;
        state.LinkError = kErrorNoStart;
    }
    if (state.programmingResult == 0) {
        ProcessLog log(context.view, kImageBuiltText);
        state.programmingResult = FlashSequence(context, *state.image, log).run();
    }
    closeBootPort(context.port);
    if (state.LinkError == 0) showSuccess(context.view);
}

}  // namespace rq
