#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/wizard/Wizard.h"
#include "sim/FirmwareGenerator.h"
#include "sim/VirtualClock.h"
#include "support/PortStub.h"
#include "support/RecordingView.h"

namespace rq::test {

// A port layer whose ports open or not as a test says; it records what it was asked to do.
class FakePort final : public PortStub {
  public:
    std::set<int> openable;
    std::map<int, std::string> refusals;  // ports that exist but do not open, and why
    std::vector<std::string> log;

    std::string deviceName(int number) const override { return "/dev/ttyFAKE" + std::to_string(number); }
    PortError setSettings(const std::string& text) override {
        log.push_back("settings " + text);
        return PortStub::setSettings(text);
    }
    PortError open() override {
        log.push_back("open " + std::to_string(portNumber()));
        open_ = openable.count(portNumber()) != 0;
        const auto refusal = refusals.find(portNumber());
        whyNotOpened_ = open_ || refusal == refusals.end() ? "" : refusal->second;
        return open_ ? PortError::None : PortError::InvalidPort;
    }
    std::string whyNotOpened() const override { return whyNotOpened_; }

  private:
    std::string whyNotOpened_;
};

// A wizard started on a fake port, in virtual time, showing what it does to a recording view; firmware
// files are chosen from a folder of the test's own.
class StartedWizard : public ::testing::Test {
  protected:
    FakePort port;
    sim::VirtualClock clock;
    RecordingView view;
    Wizard wizard{port, clock, view};
    StepContext context{wizard.state(), port, clock, view};
    TempDir dir;

    void SetUp() override { wizard.start(); }
    void select(const std::string& path) {
        view.fileChoices.push_back(FileChoice{path, std::filesystem::path(path).filename().string()});
        wizard.cmdFWFileSel();
    }
    // The path of a new firmware file of version 1.2.3.
    std::string valid(const std::string& name) {
        const std::string path = dir.path(name);
        sim::writeFirmwareFile(path, {{1, 2, 3}, 1000});
        return path;
    }
};

}  // namespace rq::test
