#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FakePort.h"
#include "TempDir.h"
#include "core/wizard/Wizard.h"
#include "sim/FirmwareGenerator.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq::test {

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
