#include <gtest/gtest.h>

#include "FakePort.h"
#include "core/settings/PortConf.h"
#include "core/wizard/Wizard.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

TEST(PortProbe, ListsOnlyPortsThatOpenAndGivesThePortBack) {
    test::FakePort port;
    port.openable = {3, 12};
    port.setPortNumber(5);
    port.setSettings("307200,o,8,1");
    const auto found = probePorts(port).found;
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].number, 3);
    EXPECT_EQ(found[0].device, "/dev/ttyFAKE3");
    EXPECT_EQ(found[1].number, 12);
    EXPECT_EQ(port.portNumber(), 5);
    EXPECT_EQ(port.settings(), "307200,o,8,1");
    EXPECT_EQ(port.log[1], "settings 9600,o,8,1");
    EXPECT_EQ(port.log[2], "open 1");
    EXPECT_EQ(port.log[17], "open 16");
    EXPECT_FALSE(port.isOpen());
}

TEST(PortProbe, WithNoPortTheListHoldsCom0AndSetStoresPort0) {
    test::FakePort port;
    const auto found = probePorts(port).found;
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].number, 0);
    CommSettings settings;
    applyPortConf({found[0].number, 10, 3, 2, 4, 0, 0}, settings);
    EXPECT_EQ(settings.ComPort, 0);
}

TEST(PortProbe, ExplainsEachDeviceThatExistsButDidNotOpen) {
    test::FakePort port;
    port.openable = {2};
    port.refusals = {{1, "/dev/ttyUSB0: Permission denied"}, {4, "/dev/ttyS1: busy"}};
    const PortProbe probe = probePorts(port);
    ASSERT_EQ(probe.found.size(), 1u);
    EXPECT_EQ(probe.found[0].number, 2);
    EXPECT_EQ(probe.unopened,
              (std::vector<std::string>{"/dev/ttyUSB0: Permission denied", "/dev/ttyS1: busy"}));

    const auto model = loadPortConf(probe, 1, CommSettings());
    EXPECT_EQ(model.unopened, probe.unopened);
    EXPECT_EQ(model.ports.size(), 1u);
}

TEST(PortConfLoad, PortItemsNameTheDeviceWhereItIsNotCOMnItself) {
    const struct {
        FoundPort port;
        const char* item;
    } cases[] = {
        {{1, "/dev/ttyUSB0"}, "COM1  (/dev/ttyUSB0)"},
        {{12, "/dev/cu.usbserial-A1"}, "COM12  (/dev/cu.usbserial-A1)"},
        {{3, "COM3"}, "COM3"},
        {{0, ""}, "COM0"},
    };
    for (const auto& c : cases) EXPECT_EQ(portItemText(c.port), c.item);
}

TEST(PortConfLoad, PreselectsFromThePortAndTheSettings) {
    const CommSettings start;
    const auto model = loadPortConf({{{1, "a"}, {3, "b"}}, {}}, 1, start);
    EXPECT_EQ(model.portIndex, 0);
    EXPECT_EQ(kCommBaudrates[model.baudIndex], "307200");
    EXPECT_EQ(kUpBaudrates[model.upBaudIndex], "38400");
    EXPECT_EQ(kDataBitsNames[model.dataBitsIndex], "8");
    EXPECT_EQ(kParityNames[model.parityIndex], "Odd");
    EXPECT_EQ(kStopBitsNames[model.stopBitsIndex], "1");
    EXPECT_EQ(kFlowNames[model.flowIndex], "No handshake");
}

TEST(PortConfLoad, FallsBackToTheFirstPortAndLeavesUnknownValuesUnselected) {
    CommSettings settings;
    settings.CommBaudrate = "250000";
    settings.StopBits = "1.5";
    settings.Parity = "e";
    const auto model = loadPortConf({{{2, "a"}, {3, "b"}}, {}}, 1, settings);
    EXPECT_EQ(model.portIndex, 0);
    EXPECT_EQ(model.baudIndex, -1);
    EXPECT_EQ(model.parityIndex, 0);  // lower case letters select too
    EXPECT_EQ(model.stopBitsIndex, 1);
}

