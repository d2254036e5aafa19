#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/CommSettings.h"

namespace rq {

// The controls of the main window that the wizard writes to; controlName() gives each its object name.
enum class Control : std::uint8_t {
    frmMain,
    lblProcess01,
    lblProcess02,
    lblProcess03,
    lblProcess04,
    lblProcess05,
    lblProcess06,
    lblProcess07,
    lblProcess08,
    lblFWFile,
    lblFWOld,
    lblFWNew,
    txtInfo,
    txtProcess,
    cmdFWFileSel,
    cmdCommSetting,
    cmdForceUpdate,
    cmdCancel,
    cmdNext,
};

std::string_view controlName(Control control);
inline constexpr int kStepCount = 8;
Control stepLabel(int stepIndex);  // lblProcess01 for index 0 ... lblProcess08 for index 7

struct Progress {
    int minimum = 0;
    int maximum = 1;
    int value = 0;
    friend bool operator==(const Progress&, const Progress&) = default;
};

struct FileChoice {
    std::string path;   // full path
    std::string title;  // the bare file name
};

struct ModelSerialEntry {
    std::string model;   // one of kForceUpdateModels
    std::string serial;  // the text typed, already accepted by checkSerialEntry()
};

// The settings dialog's lists and preselection, as the wizard loads them.
struct FoundPort {
    int number = 0;
    std::string device;  // the system's name of the port; empty for the placeholder COM0
};

struct PortConfModel {
    std::vector<FoundPort> ports;
    // One line for each device that exists but did not open: its name, the reason, the remedy.
    std::vector<std::string> unopened;
    int portIndex = 0;   // selected row of cmbComPort
    int baudIndex = -1;  // -1: nothing selected
    int upBaudIndex = 3;
    int parityIndex = -1;
    int dataBitsIndex = -1;
    int stopBitsIndex = -1;
    int flowIndex = 0;
};

// What the user chose when pressing Set: the port number is the chosen item's data.
struct PortConfSelection {
    int portNumber = 0;
    int baudIndex = -1;
    int upBaudIndex = -1;
    int parityIndex = -1;
    int dataBitsIndex = -1;
    int stopBitsIndex = -1;
    int flowIndex = -1;
};

// What became of the identity backup on disk.
struct BackupNote {
    enum class Event : std::uint8_t {
        Saved,      // step 2 saved what it read
        NotSaved,   // step 2 could not; the update goes on without a file
        Restored,   // step 7 wrote the backup back and marked its file
        NotMarked,  // step 7 wrote it back but could not mark its file
        Loaded,     // a saved backup is what step 7 will write back
    };
    Event event;
    std::string path;
    std::string reason;  // why it failed; empty otherwise
};

// Everything the wizard shows. The window, the headless runner and the tests each implement it. Calls
// come from the wizard's thread, in order; the modal ones return when the user has answered.
class WizardView {
  public:
    virtual ~WizardView() = default;

    virtual void setText(Control control, const std::string& text) = 0;
    virtual void setBold(Control control, bool bold) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setProgress(const Progress& progress) = 0;
    virtual void setStatus(int panel, const std::string& text) = 0;  // panel 1 or 2 of stsAppStatus
    virtual void setBusyPointer(bool busy) = 0;
    virtual void stepIndexChanged(int stepIndex) = 0;
    virtual void traceLine(const std::string& line) = 0;

    // A message box with OK. `hint`, when not empty, is the cause and remedy for a person, shown under
    // the text.
    virtual void showMessage(const std::string& title, const std::string& text, const std::string& hint) = 0;
    virtual std::optional<FileChoice> chooseFirmwareFile() = 0;       // nullopt: the dialog was cancelled
    virtual std::optional<ModelSerialEntry> askModelAndSerial() = 0;  // nullopt: Cancel
    // A message box with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
    // Modeless: returns at once. Without a model the open dialog is only brought to the front.
    virtual void showSettingsDialog(const std::optional<PortConfModel>& model) = 0;
    virtual void endProgram() = 0;
    // The settings the device steps will use, and the device of their port: the window shows the
    // port, records of the run keep them all.
    virtual void settingsChanged(const CommSettings& /*settings*/, const std::string& /*device*/) {}
    // Whether step 7 reads the identity back; only records of the run want it.
    virtual void readBackChanged(bool /*on*/) {}
    virtual void backupNoted(const BackupNote& /*note*/) {}
};

}  // namespace rq
