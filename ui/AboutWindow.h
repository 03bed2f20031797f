// What the About dialog's logic asks of its window (template 100).
#pragma once

#include <string>

namespace fwut {

class AboutWindow {
public:
    virtual ~AboutWindow() = default;

    virtual void PlaceWindow() = 0;
    virtual void SetWindowTextA(const std::string& caption) = 0;
    virtual void SetDlgItemTextA(int id, const std::string& text) = 0;
    // Sets a rich-edit field's text, selects all of it, adds link
    // notifications to its event mask and formats the selection as a link.
    virtual void SetLinkText(int id, const std::string& text) = 0;
    // The text of characters [first, last) of a link field.
    virtual std::string GetTextRange(int id, long first, long last) = 0;
    // WM_NEXTDLGCTL with the "OK" button's handle: the focus moves there at once.
    virtual void FocusOkButton() = 0;
};

}  // namespace fwut
