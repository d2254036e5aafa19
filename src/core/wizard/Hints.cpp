#include "core/wizard/Hints.h"

#include <array>
#include <vector>

namespace rq {
namespace {

using enum FlashStage;
using enum Reply;

std::vector<HintRow> makeHints() {
    // What several rows of step 5 advise, each a sentence.
    const std::string kAgainFromStep4 =
        "Switch the power off, the FW switch to W and the power on (pilot LED blinking green and red), then "
        "start step 5 again from step 4";
    const std::string kLowerSpeed = "Choose a lower 更新用ボーレート (38400 or 9600) in 通信設定";
    // clang-format off
    return {
        {21, 0, {}, {},
         "the firmware file is not where it was chosen: it was moved, renamed or deleted, or its drive was "
         "disconnected. Choose the file again."},
        {22, 5, {}, {},
         "the firmware file is longer than the device's 128 KiB flash; nothing was written to the device. "
         "Choose the right .bin file; if it is the right one, get it again from its source."},
        {22, 0, {}, {},
         "the file is not a firmware file of this device (its header does not match), or it is damaged or only "
         "partly downloaded. Choose the right .bin file; if it is the right one, get it again from its source."},
        {23, 0, {}, {},
         "the firmware file is there but cannot be read: no permission to read it, or an unreadable medium. "
         "Copy it to a local folder you can read and choose it there."},
        {11, 0, {}, {},
         "PORT cannot be opened. Is the USB cable plugged in and the device switched on? Choose the device's "
         "port in 通信設定 (rqfwup-cli ports lists them; COM0 means that no port could be opened): after its "
         "power is switched it may come back under another name. Close any other program that uses the port "
         "(a terminal program, a second rqfwup, ModemManager); on Linux the user must be in the group "
         "dialout."},
        {15, 0, {}, {},
         "PORT refused the line settings SETTINGS: the USB adapter cannot run at this speed or with these data "
         "bits. Choose 307200, Odd, 8, 1 in 通信設定; if the adapter cannot do 307200, use the adapter supplied "
         "with the device."},
        {12, 7, {}, Nothing,
         "no answer at all on PORT. Is the FW switch back at -, and was the power switched off and on after "
         "moving it? The pilot LED must be steady green, not blinking green and red. Is the USB cable plugged "
         "in?"},
        {12, 0, {}, Nothing,
         "no answer at all on PORT. Is the device connected to this port and switched on, its pilot LED steady "
         "green? If the LED blinks green and red, the FW switch is at W: move it to - and switch the power off "
         "and on. If all that is so, check that the line settings SETTINGS are the device's."},
        {12, 0, {}, Garbled,
         "bytes came back on PORT, but not one whole answer: the line settings SETTINGS are not the device's "
         "(it runs 307200, Odd, 8, 1 unless it was set otherwise), or the line is very noisy. Set the device's "
         "settings in 通信設定 (rqfwup-cli: --baud, --parity, --data-bits, --stop-bits); reseat or replace the "
         "USB cable."},
        {12, 0, {}, {},
         "the device answered on PORT, then stopped answering, refused the requests or answered damaged: it "
         "was switched off during the step, its cable is loose, or the line is noisy. Keep the device switched "
         "on in normal mode (pilot LED steady green), reseat or replace the USB cable, and try again."},
        {13, 0, {}, Nothing,
         "the device never signalled ready to receive (CTS) on PORT: it is switched off, the cable is loose or "
         "has no handshake lines, or the port is not the device's. Switch the device on and check its pilot "
         "LED, reseat the USB cable or use the one supplied with the device, and check the port in 通信設定."},
        {13, 0, {}, {},
         "the device answered on PORT, then stopped signalling ready to receive (CTS) or gave no answer for a "
         "minute: it was switched off, its cable came loose, or it did not finish initialising its parameters. "
         "Switch it off and on in normal mode (FW switch at -, pilot LED steady green) and try again."},
        {99, 7, {}, OtherIdentity,
         "the device holds another identity than step 7 wrote: its model name, serial number or identity byte "
         "read back differently. Write it again (次へ ＞ on the step 6 screen, or rqfwup-cli restore); if it "
         "differs again, contact support."},
        {99, 7, {}, Nothing,
         "step 7 holds no identity to write back, or PORT failed as the step began. Without an identity, click "
         "強制更新 on the step 6 screen to choose a saved backup or to type the model and serial number "
         "(rqfwup-cli restore); otherwise check the USB cable and try again."},
        {99, 0, {}, {},
         "PORT failed during the step: the USB cable was pulled or the adapter reset. Check the cable and that "
         "the device runs in normal mode (pilot LED steady green), then try again; if it keeps failing, end "
         "the program and start it again."},
        {30, 5, None, {},
         "PORT cannot be opened for step 5: the device's port goes away while its power is off and may not be "
         "back yet, may have come back under another name, or another program took it. Wait a few seconds "
         "after switching the device on, check the port in 通信設定 and close other programs, then start step 5 "
         "again from step 4."},
        {30, 5, SetBaudRate, {},
         "PORT refused the programming speed, or failed while changing to it. " + kLowerSpeed
             + ". " + kAgainFromStep4 + "."},
        {30, 5, {}, {},
         "PORT failed during step 5: the USB cable was pulled or the adapter reset, and the flash is "
         "incomplete. Reconnect the cable. " + kAgainFromStep4 + "."},
        {31, 5, {}, {},
         "the boot firmware did not release the DSR line: the device did not start in programming mode, or the "
         "cable or adapter wires DSR differently. Use the cable supplied with the device. " + kAgainFromStep4
             + "."},
        {32, 5, SetBaudRate, {},
         "the boot firmware kept refusing at the programming speed: the line cannot carry it (a poor or long "
         "cable, electrical noise). " + kLowerSpeed + ". " + kAgainFromStep4 + "."},
        {32, 5, {}, {},
         "the boot firmware kept refusing the connection: electrical noise or a poor cable. Reseat or replace "
         "the USB cable. " + kAgainFromStep4 + "."},
        {33, 5, Connect, {},
         "the boot firmware did not answer. Is the FW switch at W, and was the power switched off and on after "
         "moving it? The pilot LED blinks green and red in programming mode. Is the USB cable plugged in? Then "
         "start step 5 again from step 4."},
        {33, 5, SetBaudRate, {},
         "the boot firmware did not answer at the programming speed: the line cannot carry it. " + kLowerSpeed
             + ". " + kAgainFromStep4 + "."},
        {33, 5, {}, {},
         "the device stopped answering: it lost power or its cable came loose, and its flash is incomplete. "
             + kAgainFromStep4 + "."},
        {34, 5, SetClock, {},
         "the boot firmware refused the clock setting. " + kAgainFromStep4 + "; if it happens again, contact "
             "support."},
        {34, 5, {}, {},
         "the boot firmware refused the security setting after writing. " + kAgainFromStep4
             + "; if it happens again, contact support."},
        {35, 5, {}, {},
         "the device could not erase its flash. " + kAgainFromStep4 + "; if it happens again, contact support."},
        {36, 5, {}, {},
         "writing a block failed: a transmission error on the line, or a flash the device cannot program, and "
         "the flash is incomplete. " + kAgainFromStep4 + ". If it keeps failing, choose a lower 更新用ボーレート and "
             "replace the cable, then contact support."},
        {37, 5, {}, {},
         "a block read back differs from the file: a transmission error, or a flash that does not hold its "
         "data. " + kAgainFromStep4 + ". If it keeps failing, choose a lower 更新用ボーレート and replace the cable, "
             "then contact support."},
    };
    // clang-format on
}

bool fits(const HintRow& row, std::uint8_t code, const FailurePlace& place) {
    return row.code == code && (row.step == 0 || row.step == place.step) &&
           (!row.stage || *row.stage == place.stage) && (!row.reply || *row.reply == place.reply);
}

void replaceAll(std::string& text, std::string_view word, std::string_view by) {
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + by.size()))
        text.replace(at, word.size(), by);
}

