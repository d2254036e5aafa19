#include <gtest/gtest.h>

#include <chrono>

#include "platform/PseudoTerminal.h"
#include "platform/QtPort.h"

namespace rq {
namespace {

using test::PseudoTerminal;
using Steady = std::chrono::steady_clock;

PortTable::Lister listingOf(std::vector<std::string> paths) {
    return [paths] {
        std::vector<ListedPort> listed;
        for (const std::string& path : paths) listed.push_back({path});
        return listed;
    };
}

class QtPortTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(terminal.ok());
        port.setPortNumber(port.portTable().registerDevicePath(terminal.path()));
    }

    PseudoTerminal terminal;
    QtPort port{PortTable(listingOf({}))};
};

struct SettingsCase {
    const char* text;
    unsigned speed;
    int stopBits;
};

class QtPortSettingsTest : public QtPortTest, public testing::WithParamInterface<SettingsCase> {};

TEST_P(QtPortSettingsTest, OpenGivesTheTerminalTheLineSettings) {
    const SettingsCase& c = GetParam();
    ASSERT_EQ(port.setSettings(c.text), PortError::None);
    ASSERT_EQ(port.open(), PortError::None);
    const auto held = test::terminalSettings(terminal.path());
    EXPECT_EQ(held.speed, c.speed);
    EXPECT_EQ(held.stopBits, c.stopBits);
    EXPECT_EQ(port.settings(), c.text);
}

TEST_P(QtPortSettingsTest, SettingsGivenWhileOpenTakeEffectAtOnce) {
    const SettingsCase& c = GetParam();
    ASSERT_EQ(port.open(), PortError::None);
    ASSERT_EQ(port.setSettings(c.text), PortError::None);
    const auto held = test::terminalSettings(terminal.path());
    EXPECT_EQ(held.speed, c.speed);
    EXPECT_EQ(held.stopBits, c.stopBits);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, QtPortSettingsTest,
    testing::Values(SettingsCase{"307200,O,8,1", 307200, 1}, SettingsCase{"9600,N,8,1", 9600, 1},
                    SettingsCase{"9600,o,8,1", 9600, 1}, SettingsCase{"153600,N,8,1", 153600, 1},
                    SettingsCase{"31250,E,7,2", 31250, 2}, SettingsCase{"76800,S,6,1", 76800, 1},
                    SettingsCase{"110,M,5,2", 110, 2}, SettingsCase{"56000,N,8,2", 56000, 2}));

TEST_F(QtPortTest, BytesPassBothWays) {
    ASSERT_EQ(port.open(), PortError::None);
    const std::vector<std::uint8_t> out = {0x01, 0x01, 0x00, 0xFF, 0x03, 0x11, 0x13, 0x0D, 0x0A};
    ASSERT_EQ(port.write(out), PortError::None);
    EXPECT_EQ(terminal.receive(out.size(), 2000), out);

    const std::vector<std::uint8_t> in = {0x02, 0x01, 0x06, 0xF9, 0x03, 0x00, 0xFF};
    terminal.send(in);
    EXPECT_EQ(port.read(in.size(), std::chrono::seconds(2)), in);
}

TEST_F(QtPortTest, ReadReturnsWhatArrivedWhenTheTimeOutEnds) {
    ASSERT_EQ(port.open(), PortError::None);
    terminal.send({0xAA, 0xBB});
    const auto start = Steady::now();
    const auto bytes = port.read(5, std::chrono::milliseconds(150));
    const auto waited = Steady::now() - start;
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xAA, 0xBB}));
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

TEST_F(QtPortTest, ReadReturnsAsSoonAsEnoughHasArrived) {
    ASSERT_EQ(port.open(), PortError::None);
    terminal.send({1, 2, 3});
    const auto start = Steady::now();
    EXPECT_EQ(port.read(3, std::chrono::seconds(5)).size(), 3u);
    EXPECT_LT(Steady::now() - start, std::chrono::seconds(1));
}

TEST_F(QtPortTest, ReadOnAClosedPortWaitsOutItsTimeOut) {
    const auto start = Steady::now();
    EXPECT_TRUE(port.read(1, std::chrono::milliseconds(30)).empty());
    EXPECT_GE(Steady::now() - start, std::chrono::milliseconds(30));
}

TEST_F(QtPortTest, DiscardInputDropsWhatHasArrived) {
    ASSERT_EQ(port.open(), PortError::None);
    terminal.send({7, 8, 9});
    port.read(3, std::chrono::milliseconds(500));  // now in the port's own buffer
    terminal.send({10});
    port.read(4, std::chrono::milliseconds(20));
    port.discardInput();
    EXPECT_TRUE(port.read(1, std::chrono::milliseconds(20)).empty());
    terminal.send({11});
    EXPECT_EQ(port.read(1, std::chrono::milliseconds(500)), (std::vector<std::uint8_t>{11}));
}

