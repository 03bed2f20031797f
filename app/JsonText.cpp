#include "app/JsonText.h"

#include "platform/SystemText.h"

namespace fwut {

namespace {

std::string Dump(const nlohmann::json& value)
{
    return value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

// The keys are the program's own, in ASCII.
void MakeUtf8(nlohmann::json& value)
{
    if (value.is_string()) {
        value = text::SystemToUtf8(value.get_ref<const std::string&>());
    } else if (value.is_structured()) {
        for (auto& item : value) {
            MakeUtf8(item);
        }
    }
}

}  // namespace

std::string JsonLineText(const nlohmann::json& value)
{
    nlohmann::json utf8 = value;
    MakeUtf8(utf8);
    return Dump(utf8);
}

std::string JsonLineTextOfUtf8(const nlohmann::json& value)
{
    return Dump(value);
}

}  // namespace fwut
