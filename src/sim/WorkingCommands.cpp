#include "sim/WorkingCommands.h"

#include <algorithm>
#include <initializer_list>

namespace rq::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Answer = std::optional<Bytes>;

constexpr std::uint8_t kModeWord = 0;
constexpr std::uint8_t kModeByte = 1;

constexpr std::array<std::uint8_t, 42> kWorkingCommands = {
    11, 12, 21, 22, 23, 25, 31, 32, 33, 34, 35, 36, 41, 42, 51, 52, 53,  54,  55,  56,  61,
    62, 63, 64, 65, 66, 67, 72, 73, 74, 75, 82, 83, 84, 91, 92, 93, 101, 102, 103, 104, 123};

std::uint32_t wordAt(std::span<const std::uint8_t> data, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = 4; i-- > 0;) word = word << 8 | data[at + i];
    return word;
}

// The leading bytes, then each word least significant byte first.
Bytes answer(std::initializer_list<std::uint8_t> bytes, std::initializer_list<std::uint32_t> words = {}) {
    Bytes out(bytes);
    for (const std::uint32_t word : words)
        for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
    return out;
}

// The value a number from 1 names, or nullptr.
template <typename T, std::size_t N>
T* numbered(std::array<T, N>& values, std::uint8_t number) {
    return number >= 1 && number <= N ? &values[number - 1] : nullptr;
}

std::uint8_t ChannelSet::*channelByte(std::uint8_t command) {
    switch (command) {
        case 35:
            return &ChannelSet::byte35;
        case 41:
            return &ChannelSet::byte41;
        case 51:
            return &ChannelSet::byte51;
        case 53:
            return &ChannelSet::byte53;
        case 65:
            return &ChannelSet::byte65;
        default:
            return &ChannelSet::byte73;
    }
}

std::uint32_t ChannelSet::*channelWord(std::uint8_t command) {
    switch (command) {
        case 32:
            return &ChannelSet::word32;
        case 42:
            return &ChannelSet::word42;
        case 74:
            return &ChannelSet::word74;
        default:
            return &ChannelSet::word75;
    }
}

WordAndByte& wordAndByte(WorkingSet& set, std::uint8_t command) {
    return command == 66 ? set.group66 : command == 72 ? set.group72 : set.group82;
}

// The device's own answers; `d` is the request's data, and a write is answered like the read after it.
class Server {
  public:
    Server(WorkingSet& set, bool write, std::span<const std::uint8_t> data)
        : set_(set), write_(write), d(data) {}

    Answer serve(std::uint8_t command) {
        switch (command) {
            case 11:
            case 12:
                return fixedBytes(command == 11 ? set_.bytes11 : set_.bytes12);
            case 21:
                return slot21();
            case 22:
                return param22();
            case 23:
                if (!sized(1, 3)) return {};
                if (write_) {
                    set_.q23 = d[1];
                    set_.p23 = d[2];
                }
                return answer({d[0], 0, set_.q23, set_.p23});
            case 25:
                return param25();
            case 31:
                if (!sized(0, 1)) return {};
                if (write_) set_.byte31 = d[0];
                return answer({set_.byte31});
            case 32:
            case 42:
            case 74:
            case 75:
                return channelWord(command, command == 32 ? 2 : 1);
            case 33:
                return param33();
            case 34:
            case 102:
                return subIndexWord(command == 34);
            case 35:
            case 65:
            case 73:
                if (command == 73 && write_) return {};
                return channelByte(command, 1);
            case 41:
            case 51:
            case 53:
                return channelByte(command, 2);
            case 52:
                return param52();
            case 54:
                return param54();
            case 55:
                if (!sized(1, 4)) return {};
                if (write_) std::copy_n(d.begin() + 1, 3, set_.bytes55.begin());
                return answer({d[0], set_.bytes55[0], set_.bytes55[1], set_.bytes55[2]});
            case 56:
                if (!sized(0, 1)) return {};
                if (write_) set_.shared22 = d[0];
                return answer({set_.shared22});
            case 61:
            case 62:
                return wordsOrBytes(command == 61 ? set_.group61 : set_.group62);
            case 63:
                return param63();
            case 64:
                if (!sized(1, 5)) return {};
                if (write_) set_.word64 = wordAt(d, 1);
                return answer({d[0]}, {set_.word64});
            case 66:
            case 72:
            case 82:
                return wordOrByte(wordAndByte(set_, command));
            case 67:
                return param67();
            case 83:
            case 84:
                return entry83(command == 83);
            case 91:
                if (!sized(0, 2)) return {};
                if (write_) set_.bytes91 = {d[0], d[1]};
                return answer({set_.bytes91[0], set_.bytes91[1]});
            case 93:
                if (write_ || d.size() != 1) return {};
                return answer({d[0], set_.byte93});
            case 104:
                if (!sized(0, 4)) return {};
                if (write_) set_.word104 = wordAt(d, 0);
                return answer({}, {set_.word104});
            case 36:
            case 92:
            case 101:
            case 103:
            case 123:
                return Bytes{};  // orders the device carries out; nothing to report
            default:
                return {};
        }
    }

