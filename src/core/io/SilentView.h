#pragma once

#include "core/io/WizardView.h"

namespace rq {

// A window nobody looks at: device work without a screen. Dialogs are cancelled. A view that shows
// or records only part of what the wizard does overrides that part.
class SilentView : public WizardView {
  public:
    void setText(Control, const std::string&) override {}
    void setBold(Control, bool) override {}
    void setEnabled(Control, bool) override {}
    void setProgress(const Progress&) override {}
    void setStatus(int, const std::string&) override {}
    void setBusyPointer(bool) override {}
    void stepIndexChanged(int) override {}
    void traceLine(const std::string&) override {}
    void showMessage(const std::string&, const std::string&, const std::string&) override {}
    std::optional<FileChoice> chooseFirmwareFile() override { return std::nullopt; }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return std::nullopt; }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    void showSettingsDialog(const std::optional<PortConfModel>&) override {}
    void endProgram() override {}
};

}  // namespace rq