TEST_F(QtPortTest, WithoutModemLinesCtsReadsOnDsrOffAndRtsDtrDoNothing) {
    ASSERT_EQ(port.open(), PortError::None);
    for (const bool on : {true, false, true}) {
        port.setRts(on);
        port.setDtr(on);
        EXPECT_TRUE(port.cts());
        EXPECT_FALSE(port.dsr());
    }
    ASSERT_EQ(port.write(std::vector<std::uint8_t>{0x55}), PortError::None);
    EXPECT_EQ(terminal.receive(1, 2000), (std::vector<std::uint8_t>{0x55}));
}

TEST_F(QtPortTest, ClosedPortReadsNeitherCtsNorDsr) {
    EXPECT_FALSE(port.cts());
    EXPECT_FALSE(port.dsr());
    EXPECT_EQ(port.write(std::vector<std::uint8_t>{1}), PortError::NotOpen);
}

TEST_F(QtPortTest, ClosesAndOpensAgain) {
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_TRUE(port.isOpen());
    port.close();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(port.setSettings("9600,N,8,1"), PortError::None);
    ASSERT_EQ(port.open(), PortError::None);
    terminal.send({0x42});
    EXPECT_EQ(port.read(1, std::chrono::seconds(2)), (std::vector<std::uint8_t>{0x42}));
}

TEST(QtPortMissing, PortsThatDoNotExistAreInvalid) {
    QtPort port{PortTable(listingOf({"/dev/rq-no-such-serial-device"}))};
    for (const int number : {0, 1, 2, 16, -1}) {
        port.setPortNumber(number);
        EXPECT_EQ(port.open(), PortError::InvalidPort) << number;
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(QtPortTest, RefusedSettingsAreBadSettingsAtOpen) {
    for (const char* text : {"9600,N,4,1", "9600,N,8,1.5"}) {
        ASSERT_EQ(port.setSettings(text), PortError::None) << text;
        EXPECT_EQ(port.open(), PortError::BadSettings) << text;
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(QtPortTest, RefusedSettingsWhileOpenKeepTheOldOnes) {
    ASSERT_EQ(port.setSettings("19200,E,7,2"), PortError::None);
    ASSERT_EQ(port.open(), PortError::None);
    for (const char* text : {"9600,N,4,1", "9600,N,8,1.5", "9600,N,8", "fast,N,8,1", "0,N,8,1", ""}) {
        EXPECT_EQ(port.setSettings(text), PortError::BadSettings) << text;
        EXPECT_EQ(port.settings(), "19200,E,7,2");
    }
    const auto held = test::terminalSettings(terminal.path());
    EXPECT_EQ(held.speed, 19200u);
    EXPECT_EQ(held.stopBits, 2);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(QtPortTest, UnreadableTextIsBadSettingsEvenWhileClosed) {
    for (const char* text : {"9600,X,8,1", "9600,N,9,1", "9600;N;8;1", "9600,N,8,3"}) {
        EXPECT_EQ(port.setSettings(text), PortError::BadSettings) << text;
    }
    EXPECT_EQ(port.settings(), "9600,N,8,1");
}

// Each row: the handshaking, and the flags the terminal then holds.
struct FlowCase {
    FlowControl flow;
    bool rtsCts;
    bool xonXoff;
};

class QtPortFlowTest : public QtPortTest, public testing::WithParamInterface<FlowCase> {};

TEST_P(QtPortFlowTest, GivenBeforeOpenAndKeptThroughANewSpeed) {
    const FlowCase& c = GetParam();
    ASSERT_EQ(port.setFlowControl(c.flow), PortError::None);
    ASSERT_EQ(port.open(), PortError::None);
    for (const unsigned speed : {9600u, 38400u}) {
        ASSERT_EQ(port.setSettings(std::to_string(speed) + ",N,8,1"), PortError::None);
        const auto held = test::terminalSettings(terminal.path());
        EXPECT_EQ(held.speed, speed);
        EXPECT_EQ(held.rtsCts, c.rtsCts);
        EXPECT_EQ(held.xonXoff, c.xonXoff);
    }
    EXPECT_EQ(port.flowControl(), c.flow);
}

INSTANTIATE_TEST_SUITE_P(Handshaking, QtPortFlowTest,
                         testing::Values(FlowCase{FlowControl::None, false, false},
                                         FlowCase{FlowControl::XonXoff, false, true},
                                         FlowCase{FlowControl::RtsCts, true, false},
                                         FlowCase{FlowControl::Both, true, true}));

TEST_F(QtPortTest, OpeningAsksTheDriverForLowLatencyAndBearsItsRefusal) {
    std::vector<NativeHandle> asked;
    port.setLowLatencyRequest([&asked](NativeHandle handle) {
        asked.push_back(handle);
        return requestLowLatency(handle);  // a pseudo-terminal refuses
    });
    ASSERT_EQ(port.open(), PortError::None);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_GE(asked[0], 0);
    EXPECT_FALSE(requestLowLatency(asked[0]));
    port.close();
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace rq
