#include <gtest/gtest.h>

#include <algorithm>

#include "TempDir.h"
#include "core/io/ForwardingPort.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/Wizard.h"
#include "sim/FirmwareGenerator.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/InstantSystem.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using namespace std::chrono_literals;

const std::string kSuccessLine = "　更新作業が終了しました。「次へ」をクリックしてください。";
constexpr Control kButtons[] = {Control::cmdFWFileSel, Control::cmdCommSetting, Control::cmdForceUpdate,
                                Control::cmdCancel, Control::cmdNext};

std::string buttons(const test::RecordingView& view) {
    std::string states;
    for (const Control button : kButtons) states += view.isEnabled(button) ? '1' : '0';
    return states;
}

// Remembers when panel 2 showed each word.
class TimedView : public test::RecordingView {
  public:
    explicit TimedView(Clock& clock) : clock_(&clock) {}
    std::vector<Micros> statusTimes2;
    void setStatus(int panel, const std::string& value) override {
        if (panel == 2) statusTimes2.push_back(clock_->now());
        RecordingView::setStatus(panel, value);
    }

  private:
    Clock* clock_;
};

struct StepRun {
    std::vector<const char*> faults;
    bool instantLine = true;
    std::uint8_t speedIndex = 3;
    sim::DeviceTimings timings = {};
};

StepRun withFaults(std::vector<const char*> faults) {
    StepRun run;
    run.faults = std::move(faults);
    return run;
}

StepRun atSpeed(std::uint8_t speedIndex, bool instantLine) {
    StepRun run;
    run.speedIndex = speedIndex;
    run.instantLine = instantLine;
    return run;
}

// Step 5 against the simulated RQ system, switched on in programming mode.
class FlashStepTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    std::unique_ptr<sim::SimDevice> device;
    std::unique_ptr<sim::SimPort> port;
    TimedView view{clock};
    WizardState state;
    std::unique_ptr<StepContext> context;

    void prepare(const StepRun& run) {
        sim::RqSystemOptions options;
        for (const char* fault : run.faults) ASSERT_EQ(options.faults.add(fault), std::nullopt) << fault;
        options.instantLine = run.instantLine;
        options.timings = run.timings;
        device = sim::makeRqSystem(clock, options);
        device->setFwSwitch(true);
        device->setPower(true);
        port = std::make_unique<sim::SimPort>(*device);
        view = TimedView(clock);
        state.LinkError = 0;  // as the step machine leaves it before every step
        state.firmware.contents = sim::generateFirmware({{2, 1, 7}, 512 * 256});
        state.firmware.length = state.firmware.contents.size();
        state.commSettings.UpBaudrateIndex = run.speedIndex;
        context = std::make_unique<StepContext>(StepContext{state, *port, clock, view});
    }
    void runStep(const StepRun& run) {
        prepare(run);
        subStep5FwUpdate(*context);
    }

    bool flashEqualsImage() const {
        const sim::DeviceMemory memory = device->memory();
        for (std::size_t block = 0; block < 512; ++block) {
            const ImageBlock& expected = (*state.image)[block];
            if (!std::equal(expected.begin(), expected.end(), memory.flash.begin() + block * 256))
                return false;
        }
        return true;
    }
    bool succeeded() const { return view.text(Control::txtInfo).ends_with(kSuccessLine); }
    long shown(const std::string& word) const {
        return std::count(view.statusHistory2.begin(), view.statusHistory2.end(), word);
    }
    Micros sinceLastShown(const std::string& word) const {
        const auto at = std::find(view.statusHistory2.rbegin(), view.statusHistory2.rend(), word);
        return clock.now() -
               view.statusTimes2.at(static_cast<std::size_t>(view.statusHistory2.rend() - at - 1));
    }
};

