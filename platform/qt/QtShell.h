// Opens the About dialog's "mailto:" and "http://" targets with the
// desktop's default programs.
#pragma once

#include "platform/Shell.h"

namespace fwut::qt {

class QtShell final : public Shell {
public:
    // Nothing is reported when nothing opens the target.
    void Open(const std::string& target) override;
};

}  // namespace fwut::qt
