#include "sim/WorkingSet.h"

namespace rq::sim {
namespace {

// Gives every value its own number, so that a value read into the wrong place shows. Bytes step by 7
// (every byte differs while there are fewer than 256), words carry the generation in their top digit.
class Numbering {
  public:
    explicit Numbering(std::uint8_t generation) : generation_(generation) {}

    void operator()(std::uint8_t& byte) {
        byte = static_cast<std::uint8_t>(7 * bytes_++ + 3 * generation_ + 1);
    }
    void operator()(std::uint32_t& word) {
        word = 0x1000'0000u * (generation_ + 1u) + 0x0001'0203u * ++words_;
    }
    template <typename T, std::size_t N>
    void operator()(std::array<T, N>& values) {
        for (T& value : values) (*this)(value);
    }
    void operator()(Entry83Half& half) { fill(half.a, half.b, half.words); }
    void operator()(Slot21& slot) { (*this)(slot.bytes); }  // the keys stay 0, as the computer's do
    void operator()(WordsAndBytes& group) { fill(group.words, group.bytes); }
    void operator()(WordAndByte& group) { fill(group.word, group.byte); }
    void operator()(ChannelSet& c) {
        fill(c.byte22, c.byte25, c.byte35, c.byte41, c.byte51, c.byte53, c.byte73, c.word22, c.word32,
             c.word42, c.word74, c.word75, c.first67, c.second67, c.word34, c.word102, c.word33, c.entry83);
    }

    template <typename... Values>
    void fill(Values&... values) {
        ((*this)(values), ...);
    }

  private:
    unsigned generation_;
    unsigned bytes_ = 0;
    unsigned words_ = 0;
};

WorkingSet numberedSet(std::uint8_t generation, std::array<std::uint8_t, 3> choices67) {
    WorkingSet set;
    Numbering number(generation);
    number.fill(set.channels, set.bytes11, set.bytes12, set.slots21, set.shared22, set.p23, set.q23,
                set.byte31, set.bytes52, set.words54, set.bytes55, set.group61, set.group62, set.words63,
                set.word64, set.group66, set.group72, set.group82, set.bytes91, set.byte93, set.word104);
    for (std::size_t channel = 0; channel < set.channels.size(); ++channel)
        set.channels[channel].byte65 = choices67[channel];
    return set;
}

}  // namespace

WorkingSet initialWorkingSet() {
    return numberedSet(0, {0, 0, 0});
}

WorkingSet deliveredWorkingSet() {
    return numberedSet(1, {1, 0, 1});
}

}  // namespace rq::sim
