#include <QSysInfo>
#include <fstream>

#include "GuiFixture.h"
#include "cli/CliProcess.h"
#include "core/wizard/ErrorMessages.h"
#include "gui/frmDebug.h"
#include "sim/FirmwareGenerator.h"
#include "support/InstantSystem.h"

namespace rq::test {
namespace {

using GuiLogTest = GuiFixture;

// Started with a firmware file, and with the trace window or without. A failed step 2 shows its message
// with what to check under it. The log gets every trace line; the trace window only while it is shown.
TEST_F(GuiLogTest, AFailedStep2IsShownAndTheMenuSavesTheRunSoFar) {
    const std::string firmware = dir.path("start.bin");
    ASSERT_TRUE(sim::writeFirmwareFile(firmware, {}));
    for (const bool traceShown : {false, true}) {
        SCOPED_TRACE(traceShown);
        auto options = simulatedOptions(backupFolder, firmware);
        options.simulation = instantSystem({"silent-after=1"});  // step 2 fails after one exchange
        options.trace = traceShown;
        start(options);
        EXPECT_EQ(text("lblFWFile"), "start.bin");
        EXPECT_EQ(text("lblFWNew"), "Ver 1.3.0");
        click("cmdNext");
        const auto code = fromWizard([](Wizard& wizard) { return wizard.lastShownError(); });
        ASSERT_EQ(answerer.messages.size(), traceShown ? 2u : 1u);
        const auto& shown = answerer.messages.back();
        EXPECT_EQ(shown.text, QString::fromStdString(errorMessage(code).value().text)
                                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                  .toStdString());
        EXPECT_EQ(shown.hint.rfind("error " + std::to_string(int(code)) + " in step 2: ", 0), 0u)
            << shown.hint;
        const std::string path = dir.path("saved.jsonl");
        ASSERT_TRUE(window().saveLog(QString::fromStdString(path)));
        const auto log = linesOf(std::ifstream(path));
        EXPECT_GT(linesWith(log, "Retry PC->RQX::CMD[001]:"), 0);
        EXPECT_EQ(find<gui::frmDebug>("frmDebug")->lineCount(),
                  traceShown ? linesWith(log, R"("trace":)") : 0);
    }
}

// The run on a port that is not there: the log is written as the run goes.
TEST_F(GuiLogTest, TheLogAndPortOptionsTakeEffectAtStart) {
    gui::GuiOptions options;
    options.backupFolder = backupFolder;  // a backup another test left would be offered at start
    // A port that no machine has, named as its system names ports.
    options.port =
        QSysInfo::productType() == QStringLiteral("windows") ? "COM199" : "/dev/rqfwup-no-such-port";
    options.logPath = dir.path("run.jsonl");
    start(options);
    EXPECT_FALSE(application->logFailed());
    EXPECT_GE(fromWizard([](Wizard& wizard) { return int(wizard.state().commSettings.ComPort); }), 1);
    click("cmdNext");
    ASSERT_EQ(answerer.messages.size(), 1u);
    const auto log = linesOf(std::ifstream(options.logPath));
    EXPECT_EQ(linesWith(log, R"("program":"rqfwup")"), 1);
    EXPECT_EQ(linesWith(log, ",\"device\":\"" + options.port + "\","), 1);
    EXPECT_EQ(linesWith(log, R"("messageBox":{"title":")" + answerer.messages[0].title), 1);

    options.logPath = dir.path("no-such-folder/run.jsonl");
    start(options);
    EXPECT_TRUE(application->logFailed());
}

}  // namespace
}  // namespace rq::test
