#include <gtest/gtest.h>

#include <regex>

#include "CliProcess.h"
#include "cli/UpdateCommand.h"
#include "core/wizard/ErrorMessages.h"
#include "platform/HardwarePort.h"

namespace rq {
namespace {

using test::runCli;

TEST(CliTest, HelpAndVersion) {
    const auto help = runCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("rqfwup-cli update FIRMWARE.bin [options]"), std::string::npos);
    EXPECT_NE(help.out.find("--program-baud"), std::string::npos);
    // Every exit status, each error code of a message box among them.
    std::vector<std::string> statuses = {"0", "1", "2", "3", "4", "129, 130, 143"};
    for (int code = 1; code < 256; ++code)
        if (errorMessage(static_cast<std::uint8_t>(code))) statuses.push_back(std::to_string(code));
    const auto listed = help.out.find("\nExit status:\n");
    ASSERT_NE(listed, std::string::npos);
    const std::string list = help.out.substr(listed);
    for (const std::string& status : statuses)
        EXPECT_TRUE(std::regex_search(list, std::regex("\n  " + status + "[ \n]"))) << status;
    const auto version = runCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "rqfwup-cli 1.0.0\n");
}

TEST(CliTest, AWrongCommandLineExitsWith2AndOneLineOfReason) {
    // Each command before the arguments it refuses.
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {"", "frobnicate", "update"}},
        {"update a.bin",
         {"--baud fast", "--baud 0", "--parity X", "--data-bits 9", "--stop-bits 3", "--flow sometimes",
          "--program-baud 57600", "--force RQA-9999 12345", "--force RQA-4021", "--port", "--bogus", "b.bin",
          "--sim-fault reset-nack=3", "--port COM1,COM2 --force RQA-4021 12345",
          "--port COM1,COM2 --resume a.json", "--port COM1 --port COM1", "--port COM1,"}},
        {"update a.bin --simulate",
         {"--sim-fault no-such-fault", "--sim-line slow", "--sim-fault COM2:silent-after=5",
          "--sim-fault COM0:busy=1", "--sim-fault COM1:nothing", "--port COM1,COM2 --sim-fault COM3:busy=1",
          "--port COM1,/dev/ttyUSB0"}},
        {"params", {"a.bin", "--yes", "--force RQA-4021 12345"}},
        {"info", {"extra", "--bogus", "--json --port", "--simulate --port /dev/ttyUSB0"}},
        {"restore", {"--simulate --port /dev/ttyUSB0", "a.json b.json", "--list a.json", "--no-such-option"}},
        {"make-firmware", {"", "x.bin --version 1.2", "x.bin --length -5"}},
        {"simulate",
         {"x", "--simulate", "--count 0", "--count 33", "--count", "--sim-fault COM1:busy=1",
          "--count 2 --sim-fault 3:busy=1"}},
    };
    for (const auto& [command, refused] : cases) {
        for (const std::string& more : refused) {
            const std::string args = command + " " + more;
            const auto result = runCli(args);
            EXPECT_EQ(result.status, 2) << args;
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1)
                << args << ": " << result.err;
            EXPECT_EQ(result.err.rfind("rqfwup-cli: ", 0), 0u) << args;
        }
    }
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
}

// A fault without a device is every simulated device's; one with a device is that device's alone and
// takes precedence.
TEST(CliOptions, AFaultReachesTheSimulatedDevicesItNames) {
    const struct {
        std::vector<std::string> faults;
        const char* name;
        const char* atDevice1;  // its value, "-" for none
        const char* atDevice2;
    } cases[] = {
        {{"COM2:silent-after=1", "silent-after=5"}, "silent-after", "5", "1"},
        {{"verify-st2=3:0F"}, "verify-st2", "3:0F", "3:0F"},  // a value's own colon
    };
    for (const auto& c : cases) {
        std::vector<std::string> args;
        for (const std::string& fault : c.faults) args.insert(args.end(), {"--sim-fault", fault});
        cli::ArgReader reader(args);
        cli::SimOptions sim;
        while (!reader.done()) {
            std::string error;
            EXPECT_TRUE(cli::takeSimOption(reader.next(), reader, sim, error));
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
