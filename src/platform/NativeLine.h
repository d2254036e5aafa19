#pragma once

#include <QSerialPort>
#include <utility>

#include "core/io/LineSettings.h"

namespace rq {

// Whether the serial drivers of this system can do these settings at all.
bool systemTakes(const LineSettings& settings);

// The handle of an open port: a file descriptor on POSIX systems, a HANDLE on Windows.
using NativeHandle = decltype(std::declval<const QSerialPort&>().handle());

// What the port asks of the system's serial driver beyond what QSerialPort offers, on the handle of an
// open port. Each returns whether the driver did it.

// Pass short replies on at once instead of holding them for the adapter's latency timer.
bool requestLowLatency(NativeHandle handle);
// RTS/CTS and XON/XOFF at the same time.
bool setBothFlowControls(NativeHandle handle);
// The line is gone: the cable was pulled or the adapter removed.
bool hungUp(NativeHandle handle);
// A pseudo-terminal, and some USB gadgets, have no modem-control lines to read.
bool hasModemLines(NativeHandle handle);

}  // namespace rq
