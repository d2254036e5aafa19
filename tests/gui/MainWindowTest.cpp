#include <QComboBox>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <filesystem>

#include "GuiFixture.h"
#include "gui/Help.h"
#include "gui/frmDebug.h"
#include "platform/BackupPlace.h"
#include "sim/FirmwareGenerator.h"

namespace rq::test {
namespace {

using MainWindowTest = GuiFixture;

// Indentation with ideographic spaces lines up only when two half-width characters are as wide as one
// full-width character, whatever the characters.
TEST_F(MainWindowTest, TheTextBoxesUseAFixedPitchFont) {
    const QFontMetricsF metrics(find("txtInfo")->font());
    const qreal width = metrics.horizontalAdvance(QStringLiteral("0000000000"));
    EXPECT_NEAR(metrics.horizontalAdvance(QStringLiteral("iiiiiiiiii")), width, 0.5);
    EXPECT_NEAR(metrics.horizontalAdvance(QStringLiteral("\u3000\u3000\u3000\u3000\u3000")), width, 0.5);
}

TEST_F(MainWindowTest, ForcedUpdateSetStoresTheEntryAndShowsStep3) {
    answerer.then([](QWidget* dialog) {
        auto* serial = dialog->findChild<QLineEdit*>(QStringLiteral("txtSerial"));
        auto* set = dialog->findChild<QAbstractButton*>(QStringLiteral("cmdSet"));
        serial->setText(QStringLiteral("12a45"));
        set->click();  // refused: the dialog stays open
        EXPECT_TRUE(dialog->isVisible());
        serial->setText(QStringLiteral("12345"));
        set->click();
    });
    click("cmdForceUpdate");
    EXPECT_TRUE(answerer.allHandled());
    ASSERT_EQ(answerer.messages.size(), 1u);
    EXPECT_EQ(answerer.messages[0].title, "入力エラー");
    EXPECT_TRUE(bold("lblProcess03"));
    EXPECT_FALSE(bold("lblProcess01")) << "only the current step is bold";
    const ParameterStore params = fromWizard([](Wizard& wizard) { return wizard.state().params; });
    EXPECT_EQ(params.ModelName, "RQA-4021");
    EXPECT_EQ(params.SerialNumber, "12345 ");
}

TEST_F(MainWindowTest, ForcedUpdateCancelWithoutAnIdentityStoresNothingAndShowsStep1Again) {
    answerer.then([](QWidget* dialog) {
        auto* models = dialog->findChild<QComboBox*>(QStringLiteral("cboModel"));
        ASSERT_EQ(models->count(), 2);
        EXPECT_EQ(models->itemText(1).toStdString(), "RQA-4020");
        models->setCurrentIndex(1);
        dialog->findChild<QLineEdit*>(QStringLiteral("txtSerial"))->setText(QStringLiteral("12345"));
        dialog->findChild<QAbstractButton*>(QStringLiteral("cmdCancel"))->click();
    });
    click("cmdForceUpdate");
    EXPECT_TRUE(answerer.allHandled());
    EXPECT_TRUE(answerer.messages.empty());
    EXPECT_TRUE(bold("lblProcess01"));
    EXPECT_EQ(text("stsAppStatusPanel1"), "Update start");
    EXPECT_EQ(fromWizard([](Wizard& wizard) { return wizard.state().params.SerialNumber; }), "");
}

TEST_F(MainWindowTest, ChosenFirmwareFileIsShown) {
    answerer.then([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    click("cmdFWFileSel");
    EXPECT_EQ(text("lblFWNew"), "No select") << "a cancelled dialog changes nothing";

    const std::string path = dir.path("RQ-1.3.0.bin");
    ASSERT_TRUE(sim::writeFirmwareFile(path, {}));
    answerer.then([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Bin code (*.bin)")});
        // Typed as a user would: the dialog's own selection waits for its directory listing.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    });
    click("cmdFWFileSel");
    EXPECT_TRUE(answerer.allHandled());
    EXPECT_EQ(text("lblFWFile"), "RQ-1.3.0.bin");
    EXPECT_EQ(text("lblFWNew"), "Ver 1.3.0");
    EXPECT_TRUE(answerer.messages.empty());
}

TEST_F(MainWindowTest, AnUnrestoredBackupIsOfferedAtStartAndYesShowsStep6WithIt) {
    SaveFileWriter writer;
    SavedIdentity saved;
    saved.model = "RQA-4020";
    saved.serial = "54321 ";
    saved.time = "2026-12-07T02:15:58.123Z";
    saved.port = "COM1";
    std::string error;
    ASSERT_TRUE(BackupStore(backupFolder, writer).save(saved, error)) << error;
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        answerer.then([answer](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle().toStdString(), "パラメーターの復元");
            EXPECT_NE(box->text().toStdString().find("　シリアルナンバー：54321 "), std::string::npos);
            box->button(answer)->click();
        });
        start(simulatedOptions(backupFolder));
        EXPECT_TRUE(answerer.allHandled());
        const bool yes = answer == QMessageBox::Yes;
        EXPECT_TRUE(bold(yes ? "lblProcess06" : "lblProcess01"));
        EXPECT_EQ(fromWizard([](Wizard& wizard) { return wizard.state().params.ModelName; }),
                  yes ? "RQA-4020" : "");
    }
}

TEST_F(MainWindowTest, TheFrontPanelsCableSwitchPullsAndPlugsThePortsCable) {
    EXPECT_EQ(text("stsAppStatusPort"), "COM1  (simulated RQ system)");
    EXPECT_EQ(text("simCable"), "USB CABLE  IN");
    click("simCable");
    EXPECT_EQ(text("simCable"), "USB CABLE  OUT");
    EXPECT_FALSE(application->simulatedPort()->plugged());
    click("simCable");
    EXPECT_EQ(text("simCable"), "USB CABLE  IN");
    EXPECT_TRUE(application->simulatedPort()->plugged());
}

TEST_F(MainWindowTest, CancelEndsTheProgram) {
    click("cmdCancel");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window().isVisible(); }, kWaitMillis));
    EXPECT_TRUE(fromWizard([](Wizard& wizard) { return wizard.ended(); }));
}

// While a wizard call runs, a click is dropped and the close box refused.
TEST_F(MainWindowTest, TheCloseBoxIsRefusedWhileAWizardCallRuns) {
    std::atomic<bool> release = false;
    window().wizard().post([&](Wizard&) {
        while (!release) QThread::msleep(1);
    });
    find<QAbstractButton>("cmdNext")->click();
    EXPECT_FALSE(window().close());
    EXPECT_TRUE(window().isVisible());
    release = true;
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(bold("lblProcess01"));
    EXPECT_EQ(text("stsAppStatusPanel1"), "Update start");
    for (const char* button : {"cmdFWFileSel", "cmdCommSetting", "cmdForceUpdate", "cmdCancel", "cmdNext"})
        EXPECT_TRUE(enabled(button)) << button;
    EXPECT_TRUE(answerer.messages.empty());
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(window().isVisible());
}

// The order and the bound of the lines are the trace box's own, tested with it.
TEST_F(MainWindowTest, TraceLinesGoIntoTheLogWhetherItIsShownOrNot) {
    auto* log = find<gui::frmDebug>("frmDebug");
    auto* box = find<QPlainTextEdit>("txtDebugText", log);
    window().showTraceWindow();
    window().traceLine("one\r\n");
    window().traceLine("two\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return log->lineCount() == 2; }, kWaitMillis));
    EXPECT_EQ(box->toPlainText().toStdString(), "two\none\n");
    click("cmdClear", log);
    EXPECT_EQ(box->toPlainText().toStdString(), "");

    click("cmdClose", log);
    EXPECT_FALSE(log->isVisible());
    window().traceLine("three\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return log->lineCount() == 1; }, kWaitMillis));
    window().showTraceWindow();
    EXPECT_EQ(box->toPlainText().toStdString(), "three\n");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(log->isVisible()) << "closing the window closes the log";
}

// A test program may lie beside a guide (Windows builds put the programs and the guide in one folder), so
// the Help menu's entry is not triggered here: it would start a browser.
TEST(UserGuide, IsFoundInstalledOrInTheBuildTreeAndOpened) {
    const struct {
        const char* name;
        const char* programFolder;
        const char* guide;  // empty: none is there
        bool browserStarts;
        const char* message;  // the first line of the box shown; empty: none
    } cases[] = {
        {"installed", "usr/bin", "usr/share/rqfwup/guide/guide.html", true, ""},
        {"build tree", "build/src/gui", "build/dist/guide/guide.html", true, ""},
        {"missing", "usr/bin", "", true, "ユーザーガイドが見つかりません。"},
        {"no browser", "usr/bin", "usr/share/rqfwup/guide/guide.html", false, "ユーザーガイドを開けません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        const QString folder = QString::fromStdString(root.path(c.programFolder));
        std::filesystem::create_directories(folder.toStdString());
        QString guide;
        if (*c.guide) {
            std::filesystem::create_directories(std::filesystem::path(root.path(c.guide)).parent_path());
            guide = QString::fromStdString(root.file(c.guide, {'<', 'p', '>'}));
        }
        std::vector<QUrl> opened;
        ModalAnswerer answerer;
        gui::openUserGuide(nullptr, folder, [&](const QUrl& url) {
            opened.push_back(url);
            return c.browserStarts;
        });
        EXPECT_EQ(opened, guide.isEmpty() ? std::vector<QUrl>{} : std::vector{QUrl::fromLocalFile(guide)});
        ASSERT_EQ(answerer.messages.size(), *c.message ? 1u : 0u);
        if (*c.message) {
            EXPECT_EQ(answerer.messages[0].text.substr(0, answerer.messages[0].text.find('\n')), c.message);
        }
    }
}

}  // namespace
}  // namespace rq::test