TEST_F(FlashStepTest, UpdatesTheDevice) {
    runStep(StepRun());
    EXPECT_EQ(state.programmingResult, 0);
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_TRUE(flashEqualsImage());
    EXPECT_EQ(sim::flashFirmwareVersion(device->memory()), (std::array<std::uint8_t, 2>{21, 7}));
    EXPECT_TRUE(device->memory().securitySet);
    EXPECT_FALSE(port->isOpen());
    EXPECT_FALSE(port->rts());
    EXPECT_FALSE(port->dtr());

    EXPECT_TRUE(view.isBold(Control::lblProcess05));
    EXPECT_FALSE(view.isBold(Control::lblProcess04));
    EXPECT_FALSE(view.isBold(Control::lblProcess06));
    EXPECT_EQ(view.status1, "Firmware update");
    EXPECT_EQ(view.text(Control::txtInfo),
              "５．ファームウェアの更新中\r\n\r\n"
              "　ファームウェアを更新しています。\r\n"
              "　※この処理は２～３分ほどかかります。\r\n\r\n"
              "　更新中はRQシステムの電源を切らずにしばらくお待ちください。\r\n"
              "　注意！：更新中にRQシステムの電源が落ちた場合\r\n"
              "　　　　　動作保証をすることができません。\r\n"
              "　　　　　もし不慮の事故により電源が落ちた場合は\r\n"
              "　　　　　弊社サポートまでご連絡ください。\r\n\r\n" +
                  kSuccessLine);
    EXPECT_EQ(buttons(view), "00001");
    EXPECT_EQ(view.text(Control::txtProcess),
              "バイナリ・データ作成完了\r\n接続完了\r\nクロック設定完了\r\n書き込みボーレート設定完了\r\n"
              "旧ファームウェア消去完了\r\n新ファームウェア書き込み完了\r\n最終設定完了\r\nベリファイ完了");
    EXPECT_EQ(view.progress(), (Progress{0, 512, 511}));
}

TEST_F(FlashStepTest, StatusWordsInTheirOrder) {
    runStep(StepRun());
    std::vector<std::string> firstSeen;
    for (const std::string& word : view.statusHistory2) {
        if (std::find(firstSeen.begin(), firstSeen.end(), word) == firstSeen.end()) firstSeen.push_back(word);
    }
    EXPECT_EQ(firstSeen, (std::vector<std::string>{"Ready",
                                                   "HEX READ",
                                                   "RESET SEND",
                                                   "RESET RECV",
                                                   "OFS SEND",
                                                   "OFS RECV",
                                                   "BAUDRATE SEND",
                                                   "BAUDRATE RECV",
                                                   "CHIP ERASE SEND",
                                                   "CHIP ERASE RECV",
                                                   "WRITE CMD SEND",
                                                   "WRITE CMD RECV",
                                                   "WRITE DATA SEND",
                                                   "WRITE DATA RECV",
                                                   "SECURITY SET CMD SEND",
                                                   "SECURITY SET CMD RECV",
                                                   "SECURITY SET DATA SEND",
                                                   "SECURITY SET DATA RECV1",
                                                   "SECURITY SET DATA RECV2",
                                                   "VERIFY CMD SEND",
                                                   "VERIFY CMD RECV",
                                                   "VERIFY DATA SEND",
                                                   "VERIFY DATA RECV"}));
    EXPECT_EQ(shown("WRITE DATA SEND"), 512);
    EXPECT_EQ(shown("WRITE DATA RECV"), 513);  // with the final status
    EXPECT_EQ(shown("VERIFY DATA RECV"), 512);
}

// Each line without its date and time.
std::vector<std::string> untimed(const std::vector<std::string>& entries) {
    std::vector<std::string> lines;
    for (const std::string& entry : entries) lines.push_back(entry.substr(20));
    return lines;
}

