#pragma once

#include <cstdint>

#include "core/params/CommandRecord.h"
#include "core/params/Payloads.h"

namespace rq {

// The command numbers of the channel parameters.
enum ChannelCommandNumber : std::uint8_t {
    PARAM_11 = 11,
    PARAM_12 = 12,
    PARAM_21 = 21,
    PARAM_22 = 22,
    PARAM_23 = 23,
    PARAM_25 = 25,
    PARAM_31 = 31,
    PARAM_32 = 32,
    PARAM_33 = 33,
    PARAM_34 = 34,
    PARAM_35 = 35,
    PARAM_36 = 36,
    PARAM_41 = 41,
    PARAM_42 = 42,
    PARAM_51 = 51,
    PARAM_52 = 52,
    PARAM_53 = 53,
    PARAM_54 = 54,
    PARAM_55 = 55,
    PARAM_56 = 56,
    PARAM_61 = 61,
    PARAM_62 = 62,
    PARAM_63 = 63,
    PARAM_64 = 64,
    PARAM_65 = 65,
    PARAM_66 = 66,
    PARAM_67 = 67,
    PARAM_72 = 72,
    PARAM_73 = 73,
    PARAM_74 = 74,
    PARAM_75 = 75,
    PARAM_82 = 82,
    PARAM_83 = 83,
    PARAM_84 = 84,
    PARAM_91 = 91,
    PARAM_92 = 92,
    PARAM_93 = 93,
    PARAM_101 = 101,
    PARAM_102 = 102,
    PARAM_103 = 103,
    PARAM_104 = 104,
};

// The builder and the handler that every channel parameter command shares: each reads the layouts of
// its command number from the catalogue. A direction without a layout leaves Length and Data as the
// record holds them.
void buildChannelRequest(CommandRecord& record, const ParameterStore& store);
// True when the store took the response. A response of another length, one too short for the bytes
// read, or one with a channel, sub-index, index, mode or key that names nothing changes nothing at all.
bool handleChannelResponse(const CommandRecord& response, ResponseTarget& target);
// The answer of a command that carries nothing to store: taken as it is.
bool handleEventsOnly(const CommandRecord& response, ResponseTarget& target);

}  // namespace rq
