#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "CliProcess.h"
#include "cli/UpdateCommand.h"
#include "core/wizard/ErrorMessages.h"
#include "platform/HardwarePort.h"

namespace rq {
namespace {

using test::runCli;

class CliTest : public ::testing::Test {
  protected:
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("rqfwup-cli-" + std::to_string(::getpid()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string file(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(CliTest, HelpAndVersion) {
    const auto help = runCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("rqfwup-cli update FIRMWARE.bin [options]"), std::string::npos);
    EXPECT_NE(help.out.find("--program-baud"), std::string::npos);
    // Every exit status, each error code of a message box among them.
    std::vector<std::string> statuses = {"0", "1", "2", "3", "4", "129, 130, 143"};
    for (int code = 1; code < 256; ++code) {
        if (errorMessage(static_cast<std::uint8_t>(code))) statuses.push_back(std::to_string(code));
    }
    const auto listed = help.out.find("\nExit status:\n");
    ASSERT_NE(listed, std::string::npos);
    const std::string list = help.out.substr(listed);
    for (const std::string& status : statuses)
        EXPECT_TRUE(std::regex_search(list, std::regex("\n  " + status + "[ \n]"))) << status;
    const auto version = runCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "rqfwup-cli 1.0.0\n");
}

TEST_F(CliTest, AWrongCommandLineExitsWith2AndOneLineOfReason) {
    const char* cases[] = {
        "",
        "frobnicate",
        "update",
        "update a.bin --baud fast",
        "update a.bin --baud 0",
        "update a.bin --parity X",
        "update a.bin --data-bits 9",
        "update a.bin --stop-bits 3",
        "update a.bin --flow sometimes",
        "update a.bin --program-baud 57600",
        "update a.bin --force RQA-9999 12345",
        "update a.bin --force RQA-4021",
        "update a.bin --port",
        "update a.bin --bogus",
        "update a.bin b.bin",
        "update a.bin --sim-fault reset-nack=3",
        "update a.bin --simulate --sim-fault no-such-fault",
        "update a.bin --simulate --sim-fault reset-nack",
        "update a.bin --simulate --sim-fault ofs-status=zz",
        "update a.bin --simulate --sim-line slow",
        "update a.bin --simulate --sim-fault COM2:silent-after=5",
        "update a.bin --simulate --sim-fault COM0:busy=1",
        "update a.bin --simulate --sim-fault 1:busy=1",
        "update a.bin --simulate --sim-fault COM1:nothing",
        "update a.bin --sim-fault COM1:busy=1",
        "params a.bin",
        "params --yes",
        "params --force RQA-4021 12345",
        "params --baud fast",
        "params --sim-fault silent-after=1",
        "params --simulate --sim-fault no-such-fault",
        "info extra",
        "info --bogus",
        "info --json --port",
        "info --simulate --port /dev/ttyUSB0",
        "info --sim-fault busy=2",
        "info --simulate --port COM2 --sim-fault COM1:busy=2",
        "restore a.json b.json",
        "restore --list a.json",
        "restore --no-such-option",
        "restore --simulate --port /dev/ttyUSB0",
        "make-firmware",
        "make-firmware x.bin --version 1.2",
        "make-firmware x.bin --length -5",
    };
    for (const char* args : cases) {
        const auto result = runCli(args);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << args << ": " << result.err;
        EXPECT_EQ(result.err.rfind("rqfwup-cli: ", 0), 0u) << args;
    }
}

TEST_F(CliTest, ARunThatStopsAtABadFileShowsTheBoxAndExitsWithItsCode) {
    {
        std::ofstream bad(file("bad.bin"), std::ios::binary);
        bad << std::string(200, 'x');
    }
    const auto result = runCli("update " + file("bad.bin") + " --simulate --yes --json");
    EXPECT_EQ(result.status, 22);
    EXPECT_NE(result.out.find("{\"t\":"), std::string::npos);
    EXPECT_NE(
        result.out.find(",\"control\":\"frmMain\",\"text\":\"RQ SYSTEM  Firmware update tool (Ver1.0.0)\"}"),
        std::string::npos);
    EXPECT_NE(result.out.find(",\"stepIndex\":0}"), std::string::npos);
    EXPECT_NE(result.out.find(",\"control\":\"lblFWFile\",\"text\":\"bad.bin\"}"), std::string::npos);
    EXPECT_NE(result.out.find(",\"messageBox\":{\"title\":\"更新用ファイル・エラー\",\"text\":"
                              "\"更新ファイルが正しくありません。"
                              "\\r\\n\\r\\n　更新用ファイルを選択しなおしてください。\\r\\n"),
              std::string::npos);
    EXPECT_NE(result.out.find(",\"control\":\"txtInfo\",\"text\":\"１．開始\\r\\n\\r\\n"), std::string::npos);
    EXPECT_NE(result.out.find(",\"control\":\"lblProcess01\",\"bold\":true}"), std::string::npos);
    EXPECT_NE(result.out.find(",\"control\":\"stsAppStatus\",\"panel\":1,\"text\":\"Update start\"}"),
              std::string::npos);
    EXPECT_EQ(result.out.find("stepIndex\":1"), std::string::npos);  // never left step 1
    for (std::size_t start = 0, end; (end = result.out.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = result.out.substr(start, end - start);
        EXPECT_EQ(line.rfind("{\"t\":", 0), 0u) << line;
        EXPECT_EQ(line.back(), '}') << line;
    }
}

TEST_F(CliTest, MissingAndUnreadableFilesGiveTheirCodes) {
    EXPECT_EQ(runCli("update " + file("absent.bin") + " --simulate --yes").status, 21);
    std::filesystem::create_directory(file("folder.bin"));
    const auto unreadable = runCli("update " + file("folder.bin") + " --simulate --yes");
    EXPECT_EQ(unreadable.status, 23);
    EXPECT_NE(unreadable.out.find("更新用ファイルが開けません。"), std::string::npos);
}

TEST_F(CliTest, ARefusedSerialNumberShowsTheDialogsMessageAndExitsWith2) {
    ASSERT_EQ(runCli("make-firmware " + file("fw.bin")).status, 0);
    const auto result = runCli("update " + file("fw.bin") + " --simulate --yes --force RQA-4021 12a45");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("シリアルナンバーに数値以外の文字が入力されいます。"), std::string::npos);
    EXPECT_EQ(result.out.find("３．ファームウェアのバージョン確認"), std::string::npos);
}

TEST_F(CliTest, WithoutYesAClosedInputCancelsAtTheFirstInstructionStep) {
    ASSERT_EQ(runCli("make-firmware " + file("fw.bin")).status, 0);
    const auto result = runCli("update " + file("fw.bin") + " --simulate");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Press Enter to click 次へ ＞"), std::string::npos);
}

TEST_F(CliTest, TheGeneratorWritesAFileTheWizardTakes) {
    const auto made = runCli("make-firmware " + file("fw.bin") + " --version 2.0.5 --length 300");
    ASSERT_EQ(made.status, 0);
    EXPECT_EQ(std::filesystem::file_size(file("fw.bin")), 348u);
    const auto run = runCli("update " + file("fw.bin") + " --simulate --transcript");
    EXPECT_NE(run.out.find("lblFWNew: Ver 2.0.5"), std::string::npos);
}

TEST(CliOptions, ValuesReachTheSettings) {
    const auto command =
        cli::parseUpdate({"fw.bin", "--baud", "115200", "--parity", "E", "--data-bits", "7", "--stop-bits",
                          "1.5", "--flow", "both", "--program-baud", "153600", "--port", "/dev/ttyUSB0"});
    const auto* options = std::get_if<cli::UpdateOptions>(&command);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->portOptions.settings.lineSettingsText(), "115200,E,7,1.5");
    EXPECT_EQ(options->portOptions.settings.FlowCtl, 3);
    EXPECT_EQ(options->portOptions.settings.UpBaudrateIndex, 5);
    EXPECT_EQ(options->portOptions.port, "/dev/ttyUSB0");
    EXPECT_TRUE(options->verifyIdentity) << "the identity is read back unless --no-verify-identity";
    EXPECT_EQ(comPortNumber("COM12"), 12);
    EXPECT_EQ(comPortNumber("COM0"), std::nullopt);
    EXPECT_EQ(comPortNumber("/dev/ttyUSB0"), std::nullopt);
}

// A fault without a device is every simulated device's; one with a device is that device's alone and
// takes precedence.
TEST(CliOptions, AFaultReachesTheSimulatedDevicesItNames) {
    using enum cli::DeviceNaming;
    const struct {
        std::vector<std::string> faults;
        cli::DeviceNaming naming;
        const char* name;
        const char* atDevice1;  // its value, "-" for none
        const char* atDevice2;
    } cases[] = {
        {{"silent-after=5"}, ComPort, "silent-after", "5", "5"},
        {{"COM2:silent-after=5"}, ComPort, "silent-after", "-", "5"},
        {{"COM2:silent-after=1", "silent-after=5"}, ComPort, "silent-after", "5", "1"},
        {{"verify-st2=3:0F"}, ComPort, "verify-st2", "3:0F", "3:0F"},  // a value's own colon
        {{"COM1:verify-st2=3:0F"}, ComPort, "verify-st2", "3:0F", "-"},
        {{"2:busy=1"}, Number, "busy", "-", "1"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args;
        for (const std::string& fault : c.faults) args.insert(args.end(), {"--sim-fault", fault});
        cli::ArgReader reader(args);
        cli::SimOptions sim;
        while (!reader.done()) {
            std::string error;
            EXPECT_TRUE(cli::takeSimOption(reader.next(), reader, sim, error, c.naming));
            EXPECT_EQ(error, "") << c.faults.back();
        }
        EXPECT_EQ(sim.systemOf(1).faults.text(c.name).value_or("-"), c.atDevice1) << c.faults.back();
        EXPECT_EQ(sim.systemOf(2).faults.text(c.name).value_or("-"), c.atDevice2) << c.faults.back();
    }
    const auto elsewhere = cli::parseUpdate({"fw.bin", "--simulate", "--sim-fault", "COM2:silent-after=5"});
    ASSERT_TRUE(std::holds_alternative<cli::UsageError>(elsewhere));
    EXPECT_EQ(std::get<cli::UsageError>(elsewhere).reason,
              "--sim-fault COM2:silent-after=5 is for COM2, but the simulated device is at COM1");
}

}  // namespace
}  // namespace rq
