#include <gtest/gtest.h>

#include "CliProcess.h"
#include "core/TempDir.h"

namespace rq {
namespace {

using test::runCli;

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

}  // namespace
}  // namespace rq
