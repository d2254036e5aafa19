#pragma once

#include <string>
#include <vector>

namespace rq::test {

// The lines a terminal shows after `output`: a carriage return goes back to the start of the line,
// ESC [ K clears the rest of it. Characters are taken as bytes, which is enough for whole lines.
inline std::vector<std::string> terminalScreen(const std::string& output) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t column = 0;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output.compare(i, 3, "\x1b[K") == 0) {
            line.resize(column);
            i += 2;
        } else if (output[i] == '\r') {
            column = 0;
        } else if (output[i] == '\n') {
            lines.push_back(line);
            line.clear();
            column = 0;
        } else {
            if (column < line.size()) {
                line[column] = output[i];
            } else {
                line.push_back(output[i]);
            }
            ++column;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Each text the live line was drawn with: what stands between a carriage return and ESC [ K.
inline std::vector<std::string> liveDraws(const std::string& output) {
    std::vector<std::string> draws;
    for (std::size_t end = output.find("\x1b[K"); end != std::string::npos;
         end = output.find("\x1b[K", end + 1)) {
        const std::size_t start = output.rfind('\r', end);
        if (start != std::string::npos && end > start + 1)
            draws.push_back(output.substr(start + 1, end - start - 1));
    }
    return draws;
}

}  // namespace rq::test
