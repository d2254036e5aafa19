#pragma once

#include <string>
#include <vector>

#include "support/RecordingView.h"

namespace rq::test {

// A text's lines, split at CR LF.
inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find("\r\n", start);
        result.push_back(text.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos) return result;
        start = at + 2;
    }
}

inline constexpr Control kButtons[] = {Control::cmdFWFileSel, Control::cmdCommSetting,
                                       Control::cmdForceUpdate, Control::cmdCancel, Control::cmdNext};

// "01111": which of kButtons are enabled.
inline std::string buttons(const RecordingView& view) {
    std::string states;
    for (const Control button : kButtons) states += view.isEnabled(button) ? '1' : '0';
    return states;
}

}  // namespace rq::test