TEST_F(FlashStepTest, TraceLinesOfEveryFrameWhenTheTraceIsRecordedOrShown) {
    for (const bool shown : {false, true}) {
        state.TraceEnabled = shown;
        state.traceRecorded = !shown;
        runStep(StepRun());
        const std::vector<std::string> lines = untimed(view.traceLines);
        ASSERT_EQ(lines.size(), 2 + 2 + 2 + 1 + 2 + 2 + 2 + 512 * 2 + 1 + 2 + 2 + 1 + 2 + 512 * 2) << shown;
        EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 12),
                  (std::vector<std::string>{
                      "      PC->RQX::BOOT:00\r\n",
                      "      PC->RQX::BOOT:00\r\n",
                      "RESET SEND PC->RQX::BOOT:01 01 00 FF 03\r\n",
                      "RESET RECV PC<-RQX::BOOT:02 01 06 F9 03\r\n",
                      "OFS SEND PC->RQX::BOOT:01 05 90 04 09 01 04 59 03\r\n",
                      "OFS RECV PC<-RQX::BOOT:02 01 06 F9 03\r\n",
                      "OFS RECV PC->RQX::BOOT:01 02 9A 06 5E 03\r\n",  // the baud rate command shows no word
                      "BAUDRATE SEND PC->RQX::BOOT:01 01 00 FF 03\r\n",
                      "BAUDRATE RECV PC<-RQX::BOOT:02 01 06 F9 03\r\n",
                      "CHIP ERASE SEND PC->RQX::BOOT:01 01 20 DF 03\r\n",
                      "CHIP ERASE RECV PC<-RQX::BOOT:02 01 06 F9 03\r\n",
                      "WRITE CMD SEND PC->RQX::BOOT:01 07 40 00 00 00 01 FF FF BA 03\r\n",
                  }));
        EXPECT_TRUE(lines[13].starts_with("WRITE DATA SEND PC->RQX::BOOT:02 00 52 51 56 45 52 02 .. "))
            << lines[13];
        EXPECT_TRUE(lines[13].ends_with(" 17 (260 bytes)\r\n")) << lines[13];
        EXPECT_EQ(lines[14], "WRITE DATA RECV PC<-RQX::BOOT:02 02 06 06 F2 03\r\n");
        EXPECT_TRUE(lines.back().starts_with("VERIFY DATA RECV PC<-RQX::BOOT:02 02 06 06 F2 03"));
    }
}

TEST_F(FlashStepTest, NoTraceLinesUnlessWanted) {
    runStep(StepRun());
    EXPECT_TRUE(view.traceLines.empty());
}

// Lets only the first two bytes from the device through.
class ClippingPort final : public ForwardingPort {
  public:
    using ForwardingPort::ForwardingPort;
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        std::vector<std::uint8_t> bytes = ForwardingPort::read(atLeast, timeout);
        const std::size_t kept = std::min(bytes.size(), left_);
        left_ -= kept;
        bytes.resize(kept);
        return bytes;
    }

  private:
    std::size_t left_ = 2;
};

TEST_F(FlashStepTest, AnAnswerThatStopsShortIsTracedAtTheTimeOut) {
    prepare(StepRun());
    state.traceRecorded = true;
    ClippingPort clipped(*port);
    StepContext clippedContext{state, clipped, clock, view};
    subStep5FwUpdate(clippedContext);
    EXPECT_EQ(state.LinkError, 33);
    EXPECT_EQ(untimed(view.traceLines).back(), "RESET SEND PC<-RQX::BOOT:02 01\r\n");
}

