#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "LinkTestSupport.h"
#include "SimSteps.h"
#include "core/params/Payloads.h"
#include "core/wizard/DeviceSteps.h"
#include "sim/NormalFirmware.h"
#include "support/PlainFileWriter.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using namespace std::chrono_literals;
using test::SentRequest;

void holdIdentity(ParameterStore& params, const std::string& model, const std::string& serial,
                  std::uint8_t param04) {
    params.ModelName = model;
    params.SerialNumber = serial;
    params.Param04Value = param04;
}

// Steps 2 and 7.
class ParamStepsTest : public test::SimStepsTest {
  protected:
    std::vector<int> maxima() const {
        std::vector<int> seen;
        for (const Progress& progress : view.progressHistory)
            if (seen.empty() || seen.back() != progress.maximum) seen.push_back(progress.maximum);
        return seen;
    }
};

// Step 2 reads the identity twice between access modes 1 and 0; step 7 initialises the parameters, writes
// the stored identity and reads it back as step 2 does.
TEST_F(ParamStepsTest, TheBackupReadsAndTheRestoreWritesTheIdentity) {
    prepare();
    subStep2ParamRead(*context);
    ASSERT_EQ(state.LinkError, 0);
    EXPECT_EQ(test::commandsOf(port->writes),
              (std::vector<int>{127, 1, 2, 4, 5, 6, 127, 127, 1, 2, 4, 5, 6, 127}));
    EXPECT_EQ(state.params.Param06Value, device->memory().param06);
    EXPECT_EQ(state.params.FirmwareVersion, sim::flashFirmwareVersion(device->memory()));
    EXPECT_EQ(maxima(), std::vector<int>{6});
    EXPECT_EQ(view.text(Control::txtProcess), "パラメーター取得完了");

    prepare();
    holdIdentity(state.params, "RQA-4020", "54321 ", 0x2A);  // as a forced update enters them
    subStep7ParamWrite(*context);
    ASSERT_EQ(state.LinkError, 0);
    EXPECT_EQ(test::commandsOf(port->writes), (std::vector<int>{127, 124, 127, 1,   2, 4, 127, 127, 1, 2,  4,
                                                                5,   6,   127, 127, 1, 2, 4,   5,   6, 127}));
    const std::vector<SentRequest> requests = sent();
    EXPECT_EQ(requests[0], (SentRequest{ACCESS_MODE, kWrite, {2, '4', '8', '1', '5', '7', '2', '0', '3'}}));
    EXPECT_EQ(requests[2], (SentRequest{ACCESS_MODE, kWrite, {2, '6', '0', '2', '4', '3', '1'}}));
    EXPECT_EQ(requests[6], (SentRequest{ACCESS_MODE, kWrite, {0, '6', '0', '2', '4', '3', '1'}}));
    const sim::DeviceMemory memory = device->memory();
    EXPECT_EQ(memory.modelName, "RQA-4020");
    EXPECT_EQ(memory.serialNumber, "54321 ");
    EXPECT_EQ(memory.param04, 0x2A);
    EXPECT_EQ(maxima(), (std::vector<int>{1, 4, 6}));
    EXPECT_EQ(state.versionAfter, sim::flashFirmwareVersion(memory));
    EXPECT_EQ(view.text(Control::txtProcess),
              "パラメーター初期化完了\r\nパラメーター書き込み完了\r\nパラメーター確認完了");
    EXPECT_FALSE(port->isOpen());
}

TEST_F(ParamStepsTest, ARestoreWithoutAWholeIdentitySendsNothing) {
    const std::pair<std::string, std::string> identities[] = {
        {"", ""}, {"RQA-402", "12345 "}, {"RQA-4021", "12345"}};
    for (const auto& [model, serial] : identities) {
        prepare();
        const sim::DeviceMemory before = device->memory();
        holdIdentity(state.params, model, serial, 0);
        subStep7ParamWrite(*context);
        EXPECT_EQ(state.LinkError, 99) << model << "/" << serial;
        EXPECT_TRUE(port->writes.empty());
        EXPECT_EQ(device->memory().modelName, before.modelName);
    }
}

