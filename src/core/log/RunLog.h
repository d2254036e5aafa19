#pragma once

#include <cstddef>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace rq {

// The lines of a support log, one JSON object each. They are kept in memory, the oldest but the first
// few given up beyond a bound, and go to a file only when asked. One thread may append while another
// saves.
class RunLog {
  public:
    static constexpr std::size_t kDefaultMemory = 64u << 20;
    static constexpr std::size_t kHeadLines = 64;  // kept whatever comes after: what ran where, how

    explicit RunLog(std::size_t memoryBound = kDefaultMemory) : memoryBound_(memoryBound) {}

    void append(const std::string& line);
    // Every line from now on also goes to the file, after those kept so far. False when the file
    // cannot be written.
    bool writeTo(const std::string& path);
    // Writes the lines kept so far; a line {"dropped":N} stands where lines were given up.
    bool saveCopy(const std::string& path) const;
    std::vector<std::string> lines() const;

  private:
    std::vector<std::string> linesLocked() const;

    const std::size_t memoryBound_;
    mutable std::mutex mutex_;
    std::vector<std::string> head_;
    std::deque<std::string> tail_;
    std::size_t tailBytes_ = 0;
    std::size_t dropped_ = 0;
    std::ofstream file_;
};

}  // namespace rq
