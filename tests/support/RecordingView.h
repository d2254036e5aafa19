#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/io/WizardView.h"

namespace rq::test {

// A WizardView that keeps what the window would show, and answers dialogs from scripted replies.
class RecordingView : public WizardView {
  public:
    struct Message {
        std::string title;
        std::string text;
        std::string hint;
    };

    std::map<Control, std::string> texts;
    std::vector<std::string> processTexts;  // every txtProcess text, which the last one would hide
    std::map<Control, bool> bold;
    std::map<Control, bool> enabled;
    std::vector<Progress> progressHistory;
    std::string status1;
    std::string status2;
    std::vector<std::string> statusHistory2;  // every word panel 2 has shown
    std::vector<Message> messages;
    std::vector<Message> questions;
    std::vector<BackupNote> backupNotes;
    std::vector<int> stepIndexes;
    std::vector<std::string> traceLines;
    std::vector<std::optional<PortConfModel>> settingsDialogs;
    std::vector<std::pair<std::string, std::string>> settingsTold;  // line settings and device
    bool busy = false;
    bool ended = false;

    std::deque<std::optional<FileChoice>> fileChoices;         // nullopt: the dialog is cancelled
    std::deque<std::optional<ModelSerialEntry>> modelSerials;  // nullopt: Cancel
    std::deque<bool> answers;                                  // to the questions; No when none is left

    std::string text(Control control) const {
        const auto it = texts.find(control);
        return it == texts.end() ? std::string() : it->second;
    }
    bool isBold(Control control) const { return bold.count(control) != 0 && bold.at(control); }
    bool isEnabled(Control control) const { return enabled.count(control) != 0 && enabled.at(control); }
    Progress progress() const { return progressHistory.empty() ? Progress{} : progressHistory.back(); }

    void setText(Control control, const std::string& value) override {
        if (control == Control::txtProcess) processTexts.push_back(value);
        texts[control] = value;
    }
    void setBold(Control control, bool value) override { bold[control] = value; }
    void setEnabled(Control control, bool value) override { enabled[control] = value; }
    void setProgress(const Progress& value) override { progressHistory.push_back(value); }
    void setStatus(int panel, const std::string& value) override {
        if (panel == 1) {
            status1 = value;
        } else {
            status2 = value;
            statusHistory2.push_back(value);
        }
    }
    void setBusyPointer(bool value) override { busy = value; }
    void stepIndexChanged(int stepIndex) override { stepIndexes.push_back(stepIndex); }
    void traceLine(const std::string& line) override { traceLines.push_back(line); }
    void showMessage(const std::string& title, const std::string& value, const std::string& hint) override {
        messages.push_back({title, value, hint});
    }
    std::optional<FileChoice> chooseFirmwareFile() override { return take(fileChoices); }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return take(modelSerials); }
    bool askYesNo(const std::string& title, const std::string& value) override {
        questions.push_back({title, value, {}});
        return take(answers);
    }
    void backupNoted(const BackupNote& note) override { backupNotes.push_back(note); }
    void showSettingsDialog(const std::optional<PortConfModel>& model) override {
        settingsDialogs.push_back(model);
    }
    void endProgram() override { ended = true; }
    void settingsChanged(const CommSettings& settings, const std::string& device) override {
        settingsTold.emplace_back(
            "COM" + std::to_string(settings.ComPort) + " " + settings.lineSettingsText(), device);
    }

  private:
    // The next scripted reply; none left is a cancel or a No.
    template <typename T>
    static T take(std::deque<T>& replies) {
        if (replies.empty()) return T{};
        auto reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

}  // namespace rq::test
