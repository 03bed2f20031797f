// CAboutDlg: names the utility, its version and release date, and lists the
// maker's contacts; the web and e-mail addresses are links.
#pragma once

#include "ui/AboutWindow.h"
#include "platform/Shell.h"
#include "platform/Win32Types.h"

namespace fwut {

constexpr const char* kProgramVersion = "2.0.0.62";
constexpr const char* kReleaseDate = "May 1, 2018";

class CAboutDlg {
public:
    CAboutDlg(AboutWindow& window, Shell& shell) : m_window(window), m_shell(shell) { }

    void OnInitDialog();
    // EN_LINK from a link field: mouseMessage is the message the link saw,
    // [first, last) the link's character range. Returns the notification's result.
    LRESULT OnLink(int id, UINT mouseMessage, long first, long last);
    // EN_SETFOCUS from a link field: no caret is ever left in one.
    void OnLinkFocus(int id);

    static std::string TargetForLinkText(const std::string& text);

private:
    AboutWindow& m_window;
    Shell& m_shell;
};

}  // namespace fwut