TEST_F(ParamStepsTest, FaultsOfTheDevice) {
    struct Case {
        const char* fault;
        bool restore;
        std::uint8_t linkError;
        std::size_t sends;
        Reply reply;  // what came back in the last batch
    };
    const Case cases[] = {
        {"silent-after=0", false, 12, 11, Reply::Nothing},
        {"silent-after=3", false, 12, 3 + 11, Reply::Frames},
        {"refuse=11", false, 12, 11, Reply::Frames},
        {"busy=30", false, 0, 7 + 30 + 7, Reply::Frames},
        {"bad-sum=2", false, 0, 7 + 1 + 7, Reply::Frames},
        {"oversize-response", false, 12, 11, Reply::Garbled},
        {"cts-off", false, 13, 0, Reply::Nothing},
        {"silent-124", true, 13, 2, Reply::Frames},
        {"silent-after=4", true, 12, 4 + 11, Reply::Frames},  // within the writes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        prepare({c.fault});
        holdIdentity(state.params, "RQA-4021", "12345 ", 4);
        const Micros start = clock.now();
        c.restore ? subStep7ParamWrite(*context) : subStep2ParamRead(*context);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(state.reply, c.reply);
        EXPECT_EQ(port->writes.size(), c.sends);
        if (c.restore && c.linkError == 13) {
            EXPECT_GE(clock.now() - start, Micros(60s)) << "the initialisation is awaited to its bound";
        }
    }
}

// A device in normal mode scripted by hand, for answers the simulated one never gives.
class ScriptedStepsTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    test::RecordingView view;
    WizardState state;
    // The answer's data to a read of each identity command, by attempt; a write is echoed.
    std::function<test::Bytes(std::uint8_t command, int attempt)> readAnswer = [](std::uint8_t command, int) {
        return command == MODEL_NAME      ? test::bytesOf("RQA-4021")
               : command == SERIAL_NUMBER ? test::bytesOf("12345 ")
                                          : test::Bytes{static_cast<std::uint8_t>(command * 0x11), 0};
    };
    std::map<std::uint8_t, int> attempts;
    test::ScriptedPort port{clock, [this](const test::Bytes& request) {
                                const std::uint8_t command = request[5];
                                const test::Bytes data = test::parseRequest(request).data;
                                test::Bytes answer;
                                if (command == ACCESS_MODE) {
                                    answer = {data.at(0)};
                                } else if (request[7] == kWrite) {
                                    answer = writeEcho ? writeEcho(command, data) : data;
                                } else {
                                    answer = readAnswer(command, ++attempts[command]);
                                }
                                return std::vector<test::Bytes>{test::responseFrame(command, 0x00, answer)};
                            }};
    std::function<test::Bytes(std::uint8_t, const test::Bytes&)> writeEcho;
    StepContext context{state, port, clock, view};

    // Another run on the same device.
    void fresh() {
        state = {};
        view = {};
        attempts.clear();
        port.writes.clear();
    }
};

TEST_F(ScriptedStepsTest, TheBackupSucceedsOnlyWithEveryValueReadWholeInThisRun) {
    struct Case {
        int shortAnswersTo4;  // one heals; the right length never coming uses up the retries
        std::uint8_t error;
    };
    const Case cases[] = {{1, 0}, {100, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortAnswersTo4);
        fresh();
        // An earlier backup's identity byte must not pass for this device's.
        state.params.Param04Value = 0x99;
        readAnswer = [&, previous = readAnswer](std::uint8_t command, int attempt) {
            if (command == PARAM_04 && attempt <= c.shortAnswersTo4) return test::Bytes{0x44};
            return previous(command, attempt);
        };
        subStep2ParamRead(context);
        EXPECT_EQ(state.LinkError, c.error);
        if (c.error == 0) {
            EXPECT_EQ(state.params.Param04Value, 0x44);
        }
    }
}

// Two flips of one bit in two bytes pass the checksum: one read alone could keep a wrong identity.
TEST_F(ScriptedStepsTest, TheBackupTakesTheIdentityOnlyWhenTwoReadsAgree) {
    struct Case {
        std::vector<const char*> models;  // read by the batches in turn
        std::uint8_t error;
        const char* kept;
    };
    const Case cases[] = {
        {{"RQA-4021", "RQA-4021"}, 0, "RQA-4021"},
        {{"RQA-4021", "RQA-4031", "RQA-4021"}, 0, "RQA-4021"},
        {{"RQA-4031", "RQA-4021", "RQA-4021"}, 0, "RQA-4021"},
        {{"RQA-4021", "RQA-4031", "RQA-4011"}, 12, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.models.size());
        fresh();
        readAnswer = [&, previous = readAnswer](std::uint8_t command, int attempt) {
            if (command == MODEL_NAME)
                return test::bytesOf(c.models.at(static_cast<std::size_t>(attempt - 1)));
            return previous(command, attempt);
        };
        subStep2ParamRead(context);
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_EQ(port.writes.size(), 7 * c.models.size()) << "one batch for each read";
        if (c.kept != nullptr) {
            EXPECT_EQ(state.params.ModelName, c.kept);
        }
    }
}

