#include "cli/CliView.h"

#include <filesystem>

namespace rq::cli {

FileChoice fileChoiceOf(const std::string& path) {
    return FileChoice{path, std::filesystem::path(path).filename().string()};
}

void CliView::setFirmwareChoice(const std::string& path) {
    fileChoice_ = fileChoiceOf(path);
}

void CliView::setModelSerial(const std::string& model, const std::string& serial) {
    modelSerial_ = ModelSerialEntry{model, serial};
}

void CliView::backupNoted(const BackupNote& note) {
    ViewTee::backupNoted(note);
    if (backupReport_) backupReport_(note);
}

void CliView::showMessage(const std::string& title, const std::string& text, const std::string& hint) {
    ViewTee::showMessage(title, text, hint);
    if (!hint.empty() && hintReport_) hintReport_(hint);
}

}  // namespace rq::cli
