#include <gtest/gtest.h>

#include "CliProcessPosix.h"
#include "core/TempDir.h"

namespace rq {
namespace {

using test::BackgroundCli;
using test::runCli;

TEST(CliSimulateTest, TheFrontPanelFromStandardInput) {
    BackgroundCli simulator({"simulate", "--sim-line", "instant"});
    EXPECT_EQ(simulator.readLine().rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(simulator.readLine(), "power on, FW switch -, pilot LED green");
    const std::pair<const char*, const char*> presses[] = {
        {"p\n", "power off, FW switch -, pilot LED off"},
        {"w\n", "power off, FW switch W, pilot LED off"},
        {"p\n", "power on, FW switch W, pilot LED green and red in turn"},
        {"-\n", "power on, FW switch -, pilot LED green and red in turn"},  // read at power-on only
        {"pp\n", "power on, FW switch -, pilot LED green"},
        {"x\n", "keys: p power, w or - FW switch, q quit"},
    };
    for (const auto& [keys, panel] : presses) {
        simulator.send(keys);
        EXPECT_EQ(simulator.readLine(), panel) << keys;
    }
    simulator.send("q\n");
    EXPECT_EQ(simulator.finish(), 0);
}

TEST(CliSimulateTest, AWholeUpdateOfTheWizardAgainstTheSimulatorAsTwoProcesses) {
    test::TempDir dir;
    const std::string firmware = dir.path("fw.bin");
    ASSERT_EQ(runCli("make-firmware " + firmware + " --version 2.4.1").status, 0);
    BackgroundCli simulator({"simulate", "--auto-panel", "--sim-line", "instant"});
    const std::string port = simulator.readLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    EXPECT_EQ(simulator.readLine(), "power on, FW switch -, pilot LED green");

    const auto update =
        runCli("update " + firmware + " --port " + port + " --yes --json --log " + dir.path("run.jsonl"));
    EXPECT_EQ(update.status, 0) << update.out.substr(update.out.size() -
                                                     std::min<std::size_t>(update.out.size(), 3000));
    EXPECT_NE(update.out.find(R"("control":"lblFWOld","text":"Ver.1.2.0")"), std::string::npos);
    EXPECT_NE(update.out.find(R"(,"stepIndex":7})"), std::string::npos);
    EXPECT_EQ(simulator.readLine(), "auto panel: power on, FW switch W, pilot LED green and red in turn");
    EXPECT_EQ(simulator.readLine(), "auto panel: power on, FW switch -, pilot LED green");

    // Step 8 asks for the version after a restart.
    const auto info = runCli("info --port " + port + " --json");
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find(R"("version":"Ver.2.4.1")"), std::string::npos) << info.out;
    EXPECT_EQ(simulator.finish(), 0);
}

TEST(CliSimulateTest, AWrongCommandLine) {
    for (const char* args : {"simulate x", "simulate --simulate", "simulate --port /dev/ttyS0",
                             "simulate --sim-line", "simulate --sim-fault nothing"}) {
        const auto result = runCli(args);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(result.err.rfind("rqfwup-cli: ", 0), 0u) << args;
    }
}

}  // namespace
}  // namespace rq