TEST_F(ScriptedStepsTest, TheReadBackFailsTheRestoreWhenTheDeviceHoldsAnotherIdentity) {
    struct Case {
        const char* modelReadBack;  // what the device holds after the write
        std::uint8_t error;
    };
    const Case cases[] = {{"RQA-4021", 0}, {"VQA-4025", 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modelReadBack);
        fresh();
        state.verifyIdentity = true;
        holdIdentity(state.params, "RQA-4021", "12345 ", 0x44);
        state.params.FirmwareVersion = {12, 0};
        // The write's own answer says something else again: it must not change what was backed up.
        writeEcho = [](std::uint8_t command, const test::Bytes& data) {
            return command == MODEL_NAME ? test::bytesOf("XQA-0000") : data;
        };
        readAnswer = [&, previous = readAnswer](std::uint8_t command, int attempt) {
            return command == MODEL_NAME ? test::bytesOf(c.modelReadBack) : previous(command, attempt);
        };
        subStep7ParamWrite(context);
        EXPECT_EQ(state.LinkError, c.error);
        EXPECT_EQ(state.params.ModelName, "RQA-4021") << "the backup stays what step 7 writes";
        EXPECT_EQ(state.params.FirmwareVersion, (std::array<std::uint8_t, 2>{12, 0}));
    }
}
// The link's test ends the batch at once with 99; here, the step before shows again and Next works once the
// cable is back.
using ParamWizardTest = test::SimWizardTest;

TEST_F(ParamWizardTest, APulledCableEndsTheStepAtOnceAndNextWorksOnceItIsBack) {
    sim::RqSystemOptions options = test::instantSystem();
    options.timings.parameterInit = 5s;
    switchOn(options);
    const sim::DeviceMemory original = device->memory();
    test::CablePuller port(*simPort);
    test::RecordingView view;
    const auto wizard = startWizard(view, nullptr, &port);
    walkTo(*wizard, view, 5);
    port.pullAfter = [](const test::Bytes& frame) { return frame.size() > 5 && frame[5] == PARAM_124; };
    const Micros pressed = clock.now();
    wizard->cmdNext();
    EXPECT_LT(clock.now() - pressed, options.timings.parameterInit) << "no wait is run out";
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].title, "不明なエラー") << "code 99, not " << view.messages[0].text;
    EXPECT_EQ(wizard->state().StepIndex, 5) << "the screen before the step";

    clock.sleep(10s);  // the user plugs the cable back after a while
    simPort->plug();
    wizard->cmdNext();
    EXPECT_EQ(view.messages.size(), 1u) << "no further message";
    EXPECT_EQ(wizard->state().StepIndex, 6);
    EXPECT_EQ(wizard->state().LinkError, 0);
    EXPECT_EQ(device->memory().modelName, original.modelName);
}

// Backups against a device whose model name and serial number hold NUL and bytes from 80h up.
class BackupWizardTest : public test::SimWizardTest {
  protected:
    test::PlainFileWriter writer;
    BackupStore store{dir.path("backups"), writer};

    void SetUp() override {
        SimWizardTest::SetUp();
        switchOn(test::instantSystem({"identity-bytes"}));
    }
};

TEST_F(BackupWizardTest, ARunStoppedAfterStep5LeavesTheIdentityForALaterRunToWriteBackByteForByte) {
    const sim::DeviceMemory original = device->memory();
    {
        test::RecordingView view;
        const auto stopped = startWizard(view, &store);
        walkTo(*stopped, view, 5);
        ASSERT_EQ(stopped->state().StepIndex, 5);
    }  // the program ends here, as it would in a crash or a loss of power
    const std::vector<BackupFile> saved = store.unrestored();
    ASSERT_EQ(saved.size(), 1u);
    const SavedIdentity& kept = *saved[0].read.identity;
    EXPECT_EQ(kept.model, sim::kBytesModelName);
    EXPECT_EQ(kept.serial, sim::kBytesSerialNumber);
    EXPECT_EQ(kept.param04, original.param04);
    EXPECT_EQ(kept.param06, original.param06);
    EXPECT_EQ(kept.version, (std::array<std::uint8_t, 2>{12, 0}));
    EXPECT_EQ(kept.port, "COM1");

    test::RecordingView view;
    view.answers = {true};
    const auto later = startWizard(view, &store);
    later->offerSavedBackup();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_NE(view.questions[0].text.find("　製品型番：\\x00RQ\\x7F\\x80\\xA5\\xFE\\xFF"), std::string::npos)
        << view.questions[0].text;
    EXPECT_EQ(later->state().StepIndex, 5);
    // Step 7 initialises the device's parameters first: what it holds afterwards came from the file.
    walkTo(*later, view, 7);
    ASSERT_TRUE(view.messages.empty()) << view.messages.front().text;
    EXPECT_EQ(device->memory().modelName, sim::kBytesModelName);
    EXPECT_EQ(device->memory().serialNumber, sim::kBytesSerialNumber);
    EXPECT_EQ(device->memory().param04, original.param04);
    EXPECT_TRUE(store.unrestored().empty());
    EXPECT_EQ(view.backupNotes.back().event, BackupNote::Event::Restored);

    test::RecordingView third;
    startWizard(third, &store)->offerSavedBackup();
    EXPECT_TRUE(third.questions.empty()) << "a restored backup is not offered again";
}

