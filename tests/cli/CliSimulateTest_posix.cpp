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

// The device outlives the runner: its identity comes back from the file an interrupted update left.
TEST(CliSimulateTest, RestoreWritesBackWhatAnUpdateEndedAfterStep5Saved) {
    test::TempDir dir;
    test::ScopedVariable folder("RQFWUP_BACKUP_DIR", dir.path("backups"));
    const std::string firmware = dir.path("fw.bin");
    ASSERT_EQ(runCli("make-firmware " + firmware).status, 0);
    BackgroundCli simulator(
        {"simulate", "--auto-panel", "--sim-line", "instant", "--sim-fault", "identity-bytes"});
    const std::string port = simulator.readLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;

    // Enter on steps 1, 3 and 4; the input ends at the prompt of step 6.
    const auto stopped = runCli("update " + firmware + " --port " + port, "\n\n\n");
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("write it back with: rqfwup-cli restore "), std::string::npos) << stopped.err;

    // Without a file or a port: the newest backup, on the port it was read on. Step 7 initialises the
    // device's identity before it writes the file's.
    const auto restored = runCli("restore --yes");
    EXPECT_EQ(restored.status, 0) << restored.err;
    const auto info = runCli("info --json --port " + port);
    // Byte n as U+00nn: the bytes from 80h up in UTF-8, the control bytes escaped.
    EXPECT_NE(info.out.find("{\"model\":\"\\u0000RQ\x7F\xC2\x80\xC2\xA5\xC3\xBE\xC3\xBF\","
                            "\"serial\":\"\\u0001\\u001f9\xC2\x81\xC3\x83\\u0000\","),
              std::string::npos)
        << info.out;
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
