#include "core/link/Dispatch.h"

#include <array>

#include "core/params/ChannelCatalogue.h"

namespace rq {
namespace {

using Builder = void (*)(CommandRecord&, const ParameterStore&);
using Handler = bool (*)(const CommandRecord&, ResponseTarget&);

struct Route {
    Builder build = nullptr;   // nullptr: the record goes out as it is
    Handler handle = nullptr;  // nullptr: the response is dropped
};

// Commands 11, 12 and 126: a read carries no data, a write keeps what the record holds.
void lengthRuleR(CommandRecord& record, const ParameterStore&) {
    if (record.ReadWrite != kWrite) record.Length = 0;
}

// Commands 123 and 124: a write carries no data, a read keeps what the record holds.
void lengthRuleW(CommandRecord& record, const ParameterStore&) {
    if (record.ReadWrite == kWrite) record.Length = 0;
}

// Indexed by command number; numbers without a meaning here keep the empty route.
constexpr std::array<Route, 128> makeRoutes() {
    std::array<Route, 128> routes{};
    routes[MODEL_NAME] = {buildModelName, handleModelName};
    routes[SERIAL_NUMBER] = {buildSerialNumber, handleSerialNumber};
    routes[PARAM_03] = {buildParam03, handleParam03};
    routes[PARAM_04] = {buildParam04, handleParam04};
    routes[FIRMWARE_VERSION] = {buildFirmwareVersion, handleFirmwareVersion};
    routes[PARAM_06] = {buildParam06, handleParam06};
    routes[PARAM_11] = {lengthRuleR, handleChannelResponse};
    routes[PARAM_12] = {lengthRuleR, handleChannelResponse};
    for (const std::uint8_t command :
         {PARAM_21, PARAM_22, PARAM_23, PARAM_25, PARAM_31, PARAM_32, PARAM_33,  PARAM_34, PARAM_35,
          PARAM_41, PARAM_42, PARAM_51, PARAM_52, PARAM_53, PARAM_54, PARAM_55,  PARAM_56, PARAM_61,
          PARAM_62, PARAM_63, PARAM_64, PARAM_65, PARAM_66, PARAM_67, PARAM_72,  PARAM_73, PARAM_74,
          PARAM_75, PARAM_82, PARAM_83, PARAM_84, PARAM_91, PARAM_93, PARAM_102, PARAM_104}) {
        routes[command] = {buildChannelRequest, handleChannelResponse};
    }
    for (const std::uint8_t command : {PARAM_36, PARAM_92, PARAM_101, PARAM_103})
        routes[command] = {buildChannelRequest, handleEventsOnly};
    routes[PARAM_123] = {lengthRuleW, handleEventsOnly};
    routes[PARAM_124] = {lengthRuleW, handleEventsOnly};
    routes[PASSWORD_READ] = {lengthRuleR, handlePasswordRead};
    routes[ACCESS_MODE] = {buildAccessMode, handleAccessMode};
    return routes;
}

constexpr std::array<Route, 128> kRoutes = makeRoutes();

const Route* routeOf(std::uint8_t command) {
    return command < kRoutes.size() ? &kRoutes[command] : nullptr;
}

}  // namespace

void QueueCommand(CommandQueue& queue, std::int32_t& count, std::uint8_t command, std::uint8_t readWrite,
                  const ParameterStore& store) {
    queue.resize(static_cast<std::size_t>(count) + 1);
    CommandRecord& record = queue.back();
    record.Command = command;
    record.ReadWrite = readWrite;
    BuildRequest(record, store);
    ++count;
}

void BuildRequest(CommandRecord& record, const ParameterStore& store) {
    record.Preamble.fill(0xFF);
    const Route* route = routeOf(record.Command);
    if (route != nullptr && route->build != nullptr) route->build(record, store);
}

bool DispatchResponse(const CommandRecord& response, ResponseTarget& target) {
    const Route* route = routeOf(response.Command);
    if (route == nullptr || route->handle == nullptr) return false;
    return route->handle(response, target);
}

}  // namespace rq
