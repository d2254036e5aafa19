#include "core/wizard/Screens.h"

#include <array>
#include <optional>

#include "core/text/Text.h"
#include "core/wizard/DeviceSteps.h"

namespace rq {
namespace {

constexpr std::array<Control, 5> kButtons = {Control::cmdFWFileSel, Control::cmdCommSetting,
                                             Control::cmdForceUpdate, Control::cmdCancel, Control::cmdNext};

// One entry per button of kButtons; nullopt leaves the button as it is.
using ButtonStates = std::array<std::optional<bool>, 5>;

void setButtons(WizardView& view, const ButtonStates& states) {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        if (states[i]) view.setEnabled(kButtons[i], *states[i]);
    }
}

struct Screen {
    int stepIndex;
    std::string text;
    ButtonStates buttons;
    const char* statusWord;
};

void show(StepContext& context, const Screen& screen) {
    markStepLabel(context.view, screen.stepIndex);
    context.view.setText(Control::txtInfo, screen.text);
    setButtons(context.view, screen.buttons);
    context.view.setText(Control::txtProcess, "");
    // Also the screens shown again after a failed step: the bar starts from nothing, not full.
    context.setProgressValue(0);
    context.view.setStatus(1, screen.statusWord);
    context.view.setStatus(2, "");
}

}  // namespace

void markStepLabel(WizardView& view, int stepIndex) {
    // Every label, not only the neighbours: a jump (the forced update, a saved identity) would leave
    // the step it came from in bold.
    for (int label = 0; label < kStepCount; ++label) view.setBold(stepLabel(label), label == stepIndex);
}

void disableAllButtons(WizardView& view) {
    setButtons(view, {false, false, false, false, false});
}

void subStep1Start(StepContext& context) {
    show(context, {0,
                   joinLines({"１．開始", "", "　①RQシステムとパソコンをUSBケーブルで接続してください。",
                              "　②右上の「選択」をクリックして更新用ファームウェアの",
                              "　　ファイルを選択してください。",
                              "　③左下の「通信設定」をクリックして通信ポートの設定を", "　　行ってください。",
                              "　④RQシステムを通常モードで起動してください。", "",
                              "　上記の作業が終わりましたら、「次へ」をクリックしてください。"}),
                   {true, true, true, true, true},
                   "Update start"});
}

void subStep3VersionCheck(StepContext& context) {
    context.view.setText(Control::lblFWOld, deviceVersionCaption(context.state.params));
    show(context,
         {2,
          joinLines({"３．ファームウェアのバージョン確認", "",
                     "　右上に表示されている更新前、更新後のファームウェア",
                     "　バージョンを確認してください。", "　更新用ファームウェアのファイルが未選択の場合は",
                     "　処理を続けることが出来ません。",
                     "　右上の「選択」をクリックしてファイルを選択してください。", "",
                     "　確認が終わりましたら「次へ」をクリックしてください。", "",
                     "　更新処理を中断する場合は「中止」をクリックしてください。"}),
          {std::nullopt, true, true, true, context.state.firmware.valid},
          "Version check"});
}

void subStep4FwPrepare(StepContext& context) {
    show(context, {3,
                   joinLines({"４．ファームウェアの更新準備", "", "　ファームウェアの更新を行います。",
                              "　①RQシステムの主電源を切ってください。",
                              "　②RQシステムの前面パネルにある「FW」スイッチを「W」側へ",
                              "　　動かしてください。", "　③RQシステムの主電源を入れてください。",
                              "　　パイロットLEDが「緑⇔赤」と交互に点滅していることを",
                              "　　確認してから「次へ」をクリックしてください。", "",
                              "　注意！：「次へ」をクリックすることでファームウェアの",
                              "　　　　　更新が始まります。更新が始まると処理を中断する",
                              "　　　　　ことはできません。", "",
                              "　更新処理を中断する場合は「中止」をクリックしてください。"}),
                   {std::nullopt, true, true, true, true},
                   "Firmware update"});
}

void subStep6ParamPrepare(StepContext& context) {
    show(context, {5,
                   joinLines({"６．パラメーターの更新準備", "", "　パラメーターの更新を行います。",
                              "　①RQシステムの主電源を切ってください。",
                              "　②RQシステムの前面パネルにある「FW」スイッチを「-」側へ",
                              "　　動かしてください。", "　③RQシステムの主電源を入れてください。",
                              "　　パイロットLEDが「緑」に点灯していることを確認してから",
                              "　　「次へ」をクリックしてください。", "",
                              "　注意！：「次へ」をクリックすることでパラメーターの更新が",
                              "　　　　　始まります。ここで更新処理を中断した場合には",
                              "　　　　　RQシステムの動作を保証することができません。"}),
                   // Without an identity step 7 cannot run: it is typed in, or a saved one chosen.
                   {false, false, !holdsIdentity(context.state.params), false, true},
                   "Parameter update"});
}

void subStep8End(StepContext& context) {
    show(context, {7,
                   joinLines({"８．更新作業の終了", "", "　更新作業が終了しました。",
                              "　RQシステムを再起動しファームウェアのバージョンが",
                              "　「更新後」のバージョンと同じことを確認してください。", "",
                              "　もしバージョンが「更新前」のバージョンのままの場合",
                              "　更新が失敗しています。", "　更新作業を最初からやり直してください。"}),
                   {false, false, false, false, true},
                   "Update end"});
    context.view.setText(Control::cmdNext, "終了");
    // What the read-back of step 7 found, beside the request to check it after a restart.
    if (const auto& version = context.state.versionAfter)
        context.view.setText(Control::txtProcess,
                             "RQシステムのファームウェアバージョン：" + versionCaption(*version));
}

std::string versionCaption(const std::array<std::uint8_t, 2>& version) {
    const int major = version[0];
    return "Ver." + std::to_string(major / 10) + "." + std::to_string(major % 10) + "." +
           std::to_string(version[1]);
}

std::string deviceVersionCaption(const ParameterStore& store) {
    return versionCaption(store.FirmwareVersion);
}

std::optional<std::string> versionWarning(const WizardState& state) {
    const FirmwareFile& file = state.firmware;
    if (!state.versionBefore || !file.valid) return std::nullopt;
    const std::array<std::uint8_t, 2>& running = *state.versionBefore;
    const std::array<int, 3> device = {running[0] / 10, running[0] % 10, running[1]};
    const std::array<int, 3> offered = {file.contents.at(33), file.contents.at(35), file.contents.at(37)};
    const std::string versions = "the file's firmware " + firmwareVersionCaption(file.contents);
    if (offered < device)
        return versions + " is older than the " + versionCaption(running) + " the device runs";
    if (offered == device) return versions + " is the version the device runs already";
    return std::nullopt;
}

}  // namespace rq
