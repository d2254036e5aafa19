#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/link/Dispatch.h"
#include "core/link/Link.h"
#include "core/text/Text.h"
#include "core/wizard/Backups.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/Screens.h"

namespace rq {
namespace {

constexpr std::uint8_t kMaxFlowControl = 3;
constexpr std::size_t kModelNameLength = 8;
constexpr std::size_t kSerialNumberLength = 6;
// The identity is taken only when two batches read it alike; a third may settle a disagreement.
constexpr int kMaxIdentityReads = 3;

const std::string kStep2Running = joinLines({"２．更新前パラメーターの取得", "",
                                             "　RQシステムに記録されているパラメーターを取得しています。",
                                             "　RQシステムの電源を切らないでしばらくお待ちください。"});

// Lines 1 to 7 of step 7's text; the running and the finished text differ from line 8 on.
const std::string kStep7Head = joinLines({"７．パラメーターの更新中", "", "　パラメーターを更新しています。",
                                          "　更新中はRQシステムの電源を切らずにしばらくお待ちください。", "",
                                          "　注意！：更新中にRQシステムの電源が落ちた場合",
                                          "　　　　　動作保証をすることができません。"});

std::string withLines(const std::string& text, std::initializer_list<std::string_view> lines) {
    return text + std::string(kNewLine) + joinLines(lines);
}

void setEnabled(WizardView& view, std::initializer_list<Control> buttons, bool enabled) {
    for (const Control button : buttons) view.setEnabled(button, enabled);
}

std::uint8_t portFailureCode(PortError error) {
    switch (error) {
        case PortError::InvalidPort:
            return 11;
        case PortError::BadSettings:
            return 15;
        default:
            return 99;
    }
}

PortError preparePort(Port& port, const CommSettings& settings) {
    // A failed exchange that had asked to keep the port open leaves it so; start from a closed port.
    if (port.isOpen()) port.close();
    port.setPortNumber(settings.ComPort);
    if (const PortError error = port.setSettings(settings.lineSettingsText()); error != PortError::None)
        return error;
    if (settings.FlowCtl > kMaxFlowControl) return PortError::Io;
    if (const PortError error = port.setFlowControl(static_cast<FlowControl>(settings.FlowCtl));
        error != PortError::None) {
        return error;
    }
    return port.open();
}

void showRunning(StepContext& context, int stepIndex, const std::string& info, const char* statusWord) {
    WizardView& view = context.view;
    markStepLabel(view, stepIndex);
    view.setText(Control::txtInfo, info);
    disableAllButtons(view);
    view.setText(Control::txtProcess, "");
    view.setStatus(1, statusWord);
    view.setStatus(2, "Ready");
}

// Runs one batch; the bar counts the requests sent and ends full.
void runBatch(StepContext& context, CommandQueue& queue, AnswerRule rule) {
    const int last = static_cast<int>(queue.size()) - 1;
    context.setProgress({0, last, 0});
    subFirstSend(context, queue, rule);
    context.setProgressValue(last);
}

void runExchange(StepContext& context, CommandQueue& queue, const std::string& processText) {
    context.view.setText(Control::txtProcess, processText);
    runBatch(context, queue, AnswerRule::Accepted);
}

void queueAccessMode(CommandQueue& queue, std::int32_t& count, ParameterStore& store, std::uint8_t mode) {
    store.AccessModeRequest = mode;
    QueueCommand(queue, count, ACCESS_MODE, kWrite, store);
}

void queueAll(CommandQueue& queue, std::int32_t& count, const ParameterStore& store,
              std::initializer_list<std::uint8_t> commands, std::uint8_t readWrite) {
    for (const std::uint8_t command : commands) QueueCommand(queue, count, command, readWrite, store);
}

// The backup's batch: access mode 1, the five identity reads, access mode 0.
CommandQueue identityReadBatch(ParameterStore& store) {
    CommandQueue queue;
    std::int32_t count = 0;
    queueAccessMode(queue, count, store, 1);
    queueAll(queue, count, store, {MODEL_NAME, SERIAL_NUMBER, PARAM_04, FIRMWARE_VERSION, PARAM_06}, kRead);
    queueAccessMode(queue, count, store, 0);
    return queue;
}

// Reads back what the write exchange wrote. The store keeps the backup, so that a repeated step 7 writes
// what step 2 read; a device holding anything else fails the step.
void verifyWrittenIdentity(StepContext& context) {
    ParameterStore& store = context.state.params;
    const SavedIdentity written = identityOfStore(store);
    context.view.setText(Control::txtProcess, joinLines({"パラメーター初期化完了", "パラメーター書き込み完了",
                                                         "パラメーター確認中 ………"}));
    readIdentity(context);
    const SavedIdentity readBack = identityOfStore(store);
    loadIntoStore(written, store);
    if (context.state.LinkError != 0) return;
    context.state.versionAfter = readBack.version;
    if (readBack.model != written.model || readBack.serial != written.serial ||
        readBack.param04 != written.param04) {
        context.state.reply = Reply::OtherIdentity;
        context.state.LinkError = 99;
    }
}

}  // namespace

bool openPort(StepContext& context) {
    const PortError error = preparePort(context.port, context.state.commSettings);
    if (error == PortError::None) return true;
    context.state.LinkError = portFailureCode(error);
    return false;
}

bool holdsIdentity(const ParameterStore& store) {
    return store.ModelName.size() >= kModelNameLength && store.SerialNumber.size() >= kSerialNumberLength;
}

// Each batch asks again for a value that did not come whole. Two flips of one bit in two bytes pass the
// checksum; the same wrong value read twice, batch for batch, would take two such pairs striking alike.
void readIdentity(StepContext& context) {
    std::vector<SavedIdentity> reads;
    for (int batch = 0; batch < kMaxIdentityReads; ++batch) {
        // The batch before closed the port; a caller may have opened it for the first.
        if (!context.port.isOpen() && !openPort(context)) return;
        CommandQueue queue = identityReadBatch(context.state.params);
        runBatch(context, queue, AnswerRule::ReadsStored);
        if (context.state.LinkError != 0) return;
        const SavedIdentity read = identityOfStore(context.state.params);
        if (std::find(reads.begin(), reads.end(), read) != reads.end()) return;
        reads.push_back(read);
    }
    context.state.LinkError = 12;
}

void subStep2ParamRead(StepContext& context) {
    if (!openPort(context)) return;
    showRunning(context, 1, kStep2Running, "Prameter read");
    context.view.setText(Control::txtProcess, "パラメーター取得中 ………");
    readIdentity(context);
    if (context.state.LinkError != 0) return;
    context.state.versionBefore = context.state.params.FirmwareVersion;
    saveIdentityBackup(context);

    WizardView& view = context.view;
    view.setText(Control::txtProcess, "パラメーター取得完了");
    view.setText(Control::txtInfo, withLines(kStep2Running, {"", "　更新前パラメーターの取得が完了しました。",
                                                             "　「次へ」をクリックしてください。"}));
    setEnabled(view,
               {Control::cmdFWFileSel, Control::cmdCommSetting, Control::cmdForceUpdate, Control::cmdCancel,
                Control::cmdNext},
               true);
}

void subStep7ParamWrite(StepContext& context) {
    ParameterStore& store = context.state.params;
    // Writing an identity the store does not hold would leave the device with a made-up one.
    if (!holdsIdentity(store)) {
        context.state.LinkError = 99;
        return;
    }
    if (!openPort(context)) return;
    showRunning(context, 6,
                withLines(kStep7Head, {"　　　　　もし不慮の事故により電源が落ちた場合に",
                                       "　　　　　弊社サポートまでご連絡ください。"}),
                "Parameter update");

    CommandQueue queue;
    std::int32_t count = 0;
    store.AccessCode = kInitialisationCode;
    queueAccessMode(queue, count, store, 2);
    QueueCommand(queue, count, PARAM_124, kWrite, store);
    runExchange(context, queue, "パラメーター初期化中 ………");
    if (context.state.LinkError != 0) return;

    count = 0;
    store.AccessCode = kAccessCode;
    queueAccessMode(queue, count, store, 2);
    queueAll(queue, count, store, {MODEL_NAME, SERIAL_NUMBER, PARAM_04}, kWrite);
    queueAccessMode(queue, count, store, 0);
    runExchange(context, queue, joinLines({"パラメーター初期化完了", "パラメーター書き込み中 ………"}));
    if (context.state.LinkError != 0) return;
    if (context.state.verifyIdentity) {
        verifyWrittenIdentity(context);
        if (context.state.LinkError != 0) return;
    }
    markBackupRestored(context);

    WizardView& view = context.view;
    const std::string written = joinLines({"パラメーター初期化完了", "パラメーター書き込み完了"});
    view.setText(Control::txtProcess,
                 context.state.verifyIdentity ? withLines(written, {"パラメーター確認完了"}) : written);
    view.setText(Control::txtInfo,
                 withLines(kStep7Head,
                           {"　　　　　もし不慮の事故により電源が落ちた場合には",
                            "　　　　　弊社サポートまでご連絡ください。", "",
                            "　パラメーターの更新が完了しました。", "　「次へ」をクリックしてください。"}));
    setEnabled(view, {Control::cmdFWFileSel, Control::cmdCommSetting, Control::cmdForceUpdate}, false);
    setEnabled(view, {Control::cmdCancel, Control::cmdNext}, true);
}

}  // namespace rq
