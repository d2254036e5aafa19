#include <gtest/gtest.h>

#include <sstream>

#include "gui/GuiOptions.h"

namespace rq::test {
namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> all;
    for (std::string word; in >> word;) all.push_back(word);
    return all;
}

TEST(GuiOptions, WhatEachCommandLineAsksFor) {
    constexpr std::size_t kRun = 0, kUsage = 1, kVersion = 2, kSceneHelp = 4, kError = 5;
    const struct {
        const char* args;
        std::size_t kind;  // index into GuiCommand
        const char* sceneOrReason;
    } cases[] = {
        {"", kRun, "step1"},
        {"--simulate --screenshot a.png --scene step5", kRun, "step5"},
        {"--scene help", kSceneHelp, ""},
        {"--version", kVersion, ""},
        {"--help", kUsage, ""},
        {"--screenshot a.png --scene step9", kError, "unknown scene 'step9' (--scene help lists them)"},
        {"--scene step2", kError, "--scene needs --screenshot"},
        {"--sim-line instant", kError, "--sim-fault and --sim-line need --simulate"},
        {"extra", kError, "unexpected argument 'extra'"},
        {"--port COM2 --simulate", kError, "--port and --simulate exclude each other"},
        {"--log", kError, "Missing value after '--log'."},
    };
    for (const auto& test : cases) {
        const gui::GuiCommand command = gui::parseGuiCommandLine(words(test.args));
        ASSERT_EQ(command.index(), test.kind) << test.args;
        const auto* options = std::get_if<gui::GuiOptions>(&command);
        const auto* error = std::get_if<gui::UsageError>(&command);
        EXPECT_EQ(options ? options->scene : error ? error->reason : "", test.sceneOrReason) << test.args;
    }
    const auto options =
        std::get<gui::GuiOptions>(gui::parseGuiCommandLine(words("--port COM2 --log a.jsonl")));
    EXPECT_EQ(options.port, "COM2");
    EXPECT_EQ(options.logPath, "a.jsonl");
}

}  // namespace
}  // namespace rq::test
