#pragma once

#include <QtGlobal>

namespace rq {

// What the port asks of the system's serial driver beyond what QSerialPort offers, on the handle of an
// open port. Each returns whether the driver did it.

// Pass short replies on at once instead of holding them for the adapter's latency timer.
bool requestLowLatency(qintptr handle);
// RTS/CTS and XON/XOFF at the same time.
bool setBothFlowControls(qintptr handle);
// The line is gone: the cable was pulled or the adapter removed.
bool hungUp(qintptr handle);
// A pseudo-terminal, and some USB gadgets, have no modem-control lines to read.
bool hasModemLines(qintptr handle);

}  // namespace rq