  private:
    // The request has the length of the command's read or write.
    bool sized(std::size_t read, std::size_t write) const { return d.size() == (write_ ? write : read); }

    template <std::size_t N>
    Answer fixedBytes(std::array<std::uint8_t, N>& bytes) {
        if (!sized(0, N)) return {};
        if (write_) std::copy(d.begin(), d.end(), bytes.begin());
        return Bytes(bytes.begin(), bytes.end());
    }

    Answer slot21() {
        if (!sized(1, 3)) return {};
        const auto slot = std::find_if(set_.slots21.begin(), set_.slots21.end(),
                                       [&](const Slot21& s) { return s.key == d[0]; });
        if (slot == set_.slots21.end()) return {};
        if (write_) slot->bytes[2] = d[1];
        return answer({slot->key, slot->bytes[0], slot->bytes[1], slot->bytes[2], 0});
    }

    Answer param22() {
        if (!sized(1, 7)) return {};
        // The key names a channel; any key but 1, 2 and 3 names channel 1.
        const std::uint8_t number = d[0] >= 1 && d[0] <= 3 ? d[0] : 1;
        ChannelSet& channel = set_.channels[number - 1];
        if (write_) {
            set_.shared22 = d[1];
            channel.byte22 = d[2];
            channel.word22 = wordAt(d, 3);
        }
        return answer({d[0], number, set_.shared22, channel.byte22}, {channel.word22});
    }

    Answer param25() {
        if (!sized(1, 3)) return {};
        const std::uint8_t number = write_ ? d[1] : d[0];
        ChannelSet* channel = numbered(set_.channels, number);
        if (channel == nullptr) {
            if (write_) return {};
            // A read for no single channel answers for all three.
            const auto& c = set_.channels;
            return answer({d[0], 0, 1, c[0].byte25, 2, c[1].byte25, 3, c[2].byte25});
        }
        if (write_) channel->byte25 = d[2];
        return answer({d[0], number, channel->byte25});
    }

    // Channel, something, and the channel's word: the read holds `readLength` bytes, the write adds the word.
    Answer channelWord(std::uint8_t command, std::size_t readLength) {
        if (!sized(readLength, 6)) return {};
        ChannelSet* channel = numbered(set_.channels, d[0]);
        if (channel == nullptr) return {};
        std::uint32_t& word = channel->*sim::channelWord(command);
        if (write_) word = wordAt(d, 2);
        return answer({d[0], d.size() > 1 ? d[1] : std::uint8_t{0}}, {word});
    }

    // Channel, then the byte; 41, 51 and 53 carry a sub-index between them.
    Answer channelByte(std::uint8_t command, std::size_t readLength) {
        if (!sized(readLength, readLength + 1)) return {};
        ChannelSet* channel = numbered(set_.channels, d[0]);
        if (channel == nullptr) return {};
        std::uint8_t& byte = channel->*sim::channelByte(command);
        if (write_) byte = d[readLength];
        if (readLength == 1) return answer({d[0], byte});
        return answer({d[0], d[1], byte});
    }

    Answer param33() {
        if (write_ || d.size() != 3) return {};
        ChannelSet* channel = numbered(set_.channels, d[0]);
        auto* bySub = channel != nullptr ? numbered(channel->word33, d[1]) : nullptr;
        std::uint32_t* word = bySub != nullptr ? numbered(*bySub, d[2]) : nullptr;
        if (word == nullptr) return {};
        return answer({d[0], d[1], d[2]}, {*word});
    }

    Answer subIndexWord(bool param34) {
        if (!sized(2, 6)) return {};
        ChannelSet* channel = numbered(set_.channels, d[0]);
        std::uint32_t* word =
            channel != nullptr ? numbered(param34 ? channel->word34 : channel->word102, d[1]) : nullptr;
        if (word == nullptr) return {};
        if (write_) *word = wordAt(d, 2);
        return answer({d[0], d[1]}, {*word});
    }

    // Written as P3 P6 P2 P5 P1 P4, answered as P3 P2 P1 P6 P5 P4.
    Answer param52() {
        if (!sized(1, 7)) return {};
        auto& p = set_.bytes52;
        if (write_) {
            static constexpr std::array<std::size_t, 6> kWritten = {3, 6, 2, 5, 1, 4};
            for (std::size_t i = 0; i < kWritten.size(); ++i) p[kWritten[i] - 1] = d[1 + i];
        }
        return answer({d[0], p[2], p[1], p[0], p[5], p[4], p[3]});
    }