// A whole update from step 1 to step 8.
TEST_F(BackupWizardTest, AfterAnUpdateTheDeviceRunsTheFilesVersionWithItsOwnIdentity) {
    ASSERT_TRUE(sim::writeFirmwareFile(firmware, {{2, 5, 9}}));
    const sim::DeviceMemory original = device->memory();
    test::RecordingView view;
    const auto update = startWizard(view);
    walkTo(*update, view, 7);
    ASSERT_TRUE(view.messages.empty()) << view.messages.front().text;
    EXPECT_EQ(view.text(Control::txtProcess), "RQシステムのファームウェアバージョン：Ver.2.5.9")
        << "step 8 shows what the read-back of step 7 found";
    const sim::DeviceMemory after = device->memory();
    EXPECT_EQ(after.modelName, original.modelName);
    EXPECT_EQ(after.serialNumber, original.serialNumber);
    EXPECT_EQ(after.param04, original.param04);
    EXPECT_EQ(sim::flashFirmwareVersion(after), (std::array<std::uint8_t, 2>{25, 9}));
    EXPECT_EQ(after.working, sim::initialWorkingSet()) << "step 7 initialised the device's parameters";
}

// Before step 5 the device still holds what the backup keeps.
TEST_F(BackupWizardTest, CancelRemovesTheBackupOnlyBeforeStep5HasBegun) {
    const std::pair<int, std::size_t> cases[] = {{3, 0}, {4, 1}};
    for (const auto& [stepIndex, kept] : cases) {
        SCOPED_TRACE(stepIndex);
        for (const BackupFile& file : store.list()) store.discard(file.path);
        switchOn(test::instantSystem({"identity-bytes"}));
        test::RecordingView view;
        const auto wizard = startWizard(view, &store);
        walkTo(*wizard, view, stepIndex);
        wizard->cmdCancel();
        EXPECT_EQ(store.list().size(), kept);
    }
}

TEST_F(BackupWizardTest, AFolderThatCannotBeWrittenDoesNotStopTheUpdate) {
    dir.file("taken", {'x'});
    BackupStore blocked(dir.path("taken/backups"), writer);
    test::RecordingView view;
    const auto wizard = startWizard(view, &blocked);
    walkTo(*wizard, view, 7);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(wizard->state().StepIndex, 7);
    ASSERT_FALSE(view.backupNotes.empty());
    EXPECT_EQ(view.backupNotes[0].event, BackupNote::Event::NotSaved);
    EXPECT_NE(view.backupNotes[0].reason.find("cannot make"), std::string::npos);
    EXPECT_NE(std::find(view.statusHistory2.begin(), view.statusHistory2.end(), "Backup not saved"),
              view.statusHistory2.end());
}

// The flash holds the new program already: an identity is chosen there, saved ones offered first.
TEST_F(BackupWizardTest, OnStep6WithoutAnIdentityTheForcedUpdateOffersTheSavedOnesNewestFirst) {
    std::string error;
    SavedIdentity older;
    older.model = "RQA-4020";
    older.serial = "11111 ";
    older.time = "2026-12-07T02:15:58.123Z";
    const auto olderPath = store.save(older, error);
    SavedIdentity newer = older;
    newer.serial = "22222 ";
    newer.time = "2026-12-08T02:15:58.123Z";
    store.save(newer, error);
    ASSERT_TRUE(olderPath) << error;

    test::RecordingView view;
    const auto wizard = startWizard(view, &store);
    wizard->state().StepIndex = 4;
    wizard->cmdNext();
    ASSERT_TRUE(view.isEnabled(Control::cmdForceUpdate));
    view.answers = {false, true};
    wizard->cmdForceUpdate();
    ASSERT_EQ(view.questions.size(), 2u);
    EXPECT_NE(view.questions[0].text.find("22222"), std::string::npos);
    EXPECT_EQ(wizard->state().params.SerialNumber, "11111 ");
    EXPECT_EQ(wizard->state().backupPath, *olderPath);
    EXPECT_EQ(wizard->state().StepIndex, 5);
    EXPECT_FALSE(view.isEnabled(Control::cmdForceUpdate));
}

}  // namespace
}  // namespace rq
