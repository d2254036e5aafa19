#include "core/wizard/ParameterReport.h"

#include <initializer_list>
#include <span>

#include "core/link/Dispatch.h"
#include "core/link/Link.h"
#include "core/params/ChannelCatalogue.h"
#include "core/wizard/DeviceSteps.h"

namespace rq {
namespace {

// The values one request selector takes in a sweep.
struct Axis {
    std::uint8_t selector;
    std::uint8_t first;
    std::uint8_t last;
};

constexpr Axis kChannel{1, 1, 3};
constexpr Axis kSubIndex{2, 1, 2};
constexpr Axis kIndex33{3, 1, 3};
constexpr Axis kIndex83{4, 1, 3};
constexpr Axis kMode{5, 0, 1};
// The key of 21, 22, 23 and 25 has no stated range: 0 to 3 covers keys counted from 0 and channels from 1.
constexpr Axis kKey{0, 0, 3};

// A selector that the response does not carry picks nothing the store could tell apart: it is sent once,
// at the first value of its kind.
constexpr Axis first(Axis axis) {
    return {axis.selector, axis.first, axis.first};
}

class ReadBatch {
  public:
    explicit ReadBatch(ParameterStore& store) : store_(store) {}

    void accessMode(std::uint8_t mode) {
        store_.AccessModeRequest = mode;
        QueueCommand(queue_, count_, ACCESS_MODE, kWrite, store_);
    }

    // A read for every combination of the axes' values, the first axis outermost; the selectors that no
    // axis names are 0.
    void sweep(std::uint8_t command, std::initializer_list<Axis> axes = {}) {
        store_.RequestSelectors.fill(0);
        queueEach(command, axes);
        store_.RequestSelectors.fill(0);
    }

    CommandQueue& queue() { return queue_; }

  private:
    void queueEach(std::uint8_t command, std::span<const Axis> axes) {
        if (axes.empty()) {
            QueueCommand(queue_, count_, command, kRead, store_);
            return;
        }
        for (int value = axes[0].first; value <= axes[0].last; ++value) {
            store_.RequestSelectors[axes[0].selector] = static_cast<std::uint8_t>(value);
            queueEach(command, axes.subspan(1));
        }
    }

    ParameterStore& store_;
    CommandQueue queue_;
    std::int32_t count_ = 0;
};

// Everything but 67, whose word depends on what 65 reads. Commands that answer with nothing to store
// are not sent.
void queueChannelReads(ReadBatch& batch) {
    for (const std::uint8_t command : {PARAM_11, PARAM_12, PARAM_31, PARAM_56, PARAM_91, PARAM_104})
        batch.sweep(command);
    // The store's slot keys are never set: 0 is the only key whose answer has a slot to go to.
    batch.sweep(PARAM_21, {first(kKey)});
    for (const std::uint8_t command : {PARAM_22, PARAM_23, PARAM_25}) batch.sweep(command, {kKey});
    batch.sweep(PARAM_32, {kChannel, first(kIndex33)});
    batch.sweep(PARAM_33, {kChannel, kSubIndex, kIndex33});
    for (const std::uint8_t command : {PARAM_34, PARAM_102}) batch.sweep(command, {kChannel, kSubIndex});
    for (const std::uint8_t command : {PARAM_35, PARAM_42, PARAM_65, PARAM_73, PARAM_74, PARAM_75})
        batch.sweep(command, {kChannel});
    for (const std::uint8_t command : {PARAM_41, PARAM_51, PARAM_53})
        batch.sweep(command, {kChannel, first(kSubIndex)});
    for (const std::uint8_t command : {PARAM_52, PARAM_54, PARAM_55, PARAM_63, PARAM_64, PARAM_93})
        batch.sweep(command, {first(kChannel)});
    for (const std::uint8_t command : {PARAM_61, PARAM_62, PARAM_66, PARAM_72, PARAM_82})
        batch.sweep(command, {first(kChannel), kMode});
    batch.sweep(PARAM_83, {kChannel, kSubIndex, kIndex83});
}

// A request is answered by any accepted answer, whether the store could take it or not: the log says
// which it could not.
void runReads(StepContext& context, ReadBatch& batch, AnswerLog& log) {
    context.setProgress({0, static_cast<int>(batch.queue().size()) - 1, 0});
    subFirstSend(context, batch.queue(), AnswerRule::Accepted, &log);
}

}  // namespace

AnswerLog readParameterReport(StepContext& context) {
    AnswerLog log;
    if (!openPort(context)) return log;

    ParameterStore& store = context.state.params;
    ReadBatch channels(store);
    channels.accessMode(1);
    for (const std::uint8_t command :
         {MODEL_NAME, SERIAL_NUMBER, PARAM_03, PARAM_04, FIRMWARE_VERSION, PARAM_06})
        channels.sweep(command);
    queueChannelReads(channels);
    runReads(context, channels, log);
    if (context.state.LinkError != 0) return log;

    // The port stays open in access mode 1. Only a channel whose Param65Group byte was read, and picks
    // one of the words of 67, has a word to read: a byte the store held before tells nothing of it.
    ReadBatch words(store);
    for (std::uint8_t channel = 1; channel <= kChannels; ++channel) {
        const std::uint8_t& choice = store.Param65Group[channel - 1];
        if (log.filled.holds(choice) && choice <= 1)
            words.sweep(PARAM_67, {{kChannel.selector, channel, channel}});
    }
    words.accessMode(0);
    runReads(context, words, log);
    return log;
}

}  // namespace rq