// The row's text with the port ("COM3 (/dev/ttyUSB0)") and its line settings filled in; empty without a row.
std::string hintText(std::uint8_t code, const FailurePlace& place, std::string_view port,
                     std::string_view settings) {
    const HintRow* row = findHint(code, place);
    if (row == nullptr) return {};
    std::string text(row->text);
    replaceAll(text, "SETTINGS", settings);
    replaceAll(text, "PORT", port);
    return text;
}

std::string placedHint(const WizardState& state, const FailurePlace& place, const std::string& device,
                       std::string_view where) {
    const CommSettings& settings = state.commSettings;
    const std::string hint =
        hintText(state.LinkError, place, portCaption(settings.ComPort, device), settings.lineSettingsText());
    return hint.empty() ? hint
                        : "error " + std::to_string(state.LinkError) + " " + std::string(where) + ": " + hint;
}

}  // namespace

std::span<const HintRow> hintTable() {
    static const std::vector<HintRow> kHints = makeHints();
    return kHints;
}

const HintRow* findHint(std::uint8_t code, const FailurePlace& place) {
    for (const HintRow& row : hintTable()) {
        if (fits(row, code, place)) return &row;
    }
    return nullptr;
}

std::string_view stageName(FlashStage stage) {
    static constexpr std::array<std::string_view, 8> kNames = {
        "", "connect", "set clock", "set baud rate", "erase", "write", "set security", "verify"};
    return kNames.at(static_cast<std::size_t>(stage));
}

std::string portCaption(int number, const std::string& device) {
    const std::string name = "COM" + std::to_string(number);
    return device.empty() ? name : name + " (" + device + ")";
}

std::string failurePlace(const WizardState& state) {
    const int step = state.StepIndex + 1;
    std::string place = "in step " + std::to_string(step);
    if (step == 5 && state.flashStage != FlashStage::None)
        place += " (" + std::string(stageName(state.flashStage)) + ")";
    return place;
}

std::string stepFailureHint(const WizardState& state, const std::string& device) {
    return placedHint(state, {state.StepIndex + 1, state.flashStage, state.reply}, device,
                      failurePlace(state));
}

std::string readFailureHint(const WizardState& state, const std::string& device, std::string_view reading) {
    constexpr int kBackupStep = 2;
    return placedHint(state, {kBackupStep, FlashStage::None, state.reply}, device, reading);
}

}  // namespace rq
