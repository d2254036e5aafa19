#include "core/settings/CommSettings.h"

namespace rq {

std::string CommSettings::lineSettingsText() const {
    return CommBaudrate + "," + Parity + "," + DataBits + "," + StopBits;
}

}  // namespace rq
