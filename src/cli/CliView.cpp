#include "cli/CliView.h"

#include <filesystem>

namespace rq::cli {

void CliView::setFirmwareChoice(const std::string& path) {
    fileChoice_ = FileChoice{path, std::filesystem::path(path).filename().string()};
}

void CliView::setModelSerial(const std::string& model, const std::string& serial) {
    modelSerial_ = ModelSerialEntry{model, serial};
}

void CliView::backupNoted(const BackupNote& note) {
    ViewTee::backupNoted(note);
    if (backupReport_) backupReport_(note);
}

}  // namespace rq::cli
