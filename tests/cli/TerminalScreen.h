#pragma once

#include <string>
#include <vector>

namespace rq::test {

// The lines a terminal shows after `output`: a carriage return goes back to the start of the line,
// ESC [ K clears the rest of it, ESC [ n A goes n lines up, ESC [ J clears the rest of the screen.
// Characters are taken as bytes, which is enough for whole lines.
inline std::vector<std::string> terminalScreen(const std::string& output) {
    std::vector<std::string> lines(1);
    std::size_t row = 0;
    std::size_t column = 0;
    for (std::size_t i = 0; i < output.size(); ++i) {
        const std::size_t up = output.compare(i, 2, "\x1b[") == 0 ? output.find('A', i) : std::string::npos;
        if (output.compare(i, 3, "\x1b[K") == 0 || output.compare(i, 3, "\x1b[J") == 0) {
            lines[row].resize(std::min(column, lines[row].size()));
            if (output[i + 2] == 'J') lines.resize(row + 1);
            i += 2;
        } else if (up != std::string::npos && up - i < 6) {
            row -= std::min<std::size_t>(row, std::stoul(output.substr(i + 2, up - i - 2)));
            i = up;
        } else if (output[i] == '\r') {
            column = 0;
        } else if (output[i] == '\n') {
            if (++row == lines.size()) lines.emplace_back();
            column = 0;
        } else {
            std::string& line = lines[row];
            if (column < line.size())
                line[column] = output[i];
            else
                line.append(column - line.size(), ' ').push_back(output[i]);
            ++column;
        }
    }
    if (lines.back().empty()) lines.pop_back();
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
