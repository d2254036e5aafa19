#include "core/io/WizardView.h"

#include <array>

namespace rq {

std::string_view controlName(Control control) {
    static constexpr std::array<std::string_view, 19> kNames = {
        "frmMain",        "lblProcess01",   "lblProcess02", "lblProcess03", "lblProcess04",
        "lblProcess05",   "lblProcess06",   "lblProcess07", "lblProcess08", "lblFWFile",
        "lblFWOld",       "lblFWNew",       "txtInfo",      "txtProcess",   "cmdFWFileSel",
        "cmdCommSetting", "cmdForceUpdate", "cmdCancel",    "cmdNext",
    };
    return kNames.at(static_cast<std::size_t>(control));
}

Control stepLabel(int stepIndex) {
    return static_cast<Control>(static_cast<int>(Control::lblProcess01) + stepIndex);
}

}  // namespace rq
