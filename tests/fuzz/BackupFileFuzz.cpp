// The reader of identity backup files, on texts of the input's making: what it takes, it writes back alike.

#include <string_view>

#include "FuzzSupport.h"
#include "core/backup/SavedIdentity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    const BackupRead read = readBackupText(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::require(read.identity.has_value() != !read.refusal.empty(), "read, or refused with a reason");
    if (!read.identity) return 0;
    fuzz::require(read.identity->model.size() == 8 && read.identity->serial.size() == 6,
                  "the character fields have their lengths");
    const BackupRead again = readBackupText(backupFileText(*read.identity));
    fuzz::require(again.identity == read.identity, "a backup taken is written back alike");
    return 0;
}