TEST_F(FlashStepTest, Faults) {
    struct Case {
        const char* fault;
        std::uint8_t result;
        std::uint8_t linkError;
        const char* processLine;         // the last line of txtProcess
        long resets;                     // reset frames sent, at both speeds
        const char* lastWord = nullptr;  // for the silent ones: the time since panel 2 last showed it
        Micros waited{0};
    };
    const Case cases[] = {
        {"reset-nack=16", 0, 0, "ベリファイ完了", 17 + 1},
        {"reset-nack=17", 32, 32, "接続開始", 17},
        {"reset-silent", 31, 33, "接続開始", 1, "RESET SEND", 1ms + 3000ms + 5209us},  // 5 bytes at 9600
        {"dsr-held", 126, 31, "接続開始", 0, "HEX READ", 100ms},  // 101 reads, 1 ms apart
        {"ofs-status=05", 5, 34, "クロック設定開始", 1},
        {"erase-status=1A", 0x1A, 35, "旧ファームウェア消去開始", 2},
        {"write-cmd-status=15", 0x15, 36, "新ファームウェア書き込み開始", 2},
        {"write-block-st2=5:18", 0x18, 36, "新ファームウェア書き込み中 5 Block", 2},
        {"final-write-silent", 31, 33, "新ファームウェア書き込み中 511 Block", 2, "WRITE DATA RECV", 1088ms},
        {"power-off-at-block=100", 31, 33, "新ファームウェア書き込み中 100 Block", 2},
        {"security-status=10", 0x10, 34, "最終設定開始", 2},
        {"security-second-silent", 31, 33, "最終設定開始", 2, "SECURITY SET DATA RECV1", 4193ms},
        {"verify-mismatch=7", 0x0F, 37, "ベリファイ中 7 Block", 2},
        {"verify-st2=12:0F", 0x0F, 37, "ベリファイ中 12 Block", 2},
        {"bad-sum=reset", 0, 0, "ベリファイ完了", 2 + 1},
        {"bad-sum=baudrate", 0, 0, "ベリファイ完了", 1 + 2},
        {"bad-sum=ofs", 7, 34, "クロック設定開始", 1},
        {"bad-sum=erase", 7, 35, "旧ファームウェア消去開始", 2},
        {"bad-sum=write", 7, 36, "新ファームウェア書き込み開始", 2},
        {"bad-sum=security", 7, 34, "最終設定開始", 2},
        {"bad-sum=verify", 7, 37, "ベリファイ開始", 2},
        {"bad-sum=4", 0, 0, "ベリファイ完了", 2},  // a normal-mode response
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        runStep(withFaults({c.fault}));
        EXPECT_EQ(state.programmingResult, c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        const std::string process = view.text(Control::txtProcess);
        EXPECT_TRUE(process.ends_with(std::string("\r\n") + c.processLine)) << process;
        EXPECT_EQ(shown("RESET SEND") + shown("BAUDRATE SEND"), c.resets);
        if (c.lastWord != nullptr) {
            EXPECT_EQ(sinceLastShown(c.lastWord), c.waited);
        }
        EXPECT_EQ(succeeded(), c.result == 0);
        EXPECT_EQ(buttons(view), c.result == 0 ? "00001" : "00000");
        if (c.result == 0) {
            EXPECT_TRUE(flashEqualsImage());
        }
        EXPECT_FALSE(port->isOpen());
    }
}

TEST_F(FlashStepTest, EverySpeedSwitchesPortAndDevice) {
    const char* settings[] = {"9600,N,8,1",  "19200,N,8,1", "31250,N,8,1",
                              "38400,N,8,1", "76800,N,8,1", "153600,N,8,1"};
    for (std::uint8_t index = 0; index < 6; ++index) {
        SCOPED_TRACE(int{index});
        runStep(atSpeed(index, true));
        EXPECT_EQ(state.LinkError, 0);
        EXPECT_EQ(port->appliedSettings(), (std::vector<std::string>{"9600,N,8,1", settings[index]}));
        EXPECT_EQ(formatLineSettings(device->deviceLineSettings()), settings[index]);
        EXPECT_TRUE(flashEqualsImage());
    }
}

// A 260-byte frame takes 271 ms at 9600 bit/s, longer than the 100 ms verify time-out itself.
TEST_F(FlashStepTest, TimedLineAtTheSlowestAndFastestSpeeds) {
    struct Case {
        std::uint8_t speedIndex;
        Micros dataFrames;  // the 1024 data frames alone
    };
    const Case cases[] = {{0, 1024 * 260 * 10 * 1'000'000us / 9600},
                          {5, 1024 * 260 * 10 * 1'000'000us / 153600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.speedIndex});
        const Micros start = clock.now();
        runStep(atSpeed(c.speedIndex, false));
        EXPECT_EQ(state.LinkError, 0);
        EXPECT_TRUE(flashEqualsImage());
        EXPECT_GT(clock.now() - start, c.dataFrames);
        EXPECT_LT(clock.now() - start, c.dataFrames * 11 / 10 + 2s);
    }
}

// With no time of its own the device sends the final write status right behind the last block's, so
// that one read brings both; neither may be lost.
TEST_F(FlashStepTest, DeviceWithoutProcessingTime) {
    sim::DeviceTimings instant;
    instant.reply = instant.chipErase = instant.blockWrite = instant.blockVerify = instant.securitySet = 0us;
    StepRun run;
    run.timings = instant;
    runStep(run);
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_TRUE(flashEqualsImage());
}

