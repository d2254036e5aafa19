#include <gtest/gtest.h>

#include <algorithm>

#include "ScreenChecks.h"
#include "SimSteps.h"
#include "core/io/ForwardingPort.h"
#include "core/text/Trace.h"
#include "core/wizard/DeviceSteps.h"
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

// Each line without its date and time.
std::vector<std::string> untimed(const std::vector<std::string>& entries) {
    std::vector<std::string> lines;
    for (const std::string& entry : entries) lines.push_back(entry.substr(20));
    return lines;
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
    sim::DeviceTimings timings = {};
};

// Step 5 against the simulated RQ system, switched on in programming mode.
class FlashStepTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    std::unique_ptr<sim::SimDevice> device;
    std::unique_ptr<sim::SimPort> port;
    std::unique_ptr<Port> front;  // a port the step uses in front of the device's
    TimedView view{clock};
    WizardState state;

    // The step on the device's port, or on a port put in front of it.
    void runStep(const StepRun& run = {}, std::function<std::unique_ptr<Port>(Port&)> wrap = nullptr) {
        sim::RqSystemOptions options = test::instantSystem(run.faults);
        options.instantLine = run.instantLine;
        options.timings = run.timings;
        device = sim::makeRqSystem(clock, options);
        device->setFwSwitch(true);
        device->setPower(true);
        port = std::make_unique<sim::SimPort>(*device);
        front = wrap ? wrap(*port) : nullptr;
        view = TimedView(clock);
        state.LinkError = 0;  // as the step machine leaves it before every step
        StepContext context{state, front ? *front : *port, clock, view};
        subStep5FwUpdate(context);
    }
    void SetUp() override {
        state.firmware.contents = sim::generateFirmware({{2, 1, 7}, 512 * 256});
        state.firmware.length = state.firmware.contents.size();
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
    runStep();
    EXPECT_EQ(state.programmingResult, 0);
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_TRUE(flashEqualsImage());
    EXPECT_EQ(sim::flashFirmwareVersion(device->memory()), (std::array<std::uint8_t, 2>{21, 7}));
    EXPECT_TRUE(device->memory().securitySet);
    EXPECT_FALSE(port->isOpen());
    EXPECT_FALSE(port->rts());
    EXPECT_FALSE(port->dtr());
    EXPECT_TRUE(view.traceLines.empty()) << "no trace unless it is shown or recorded";

    EXPECT_TRUE(view.isBold(Control::lblProcess05));
    EXPECT_TRUE(view.text(Control::txtInfo).ends_with("\r\n\r\n" + kSuccessLine));
    EXPECT_EQ(test::buttons(view), "00001");
    EXPECT_EQ(view.text(Control::txtProcess),
              "バイナリ・データ作成完了\r\n接続完了\r\nクロック設定完了\r\n書き込みボーレート設定完了\r\n"
              "旧ファームウェア消去完了\r\n新ファームウェア書き込み完了\r\n最終設定完了\r\nベリファイ完了");
    EXPECT_EQ(view.progress(), (Progress{0, 512, 511}));

    std::string words;  // each word of panel 2 once, in the order it first came
    for (const std::string& word : view.statusHistory2)
        if (("/" + words + "/").find("/" + word + "/") == std::string::npos) words += "/" + word;
    EXPECT_EQ(words,
              "/Ready/HEX READ/RESET SEND/RESET RECV/OFS SEND/OFS RECV/BAUDRATE SEND/BAUDRATE RECV/"
              "CHIP ERASE SEND/CHIP ERASE RECV/WRITE CMD SEND/WRITE CMD RECV/WRITE DATA SEND/WRITE DATA RECV/"
              "SECURITY SET CMD SEND/SECURITY SET CMD RECV/SECURITY SET DATA SEND/SECURITY SET DATA RECV1/"
              "SECURITY SET DATA RECV2/VERIFY CMD SEND/VERIFY CMD RECV/VERIFY DATA SEND/VERIFY DATA RECV");
    EXPECT_EQ(shown("WRITE DATA SEND"), 512);
    EXPECT_EQ(shown("WRITE DATA RECV"), 513);  // with the final status
    EXPECT_EQ(shown("VERIFY DATA RECV"), 512);
}

