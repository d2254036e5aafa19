#include <gtest/gtest.h>

#include <fstream>

#include "CliProcess.h"
#include "core/TempDir.h"

namespace rq {
namespace {

using test::runCli;

std::vector<std::string> linesOf(std::istream&& in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A JSON line without its time, which two records of one event may tell apart by a millisecond.
std::string untimed(const std::string& line) {
    return line.substr(line.find(','));
}

// Whole runs of the runner against the simulated RQ system, on an instant line.
class CliSimulatedRunTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string firmware = dir.path("fw.bin");
    void SetUp() override { ASSERT_EQ(runCli("make-firmware " + firmware + " --version 1.3.0").status, 0); }
    test::ProcessResult update(const std::string& options) {
        return runCli("update " + firmware + " --simulate --sim-line instant --yes " + options);
    }
};

TEST_F(CliSimulatedRunTest, AllEightStepsReachTheEnd) {
    const auto result = update("--json");
    EXPECT_EQ(result.status, 0) << result.out.substr(result.out.size() > 3000 ? result.out.size() - 3000 : 0);
    for (int step = 0; step < 8; ++step) {
        EXPECT_NE(result.out.find(",\"stepIndex\":" + std::to_string(step) + "}"), std::string::npos) << step;
    }
    EXPECT_NE(result.out.find("\"control\":\"lblFWOld\",\"text\":\"Ver.1.2.0\""), std::string::npos);
    EXPECT_NE(result.out.find("\"control\":\"prgProcess\",\"min\":0,\"max\":512,\"value\":512}"),
              std::string::npos);
    EXPECT_NE(result.out.find("\"control\":\"cmdNext\",\"text\":\"終了\""), std::string::npos);
    EXPECT_EQ(result.out.find("messageBox"), std::string::npos);
}

TEST_F(CliSimulatedRunTest, AForcedUpdatePassesStep5AndShowsTheSuccessText) {
    const auto result = update("--force RQA-4021 12345 --verify-identity");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("パラメーター確認中 ………"), std::string::npos) << "the identity was read back";
    EXPECT_NE(result.out.find("　更新作業が終了しました。「次へ」をクリックしてください。"),
              std::string::npos);
    EXPECT_NE(result.out.find("lblFWOld: Ver.0.0.0"), std::string::npos);
}

TEST_F(CliSimulatedRunTest, FaultsEndTheRunWithTheirCodes) {
    // One fault of each path to the exit status; the codes of every fault are the steps' own tests.
    const std::pair<const char*, int> cases[] = {
        {"--sim-fault ofs-status=05", 34},   // a boot firmware status
        {"--sim-fault silent-after=1", 12},  // the normal-mode link
        {"--data-bits 4", 15},               // line settings the port refuses
    };
    for (const auto& [options, code] : cases) {
        const auto result = update(options);
        EXPECT_EQ(result.status, code) << options;
        EXPECT_NE(result.out.find("--- message box: "), std::string::npos) << options;
    }
}

TEST_F(CliSimulatedRunTest, TraceLinesComeAsJson) {
    const auto result = update("--json --trace");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("PC->RQX::CMD[127]:FF FF FF FF FF 7F 00 01 07 01 36 30 32 34 33 31 "),
              std::string::npos);
    EXPECT_NE(result.out.find("\"trace\":\""), std::string::npos);
}

