#include "core/log/RunLog.h"

namespace rq {
namespace {

bool writeLines(std::ofstream& file, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) file << line << '\n';
    file.flush();
    return static_cast<bool>(file);
}

}  // namespace

void RunLog::append(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (file_.is_open()) file_ << line << '\n' << std::flush;
    if (head_.size() < kHeadLines) {
        head_.push_back(line);
        return;
    }
    tail_.push_back(line);
    tailBytes_ += line.size();
    while (tailBytes_ > memoryBound_ && !tail_.empty()) {
        tailBytes_ -= tail_.front().size();
        tail_.pop_front();
        ++dropped_;
    }
}

bool RunLog::writeTo(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !writeLines(file, linesLocked())) return false;
    file_ = std::move(file);
    return true;
}

bool RunLog::saveCopy(const std::string& path) const {
    const std::vector<std::string> kept = lines();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file && writeLines(file, kept);
}

std::vector<std::string> RunLog::lines() const {
    std::lock_guard lock(mutex_);
    return linesLocked();
}

std::vector<std::string> RunLog::linesLocked() const {
    std::vector<std::string> lines = head_;
    if (dropped_ > 0) lines.push_back("{\"dropped\":" + std::to_string(dropped_) + "}");
    lines.insert(lines.end(), tail_.begin(), tail_.end());
    return lines;
}

}  // namespace rq
