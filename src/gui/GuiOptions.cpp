#include "gui/GuiOptions.h"

#include <QCommandLineParser>

#include "gui/ScenePlayer.h"

namespace rq::gui {
namespace {

const QString kSimulate = QStringLiteral("simulate");
const QString kSimFault = QStringLiteral("sim-fault");
const QString kSimLine = QStringLiteral("sim-line");
const QString kTrace = QStringLiteral("trace");
const QString kVerifyIdentity = QStringLiteral("verify-identity");
const QString kNoVerifyIdentity = QStringLiteral("no-verify-identity");
const QString kFirmware = QStringLiteral("firmware");
const QString kPort = QStringLiteral("port");
const QString kLog = QStringLiteral("log");
const QString kScreenshot = QStringLiteral("screenshot");
const QString kScene = QStringLiteral("scene");
const QString kVersion = QStringLiteral("version");
const QString kHelp = QStringLiteral("help");

void describe(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({kSimulate, {}});
    parser.addOption({kSimFault, {}, QStringLiteral("NAME[=VALUE]")});
    parser.addOption({kSimLine, {}, QStringLiteral("instant|real")});
    parser.addOption({kTrace, {}});
    parser.addOption({kVerifyIdentity, {}});
    parser.addOption({kNoVerifyIdentity, {}});
    parser.addOption({kFirmware, {}, QStringLiteral("FILE")});
    parser.addOption({kPort, {}, QStringLiteral("COMn|PATH")});
    parser.addOption({kLog, {}, QStringLiteral("FILE")});
    parser.addOption({kScreenshot, {}, QStringLiteral("FILE")});
    parser.addOption({kScene, {}, QStringLiteral("NAME")});
    parser.addOption({kVersion, {}});
    parser.addOption({{kHelp, QStringLiteral("h")}, {}});
}

}  // namespace

std::string guiUsageText() {
    return "Usage: rqfwup [options]\n"
           "The RQ system firmware update wizard.\n"
           "\n"
           "  --simulate               attach the simulated RQ system at COM1 and show its front panel\n"
           "  --sim-fault NAME[=VALUE] a fault of the simulated device (repeatable; 'help' lists them)\n"
           "  --sim-line instant|real  whether bytes take their time on the simulated line (real)\n"
           "  --trace                  switch the traffic trace on and show its window\n"
           "  --no-verify-identity     do not read the identity back after step 7 has written it\n"
           "                           (read back by default; --verify-identity)\n"
           "  --firmware FILE          select this firmware file at start\n"
           "  --port COMn|PATH         start with this port, such as the path rqfwup-cli simulate prints\n"
           "  --log FILE               write the support log of the run to FILE as it goes\n"
           "  --screenshot FILE        save a picture of the window to FILE, then end\n"
           "  --scene NAME             walk to this scene before the picture (step1; 'help' lists them)\n"
           "  --version                show the program's version\n"
           "  --help                   show this text\n"
           "\n"
           "The trace can also be switched on with 表示(V) > Communication monitoring window (Ctrl+D);\n"
           "ファイル(F) > Save the support log (Ctrl+S) saves the log of the run so far.\n"
           "Step 2 saves the identity it read in the user's data folder, or in RQFWUP_BACKUP_DIR, until\n"
           "step 7 has written it back; at start the window offers one that was not written back.\n";
}

GuiCommand parseGuiCommandLine(const std::vector<std::string>& args) {
    QStringList arguments{QStringLiteral("rqfwup")};
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) return UsageError{parser.errorText().toStdString()};
    if (parser.isSet(kHelp)) return ShowUsage{};
    if (parser.isSet(kVersion)) return ShowVersion{};
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError{"unexpected argument '" + parser.positionalArguments().constFirst().toStdString() +
                          "'"};
    }

    GuiOptions options;
    options.simulate = parser.isSet(kSimulate);
    options.trace = parser.isSet(kTrace);
    options.verifyIdentity = !parser.isSet(kNoVerifyIdentity);
    options.firmwarePath = parser.value(kFirmware).toStdString();
    options.port = parser.value(kPort).toStdString();
    options.logPath = parser.value(kLog).toStdString();
    if (options.simulate && !options.port.empty())
        return UsageError{"--port and --simulate exclude each other"};
    options.screenshotPath = parser.value(kScreenshot).toStdString();
    if (parser.isSet(kScene)) {
        options.scene = parser.value(kScene).toStdString();
        if (options.scene == "help") return ShowSceneHelp{};
        if (!isScene(options.scene))
            return UsageError{"unknown scene '" + options.scene + "' (--scene help lists them)"};
        if (options.screenshotPath.empty()) return UsageError{"--scene needs --screenshot"};
    }
    const QStringList faults = parser.values(kSimFault);
    if (faults.contains(QStringLiteral("help"))) return ShowFaultHelp{};
    if (!options.simulate && (!faults.isEmpty() || parser.isSet(kSimLine))) {
        return UsageError{"--sim-fault and --sim-line need --simulate"};
    }
    for (const QString& fault : faults) {
        if (const auto reason = options.simulation.faults.add(fault.toStdString()))
            return UsageError{*reason};
    }
    if (parser.isSet(kSimLine)) {
        const QString line = parser.value(kSimLine);
        if (line != QStringLiteral("instant") && line != QStringLiteral("real")) {
            return UsageError{"--sim-line takes instant or real, not '" + line.toStdString() + "'"};
        }
        options.simulation.instantLine = line == QStringLiteral("instant");
    }
    return options;
}

}  // namespace rq::gui
