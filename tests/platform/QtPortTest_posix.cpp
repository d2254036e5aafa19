#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/PseudoTerminal.h"
#include "platform/QtPort.h"

namespace rq {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Steady = std::chrono::steady_clock;
using namespace std::chrono_literals;

class QtPortTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(terminal.ok());
        port.setPortNumber(port.portTable().registerDevicePath(terminal.path()));
    }
    void expectTerminalAt(const test::TerminalSettings& wanted) {
        EXPECT_EQ(test::terminalSettings(terminal.path()), wanted);
    }

    test::PseudoTerminal terminal;
    // COM1 is listed but not there; the terminal comes after it.
    QtPort port{PortTable([] { return std::vector<ListedPort>{{"/dev/rq-no-such-serial-device"}}; })};
};

// Each row: settings and handshaking given before the open, and the flags the terminal then holds; a new
// speed given while the port is open takes effect at once and keeps the handshaking. Every opening asks
// the driver for low latency, and a driver that refuses (as a pseudo-terminal does) opens all the same.
TEST_F(QtPortTest, SettingsTakeEffectAtOpenAndAtOnceWhileOpen) {
    std::size_t lowLatencyAsked = 0;
    port.setLowLatencyRequest([&lowLatencyAsked](NativeHandle handle) {
        ++lowLatencyAsked;
        return requestLowLatency(handle);
    });
    const struct {
        const char* text;
        unsigned speed;
        int stopBits;
        FlowControl flow;
        bool rtsCts;
        bool xonXoff;
    } rows[] = {{"307200,O,8,1", 307200, 1, FlowControl::XonXoff, false, true},
                {"31250,E,7,2", 31250, 2, FlowControl::RtsCts, true, false},
                {"76800,S,6,1", 76800, 1, FlowControl::Both, true, true},
                {"110,M,5,2", 110, 2, FlowControl::None, false, false},
                {"56000,N,8,2", 56000, 2, FlowControl::None, false, false}};
    for (std::size_t opening = 1; const auto& row : rows) {
        SCOPED_TRACE(row.text);
        port.close();
        ASSERT_EQ(port.setSettings(row.text), PortError::None);
        ASSERT_EQ(port.setFlowControl(row.flow), PortError::None);
        ASSERT_EQ(port.open(), PortError::None);
        EXPECT_EQ(lowLatencyAsked, opening++);
        expectTerminalAt({row.speed, row.stopBits, row.rtsCts, row.xonXoff});
        EXPECT_EQ(port.settings(), row.text);
        EXPECT_EQ(port.flowControl(), row.flow);
        ASSERT_EQ(port.setSettings("153600,N,8,2"), PortError::None);
        expectTerminalAt({153600, 2, row.rtsCts, row.xonXoff});
    }
}

// Bytes pass unchanged. A read returns as soon as what it asks for has arrived, else what has arrived when
// its time-out ends; input discarded is gone. Without modem lines (a pseudo-terminal) CTS reads on, DSR off.
TEST_F(QtPortTest, ReadsWaitForWhatIsAskedOrTheTimeOut) {
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_TRUE(port.cts());
    EXPECT_FALSE(port.dsr());
    const Bytes out = {0x01, 0x01, 0x00, 0xFF, 0x03, 0x11, 0x13, 0x0D, 0x0A};
    ASSERT_EQ(port.write(out), PortError::None);
    EXPECT_EQ(terminal.receive(out.size(), 2000), out);

    terminal.send({1, 2, 3});
    auto start = Steady::now();
    EXPECT_EQ(port.read(3, 5s), (Bytes{1, 2, 3}));
    EXPECT_LT(Steady::now() - start, 1s) << "as soon as enough has arrived";

    terminal.send({0xAA, 0xBB});
    start = Steady::now();
    EXPECT_EQ(port.read(5, 150ms), (Bytes{0xAA, 0xBB})) << "what arrived when the time-out ends";
    EXPECT_GE(Steady::now() - start, 150ms);
    EXPECT_LT(Steady::now() - start, 1s);

    terminal.send({7});
    std::this_thread::sleep_for(100ms);  // through the terminal into the device's input
    port.discardInput();
    EXPECT_TRUE(port.read(1, 20ms).empty());
}

TEST_F(QtPortTest, AClosedPortReadsNoLinesWritesNothingAndWaitsOutAReadsTimeOut) {
    for (const int missing : {0, 1, 3, 16, -1}) {
        port.setPortNumber(missing);
        EXPECT_EQ(port.open(), PortError::InvalidPort) << missing;
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.cts());
    EXPECT_FALSE(port.dsr());
    EXPECT_EQ(port.write(Bytes{1}), PortError::NotOpen);
    const auto start = Steady::now();
    EXPECT_TRUE(port.read(1, 30ms).empty());
    EXPECT_GE(Steady::now() - start, 30ms);
}

// Each row: settings text, and what giving it to a closed port says. Settings the system refuses stop the
// opening before the device is touched: its lines and its own settings stay as they were. An open port
// that refuses new settings keeps the old ones.
TEST_F(QtPortTest, RefusedSettings) {
    const struct {
        const char* text;
        PortError whileClosed;
    } rows[] = {{"9600,N,4,1", PortError::None},        {"9600,N,8,1.5", PortError::None},
                {"9600,X,8,1", PortError::BadSettings}, {"9600,N,9,1", PortError::BadSettings},
                {"9600,N,8,3", PortError::BadSettings}, {"9600,N,8", PortError::BadSettings},
                {"fast,N,8,1", PortError::BadSettings}, {"0,N,8,1", PortError::BadSettings}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_EQ(port.setSettings("19200,E,7,2"), PortError::None);
        EXPECT_EQ(port.setSettings(row.text), row.whileClosed);
        if (row.whileClosed == PortError::None) {
            const test::TerminalSettings before = test::terminalSettings(terminal.path());
            EXPECT_EQ(port.open(), PortError::BadSettings);
            EXPECT_FALSE(port.isOpen());
            EXPECT_FALSE(port.lastOpenFailure().has_value()) << "no device was opened";
            expectTerminalAt(before);
            ASSERT_EQ(port.setSettings("19200,E,7,2"), PortError::None);
        }
        ASSERT_EQ(port.open(), PortError::None);
        EXPECT_EQ(port.setSettings(row.text), PortError::BadSettings);
        EXPECT_EQ(port.settings(), "19200,E,7,2");
        expectTerminalAt({19200, 2});
        EXPECT_TRUE(port.isOpen());
        port.close();
    }
}

}  // namespace
}  // namespace rq
