#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rq {

struct ErrorMessage {
    std::string title;
    std::string text;
};

// The message box for an error code; nullopt for 0 and for codes without a message.
std::optional<ErrorMessage> errorMessage(std::uint8_t code);

}  // namespace rq
