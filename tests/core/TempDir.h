#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace rq::test {

// A folder of its own for one test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("rqfwup-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }

    std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const auto at = path_ / name;
        std::ofstream out(at, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return at.string();
    }
    std::string path(const std::string& name) const { return (path_ / name).string(); }

  private:
    static inline int counter = 0;
    std::filesystem::path path_;
};

// The lines of `in`, without their line breaks.
inline std::vector<std::string> linesOf(std::istream&& in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace rq::test
