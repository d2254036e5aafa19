#include <gtest/gtest.h>

#include <algorithm>

#include "TempDir.h"
#include "core/wizard/DeviceSteps.h"
#include "core/wizard/Wizard.h"
#include "sim/FirmwareGenerator.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using namespace std::chrono_literals;

const std::string kSuccessLine = "　更新作業が終了しました。「次へ」をクリックしてください。";

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
};

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
        state.LinkError = 0;  // as the step machine leaves it before every step
        sim::RqSystemOptions options;
        for (const char* fault : run.faults) ASSERT_EQ(options.faults.add(fault), std::nullopt) << fault;
        options.instantLine = run.instantLine;
        device = sim::makeRqSystem(clock, options);
        device->setFwSwitch(true);
        device->setPower(true);
        port = std::make_unique<sim::SimPort>(*device);
        state.firmware.contents = sim::generateFirmware({{2, 1, 7}, 512 * 256});
        state.firmware.length = state.firmware.contents.size();
        state.firmware.valid = true;
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
    long words(const std::string& word) const {
        return std::count(view.statusHistory2.begin(), view.statusHistory2.end(), word);
    }
    // When panel 2 last showed the word.
    Micros lastShown(const std::string& word) const {
        const auto at = std::find(view.statusHistory2.rbegin(), view.statusHistory2.rend(), word);
        return view.statusTimes2[static_cast<std::size_t>(view.statusHistory2.rend() - at - 1)];
    }
};

TEST_F(FlashStepTest, UpdatesTheDevice) {
    runStep({});
    EXPECT_EQ(state.programmingResult, 0);
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_TRUE(flashEqualsImage());
    EXPECT_EQ(sim::flashFirmwareVersion(device->memory()), (std::array<std::uint8_t, 2>{21, 7}));
    EXPECT_TRUE(device->memory().securitySet);
    EXPECT_TRUE(succeeded());
    EXPECT_FALSE(port->isOpen());
    EXPECT_FALSE(port->rts());
    EXPECT_FALSE(port->dtr());
    EXPECT_EQ(port->appliedSettings(), (std::vector<std::string>{"9600,N,8,1", "38400,N,8,1"}));
}

TEST_F(FlashStepTest, ShowsTheStepAndEnablesOnlyNextAfterSuccess) {
    runStep({});
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
    for (const Control button :
         {Control::cmdFWFileSel, Control::cmdCommSetting, Control::cmdForceUpdate, Control::cmdCancel}) {
        EXPECT_FALSE(view.isEnabled(button));
    }
    EXPECT_TRUE(view.isEnabled(Control::cmdNext));
}

TEST_F(FlashStepTest, ProcessLogKeepsTheFinishedStages) {
    runStep({});
    EXPECT_EQ(view.text(Control::txtProcess),
              "バイナリ・データ作成完了\r\n接続完了\r\nクロック設定完了\r\n書き込みボーレート設定完了\r\n"
              "旧ファームウェア消去完了\r\n新ファームウェア書き込み完了\r\n最終設定完了\r\nベリファイ完了");
    EXPECT_EQ(view.progress(), (Progress{0, 512, 511}));
}

TEST_F(FlashStepTest, StatusWordsInTheirOrder) {
    runStep({});
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
    EXPECT_EQ(words("WRITE DATA SEND"), 512);
    EXPECT_EQ(words("WRITE DATA RECV"), 513);  // with the final status
    EXPECT_EQ(words("VERIFY DATA RECV"), 512);
}

