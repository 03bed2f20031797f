// What the standard accessibility proxies (oleacc) cannot know of the port
// buttons, added through IAccPropServices: a button's description is its
// tool tip, and a hidden slot, which keeps the template's caption, has no name
// and no description, so that a screen reader never meets a second "COM7".
#pragma once

#include <string>

#include "platform/Win32Types.h"

struct IAccPropServices;

namespace fwut {

class AccessibleAnnotations {
public:
    AccessibleAnnotations() = default;
    AccessibleAnnotations(const AccessibleAnnotations&) = delete;
    AccessibleAnnotations& operator=(const AccessibleAnnotations&) = delete;
    ~AccessibleAnnotations();

    void SetDescription(HWND control, const std::string& text);
    void SetHidden(HWND control, bool hidden);

private:
    bool Ready();

    IAccPropServices* m_services = nullptr;
    bool m_tried = false;
    bool m_comStarted = false;
};

}  // namespace fwut
