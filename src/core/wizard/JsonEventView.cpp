#include "core/wizard/JsonEventView.h"

#include "core/log/Json.h"
#include "core/wizard/Wizard.h"

namespace rq {
namespace {

std::string controlField(Control control) {
    return "\"control\":" + jsonString(controlName(control));
}

std::string orNull(const std::string& text) {
    return text.empty() ? "null" : jsonString(text);
}

std::string boolText(bool value) {
    return value ? "true" : "false";
}

template <std::size_t N>
std::string nameOr(const std::array<std::string_view, N>& names, std::size_t index) {
    return index < N ? std::string(names[index]) : std::to_string(index);
}

std::string_view eventName(BackupNote::Event event) {
    switch (event) {
        case BackupNote::Event::Saved:
            return "saved";
        case BackupNote::Event::NotSaved:
            return "not saved";
        case BackupNote::Event::Restored:
            return "restored";
        case BackupNote::Event::NotMarked:
            return "not marked restored";
        case BackupNote::Event::Loaded:
            return "loaded";
    }
    return "";
}

std::string summaryObject(const RunSummary& summary) {
    return "{\"port\":\"COM" + std::to_string(summary.port) + "\",\"device\":" + orNull(summary.device) +
           ",\"model\":" + orNull(summary.model) + ",\"serial\":" + orNull(summary.serial) +
           ",\"versionBefore\":" + orNull(summary.versionBefore) +
           ",\"versionAfter\":" + orNull(summary.versionAfter) + ",\"result\":" + jsonString(summary.result) +
           ",\"status\":" + std::to_string(summary.status) + ",\"milliseconds\":" +
           std::to_string(std::chrono::duration_cast<Millis>(summary.elapsed).count()) + "}";
}

}  // namespace

JsonEventView::JsonEventView(const Clock& clock, Sink sink) : clock_(clock), sink_(std::move(sink)) {}

void JsonEventView::put(const std::string& fields) {
    sink_("{\"t\":" + std::to_string(std::chrono::duration_cast<Millis>(clock_.now()).count()) + "," +
          fields + "}");
}

void JsonEventView::note(const std::string& what) {
    put("\"runner\":" + jsonString(what));
}

void JsonEventView::hint(const std::string& advice) {
    put("\"hint\":" + jsonString(advice));
}

void JsonEventView::warning(const std::string& what) {
    put("\"warning\":" + jsonString(what));
}

void JsonEventView::summary(const RunSummary& summary) {
    put("\"summary\":" + summaryObject(summary));
}

void JsonEventView::summaries(const std::vector<RunSummary>& devices, int status) {
    std::string list;
    for (const RunSummary& device : devices)
        list.append(list.empty() ? "" : ",").append(summaryObject(device));
    put("\"devices\":[" + list + "],\"status\":" + std::to_string(status));
}

void JsonEventView::pendingIdentity(const std::string& file, const std::string& command) {
    put("\"identityNotRestored\":{\"file\":" + orNull(file) + ",\"command\":" + orNull(command) + "}");
}

void JsonEventView::programInfo(std::string_view program, std::string_view system) {
    put("\"program\":" + jsonString(program) + ",\"version\":" + jsonString(programVersion()) +
        ",\"system\":" + jsonString(system));
}

void JsonEventView::setText(Control control, const std::string& text) {
    if (texts_.changes(control, text)) put(controlField(control) + ",\"text\":" + jsonString(text));
}

void JsonEventView::setBold(Control control, bool bold) {
    if (bold_.changes(control, bold)) put(controlField(control) + ",\"bold\":" + boolText(bold));
}

void JsonEventView::setEnabled(Control control, bool enabled) {
    if (enabled_.changes(control, enabled)) put(controlField(control) + ",\"enabled\":" + boolText(enabled));
}

void JsonEventView::setProgress(const Progress& progress) {
    if (!progress_.changes(0, progress)) return;
    put("\"control\":\"prgProcess\",\"min\":" + std::to_string(progress.minimum) +
        ",\"max\":" + std::to_string(progress.maximum) + ",\"value\":" + std::to_string(progress.value));
}

void JsonEventView::setStatus(int panel, const std::string& text) {
    if (!status_.changes(panel, text)) return;
    put("\"control\":\"stsAppStatus\",\"panel\":" + std::to_string(panel) + ",\"text\":" + jsonString(text));
}

void JsonEventView::stepIndexChanged(int stepIndex) {
    put("\"stepIndex\":" + std::to_string(stepIndex));
}

void JsonEventView::traceLine(const std::string& line) {
    std::string entry = line;
    while (!entry.empty() && (entry.back() == '\n' || entry.back() == '\r')) entry.pop_back();
    put("\"trace\":" + jsonString(entry));
}

void JsonEventView::showMessage(const std::string& title, const std::string& text, const std::string& hint) {
    put("\"messageBox\":{\"title\":" + jsonString(title) + ",\"text\":" + jsonString(text) + "}");
    if (!hint.empty()) this->hint(hint);
}

bool JsonEventView::askYesNo(const std::string& title, const std::string& text) {
    put("\"question\":{\"title\":" + jsonString(title) + ",\"text\":" + jsonString(text) + "}");
    return false;
}

void JsonEventView::readBackChanged(bool on) {
    put("\"verifyIdentity\":" + boolText(on));
}

void JsonEventView::backupNoted(const BackupNote& note) {
    std::string fields =
        "\"event\":" + jsonString(eventName(note.event)) + ",\"path\":" + jsonString(note.path);
    if (!note.reason.empty()) fields += ",\"reason\":" + jsonString(note.reason);
    put("\"backup\":{" + fields + "}");
}

void JsonEventView::settingsChanged(const CommSettings& settings, const std::string& device) {
    put("\"settings\":{\"port\":\"COM" + std::to_string(settings.ComPort) +
        "\",\"device\":" + jsonString(device) + ",\"baud\":" + jsonString(settings.CommBaudrate) +
        ",\"parity\":" + jsonString(settings.Parity) + ",\"dataBits\":" + jsonString(settings.DataBits) +
        ",\"stopBits\":" + jsonString(settings.StopBits) +
        ",\"flow\":" + jsonString(nameOr(kFlowWords, settings.FlowCtl)) +
        ",\"programBaud\":" + jsonString(nameOr(kUpBaudrates, settings.UpBaudrateIndex)) + "}");
}

}  // namespace rq