TEST_F(FlashStepTest, Faults) {
    struct Case {
        const char* fault;
        std::uint8_t result;
        std::uint8_t linkError;
        const char* lastWord;     // panel 2 when the step ended
        const char* processLine;  // the last line of txtProcess
    };
    const Case cases[] = {
        {"reset-nack=16", 0, 0, "VERIFY DATA RECV", "ベリファイ完了"},
        {"reset-nack=17", 32, 32, "RESET RECV", "接続開始"},
        {"reset-silent", 31, 33, "RESET SEND", "接続開始"},
        {"ofs-status=05", 5, 34, "OFS RECV", "クロック設定開始"},
        {"erase-status=1A", 0x1A, 35, "CHIP ERASE RECV", "旧ファームウェア消去開始"},
        {"write-cmd-status=15", 0x15, 36, "WRITE CMD RECV", "新ファームウェア書き込み開始"},
        {"write-block-st2=5:18", 0x18, 36, "WRITE DATA RECV", "新ファームウェア書き込み中 5 Block"},
        {"final-write-silent", 31, 33, "WRITE DATA RECV", "新ファームウェア書き込み中 511 Block"},
        {"security-status=10", 0x10, 34, "SECURITY SET CMD RECV", "最終設定開始"},
        {"security-second-silent", 31, 33, "SECURITY SET DATA RECV1", "最終設定開始"},
        {"verify-mismatch=7", 0x0F, 37, "VERIFY DATA RECV", "ベリファイ中 7 Block"},
        {"verify-st2=12:0F", 0x0F, 37, "VERIFY DATA RECV", "ベリファイ中 12 Block"},
        {"power-off-at-block=100", 31, 33, "WRITE DATA SEND", "新ファームウェア書き込み中 100 Block"},
        {"bad-sum=reset", 0, 0, "VERIFY DATA RECV", "ベリファイ完了"},
        {"bad-sum=baudrate", 0, 0, "VERIFY DATA RECV", "ベリファイ完了"},
        {"bad-sum=ofs", 7, 34, "OFS RECV", "クロック設定開始"},
        {"bad-sum=erase", 7, 35, "CHIP ERASE RECV", "旧ファームウェア消去開始"},
        {"bad-sum=write", 7, 36, "WRITE CMD RECV", "新ファームウェア書き込み開始"},
        {"bad-sum=security", 7, 34, "SECURITY SET CMD RECV", "最終設定開始"},
        {"bad-sum=verify", 7, 37, "VERIFY CMD RECV", "ベリファイ開始"},
        {"bad-sum=4", 0, 0, "VERIFY DATA RECV", "ベリファイ完了"},  // a normal-mode response
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        view = TimedView(clock);
        runStep({{c.fault}});
        EXPECT_EQ(state.programmingResult, c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(view.status2, c.lastWord);
        const std::string process = view.text(Control::txtProcess);
        EXPECT_TRUE(process.ends_with(std::string("\r\n") + c.processLine)) << process;
        EXPECT_EQ(succeeded(), c.result == 0);
        if (c.result == 0) {
            EXPECT_TRUE(flashEqualsImage());
        }
        EXPECT_FALSE(port->isOpen());
    }
}

TEST_F(FlashStepTest, ResendsCountTheResetFrames) {
    struct Case {
        const char* fault;
        long resets;
    };
    const Case cases[] = {{"reset-nack=16", 17 + 1},
                          {"reset-nack=17", 17},
                          {"reset-silent", 1},
                          {"bad-sum=reset", 2 + 1},
                          {"bad-sum=baudrate", 1 + 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        view = TimedView(clock);
        runStep({{c.fault}});
        EXPECT_EQ(words("RESET SEND") + words("BAUDRATE SEND"), c.resets);
    }
}

TEST_F(FlashStepTest, SilentResetTimesOutAfter3000ms) {
    runStep({{"reset-silent"}});
    // 3000 ms from the moment the 5-byte frame has left the port at 9600 bit/s.
    EXPECT_EQ(clock.now() - lastShown("RESET SEND"), 1ms + 3000ms + 5209us);
}

TEST_F(FlashStepTest, MissingFinalWriteStatusTimesOutAfter1088ms) {
    runStep({{"final-write-silent"}});
    EXPECT_EQ(clock.now() - lastShown("WRITE DATA RECV"), 1088ms);
}

TEST_F(FlashStepTest, MissingSecondSecurityStatusTimesOutAfter4193ms) {
    runStep({{"security-second-silent"}});
    EXPECT_EQ(clock.now() - lastShown("SECURITY SET DATA RECV1"), 4193ms);
}

TEST_F(FlashStepTest, HeldDsrFailsBeforeAnyByte) {
    runStep({{"dsr-held"}});
    EXPECT_EQ(state.programmingResult, 126);
    EXPECT_EQ(state.LinkError, 31);
    EXPECT_EQ(words("RESET SEND"), 0);
    EXPECT_EQ(view.text(Control::txtProcess), "バイナリ・データ作成完了\r\n接続開始");
}

TEST_F(FlashStepTest, PowerLossMidWriteLeavesThePartialWrite) {
    runStep({{"power-off-at-block=100"}});
    EXPECT_FALSE(device->powered());
    EXPECT_FALSE(succeeded());
    const sim::DeviceMemory memory = device->memory();
    const ImageBlock& block99 = (*state.image)[99];
    EXPECT_TRUE(std::equal(block99.begin(), block99.end(), memory.flash.begin() + 99 * 256));
    EXPECT_EQ(memory.flash[101 * 256], 0xFF);  // erased, never written
}

TEST_F(FlashStepTest, EverySpeedSwitchesPortAndDevice) {
    const char* settings[] = {"9600,N,8,1",  "19200,N,8,1", "31250,N,8,1",
                              "38400,N,8,1", "76800,N,8,1", "153600,N,8,1"};
    const std::uint32_t speeds[] = {9600, 19200, 31250, 38400, 76800, 153600};
    for (std::uint8_t index = 0; index < 6; ++index) {
        SCOPED_TRACE(int{index});
        runStep({{}, true, index});
        EXPECT_EQ(state.LinkError, 0);
        EXPECT_EQ(port->appliedSettings(), (std::vector<std::string>{"9600,N,8,1", settings[index]}));
        EXPECT_EQ(device->deviceLineSettings().baud, speeds[index]);
        EXPECT_TRUE(flashEqualsImage());
    }
}

// On a timed line a 260-byte frame takes longer at 9600 bit/s than the verify time-out itself.
TEST_F(FlashStepTest, TimedLineAtTheSlowestAndFastestSpeeds) {
    struct Case {
        std::uint8_t speedIndex;
        Micros atLeast;  // the data frames alone
    };
    const Case cases[] = {{0, 1024 * 260 * 10 * 1'000'000us / 9600},
                          {5, 1024 * 260 * 10 * 1'000'000us / 153600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.speedIndex});
        const Micros start = clock.now();
        runStep({{}, false, c.speedIndex});
        EXPECT_EQ(state.LinkError, 0);
        EXPECT_TRUE(flashEqualsImage());
        EXPECT_GT(clock.now() - start, c.atLeast);
        EXPECT_LT(clock.now() - start, c.atLeast * 11 / 10 + 2s);
    }
}

TEST_F(FlashStepTest, TooLongFileOpensAndClosesThePortButSendsNothing) {
    prepare({});
    state.firmware.length = 131'122;
    subStep5FwUpdate(*context);
    EXPECT_EQ(state.programmingResult, 36);
    EXPECT_EQ(state.LinkError, 22);
    EXPECT_EQ(port->appliedSettings(), (std::vector<std::string>{"9600,N,8,1"}));
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(words("RESET SEND"), 0);
    EXPECT_EQ(view.text(Control::txtProcess), "バイナリ・データ作成完了");
}

TEST_F(FlashStepTest, PortThatCannotBeOpenedOrSetUp) {
    struct Case {
        const char* name;
        std::uint8_t comPort;
        std::uint8_t flowCtl;
    };
    const Case cases[] = {{"no device at COM2", 2, 0}, {"no such handshaking", 1, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare({});
        state.commSettings.ComPort = c.comPort;
        state.commSettings.FlowCtl = c.flowCtl;
        subStep5FwUpdate(*context);
        EXPECT_EQ(state.programmingResult, 37);
        EXPECT_EQ(state.LinkError, 30);
        EXPECT_EQ(words("RESET SEND"), 0);
        EXPECT_FALSE(port->isOpen());
    }
}

TEST_F(FlashStepTest, FlowControlComesFromTheSettings) {
    prepare({});
    state.commSettings.FlowCtl = 2;
    subStep5FwUpdate(*context);
    EXPECT_EQ(port->flowControl(), FlowControl::RtsCts);
    EXPECT_EQ(state.LinkError, 0);
}

// Through the step machine: a failed step 5 shows its message and the step 4 screen again.
TEST(FlashWizardTest, FailedUpdateFallsBackToStep4) {
    struct Case {
        const char* fault;
        std::uint8_t shownError;
        int stepIndex;
        const char* buttons;
    };
    const Case cases[] = {
        {"reset-silent", 33, 3, "01111"}, {"erase-status=1A", 35, 3, "01111"}, {"", 0, 4, "00001"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        test::TempDir dir;
        sim::VirtualClock clock;
        sim::RqSystemOptions options;
        options.instantLine = true;
        if (*c.fault != '\0') {
            ASSERT_EQ(options.faults.add(c.fault), std::nullopt);
        }
        auto device = sim::makeRqSystem(clock, options);
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
        std::string buttons;
        for (const Control button : {Control::cmdFWFileSel, Control::cmdCommSetting, Control::cmdForceUpdate,
                                     Control::cmdCancel, Control::cmdNext}) {
            buttons += view.isEnabled(button) ? '1' : '0';
        }
        EXPECT_EQ(buttons, c.buttons);
    }
}

}  // namespace
}  // namespace rq
