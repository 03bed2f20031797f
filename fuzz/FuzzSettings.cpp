// libFuzzer target for the settings file's text: reading never fails, the
// port map holds only COM1 to COM100 with a device, and saving the port
// changes that value and nothing of the user's port map.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/IniSettingsStore.h"
#include "platform/posix/IniText.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto ports = fwut::PortMapOfText(text);
    for (const auto& [number, path] : ports) {
        Check(number >= 1 && number <= 100);
        Check(!path.empty());
    }
    const std::string saved = fwut::ini::WithValue(text, "Settings", "ComPort", "7");
    Check(fwut::ini::Value(saved, "Settings", "ComPort") == "7");
    Check(fwut::PortMapOfText(saved) == ports);
    return 0;
}
