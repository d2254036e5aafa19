#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <string>

#include "core/io/Clock.h"
#include "core/io/WizardView.h"

namespace rq::cli {

// The window without a window: every change it would show goes to standard output, as text for a
// person or as one JSON object per line. The dialogs are answered from the command line.
class CliView final : public WizardView {
  public:
    CliView(std::ostream& out, const Clock& clock, bool json);

    void setFirmwareChoice(const std::string& path);
    void setModelSerial(const std::string& model, const std::string& serial);
    // A line of the runner's own, such as what it does on the simulated front panel.
    void note(const std::string& what);
    // Advice for a script, such as why the port did not open; JSON only.
    void hint(const std::string& advice);

    void setText(Control control, const std::string& text) override;
    void setBold(Control control, bool bold) override;
    void setEnabled(Control control, bool enabled) override;
    void setProgress(const Progress& progress) override;
    void setStatus(int panel, const std::string& text) override;
    void setBusyPointer(bool) override {}
    void stepIndexChanged(int stepIndex) override;
    void traceLine(const std::string& line) override;
    void showMessage(const std::string& title, const std::string& text) override;
    std::optional<FileChoice> chooseFirmwareFile() override;
    std::optional<ModelSerialEntry> askModelAndSerial() override;
    void showSettingsDialog(const std::optional<PortConfModel>&) override {}
    void endProgram() override {}

  private:
    void writeEvent(const std::string& fields);  // one JSON object with the time first
    std::string stamp() const;
    void printBlock(const std::string& heading, const std::string& text);

    std::ostream& out_;
    const Clock& clock_;
    bool json_;
    std::map<Control, std::string> texts_;
    std::map<Control, bool> bold_;
    std::map<Control, bool> enabled_;
    std::optional<Progress> progress_;
    std::map<int, std::string> status_;
    std::optional<FileChoice> fileChoice_;
    std::optional<ModelSerialEntry> modelSerial_;
};

}  // namespace rq::cli
