#pragma once

#include <array>
#include <cstdint>

namespace rq::sim {

// One sub-index of an entry of command 83's table.
struct Entry83Half {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::array<std::uint32_t, 3> words{};
    friend bool operator==(const Entry83Half&, const Entry83Half&) = default;
};

// What the device keeps for one of its channels, by the command that carries it.
struct ChannelSet {
    std::uint8_t byte22 = 0;
    std::uint8_t byte25 = 0;
    std::uint8_t byte35 = 0;
    std::uint8_t byte41 = 0;
    std::uint8_t byte51 = 0;
    std::uint8_t byte53 = 0;
    std::uint8_t byte65 = 0;  // 1 picks first67, 0 second67
    std::uint8_t byte73 = 0;
    std::uint32_t word22 = 0;
    std::uint32_t word32 = 0;
    std::uint32_t word42 = 0;
    std::uint32_t word74 = 0;
    std::uint32_t word75 = 0;
    std::uint32_t first67 = 0;
    std::uint32_t second67 = 0;
    std::array<std::uint32_t, 2> word34{};                 // by sub-index
    std::array<std::uint32_t, 2> word102{};                // by sub-index
    std::array<std::array<std::uint32_t, 3>, 2> word33{};  // by sub-index, then index
    std::array<std::array<Entry83Half, 2>, 3> entry83{};   // by index, then sub-index
    friend bool operator==(const ChannelSet&, const ChannelSet&) = default;
};

struct Slot21 {
    std::uint8_t key = 0;
    std::array<std::uint8_t, 3> bytes{};
    friend bool operator==(const Slot21&, const Slot21&) = default;
};

// Three words and three bytes, in the order the device numbers them (W1 to W3, B1 to B3).
struct WordsAndBytes {
    std::array<std::uint32_t, 3> words{};
    std::array<std::uint8_t, 3> bytes{};
    friend bool operator==(const WordsAndBytes&, const WordsAndBytes&) = default;
};

struct WordAndByte {
    std::uint32_t word = 0;
    std::uint8_t byte = 0;
    friend bool operator==(const WordAndByte&, const WordAndByte&) = default;
};

// The normal-mode firmware's working parameters: everything the channel parameter commands read and
// write. Kept with the identity across power cycles; the parameter initialisation resets it.
struct WorkingSet {
    std::array<ChannelSet, 3> channels{};
    std::array<std::uint8_t, 8> bytes11{};
    std::array<std::uint8_t, 8> bytes12{};
    std::array<Slot21, 13> slots21{};
    std::uint8_t shared22 = 0;
    std::uint8_t p23 = 0;
    std::uint8_t q23 = 0;
    std::uint8_t byte31 = 0;
    std::array<std::uint8_t, 6> bytes52{};  // P1 to P6
    std::array<std::uint32_t, 6> words54{};
    std::array<std::uint8_t, 3> bytes55{};
    WordsAndBytes group61;
    WordsAndBytes group62;
    std::array<std::uint32_t, 3> words63{};
    std::uint32_t word64 = 0;
    WordAndByte group66;
    WordAndByte group72;
    WordAndByte group82;
    std::array<std::uint8_t, 2> bytes91{};
    std::uint8_t byte93 = 0;
    std::uint32_t word104 = 0;
    friend bool operator==(const WorkingSet&, const WorkingSet&) = default;
};

// The set as the parameter initialisation leaves it, and as a device comes from the factory: every
// value differs from every other of its width, and between the two sets.
WorkingSet initialWorkingSet();
WorkingSet deliveredWorkingSet();

}  // namespace rq::sim