TEST_F(FlashStepTest, FailuresBeforeAnyStage) {
    struct Case {
        const char* name;
        std::uint8_t comPort;
        std::uint8_t flowCtl;
        std::uint64_t fileLength;
        std::uint8_t result;
        std::uint8_t linkError;
        std::vector<std::string> applied;
    };
    const Case cases[] = {
        {"file too long", 1, 0, 131'122, 36, 22, {"9600,N,8,1"}},  // the port is still opened and closed
        {"no device at COM2", 2, 0, 131'120, 37, 30, {}},
        {"no such handshaking", 1, 4, 131'120, 37, 30, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(StepRun());
        state.commSettings.ComPort = c.comPort;
        state.commSettings.FlowCtl = c.flowCtl;
        state.firmware.length = c.fileLength;
        subStep5FwUpdate(*context);
        EXPECT_EQ(state.programmingResult, c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(port->appliedSettings(), c.applied);
        EXPECT_EQ(shown("RESET SEND"), 0);
        EXPECT_FALSE(port->isOpen());
    }
}

TEST_F(FlashStepTest, FlowControlAndSpeedIndexFromTheSettings) {
    prepare(StepRun());
    state.commSettings.FlowCtl = 2;
    subStep5FwUpdate(*context);
    EXPECT_EQ(port->flowControl(), FlowControl::RtsCts);
    EXPECT_EQ(state.LinkError, 0);

    prepare(StepRun());
    state.commSettings.UpBaudrateIndex = 6;
    subStep5FwUpdate(*context);
    EXPECT_EQ(state.programmingResult, 37);
    EXPECT_EQ(state.LinkError, 30);
    EXPECT_EQ(shown("BAUDRATE SEND"), 0);
}

// Through the step machine: a failed step 5 shows its message and the step 4 screen again.
// A cable pulled while the boot firmware works: the port closes itself, as a real one does.
class PulledCablePort final : public ForwardingPort {
  public:
    PulledCablePort(Port& inner, std::uint8_t pullAfterCommand)
        : ForwardingPort(inner), pullAfterCommand_(pullAfterCommand) {}
    PortError write(std::span<const std::uint8_t> bytes) override {
        const PortError result = ForwardingPort::write(bytes);
        if (bytes.size() > 2 && bytes[0] == 0x01 && bytes[2] == pullAfterCommand_) ForwardingPort::close();
        return result;
    }

  private:
    std::uint8_t pullAfterCommand_;
};

TEST_F(FlashStepTest, APulledCableEndsTheStepAtOnceWithTheTimeOutsCode) {
    StepRun run;
    run.timings.chipErase = 30s;
    prepare(run);
    PulledCablePort pulled(*port, 0x20);  // during the chip erase, whose time-out is over a minute
    StepContext pulledContext{state, pulled, clock, view};
    subStep5FwUpdate(pulledContext);
    EXPECT_EQ(state.LinkError, 33);
    EXPECT_EQ(state.programmingResult, 31);
    EXPECT_LT(sinceLastShown("CHIP ERASE SEND"), Micros(100ms));
}

TEST(FlashWizardTest, FailedUpdateFallsBackToStep4) {
    struct Case {
        std::vector<const char*> faults;
        std::uint8_t shownError;
        int stepIndex;
        const char* buttons;
        int barValue;  // of 512: the step 4 screen shown again starts the bar from nothing
    };
    const Case cases[] = {{{"reset-silent"}, 33, 3, "01111", 0},
                          {{"erase-status=1A"}, 35, 3, "01111", 0},
                          {{}, 0, 4, "00001", 511}};  // the last block verified
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shownError);
        test::TempDir dir;
        sim::VirtualClock clock;
        auto device = sim::makeRqSystem(clock, test::instantSystem(c.faults));
        sim::SimPort port(*device);
        test::RecordingView view;
        Wizard wizard(port, clock, view);
        wizard.start();
        const std::string path = dir.path("fw.bin");
        ASSERT_TRUE(sim::writeFirmwareFile(path, {}));
        wizard.selectFirmwareFile({path, "fw.bin"});
        wizard.state().StepIndex = 3;
        device->setFwSwitch(true);
        device->setPower(true);

        wizard.cmdNext();
        EXPECT_EQ(wizard.lastShownError(), c.shownError);
        EXPECT_EQ(view.messages.size(), c.shownError == 0 ? 0u : 1u);
        EXPECT_EQ(wizard.state().StepIndex, c.stepIndex);
        EXPECT_EQ(buttons(view), c.buttons);
        EXPECT_EQ(view.progress(), (Progress{0, 512, c.barValue}));
    }
}

}  // namespace
}  // namespace rq
