#include "core/backup/BackupStore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rq {
namespace {

namespace fs = std::filesystem;

// A file will not be named after the same millisecond this often.
constexpr int kMaxNamesPerTime = 100;

// Paths travel as UTF-8, whatever the system's own narrow encoding.
fs::path pathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string textOf(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

// "identity-20261207-021558-123": the time's digits, so that names sort as the times do.
std::string fileStem(const std::string& time) {
    std::string digits;
    for (const char c : time) {
        if (c >= '0' && c <= '9') digits += c;
    }
    return "identity-" + digits.substr(0, 8) + "-" + digits.substr(8, 6) + "-" + digits.substr(14);
}

// Newest first: by the time read, then by name, a longer name (a later one of the same millisecond) first.
bool newerFirst(const BackupFile& a, const BackupFile& b) {
    const bool aRead = a.read.identity.has_value(), bRead = b.read.identity.has_value();
    if (aRead != bRead) return aRead;
    if (!aRead) return a.path < b.path;
    const auto key = [](const BackupFile& file) {
        return std::make_tuple(file.read.identity->time, file.path.size(), file.path);
    };
    return key(a) > key(b);
}

}  // namespace

BackupRead readBackupFile(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(pathOf(path), error);
    if (error) return {std::nullopt, "cannot be read: " + error.message()};
    if (size > kMaxBackupFileSize) return {std::nullopt, "not a backup of rqfwup: too large"};
    std::ifstream in(pathOf(path), std::ios::binary);
    std::ostringstream text;
    if (!(text << in.rdbuf())) return {std::nullopt, "cannot be read"};
    return readBackupText(text.str());
}

BackupStore::BackupStore(std::string directory, FileWriter& writer)
    : directory_(std::move(directory)), writer_(writer) {}

std::optional<std::string> BackupStore::save(const SavedIdentity& identity, std::string& error) {
    std::error_code made;
    fs::create_directories(pathOf(directory_), made);
    if (made) {
        error = "cannot make " + directory_ + ": " + made.message();
        return std::nullopt;
    }
    const std::string stem = fileStem(identity.time);
    const std::lock_guard lock(naming_);
    for (int n = 1; n <= kMaxNamesPerTime; ++n) {
        std::string name = stem;
        if (n > 1) name.append("-").append(std::to_string(n));
        const std::string path = textOf(pathOf(directory_) / name.append(".json"));
        std::error_code probed;
        if (fs::exists(pathOf(path), probed) || probed) continue;
        if (!writer_.writeWhole(path, backupFileText(identity), error)) return std::nullopt;
        return path;
    }
    error = "no free name for " + stem + " in " + directory_;
    return std::nullopt;
}

bool BackupStore::markRestored(const std::string& path, const std::string& time, std::string& error) {
    BackupRead read = readBackupFile(path);
    if (!read.identity) {
        error = path + ": " + read.refusal;
        return false;
    }
    read.identity->restored = time;
    return writer_.writeWhole(path, backupFileText(*read.identity), error);
}

void BackupStore::discard(const std::string& path) {
    std::error_code ignored;
    fs::remove(pathOf(path), ignored);
}

std::vector<BackupFile> BackupStore::list() const {
    std::vector<BackupFile> files;
    std::error_code error;
    for (fs::directory_iterator it(pathOf(directory_), error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typed;
        if (it->path().extension() != ".json" || !it->is_regular_file(typed)) continue;
        const std::string path = textOf(it->path());
        files.push_back({path, readBackupFile(path)});
    }
    std::sort(files.begin(), files.end(), newerFirst);
    return files;
}

std::vector<BackupFile> BackupStore::unrestored() const {
    std::vector<BackupFile> files = list();
    std::erase_if(files, [](const BackupFile& file) {
        return !file.read.identity || file.read.identity->restored.has_value();
    });
    return files;
}

std::optional<BackupFile> BackupStore::newestUnrestored() const {
    std::vector<BackupFile> files = unrestored();
    if (files.empty()) return std::nullopt;
    return files.front();
}

}  // namespace rq
