#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/io/ViewTee.h"

namespace rq::cli {

// The window without a window: what it would show goes to the view on standard output and to the
// support log, and the dialogs are answered from the command line.
class CliView final : public ViewTee {
  public:
    using ViewTee::ViewTee;

    void setFirmwareChoice(const std::string& path);
    void setModelSerial(const std::string& model, const std::string& serial);
    // What becomes of the identity backup also goes to `report`, for standard error.
    void setBackupReport(std::function<void(const BackupNote&)> report) { backupReport_ = std::move(report); }

    std::optional<FileChoice> chooseFirmwareFile() override { return fileChoice_; }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return modelSerial_; }
    void backupNoted(const BackupNote& note) override;

  private:
    std::optional<FileChoice> fileChoice_;
    std::optional<ModelSerialEntry> modelSerial_;
    std::function<void(const BackupNote&)> backupReport_;
};

}  // namespace rq::cli
