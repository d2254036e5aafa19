#pragma once

namespace rq {

// From now on Ctrl+C, a closed terminal or a request to end the program (SIGINT, SIGHUP and SIGTERM; on
// Windows the console's control events) no longer end the program at once: interruptStatus() tells of
// the first, and a wait for a line of standard input ends. A second one ends the program as the system
// would.
void catchInterrupts();

// 0 while none has come; otherwise the exit status it stands for: 130 for Ctrl+C, 129 for a closed
// terminal, 143 for a request to end (128 and the signal's number).
int interruptStatus();

}  // namespace rq
