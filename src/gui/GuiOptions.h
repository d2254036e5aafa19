#pragma once

#include <string>
#include <variant>
#include <vector>

#include "sim/RqSystem.h"

namespace rq::gui {

struct GuiOptions {
    bool simulate = false;
    sim::RqSystemOptions simulation;
    bool trace = false;
    bool verifyIdentity = true;
    std::string port;            // COMn or a device path the wizard starts with; empty: COM1
    std::string logPath;         // the support log also goes to this file; empty: only kept for saving
    std::string firmwarePath;    // chosen at start as if through cmdFWFileSel; empty: none
    std::string backupFolder;    // where the identity backups are kept; empty: backupDirectory()
    std::string screenshotPath;  // saves a picture of the scene and ends; empty: runs normally
    std::string scene = "step1";
};
struct ShowUsage {};
struct ShowVersion {};
struct ShowFaultHelp {};
struct ShowSceneHelp {};
struct UsageError {
    std::string reason;
};
using GuiCommand = std::variant<GuiOptions, ShowUsage, ShowVersion, ShowFaultHelp, ShowSceneHelp, UsageError>;

// The arguments after the program's name. Needs no application object, so that --help works
// without a display.
GuiCommand parseGuiCommandLine(const std::vector<std::string>& args);
std::string guiUsageText();

}  // namespace rq::gui
