#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CliProcessPosix.h"

namespace rq {
namespace {

using test::BackgroundCli;
using test::runCli;
using CliSimulateTest = test::WithFirmware;

// The device outlives each run: an update stopped after step 5 leaves the new program on it, and restore,
// without a file or a port, writes back the newest backup on the port it was read on.
TEST_F(CliSimulateTest, AnUpdateAndARestoreAgainstTheSimulatorInAnotherProcess) {
    BackgroundCli simulator("simulate --auto-panel --sim-line instant --sim-fault identity-bytes");
    const std::string port = simulator.readLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    EXPECT_EQ(simulator.readLine(), "power on, FW switch -, pilot LED green");

    // Enter on steps 1, 3 and 4; the input ends at the prompt of step 6.
    const auto stopped = runCli("update " + firmware + " --port " + port, "\n\n\n");
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("write it back with: rqfwup-cli restore "), std::string::npos) << stopped.err;
    const auto restored = runCli("restore --yes");
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(simulator.readLine(), "auto panel: power on, FW switch W, pilot LED green and red in turn");
    EXPECT_EQ(simulator.readLine(), "auto panel: power on, FW switch -, pilot LED green");

    const auto info = runCli("info --json --port " + port);
    // Byte n as U+00nn: the bytes from 80h up in UTF-8, the control bytes escaped.
    EXPECT_THAT(info.out, ::testing::HasSubstr("{\"model\":\"\\u0000RQ\x7F\xC2\x80\xC2\xA5\xC3\xBE\xC3\xBF\","
                                               "\"serial\":\"\\u0001\\u001f9\xC2\x81\xC3\x83\\u0000\","));
    EXPECT_THAT(info.out, ::testing::HasSubstr(R"("version":"Ver.1.3.0")"));
    simulator.send("x\n");
    EXPECT_EQ(simulator.readLine(), "keys: p power, w or - FW switch, q quit");
    EXPECT_EQ(simulator.finish(), 0);
}

// Each device on its own pseudo-terminal with its own faults and panel; keys reach all, or one by number.
// The FW switch is read at power-on only.
TEST_F(CliSimulateTest, SeveralDevicesEachOnItsOwnPath) {
    BackgroundCli simulator("simulate --count 3 --sim-line instant --sim-fault 2:silent-after=1");
    std::vector<std::string> paths;
    for (int device = 1; device <= 3; ++device) {
        paths.push_back(simulator.readLine());
        EXPECT_EQ(paths.back().rfind("/dev/pts/", 0), 0u) << paths.back();
    }
    for (const char* device : {"[1] ", "[2] ", "[3] "})
        EXPECT_EQ(simulator.readLine(), device + std::string("power on, FW switch -, pilot LED green"));

    EXPECT_EQ(runCli("info --port " + paths[2]).status, 0);
    EXPECT_EQ(runCli("info --port " + paths[1]).status, 12) << "device 2 alone has the fault";

    const std::pair<const char*, std::vector<std::string>> presses[] = {
        {"2p\n", {"[2] power off, FW switch -, pilot LED off"}},
        {"w\n",
         {"[1] power on, FW switch W, pilot LED green", "[2] power off, FW switch W, pilot LED off",
          "[3] power on, FW switch W, pilot LED green"}},
        {"3-\n", {"[3] power on, FW switch -, pilot LED green"}},
        {"4p\n",
         {"keys: p power, w or - FW switch, q quit; a device number first for that device alone (1 to 3)"}},
    };
    for (const auto& [keys, panels] : presses) {
        simulator.send(keys);
        for (const std::string& panel : panels) EXPECT_EQ(simulator.readLine(), panel) << keys;
    }
    simulator.send("q\n");
    EXPECT_EQ(simulator.finish(), 0);
}

}  // namespace
}  // namespace rq
