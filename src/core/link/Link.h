#pragma once

#include <vector>

#include "core/params/CommandRecord.h"
#include "core/params/FilledValues.h"
#include "core/state/WizardState.h"

namespace rq {

// Which accepted answers end a request.
enum class AnswerRule : std::uint8_t {
    Accepted,     // every answer with an accepting status
    ReadsStored,  // and the answer to a read only when the store took it (its length was right)
};

// A request whose answer was accepted and left the store as it was.
struct UnstoredAnswer {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> request;  // the request's data bytes
    friend bool operator==(const UnstoredAnswer&, const UnstoredAnswer&) = default;
};

// What the accepted answers of one or more batches did to the store.
struct AnswerLog {
    FilledValues filled;
    std::vector<UnstoredAnswer> unstored;  // in the order the requests were sent
};

// Runs one batch of normal-mode exchanges on the open port and returns when it has ended: every
// request answered, or LinkError 12 (too many retries, or a request unanswered for a minute), 13 (never
// ready to send, or no answer to the parameter initialisation) or 99 (the port failed or was closed).
// Progress goes to the bar as requests go out; the port is closed at the end unless KeepPortOpen. When
// `log` is given, the answers add to it.
void subFirstSend(StepContext& context, CommandQueue& queue, AnswerRule rule = AnswerRule::Accepted,
                  AnswerLog* log = nullptr);

}  // namespace rq