TEST(PortConfSet, StoresEveryChoice) {
    struct Case {
        PortConfSelection selection;
        int port;
        const char* lineSettings;
        int upBaud;
        int flow;
    };
    const Case cases[] = {
        {{12, 5, 0, 0, 3, 2, 3}, 12, "9600,E,7,2", 0, 3},
        {{3, 10, 5, 1, 0, 1, 1}, 3, "307200,N,4,1.5", 5, 1},
        {{16, 0, 3, 4, 4, 0, 0}, 16, "110,M,8,1", 3, 0},
    };
    for (const Case& c : cases) {
        CommSettings settings;
        applyPortConf(c.selection, settings);
        EXPECT_EQ(settings.ComPort, c.port);
        EXPECT_EQ(settings.lineSettingsText(), c.lineSettings);
        EXPECT_EQ(settings.UpBaudrateIndex, c.upBaud);
        EXPECT_EQ(settings.FlowCtl, c.flow);
    }
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    test::FakePort port;
    sim::VirtualClock clock;
    test::RecordingView view;
    Wizard wizard{port, clock, view};
    void SetUp() override {
        port.openable = {1, 3};
        wizard.start();
    }
};

TEST_F(SettingsDialogTest, SecondPressOnlyBringsTheOpenDialogToTheFront) {
    wizard.cmdCommSetting();
    wizard.cmdCommSetting();
    ASSERT_EQ(view.settingsDialogs.size(), 2u);
    ASSERT_TRUE(view.settingsDialogs[0].has_value());
    EXPECT_EQ(view.settingsDialogs[0]->ports.size(), 2u);
    EXPECT_FALSE(view.settingsDialogs[1].has_value());
}

TEST_F(SettingsDialogTest, PortEntryComesFromThePortOtherEntriesFromTheSettings) {
    wizard.cmdCommSetting();
    wizard.portConfSet({3, 9, 1, 1, 3, 0, 0});
    wizard.cmdCommSetting();
    const auto& model = *view.settingsDialogs.back();
    EXPECT_EQ(model.ports[model.portIndex].number, 1);  // no step has opened COM3 yet
    EXPECT_EQ(kCommBaudrates[model.baudIndex], "115200");
    EXPECT_EQ(kParityNames[model.parityIndex], "None");
    EXPECT_EQ(wizard.state().commSettings.ComPort, 3);
}

TEST_F(SettingsDialogTest, TheViewIsToldTheSettingsAtStartAndAtEverySet) {
    wizard.cmdCommSetting();
    wizard.portConfCancel();
    wizard.cmdCommSetting();
    wizard.portConfSet({3, 9, 1, 1, 3, 0, 0});
    using Told = std::pair<std::string, std::string>;
    EXPECT_EQ(view.settingsTold, (std::vector<Told>{{"COM1 307200,O,8,1", "/dev/ttyFAKE1"},
                                                    {"COM3 115200,N,7,1", "/dev/ttyFAKE3"}}));
}

TEST_F(SettingsDialogTest, CancelLeavesTheSettingsAsTheyWere) {
    wizard.cmdCommSetting();
    wizard.portConfCancel();
    const CommSettings start;
    const CommSettings& now = wizard.state().commSettings;
    EXPECT_EQ(now.ComPort, start.ComPort);
    EXPECT_EQ(now.lineSettingsText(), start.lineSettingsText());
    EXPECT_EQ(now.UpBaudrateIndex, start.UpBaudrateIndex);
    EXPECT_EQ(now.FlowCtl, start.FlowCtl);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(SettingsDialogTest, SetClosesAnOpenPortFirst) {
    wizard.cmdCommSetting();
    port.setPortNumber(1);
    ASSERT_EQ(port.open(), PortError::None);
    wizard.portConfSet({3, 9, 1, 1, 3, 0, 0});
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
}  // namespace rq
