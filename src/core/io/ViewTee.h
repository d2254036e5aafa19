#pragma once

#include <atomic>

#include "core/io/WizardView.h"

namespace rq {

// Hands what the wizard shows to the view a person sees and to a record of the run, either of which
// may be absent. The person's view answers the dialogs. The record gets every trace line; the person's
// view only while its trace is on.
class ViewTee : public WizardView {
  public:
    ViewTee(WizardView* shown, WizardView* record) : shown_(shown), record_(record) {}

    // May be called from any thread.
    void showTrace(bool shown) { traceShown_ = shown; }

    void setText(Control control, const std::string& text) override;
    void setBold(Control control, bool bold) override;
    void setEnabled(Control control, bool enabled) override;
    void setProgress(const Progress& progress) override;
    void setStatus(int panel, const std::string& text) override;
    void setBusyPointer(bool busy) override;
    void stepIndexChanged(int stepIndex) override;
    void traceLine(const std::string& line) override;
    void showMessage(const std::string& title, const std::string& text, const std::string& hint) override;
    std::optional<FileChoice> chooseFirmwareFile() override;
    std::optional<ModelSerialEntry> askModelAndSerial() override;
    bool askYesNo(const std::string& title, const std::string& text) override;
    void showSettingsDialog(const std::optional<PortConfModel>& model) override;
    void endProgram() override;
    void settingsChanged(const CommSettings& settings, const std::string& device) override;
    void readBackChanged(bool on) override;
    void backupNoted(const BackupNote& note) override;

  private:
    // Calls the same member on both views, the record first: a message box holds the shown view.
    template <typename... Params, typename... Args>
    void both(void (WizardView::*member)(Params...), Args&&... args) {
        if (record_ != nullptr) (record_->*member)(args...);
        if (shown_ != nullptr) (shown_->*member)(args...);
    }

    WizardView* shown_;
    WizardView* record_;
    std::atomic<bool> traceShown_ = false;
};

}  // namespace rq