TEST_F(CliSimulatedRunTest, TheSupportLogHoldsTheRunsEventsItsTraceItsSettingsAndItsSystem) {
    const std::string logPath = dir.path("run.jsonl");
    const auto result = update("--json --log " + logPath + " --sim-fault verify-st2=3:0F");
    EXPECT_EQ(result.status, 37);
    const std::vector<std::string> log = linesOf(std::ifstream(logPath));
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.front().find(R"(,"program":"rqfwup-cli update","version":"1.0.0","system":")"),
              std::string::npos)
        << log.front();
    const auto has = [&](const std::string& part) {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& line) { return line.find(part) != line.npos; });
    };
    EXPECT_TRUE(
        has(R"("settings":{"port":"COM1","device":"simulated RQ system","baud":"307200","parity":"O")"));
    EXPECT_TRUE(has(R"("messageBox":{"title":")"));
    EXPECT_TRUE(has("PC->RQX::CMD[127]:FF FF FF FF FF 7F 00 01 07 01 36 30 32 34 33 31 "));
    EXPECT_TRUE(has("PC<-RQX::CMD[001]:"));
    EXPECT_TRUE(has(" RESET SEND PC->RQX::BOOT:01 01 00 FF 03"));
    EXPECT_TRUE(has("VERIFY DATA RECV PC<-RQX::BOOT:02 02 06 0F "));

    // Every event --json printed, in its order; the log adds the program line and the trace.
    std::vector<std::string> events;
    for (const std::string& line : log) {
        if (line.find(R"("trace":)") == line.npos && line.find(R"("program":)") == line.npos)
            events.push_back(untimed(line));
    }
    std::vector<std::string> printed;
    for (const std::string& line : linesOf(std::istringstream(result.out))) printed.push_back(untimed(line));
    EXPECT_EQ(events, printed);
}

TEST_F(CliSimulatedRunTest, ALogThatCannotBeWrittenEndsTheRunBeforeItStarts) {
    const auto result = update("--log " + dir.path("no-such-folder/run.jsonl"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "rqfwup-cli: cannot write " + dir.path("no-such-folder/run.jsonl") + "\n");
}

TEST(CliInfoTest, TheIdentityAndVersionAsTheBackupReadsThem) {
    const struct {
        const char* options;
        int status;
        std::string out;
    } cases[] = {
        {"--simulate --json", 0,
         R"({"model":"RQA-4021","serial":"12345 ","param04":4,"param06":6,"version":"Ver.1.2.0","versionBytes":[12,0]})"
         "\n"},
        {"--simulate --sim-fault identity-nul --sim-line instant", 0,
         "Model name        RQA\\x0040\\x001\n"
         "Serial number     12345 \n"
         "Identity byte 4   04h\n"
         "Identity byte 6   06h\n"
         "Firmware version  Ver.1.2.0\n"},
        {"--simulate --json --sim-fault silent-after=1", 12,
         R"({"error":12,"messageBox":{"title":"通信エラー","text":"通信で過剰なリトライが発生しました。\r\n)"},
        {"--simulate --data-bits 4", 15, "--- message box: "},
        {"--simulate --port COM3 --sim-fault COM3:silent-after=1", 12, "--- message box: "},
        {"--port /dev/rqfwup-no-such-port", 11, "--- message box: 通信エラー ---\n通信が開始できません。\n"},
    };
    for (const auto& c : cases) {
        const auto result = runCli(std::string("info ") + c.options);
        EXPECT_EQ(result.status, c.status) << c.options;
        EXPECT_EQ(result.out.substr(0, c.out.size()), c.out) << c.options;
    }
}

TEST(CliInfoTest, ItsLogHoldsTheExchangeAndTheSettings) {
    test::TempDir dir;
    const std::string logPath = dir.path("info.jsonl");
    ASSERT_EQ(runCli("info --simulate --sim-line instant --program-baud 9600 --log " + logPath).status, 0);
    const std::vector<std::string> log = linesOf(std::ifstream(logPath));
    ASSERT_GE(log.size(), 3u);
    EXPECT_NE(log[0].find(R"("program":"rqfwup-cli info")"), std::string::npos);
    EXPECT_NE(log[1].find(R"("device":"simulated RQ system","baud":"307200")"), std::string::npos);
    EXPECT_NE(log[1].find(R"("programBaud":"9600")"), std::string::npos);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) { return line.find("PC<-RQX::CMD[") != line.npos; }),
              14)
        << "the identity is read twice";
}

}  // namespace
}  // namespace rq
