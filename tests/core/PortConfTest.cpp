#include <gtest/gtest.h>

#include <span>

#include "StartedWizard.h"
#include "core/settings/PortConf.h"

namespace rq {
namespace {

TEST(PortProbe, ListsThePortsThatOpenExplainsTheOthersAndGivesThePortBack) {
    test::FakePort port;
    port.openable = {3, 12};
    port.refusals = {{1, "/dev/ttyUSB0: Permission denied"}, {4, "/dev/ttyS1: busy"}};
    port.setPortNumber(5);
    port.setSettings("307200,o,8,1");
    const PortProbe probe = probePorts(port);
    ASSERT_EQ(probe.found.size(), 2u);
    EXPECT_EQ(probe.found[0].number, 3);
    EXPECT_EQ(probe.found[0].device, "/dev/ttyFAKE3");
    EXPECT_EQ(probe.found[1].number, 12);
    EXPECT_EQ(probe.unopened,
              (std::vector<std::string>{"/dev/ttyUSB0: Permission denied", "/dev/ttyS1: busy"}));
    EXPECT_EQ(loadPortConf(probe, 1, CommSettings()).unopened, probe.unopened);
    EXPECT_EQ(port.portNumber(), 5);
    EXPECT_EQ(port.settings(), "307200,o,8,1");
    EXPECT_EQ(port.log[1], "settings 9600,o,8,1");
    EXPECT_EQ(port.log[2], "open 1");
    EXPECT_EQ(port.log[17], "open 16");
    EXPECT_FALSE(port.isOpen());

    test::FakePort none;
    const auto onlyCom0 = probePorts(none).found;
    ASSERT_EQ(onlyCom0.size(), 1u);
    EXPECT_EQ(onlyCom0[0].number, 0) << "with no port, the list holds COM0";
}

TEST(PortConfLoad, PortItemsNameTheDeviceWhereItIsNotCOMnItself) {
    const std::pair<FoundPort, const char*> cases[] = {
        {{1, "/dev/ttyUSB0"}, "COM1  (/dev/ttyUSB0)"},
        {{12, "/dev/cu.usbserial-A1"}, "COM12  (/dev/cu.usbserial-A1)"},
        {{3, "COM3"}, "COM3"},
        {{0, ""}, "COM0"},
    };
    for (const auto& [port, item] : cases) EXPECT_EQ(portItemText(port), item);
}

std::string nameAt(std::span<const std::string_view> names, int index) {
    return index < 0 ? std::string("-") : std::string(names[static_cast<std::size_t>(index)]);
}

// The names each list preselects, "-" for none.
std::string preselected(const PortConfModel& model) {
    return std::to_string(model.portIndex) + " " + nameAt(kCommBaudrates, model.baudIndex) + " " +
           nameAt(kUpBaudrates, model.upBaudIndex) + " " + nameAt(kDataBitsNames, model.dataBitsIndex) + " " +
           nameAt(kParityNames, model.parityIndex) + " " + nameAt(kStopBitsNames, model.stopBitsIndex) + " " +
           nameAt(kFlowNames, model.flowIndex);
}

TEST(PortConfLoad, PreselectsThePortFromThePortAndTheRestFromTheSettings) {
    CommSettings unknown;
    unknown.CommBaudrate = "250000";
    unknown.StopBits = "1.5";
    unknown.Parity = "e";  // lower case letters select too
    EXPECT_EQ(preselected(loadPortConf({{{1, "a"}, {3, "b"}}, {}}, 1, CommSettings())),
              "0 307200 38400 8 Odd 1 No handshake");
    EXPECT_EQ(preselected(loadPortConf({{{2, "a"}, {3, "b"}}, {}}, 1, unknown)),
              "0 - 38400 8 Even 1.5 No handshake")
        << "a port not in the list falls back to the first";
}

// The stored port, line settings, programming speed index and handshake.
std::string stored(const CommSettings& settings) {
    return std::to_string(settings.ComPort) + " " + settings.lineSettingsText() + " " +
           std::to_string(settings.UpBaudrateIndex) + " " + std::to_string(settings.FlowCtl);
}

TEST(PortConfSet, StoresEveryChoice) {
    const std::pair<PortConfSelection, const char*> cases[] = {
        {{12, 5, 0, 0, 3, 2, 3}, "12 9600,E,7,2 0 3"},
        {{3, 10, 5, 1, 0, 1, 1}, "3 307200,N,4,1.5 5 1"},
        {{16, 0, 3, 4, 4, 0, 0}, "16 110,M,8,1 3 0"},
        {{-1, -1, -1, -1, -1, -1, -1}, "1 307200,O,8,1 3 0"},  // a list without a choice keeps its value
    };
    for (const auto& [selection, expected] : cases) {
        CommSettings settings;
        applyPortConf(selection, settings);
        EXPECT_EQ(stored(settings), expected);
    }
}

class SettingsDialogTest : public test::StartedWizard {
  protected:
    void SetUp() override {
        port.openable = {1, 3};
        StartedWizard::SetUp();
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

// The view is told the settings at start and at every Set; Cancel changes nothing.
TEST_F(SettingsDialogTest, CancelKeepsTheSettingsSetStoresThemAndTheViewIsTold) {
    wizard.cmdCommSetting();
    wizard.portConfCancel();
    EXPECT_EQ(stored(wizard.state().commSettings), stored(CommSettings()));
    EXPECT_TRUE(view.messages.empty());
    wizard.cmdCommSetting();
    port.setPortNumber(1);
    ASSERT_EQ(port.open(), PortError::None);
    wizard.portConfSet({3, 9, 1, 1, 3, 0, 0});
    EXPECT_FALSE(port.isOpen()) << "Set closes an open port first";
    using Told = std::pair<std::string, std::string>;
    EXPECT_EQ(view.settingsTold, (std::vector<Told>{{"COM1 307200,O,8,1", "/dev/ttyFAKE1"},
                                                    {"COM3 115200,N,7,1", "/dev/ttyFAKE3"}}));
    // The port entry comes from the port, which no step has opened at COM3 yet.
    wizard.cmdCommSetting();
    EXPECT_EQ(preselected(*view.settingsDialogs.back()), "0 115200 19200 7 None 1 No handshake");
    EXPECT_EQ(wizard.state().commSettings.ComPort, 3);
}

}  // namespace
}  // namespace rq
