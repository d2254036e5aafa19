#pragma once

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

    std::optional<FileChoice> chooseFirmwareFile() override { return fileChoice_; }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return modelSerial_; }

  private:
    std::optional<FileChoice> fileChoice_;
    std::optional<ModelSerialEntry> modelSerial_;
};

}  // namespace rq::cli
