#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/PseudoTerminal.h"
#include "platform/QtPort.h"

namespace rq {
namespace {

using test::PseudoTerminal;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// A port whose COM1 is the device `listed` names at each look-up, as a USB adapter that is pulled and
// plugged back under another name.
std::unique_ptr<QtPort> portListing(const std::string& listed) {
    auto port = std::make_unique<QtPort>(PortTable([&listed] {
        return std::vector<ListedPort>{{listed, true}};
    }));
    port->setPortNumber(1);
    return port;
}

// COM1 is whatever path the test lists now, as a USB adapter that is pulled and plugged back.
class QtPortLineTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(terminal->ok());
        listed = terminal->path();
        ASSERT_EQ(port->open(), PortError::None);
    }

    std::unique_ptr<PseudoTerminal> terminal = std::make_unique<PseudoTerminal>();
    std::string listed;
    std::unique_ptr<QtPort> port = portListing(listed);
};

// The cable is pulled before a read or a write; once it is back under another path, the port opens again.
TEST_F(QtPortLineTest, APulledCableClosesThePortAtTheNextUseUntilItIsBack) {
    const struct {
        const char* what;
        std::function<bool(QtPort&)> use;  // true when the use reported nothing, as it should
    } uses[] = {
        {"read", [](QtPort& p) { return p.read(1, 5s).empty(); }},
        {"write",
         [](QtPort& p) {
             return p.write(Bytes{1, 2, 3}) == PortError::Io;
         }},
    };
    for (const auto& use : uses) {
        SCOPED_TRACE(use.what);
        terminal->hangUp();
        EXPECT_TRUE(use.use(*port));
        EXPECT_FALSE(port->isOpen());
        EXPECT_TRUE(port->read(1, 10ms).empty());
        EXPECT_EQ(port->write(Bytes{1}), PortError::NotOpen);
        EXPECT_FALSE(port->cts());
        EXPECT_EQ(port->open(), PortError::InvalidPort) << "the old device is gone";

        const std::string oldPath = terminal->path();
        terminal = std::make_unique<PseudoTerminal>();
        ASSERT_NE(terminal->path(), oldPath);
        listed = terminal->path();
        ASSERT_EQ(port->open(), PortError::None);
        EXPECT_EQ(port->deviceName(1), terminal->path());
        terminal->send({0x42});
        EXPECT_EQ(port->read(1, 2s), (Bytes{0x42}));
        ASSERT_EQ(port->write(Bytes{0x43}), PortError::None);
        EXPECT_EQ(terminal->receive(1, 2000), (Bytes{0x43}));
    }
}

TEST(QtPortOpenFailure, APortHeldByAnotherProgramIsExplainedUntilItOpens) {
    PseudoTerminal terminal;
    const auto holder = portListing(terminal.path());
    ASSERT_EQ(holder->open(), PortError::None);
    const auto port = portListing(terminal.path());
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