    // Both ways as W3 W2 W1 W6 W5 W4.
    Answer param54() {
        if (!sized(1, 25)) return {};
        static constexpr std::array<std::size_t, 6> kOrder = {3, 2, 1, 6, 5, 4};
        auto& w = set_.words54;
        if (write_)
            for (std::size_t i = 0; i < kOrder.size(); ++i) w[kOrder[i] - 1] = wordAt(d, 1 + 4 * i);
        return answer({d[0]}, {w[2], w[1], w[0], w[5], w[4], w[3]});
    }

    // Both ways as W3 W2 W1.
    Answer param63() {
        if (!sized(1, 13)) return {};
        auto& w = set_.words63;
        if (write_)
            for (std::size_t i = 0; i < 3; ++i) w[2 - i] = wordAt(d, 1 + 4 * i);
        return answer({d[0]}, {w[2], w[1], w[0]});
    }

    // Mode 0: the words W3 W2 W1; mode 1: the bytes B3 B2 B1, each as a word.
    Answer wordsOrBytes(WordsAndBytes& group) {
        if (!sized(2, 14)) return {};
        const std::uint8_t mode = d[1];
        if (mode != kModeWord && mode != kModeByte) return {};
        if (write_) {
            const std::array<std::uint32_t, 3> values = {wordAt(d, 10), wordAt(d, 6),
                                                         wordAt(d, 2)};  // 1, 2, 3
            if (mode == kModeByte &&
                std::any_of(values.begin(), values.end(), [](auto v) { return v > 0xFF; }))
                return {};
            for (std::size_t i = 0; i < 3; ++i) {
                if (mode == kModeWord) group.words[i] = values[i];
                if (mode == kModeByte) group.bytes[i] = static_cast<std::uint8_t>(values[i]);
            }
        }
        if (mode == kModeWord) return answer({d[0], mode}, {group.words[2], group.words[1], group.words[0]});
        return answer({d[0], mode}, {group.bytes[2], group.bytes[1], group.bytes[0]});
    }

    Answer wordOrByte(WordAndByte& group) {
        if (!sized(2, 6)) return {};
        const std::uint8_t mode = d[1];
        if (mode != kModeWord && mode != kModeByte) return {};
        if (write_) {
            const std::uint32_t value = wordAt(d, 2);
            if (mode == kModeByte && value > 0xFF) return {};
            if (mode == kModeWord) group.word = value;
            if (mode == kModeByte) group.byte = static_cast<std::uint8_t>(value);
        }
        return answer({d[0], mode}, {mode == kModeWord ? group.word : group.byte});
    }

    // The channel's byte65 picks the word: 1 the first, 0 the second, anything else neither.
    Answer param67() {
        if (!sized(1, 6)) return {};
        ChannelSet* channel = numbered(set_.channels, d[0]);
        if (channel == nullptr) return {};
        std::uint32_t* word = channel->byte65 == 1   ? &channel->first67
                              : channel->byte65 == 0 ? &channel->second67
                                                     : nullptr;
        if (write_ && word == nullptr) return {};
        if (write_) *word = wordAt(d, 2);
        return answer({d[0], 0}, {word != nullptr ? *word : 0});
    }

    // 83 reads an entry's half and writes A, B and its first word; 84 fetches a half with a write.
    Answer entry83(bool param83) {
        const bool sound = param83 ? sized(3, 9) : write_ && d.size() == 3;
        if (!sound) return {};
        ChannelSet* channel = numbered(set_.channels, d[0]);
        auto* entry = channel != nullptr ? numbered(channel->entry83, d[2]) : nullptr;
        Entry83Half* half = entry != nullptr ? numbered(*entry, d[1]) : nullptr;
        if (half == nullptr) return {};
        if (param83 && write_) {
            half->a = d[3];
            half->b = d[4];
            half->words[0] = wordAt(d, 5);
        }
        return answer({d[0], d[1], d[2], half->a, half->b}, {half->words[0], half->words[1], half->words[2]});
    }

    WorkingSet& set_;
    bool write_;
    std::span<const std::uint8_t> d;
};

}  // namespace

bool isWorkingCommand(std::uint8_t command) {
    return std::find(kWorkingCommands.begin(), kWorkingCommands.end(), command) != kWorkingCommands.end();
}

std::optional<std::vector<std::uint8_t>> serveWorkingCommand(WorkingSet& set, std::uint8_t command,
                                                             bool write, std::span<const std::uint8_t> data) {
    return Server(set, write, data).serve(command);
}

std::vector<std::size_t> channelPositions(std::uint8_t command, std::size_t size) {
    switch (command) {
        case 22:
            return {1};
        case 25:
            return size == 8 ? std::vector<std::size_t>{2, 4, 6} : std::vector<std::size_t>{1};
        case 32:
        case 33:
        case 34:
        case 35:
        case 41:
        case 42:
        case 51:
        case 53:
        case 65:
        case 67:
        case 73:
        case 74:
        case 75:
        case 83:
        case 84:
        case 102:
            return {0};
        default:
            return {};
    }
}

}  // namespace rq::sim
