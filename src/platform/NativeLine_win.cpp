#include <windows.h>

#include "platform/NativeLine.h"

namespace rq {
namespace {

constexpr char kXon = 0x11;   // DC1
constexpr char kXoff = 0x13;  // DC3

}  // namespace

bool systemTakes(const LineSettings& settings) {
    return settings.dataBits >= 5;
}

// The latency timer of a USB adapter is a setting of its driver, made in the Device Manager.
bool requestLowLatency(NativeHandle) {
    return false;
}

bool setBothFlowControls(NativeHandle handle) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return false;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    // A driver that has no characters set refuses the state.
    dcb.XonChar = kXon;
    dcb.XoffChar = kXoff;
    return SetCommState(handle, &dcb) != 0;
}

// Every request on the handle of a removed adapter fails; an asked-for status is the cheapest one.
bool hungUp(NativeHandle handle) {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(handle, &errors, &status) == 0;
}

// Virtual ports (and Wine's port on a pseudo-terminal) cannot tell their modem lines.
bool hasModemLines(NativeHandle handle) {
    DWORD lines = 0;
    return GetCommModemStatus(handle, &lines) != 0;
}

}  // namespace rq
