#pragma once

#include <cstdint>

#include "core/io/WizardView.h"
#include "core/params/CommandRecord.h"
#include "core/params/FilledValues.h"
#include "core/params/ParameterStore.h"

namespace rq {

// The command numbers of the identity and access commands.
enum CommandNumber : std::uint8_t {
    MODEL_NAME = 1,
    SERIAL_NUMBER = 2,
    PARAM_03 = 3,
    PARAM_04 = 4,
    FIRMWARE_VERSION = 5,
    PARAM_06 = 6,
    PARAM_123 = 123,
    PARAM_124 = 124,
    PASSWORD_READ = 126,
    ACCESS_MODE = 127,
};

// The fixed access code of modes 0 and 1, and of the restore's write exchange.
inline constexpr const char* kAccessCode = "602431";
// The access code of the restore's parameter initialisation.
inline constexpr const char* kInitialisationCode = "48157203";

// What a response handler may change, and the direction of the request it answers (a device need not
// echo it).
struct ResponseTarget {
    ParameterStore& store;
    WizardView& view;
    std::uint8_t requestReadWrite = kRead;
    FilledValues* filled = nullptr;  // when given, told of every device value the response writes

    template <StoredValue T>
    void wrote(const T& value) const {
        if (filled != nullptr) filled->add(value);
    }
};

// Request builders: set Length and Data from ReadWrite and the store.
void buildModelName(CommandRecord& record, const ParameterStore& store);
void buildSerialNumber(CommandRecord& record, const ParameterStore& store);
void buildParam03(CommandRecord& record, const ParameterStore& store);
void buildParam04(CommandRecord& record, const ParameterStore& store);
void buildFirmwareVersion(CommandRecord& record, const ParameterStore& store);
void buildParam06(CommandRecord& record, const ParameterStore& store);
void buildAccessMode(CommandRecord& record, const ParameterStore& store);

// Response handlers: true when the store took the response. A payload of another length than the
// command's leaves the store as it is.
bool handleModelName(const CommandRecord& response, ResponseTarget& target);
bool handleSerialNumber(const CommandRecord& response, ResponseTarget& target);
bool handleParam03(const CommandRecord& response, ResponseTarget& target);
bool handleParam04(const CommandRecord& response, ResponseTarget& target);
bool handleFirmwareVersion(const CommandRecord& response, ResponseTarget& target);
bool handleParam06(const CommandRecord& response, ResponseTarget& target);
bool handleAccessMode(const CommandRecord& response, ResponseTarget& target);
// Shows the password the device sent in a message box, and waits until it is closed; true when the
// password had its length.
bool handlePasswordRead(const CommandRecord& response, ResponseTarget& target);

}  // namespace rq
