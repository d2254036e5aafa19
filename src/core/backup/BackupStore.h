#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/backup/SavedIdentity.h"

namespace rq {

// Writes a whole file so that a reader finds its old contents or the new, never part of either, and
// the new ones survive a loss of power once it has returned true. `error` says why it could not.
class FileWriter {
  public:
    virtual ~FileWriter() = default;
    virtual bool writeWhole(const std::string& path, const std::string& contents, std::string& error) = 0;
};

// One file of the store: the backup it holds, or why it was refused.
struct BackupFile {
    std::string path;
    BackupRead read;
};

// Files larger than this are no backup and are not read.
inline constexpr std::size_t kMaxBackupFileSize = 64 * 1024;

// Reads one backup file, wherever it lies.
BackupRead readBackupFile(const std::string& path);

// The identity backups of one directory, one file each. Wizards on several threads may share one.
class BackupStore {
  public:
    BackupStore(std::string directory, FileWriter& writer);

    const std::string& directory() const { return directory_; }

    // A new file for this backup, named after its time; the file's path, or the reason in `error`.
    std::optional<std::string> save(const SavedIdentity& identity, std::string& error);
    // Writes the backup of `path` again with its time of restoring; false with the reason in `error`.
    bool markRestored(const std::string& path, const std::string& time, std::string& error);
    // Removes a backup that is not needed after all.
    void discard(const std::string& path);
    // Every JSON file of the directory, the newest backup first, the files refused after them.
    std::vector<BackupFile> list() const;
    // The newest backup not restored yet, if any.
    std::optional<BackupFile> newestUnrestored() const;
    // The backups not restored yet, newest first.
    std::vector<BackupFile> unrestored() const;

  private:
    std::string directory_;
    FileWriter& writer_;
    std::mutex naming_;  // two backups of the same millisecond get two names
};

}  // namespace rq
