// The main dialog on Win32: the real dialog from template 102, run modally
// with DialogBoxParamA. Its dialog procedure hands every message the dialog's
// logic knows to CFWUT_UpdateDlg::HandleMessage and carries out the logic's
// calls on the real controls.
#pragma once

#include <functional>
#include <string>

#include "app/win32/AccessibleAnnotations.h"
#include "app/win32/PortToolTips.h"
#include "app/win32/TaskbarProgress.h"
#include "ui/DialogWindow.h"
#include "platform/Shell.h"
#include "platform/Win32Types.h"

namespace fwut {

class Win32DialogWindow final : public DialogWindow, public WindowFrame, public SystemMenu {
public:
    // The message that wakes the dialog for the private messages it queued.
    static constexpr UINT kWakeMessage = WM_APP + 1;

    // portToolTip gives the tool tip of the button for COM<n>.
    Win32DialogWindow(HINSTANCE instance, Shell& shell, std::function<std::string(int)> portToolTip)
        : m_instance(instance), m_shell(shell), m_portToolTip(std::move(portToolTip))
    {
    }
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;
    ~Win32DialogWindow() override;

    void Attach(MessageSink& dialog) override { m_dialog = &dialog; }
    WindowFrame& Frame() override { return *this; }
    SystemMenu* Menu() override;
    // Shows the dialog modally; returns its result once it has ended.
    INT_PTR RunModal();
    // A line shown under a message box's text ("" for none).
    void SetBoxNote(std::function<std::string(const std::string&)> note) { m_boxNote = std::move(note); }

    void SetDlgItemTextA(int id, const std::string& text) override;
    std::string GetDlgItemTextA(int id) override;
    void EnableDlgItem(int id, bool enable) override;
    void ShowDlgItem(int id, bool show) override;
    void CheckRadioButton(int firstId, int lastId, int checkId) override;
    bool IsDlgButtonChecked(int id) override;
    void SetWindowTextA(const std::string& caption) override;
    void AppendSystemMenuSeparator() override;
    void AppendSystemMenuItem(UINT command, const std::string& text) override;
    void EnableSystemMenuItem(UINT command, bool enable) override;
    int MessageBoxA(const std::string& text, const std::string& caption, UINT type) override;
    void WakeForPostedMessage() override;
    std::uintptr_t SetTimer(std::uintptr_t id, UINT periodMs) override;
    void KillTimer(std::uintptr_t id) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void RedrawDialog() override;
    void DispatchOnePendingMessage() override;
    IconHandle LoadProgramIcon() override;
    void SetLargeIcon(IconHandle icon) override;
    void PlaceWindow() override;
    void CreateBoldFont() override;
    bool IsIconic() override;
    void DrawIconCentred(IconHandle icon) override;
    void ShowAboutDialog() override;
    void EndDialog(int result) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnControlColor(WPARAM deviceContext, LPARAM control);
    bool IsCommandAllowed(UINT message, WPARAM wParam);
    void FitPortButton(int id);
    void ShowProgressOnTaskbar(const std::string& progressLine);

    HINSTANCE m_instance;
    Shell& m_shell;
    std::function<std::string(int)> m_portToolTip;
    std::function<std::string(const std::string&)> m_boxNote;
    PortToolTips m_portToolTips;
    AccessibleAnnotations m_annotations;
    TaskbarProgress m_taskbar;
    MessageSink* m_dialog = nullptr;
    HWND m_hwnd = nullptr;
    HFONT m_boldFont = nullptr;
    int m_waitCursorDepth = 0;
    HCURSOR m_cursorBeforeWait = nullptr;
};

}  // namespace fwut
