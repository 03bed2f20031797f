// The desktop program's platform services: those of the system, with the
// companion hand-off reaching other programs' windows on the X display.
#pragma once

#include <memory>
#include <string>

#include "platform/PlatformServices.h"

namespace fwut::gui {

std::unique_ptr<PlatformServices> CreateGuiPlatformServices(const std::string& applicationName);

}  // namespace fwut::gui
