#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/PseudoTerminal.h"
#include "platform/QtPort.h"

namespace rq {
namespace {

using test::PseudoTerminal;
using namespace std::chrono_literals;

// COM1 is whatever path the test lists now, as a USB adapter that is pulled and plugged back.
class QtPortLineTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(terminal->ok());
        listed = terminal->path();
        port.setPortNumber(1);
        ASSERT_EQ(port.open(), PortError::None);
    }

    std::unique_ptr<PseudoTerminal> terminal = std::make_unique<PseudoTerminal>();
    std::string listed;
    QtPort port{PortTable([this] { return std::vector<ListedPort>{{listed, true}}; })};
};

TEST_F(QtPortLineTest, APulledCableClosesThePortAtTheNextUse) {
    const struct {
        const char* what;
        std::function<bool(QtPort&)> use;  // true when the use reported nothing, as it should
    } uses[] = {
        {"read", [](QtPort& p) { return p.read(1, 5s).empty(); }},
        {"write",
         [](QtPort& p) {
             return p.write(std::vector<std::uint8_t>{1, 2, 3}) == PortError::Io;
         }},
    };
    for (const auto& use : uses) {
        SetUp();
        ASSERT_TRUE(port.isOpen()) << use.what;
        terminal->hangUp();
        EXPECT_TRUE(use.use(port)) << use.what;
        EXPECT_FALSE(port.isOpen()) << use.what;
        EXPECT_TRUE(port.read(1, 10ms).empty()) << use.what;
        EXPECT_EQ(port.write(std::vector<std::uint8_t>{1}), PortError::NotOpen) << use.what;
        EXPECT_FALSE(port.cts()) << use.what;
        terminal = std::make_unique<PseudoTerminal>();
    }
}

TEST_F(QtPortLineTest, OpensAgainOnceTheCableIsBackUnderANewPath) {
    terminal->hangUp();
    port.read(1, 1s);
    ASSERT_FALSE(port.isOpen());
    EXPECT_EQ(port.open(), PortError::InvalidPort) << "the old device is gone";

    PseudoTerminal back;
    ASSERT_NE(back.path(), terminal->path());
    listed = back.path();
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_EQ(port.deviceName(1), back.path());
    back.send({0x42});
    EXPECT_EQ(port.read(1, 2s), (std::vector<std::uint8_t>{0x42}));
    ASSERT_EQ(port.write(std::vector<std::uint8_t>{0x43}), PortError::None);
    EXPECT_EQ(back.receive(1, 2000), (std::vector<std::uint8_t>{0x43}));
}

TEST(QtPortOpenFailure, APortHeldByAnotherProgramIsExplainedUntilItOpens) {
    PseudoTerminal terminal;
    const auto portOn = [&terminal] {
        auto port = std::make_unique<QtPort>(
            PortTable([&terminal] { return std::vector<ListedPort>{{terminal.path()}}; }));
        port->setPortNumber(1);
        return port;
    };
    const auto holder = portOn();
    ASSERT_EQ(holder->open(), PortError::None);
    const auto port = portOn();
    EXPECT_EQ(port->open(), PortError::InvalidPort);
    ASSERT_TRUE(port->lastOpenFailure().has_value());
    EXPECT_EQ(port->lastOpenFailure()->problem, OpenProblem::Busy);
    const std::string why = port->whyNotOpened();
    EXPECT_EQ(why.rfind(terminal.path() + ": ", 0), 0u) << why;
    EXPECT_NE(why.find("in use by another program"), std::string::npos) << why;

    holder->close();
    EXPECT_EQ(port->open(), PortError::None);
    EXPECT_EQ(port->whyNotOpened(), "");
}

}  // namespace
}  // namespace rq