// A recorded trace and a shown one get the same lines (the link's test has both); here, every frame's.
TEST_F(FlashStepTest, TraceLinesOfEveryFrame) {
    state.traceRecorded = true;
    runStep();
    const std::vector<std::string> lines = untimed(view.traceLines);
    ASSERT_EQ(lines.size(), 2 + 2 + 2 + 1 + 2 + 2 + 2 + 512 * 2 + 1 + 2 + 2 + 1 + 2 + 512 * 2);
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 9),
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
              }));
    EXPECT_TRUE(lines[13].starts_with("WRITE DATA SEND PC->RQX::BOOT:02 00 52 51 56 45 52 02 .. "))
        << lines[13];
    EXPECT_TRUE(lines[13].ends_with(" 17 (260 bytes)\r\n")) << lines[13];
    EXPECT_EQ(lines[14], "WRITE DATA RECV PC<-RQX::BOOT:02 02 06 06 F2 03\r\n");
    EXPECT_TRUE(lines[13 + 511 * 2].ends_with(" 03 (260 bytes)\r\n")) << "the last block ends in ETX";
    EXPECT_EQ(lines[13 + 512 * 2 + 1], "SECURITY SET CMD SEND PC->RQX::BOOT:01 03 A0 00 00 5D 03\r\n");
    EXPECT_EQ(lines[13 + 512 * 2 + 3], "SECURITY SET DATA SEND PC->RQX::BOOT:02 02 F7 00 07 03\r\n");
    EXPECT_TRUE(lines.back().starts_with("VERIFY DATA RECV PC<-RQX::BOOT:02 02 06 06 F2 03"));
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
    state.traceRecorded = true;
    runStep({}, [](Port& inner) { return std::make_unique<ClippingPort>(inner); });
    EXPECT_EQ(state.LinkError, 33);
    EXPECT_EQ(untimed(view.traceLines).back(), "RESET SEND PC<-RQX::BOOT:02 01\r\n");
}

