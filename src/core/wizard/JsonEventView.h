#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/Clock.h"
#include "core/io/LastShown.h"
#include "core/io/SilentView.h"
#include "core/wizard/RunSummary.h"

namespace rq {

// Every change the window would show as one JSON object, the time in milliseconds first: what
// `--json` prints and what a support log keeps. It answers no dialog.
class JsonEventView final : public SilentView {
  public:
    using Sink = std::function<void(const std::string& line)>;  // one object, no line break

    JsonEventView(const Clock& clock, Sink sink);

    // A line of the runner's own, such as what it does on the simulated front panel.
    void note(const std::string& what);
    // Advice for a person or a script, such as why the port did not open.
    void hint(const std::string& advice);
    // Something that goes on but deserves a look, such as a firmware file older than the device's.
    void warning(const std::string& what);
    // What the run did to the device, at its end.
    void summary(const RunSummary& summary);
    // What a run of several devices did to each, in the order given, and its exit status.
    void summaries(const std::vector<RunSummary>& devices, int status);
    // The device waits for its identity, which `file` keeps (none when empty) and `command` writes back.
    void pendingIdentity(const std::string& file, const std::string& command);
    // Which program writes, its version, and the system it runs on.
    void programInfo(std::string_view program, std::string_view system);

    void setText(Control control, const std::string& text) override;
    void setBold(Control control, bool bold) override;
    void setEnabled(Control control, bool enabled) override;
    void setProgress(const Progress& progress) override;
    void setStatus(int panel, const std::string& text) override;
    void stepIndexChanged(int stepIndex) override;
    void traceLine(const std::string& line) override;
    void showMessage(const std::string& title, const std::string& text, const std::string& hint) override;
    void settingsChanged(const CommSettings& settings, const std::string& device) override;
    bool askYesNo(const std::string& title, const std::string& text) override;
    void readBackChanged(bool on) override;
    void backupNoted(const BackupNote& note) override;

  private:
    void put(const std::string& fields);

    const Clock& clock_;
    Sink sink_;
    LastShown<Control, std::string> texts_;
    LastShown<Control, bool> bold_;
    LastShown<Control, bool> enabled_;
    LastShown<int, Progress> progress_;
    LastShown<int, std::string> status_;
};

}  // namespace rq
