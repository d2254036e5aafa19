#include "cli/CliView.h"

#include <filesystem>
#include <ostream>

#include "core/log/Json.h"

namespace rq::cli {
namespace {

std::string lastLine(const std::string& text) {
    const auto at = text.rfind('\n');
    return at == std::string::npos ? text : text.substr(at + 1);
}

// Lines for a terminal: LF only.
std::string withoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

template <typename Map, typename Value>
bool changes(Map& known, const typename Map::key_type& key, const Value& value) {
    const auto it = known.find(key);
    if (it != known.end() && it->second == value) return false;
    known[key] = value;
    return true;
}

std::string controlField(Control control) {
    return "\"control\":" + jsonString(controlName(control));
}

}  // namespace

CliView::CliView(std::ostream& out, const Clock& clock, bool json) : out_(out), clock_(clock), json_(json) {}

void CliView::setFirmwareChoice(const std::string& path) {
    fileChoice_ = FileChoice{path, std::filesystem::path(path).filename().string()};
}

void CliView::setModelSerial(const std::string& model, const std::string& serial) {
    modelSerial_ = ModelSerialEntry{model, serial};
}

std::string CliView::stamp() const {
    return std::to_string(std::chrono::duration_cast<Millis>(clock_.now()).count());
}

void CliView::emit(const std::string& fields) {
    out_ << "{\"t\":" << stamp() << "," << fields << "}\n" << std::flush;
}

void CliView::printBlock(const std::string& heading, const std::string& text) {
    out_ << "--- " << heading << " ---\n" << withoutCarriageReturns(text) << "\n" << std::flush;
}

void CliView::note(const std::string& what) {
    if (json_) {
        emit("\"runner\":" + jsonString(what));
    } else {
        out_ << "* " << what << "\n" << std::flush;
    }
}

void CliView::setText(Control control, const std::string& text) {
    if (!changes(texts_, control, text)) return;
    if (json_) {
        emit(controlField(control) + ",\"text\":" + jsonString(text));
    } else if (control == Control::txtInfo) {
        printBlock("txtInfo", text);
    } else if (control == Control::txtProcess) {
        if (!text.empty()) out_ << "  " << lastLine(text) << "\n" << std::flush;
    } else {
        out_ << controlName(control) << ": " << text << "\n" << std::flush;
    }
}

void CliView::setBold(Control control, bool bold) {
    if (changes(bold_, control, bold) && json_) {
        emit(controlField(control) + ",\"bold\":" + (bold ? "true" : "false"));
    }
}

void CliView::setEnabled(Control control, bool enabled) {
    if (changes(enabled_, control, enabled) && json_) {
        emit(controlField(control) + ",\"enabled\":" + (enabled ? "true" : "false"));
    }
}

void CliView::setProgress(const Progress& progress) {
    if (progress_ == progress) return;
    progress_ = progress;
    if (json_) {
        emit("\"control\":\"prgProcess\",\"min\":" + std::to_string(progress.minimum) +
             ",\"max\":" + std::to_string(progress.maximum) + ",\"value\":" + std::to_string(progress.value));
    }
}

void CliView::setStatus(int panel, const std::string& text) {
    if (!changes(status_, panel, text)) return;
    if (json_) {
        emit("\"control\":\"stsAppStatus\",\"panel\":" + std::to_string(panel) +
             ",\"text\":" + jsonString(text));
    } else if (panel == 1 && !text.empty()) {
        out_ << "[" << text << "]\n" << std::flush;
    }
}

void CliView::stepIndexChanged(int stepIndex) {
    if (json_) emit("\"stepIndex\":" + std::to_string(stepIndex));
}

void CliView::traceLine(const std::string& line) {
    if (json_) {
        std::string entry = line;
        while (!entry.empty() && (entry.back() == '\n' || entry.back() == '\r')) entry.pop_back();
        emit("\"trace\":" + jsonString(entry));
    } else {
        out_ << withoutCarriageReturns(line) << std::flush;
    }
}

void CliView::showMessage(const std::string& title, const std::string& text) {
    if (json_) {
        emit("\"messageBox\":{\"title\":" + jsonString(title) + ",\"text\":" + jsonString(text) + "}");
    } else {
        printBlock("message box: " + title, text);
    }
}

std::optional<FileChoice> CliView::chooseFirmwareFile() {
    return fileChoice_;
}

std::optional<ModelSerialEntry> CliView::askModelAndSerial() {
    return modelSerial_;
}

}  // namespace rq::cli
