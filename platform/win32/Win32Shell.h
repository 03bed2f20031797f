// Opens a link target with the program the desktop has for it.
#pragma once

#include "platform/Shell.h"

namespace fwut {

class Win32Shell final : public Shell {
public:
    void Open(const std::string& target) override;
};

}  // namespace fwut
