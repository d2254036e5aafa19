#pragma once

#include <fstream>
#include <string>

#include "core/backup/BackupStore.h"

namespace rq::test {

// Writes files at once, as the store's tests need them; the programs write through a temporary file.
class PlainFileWriter final : public FileWriter {
  public:
    bool writeWhole(const std::string& path, const std::string& contents, std::string& error) override {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (file.write(contents.data(), static_cast<std::streamsize>(contents.size())).flush()) return true;
        error = "cannot write " + path;
        return false;
    }
};

}  // namespace rq::test
