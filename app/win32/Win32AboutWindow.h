// The About dialog on Win32: template 100 with its three rich-edit link
// fields, run modally and owned by the main dialog.
#pragma once

#include "ui/AboutWindow.h"
#include "platform/Shell.h"
#include "platform/Win32Types.h"

namespace fwut {

class Win32AboutWindow final : public AboutWindow {
public:
    // Shows the dialog modally over owner and returns when it is closed.
    static void RunModal(HINSTANCE instance, HWND owner, Shell& shell);

    void PlaceWindow() override;
    void SetWindowTextA(const std::string& caption) override;
    void SetDlgItemTextA(int id, const std::string& text) override;
    void SetLinkText(int id, const std::string& text) override;
    std::string GetTextRange(int id, long first, long last) override;
    void FocusOkButton() override;

private:
    explicit Win32AboutWindow(HWND window) : m_hwnd(window) { }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd;
};

// Moves a window, keeping its size, to where both dialogs sit on the screen.
void PlaceDialogWindow(HWND window);

}  // namespace fwut
