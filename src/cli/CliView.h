#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/io/ViewTee.h"

namespace rq::cli {

// The answer of the file dialog for this file.
FileChoice fileChoiceOf(const std::string& path);

// The window without a window: what it would show goes to the view on standard output and to the
// support log, and the dialogs are answered from the command line.
class CliView final : public ViewTee {
  public:
    using ViewTee::ViewTee;

    void setFirmwareChoice(const std::string& path);
    void setModelSerial(const std::string& model, const std::string& serial);
    // What becomes of the identity backup also goes to `report`, for standard error.
    void setBackupReport(std::function<void(const BackupNote&)> report) { backupReport_ = std::move(report); }
    // So does the hint of every message box.
    void setHintReport(std::function<void(const std::string&)> report) { hintReport_ = std::move(report); }

    std::optional<FileChoice> chooseFirmwareFile() override { return fileChoice_; }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return modelSerial_; }
    void backupNoted(const BackupNote& note) override;
    void showMessage(const std::string& title, const std::string& text, const std::string& hint) override;

  private:
    std::optional<FileChoice> fileChoice_;
    std::optional<ModelSerialEntry> modelSerial_;
    std::function<void(const BackupNote&)> backupReport_;
    std::function<void(const std::string&)> hintReport_;
};

}  // namespace rq::cli
