#pragma once

#include <QAction>
#include <QMainWindow>
#include <map>
#include <memory>

#include "core/io/ViewTee.h"
#include "core/io/WizardView.h"
#include "core/wizard/JsonEventView.h"
#include "core/log/RunLog.h"
#include "platform/WizardThread.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;

namespace rq::gui {

class frmDebug;
class frmPortConf;

// The main window. Its buttons post their clicks to the wizard thread; the wizard's WizardView calls
// arrive from that thread and are carried out here, on the window's thread, in the order made. The
// modal ones (message boxes, the file dialog, the model and serial dialog) hold the wizard until the
// user has answered. Everything the wizard shows, and every trace line, also goes into the support log
// of the run.
class frmMain final : public QMainWindow, public WizardView {
    Q_OBJECT

  public:
    frmMain(WizardThread::PortFactory makePort, Clock& clock, QWidget* parent = nullptr);
    ~frmMain() override;

    WizardThread& wizard() { return *wizard_; }
    // As if cmdFWFileSel had been clicked and this file chosen.
    void selectFirmwareFile(const QString& path);
    // Switches the traffic trace on and shows the log.
    void showTraceWindow();
    // Whether step 7 reads the identity back after writing it.
    void setVerifyIdentity(bool verify);
    // The support log: from now on also written to the file, after what it holds so far.
    bool logRunTo(const QString& path);
    // Writes the support log of the run so far.
    bool saveLog(const QString& path);

    void setText(Control control, const std::string& text) override;
    void setBold(Control control, bool bold) override;
    void setEnabled(Control control, bool enabled) override;
    void setProgress(const Progress& progress) override;
    void setStatus(int panel, const std::string& text) override;
    void setBusyPointer(bool busy) override;
    void stepIndexChanged(int) override {}
    void traceLine(const std::string& line) override;
    void showMessage(const std::string& title, const std::string& text, const std::string& hint) override;
    std::optional<FileChoice> chooseFirmwareFile() override;
    std::optional<ModelSerialEntry> askModelAndSerial() override;
    bool askYesNo(const std::string& title, const std::string& text) override;
    void showSettingsDialog(const std::optional<PortConfModel>& model) override;
    void endProgram() override;
    void settingsChanged(const CommSettings& settings, const std::string& device) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildSteps();
    QWidget* buildFirmwareInfo();
    QLayout* buildButtons();
    void buildStatusBar();
    void buildMenu();
    void connectButtons();
    void collectControls();

    // Runs on the window's thread, after the calls made before it.
    template <typename Action>
    void later(Action action);
    // Runs on the window's thread and waits for its result.
    template <typename Question>
    auto answer(Question question);

    void click(void (Wizard::*handler)());
    void applyText(Control control, const QString& text);
    void openSettingsDialog(const std::optional<PortConfModel>& model);
    void saveLogAs();

    QPlainTextEdit* txtInfo_ = nullptr;
    QPlainTextEdit* txtProcess_ = nullptr;
    QProgressBar* prgProcess_ = nullptr;
    QLabel* statusPanels_[2] = {};
    QLabel* portPanel_ = nullptr;  // the port the device steps use
    frmDebug* debug_ = nullptr;
    QAction* verifyIdentity_ = nullptr;
    frmPortConf* portConf_ = nullptr;
    std::map<Control, QWidget*> controls_;
    bool ending_ = false;  // the wizard itself ends the program
    RunLog runLog_;
    JsonEventView record_;
    ViewTee shownAndRecorded_;  // what the wizard shows to
    // Last, so that it ends first: the wizard may call the view until its thread has stopped.
    std::unique_ptr<WizardThread> wizard_;
};

}  // namespace rq::gui