TEST_F(FlashStepTest, Faults) {
    using enum FlashStage;
    struct Case {
        const char* fault;
        std::uint8_t result;
        std::uint8_t linkError;
        FlashStage stage;                // the last one that ran
        const char* processLine;         // the last line of txtProcess
        long resets;                     // reset frames sent, at both speeds
        const char* lastWord = nullptr;  // for the silent ones: the time since panel 2 last showed it
        Micros waited{0};
    };
    const Case cases[] = {
        {"reset-nack=16", 0, 0, Verify, "ベリファイ完了", 17 + 1},
        {"reset-nack=17", 32, 32, Connect, "接続開始", 17},
        {"reset-silent", 31, 33, Connect, "接続開始", 1, "RESET SEND",
         1ms + 3000ms + 5209us},                                           // 5 bytes at 9600
        {"dsr-held", 126, 31, Connect, "接続開始", 0, "HEX READ", 100ms},  // 101 reads, 1 ms apart
        {"ofs-status=05", 5, 34, SetClock, "クロック設定開始", 1},
        {"erase-status=1A", 0x1A, 35, Erase, "旧ファームウェア消去開始", 2},
        {"write-cmd-status=15", 0x15, 36, Write, "新ファームウェア書き込み開始", 2},
        {"write-block-st2=5:18", 0x18, 36, Write, "新ファームウェア書き込み中 5 Block", 2},
        {"final-write-silent", 31, 33, Write, "新ファームウェア書き込み中 511 Block", 2, "WRITE DATA RECV",
         1088ms},
        {"power-off-at-block=100", 31, 33, Write, "新ファームウェア書き込み中 100 Block", 2},
        {"security-status=10", 0x10, 34, SetSecurity, "最終設定開始", 2},
        {"security-second-silent", 31, 33, SetSecurity, "最終設定開始", 2, "SECURITY SET DATA RECV1", 4193ms},
        {"verify-mismatch=7", 0x0F, 37, Verify, "ベリファイ中 7 Block", 2},
        {"bad-sum=ofs", 7, 34, SetClock, "クロック設定開始", 1},
        {"bad-sum=verify", 7, 37, Verify, "ベリファイ開始", 2},
        {"bad-sum=4", 0, 0, Verify, "ベリファイ完了", 2},  // a normal-mode response
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        runStep({{c.fault}});
        EXPECT_EQ(state.programmingResult, c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(state.flashStage, c.stage);
        const std::string process = view.text(Control::txtProcess);
        EXPECT_TRUE(process.ends_with(std::string("\r\n") + c.processLine)) << process;
        EXPECT_EQ(shown("RESET SEND") + shown("BAUDRATE SEND"), c.resets);
        if (c.lastWord != nullptr) {
            EXPECT_EQ(sinceLastShown(c.lastWord), c.waited);
        }
        EXPECT_EQ(view.text(Control::txtInfo).ends_with(kSuccessLine), c.result == 0);
        EXPECT_EQ(test::buttons(view), c.result == 0 ? "00001" : "00000");
        EXPECT_TRUE(c.result != 0 || flashEqualsImage());
        EXPECT_FALSE(port->isOpen());
    }
}

// A 260-byte frame takes 271 ms at 9600 bit/s, longer than the 100 ms verify time-out itself.
TEST_F(FlashStepTest, EverySpeedAndHandshakingOnAnyLine) {
    struct Case {
        std::uint8_t speedIndex;
        const char* settings;
        std::uint8_t flow = 0;
        StepRun run = {};
    };
    sim::DeviceTimings none;  // the final write status then comes in the same read as the last block's
    none.reply = none.chipErase = none.blockWrite = none.blockVerify = none.securitySet = 0us;
    const StepRun timed{{}, false}, noDeviceTimes{{}, true, none};
    const Case cases[] = {
        {0, "9600,N,8,1"},           {5, "153600,N,8,1"},
        {0, "9600,N,8,1", 0, timed}, {5, "153600,N,8,1", 0, timed},
        {3, "38400,N,8,1", 2},       {3, "38400,N,8,1", 0, noDeviceTimes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.settings << (c.run.instantLine ? " instant" : " timed") << " flow " << int(c.flow)
                     << (c.run.timings.reply == 0us ? ", no device times" : ""));
        state.commSettings.UpBaudrateIndex = c.speedIndex;
        state.commSettings.FlowCtl = c.flow;
        const Micros start = clock.now();
        runStep(c.run);
        EXPECT_EQ(state.LinkError, 0);
        EXPECT_TRUE(flashEqualsImage());
        EXPECT_EQ(port->appliedSettings(), (std::vector<std::string>{"9600,N,8,1", c.settings}));
        EXPECT_EQ(formatLineSettings(device->deviceLineSettings()), c.settings);
        EXPECT_EQ(port->flowControl(), c.flow == 2 ? FlowControl::RtsCts : FlowControl::None);
        if (c.run.instantLine) continue;
        // The 1024 data frames alone take their line time; the rest takes little more.
        const Micros dataFrames = 1024 * 260 * 10 * 1'000'000us / device->deviceLineSettings().baud;
        EXPECT_GT(clock.now() - start, dataFrames);
        EXPECT_LT(clock.now() - start, dataFrames * 11 / 10 + 2s);
    }
}

TEST_F(FlashStepTest, FailuresBeforeAnyStageOrSpeed) {
    struct Case {
        const char* name;
        std::function<void(WizardState&)> setting;
        std::uint8_t result;
        std::uint8_t linkError;
        std::vector<std::string> applied;
        long resets;
    };
    const Case cases[] = {
        // The port is still opened and closed.
        {"file too long", [](auto& s) { s.firmware.length = 131'122; }, 36, 22, {"9600,N,8,1"}, 0},
        {"no device at COM2", [](auto& s) { s.commSettings.ComPort = 2; }, 37, 30, {}, 0},
        {"no such handshaking", [](auto& s) { s.commSettings.FlowCtl = 4; }, 37, 30, {}, 0},
        {"no such speed", [](auto& s) { s.commSettings.UpBaudrateIndex = 6; }, 37, 30, {"9600,N,8,1"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.commSettings = {};
        state.firmware.length = state.firmware.contents.size();
        c.setting(state);
        runStep();
        EXPECT_EQ(state.programmingResult, c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(port->appliedSettings(), c.applied);
        EXPECT_EQ(shown("RESET SEND") + shown("BAUDRATE SEND"), c.resets);
        EXPECT_FALSE(port->isOpen());
    }
}

// A cable pulled while the boot firmware works.
TEST_F(FlashStepTest, APulledCableEndsTheStepAtOnceWithTheTimeOutsCode) {
    StepRun run;
    run.timings.chipErase = 30s;  // its time-out is over a minute
    runStep(run, [this](Port&) {
        auto puller = std::make_unique<test::CablePuller>(*port);
        puller->pullAfter = [](const test::Bytes& frame) { return frame.size() > 2 && frame[2] == 0x20; };
        return puller;
    });
    EXPECT_EQ(state.LinkError, 33);
    EXPECT_EQ(state.programmingResult, 31);
    EXPECT_LT(sinceLastShown("CHIP ERASE SEND"), Micros(100ms));
}

// Keeps every change of the line the step makes, and when.
class LineRecorder final : public ForwardingPort {
  public:
    LineRecorder(Port& inner, Clock& clock) : ForwardingPort(inner), clock_(clock) {}
    std::vector<std::string> events;  // each with its time from the port's opening

    PortError open() override {
        openedAt_ = clock_.now();
        note("open");
        return ForwardingPort::open();
    }
    void setRts(bool on) override {
        note(on ? "RTS on" : "RTS off");
        ForwardingPort::setRts(on);
    }
    void setDtr(bool on) override {
        note(on ? "DTR on" : "DTR off");
        ForwardingPort::setDtr(on);
    }
    PortError write(std::span<const std::uint8_t> bytes) override {
        note(bootTraceLine(bytes, Direction::Request));
        return ForwardingPort::write(bytes);
    }

  private:
    void note(const std::string& what) {
        events.push_back(std::to_string((clock_.now() - openedAt_).count()) + " us " + what);
    }

    Clock& clock_;
    Micros openedAt_{0};
};

// The boot firmware listens only after the wake-up; the device's answer shows it was done as it waits
// for, and the recording shows the order and the waits themselves.
TEST_F(FlashStepTest, TheBootFirmwareIsWokenUpBeforeTheFirstReset) {
    runStep({}, [&](Port& inner) { return std::make_unique<LineRecorder>(inner, clock); });
    EXPECT_EQ(state.LinkError, 0);
    const std::vector<std::string>& events = static_cast<LineRecorder&>(*front).events;
    EXPECT_EQ(std::vector(events.begin(), events.begin() + std::min<std::size_t>(events.size(), 8)),
              (std::vector<std::string>{
                  "0 us RTS off", "0 us DTR off", "0 us open", "0 us DTR on", "2000 us RTS on",
                  "152000 us PC->RQX::BOOT:00\r\n", "159000 us PC->RQX::BOOT:00\r\n",
                  "167000 us PC->RQX::BOOT:01 01 00 FF 03\r\n",  // 1 ms before every frame
              }));
}

}  // namespace
}  // namespace rq
