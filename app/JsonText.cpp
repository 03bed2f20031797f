#include "app/JsonText.h"

namespace fwut {

std::string JsonLineText(const nlohmann::json& value)
{
    return value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

}  // namespace fwut
