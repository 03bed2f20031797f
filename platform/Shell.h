// Opening a "mailto:" or "http://" target with the desktop's default program.
#pragma once

#include <string>

namespace fwut {

class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecuteA(no owner, "open", target, no parameters, no folder,
    // SW_SHOWNORMAL). Nothing is reported when nothing opens it.
    virtual void Open(const std::string& target) = 0;
};

}  // namespace fwut
