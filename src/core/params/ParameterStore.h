#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace rq {

// The device's channels, sub-indices and the third index of commands 33 and 83, numbered from 1 on the
// wire and held from 0 here.
inline constexpr std::size_t kChannels = 3;
inline constexpr std::size_t kSubIndices = 2;
inline constexpr std::size_t kIndices = 3;

template <typename T>
using PerChannel = std::array<T, kChannels>;
template <typename T>
using PerSubIndex = std::array<T, kSubIndices>;
template <typename T>
using PerIndex = std::array<T, kIndices>;

struct Param21Slot {
    std::uint8_t key = 0;
    std::array<std::uint8_t, 3> b{};  // b1, b2, b3
    friend bool operator==(const Param21Slot&, const Param21Slot&) = default;
};

struct Param22Values {
    std::uint8_t shared = 0;  // command 56 reads and writes it too
    PerChannel<std::uint8_t> bytes{};
    PerChannel<std::uint32_t> words{};
    friend bool operator==(const Param22Values&, const Param22Values&) = default;
};

struct Param23Values {
    std::uint8_t P = 0;
    std::uint8_t Q = 0;
    friend bool operator==(const Param23Values&, const Param23Values&) = default;
};

// Commands 61 and 62: W1 to W3 and B1 to B3.
struct WordsAndBytes {
    std::array<std::uint32_t, 3> words{};
    std::array<std::uint8_t, 3> bytes{};
    friend bool operator==(const WordsAndBytes&, const WordsAndBytes&) = default;
};

// Commands 66, 72 and 82: a mode byte in the payload picks one of the two.
struct WordOrByte {
    std::uint32_t word = 0;
    std::uint8_t byte = 0;
    friend bool operator==(const WordOrByte&, const WordOrByte&) = default;
};

// Command 67: the channel's Param65Group byte picks one of the two.
struct TwoWords {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    friend bool operator==(const TwoWords&, const TwoWords&) = default;
};

// One half of a command 83 entry: the values of one sub-index.
struct Param83Half {
    std::uint8_t A = 0;
    std::uint8_t B = 0;
    std::array<std::uint32_t, 3> words{};
    friend bool operator==(const Param83Half&, const Param83Half&) = default;
};

using Param83Entry = PerSubIndex<Param83Half>;
using Param83Table = PerChannel<PerIndex<Param83Entry>>;  // [channel][index][sub-index]

struct Param83Copies {
    Param83Table received{};
    Param83Table sending{};  // what a write of 83 sends; each answer copies its entry here
    friend bool operator==(const Param83Copies&, const Param83Copies&) = default;
};

// The device values of one run, held exactly as they travel: one character per device byte.
struct ParameterStore {
    // Identity group: backed up in step 2, written back in step 7.
    std::string ModelName;     // 8 characters
    std::string SerialNumber;  // 6 characters
    std::uint8_t Param03Value = 0;
    std::uint8_t Param04Value = 0;
    std::array<std::uint8_t, 2> FirmwareVersion{};
    std::uint8_t Param06Value = 0;

    // Access mode.
    std::uint8_t AccessModeRequest = 0;
    std::string AccessCode;
    bool KeepPortOpen = false;
    std::uint8_t AccessModeCoded = 0;

    // The leading bytes of the channel parameter requests: channel, sub-index, index, mode or key.
    std::array<std::uint8_t, 10> RequestSelectors{};

    // The channel parameters, one group per command that fills it.
    std::array<std::uint8_t, 8> Param11Group{};
    std::array<std::uint8_t, 8> Param12Group{};  // command 12 fills elements 0 to 3
    std::array<Param21Slot, 13> Param21Group{};
    Param22Values Param22Group;
    Param23Values Param23Group;
    PerChannel<std::uint8_t> Param25Group{};
    std::uint8_t Param31Group = 0;
    PerChannel<std::uint32_t> Param32Group{};
    PerChannel<PerSubIndex<PerIndex<std::uint32_t>>> Param33Group{};
    PerChannel<PerSubIndex<std::uint32_t>> Param34Group{};
    PerChannel<std::uint8_t> Param35Group{};
    PerChannel<std::uint8_t> Param41Group{};
    PerChannel<std::uint32_t> Param42Group{};
    PerChannel<std::uint8_t> Param51Group{};
    std::array<std::uint8_t, 6> Param52Group{};  // P1 to P6
    PerChannel<std::uint8_t> Param53Group{};
    std::array<std::uint32_t, 6> Param54Group{};  // W1 to W6
    std::array<std::uint8_t, 3> Param55Group{};   // B1 to B3
    WordsAndBytes Param61Group;
    WordsAndBytes Param62Group;
    std::array<std::uint32_t, 3> Param63Group{};  // W1 to W3
    std::uint32_t Param64Group = 0;
    PerChannel<std::uint8_t> Param65Group{};
    WordOrByte Param66Group;
    PerChannel<TwoWords> Param67Group{};
    WordOrByte Param72Group;
    PerChannel<std::uint8_t> Param73Group{};
    PerChannel<std::uint32_t> Param74Group{};
    PerChannel<std::uint32_t> Param75Group{};
    WordOrByte Param82Group;
    Param83Copies Param83Group;
    std::array<std::uint8_t, 2> Param91Group{};
    std::uint8_t Param93Group = 0;
    PerChannel<PerSubIndex<std::uint32_t>> Param102Group{};
    std::uint32_t Param104Group = 0;

    friend bool operator==(const ParameterStore&, const ParameterStore&) = default;
};

}  // namespace rq
