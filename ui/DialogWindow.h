// What the main dialog's logic asks of its window. The logic never touches a
// toolkit: each backend (Qt, Win32, the console, the test recorder) carries
// out these calls on its own controls, and translates its own events into the
// dialog's messages (CFWUT_UpdateDlg::HandleMessage).
//
// Ordering every backend guarantees:
//  1. A private message the dialog posts to itself is handled before the next
//     timer tick. The dialog keeps those messages in a queue of its own and
//     drains it before it handles any WM_TIMER, so this holds even where the
//     toolkit delivers an overdue timer before events posted meanwhile (Qt
//     does); a backend only has to call DeliverPostedMessages() soon after
//     WakeForPostedMessage().
//  2. A message box's own modal loop keeps delivering timer ticks (WM_TIMER)
//     to the dialog while the box is open.
//  3. DispatchOnePendingMessage() processes exactly one pending event and no
//     user input, and never blocks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Win32Types.h"

namespace fwut {

using IconHandle = const void*;

// What a message handler tells its window backend.
struct MessageResult {
    bool handled = false;  // false: run the platform's default processing
    LRESULT value = 0;
};

// The colour rule's answer for one static control (WM_CTLCOLORSTATIC).
struct ControlColors {
    bool apply = false;  // false: the default font and colours
    bool boldFont = false;
    COLORREF textColor = 0;
    bool transparent = false;
};

// The dialog as its window backend sees it.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Every window message goes through here. For WM_CTLCOLORSTATIC, wParam
    // is the control ID and lParam points to a ControlColors for the answer.
    virtual MessageResult HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Handles the private messages the dialog has queued for itself.
    virtual void DeliverPostedMessages() = 0;
};

// The parts of a desktop window that the dialog dresses and keeps drawn:
// caption, icon, placement, fonts, the wait cursor, repaints during a long
// step, and the About dialog. A window without them (the console) has the
// neutral frame, NoWindowFrame.
class WindowFrame {
public:
    virtual ~WindowFrame() = default;

    virtual void SetWindowTextA(const std::string& caption) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Invalidates the whole dialog without erasing and repaints it at once.
    virtual void RedrawDialog() = 0;
    // Posts WM_PAINT to the dialog, then takes and dispatches exactly one
    // pending message (the posted paint at the latest), so that status lines
    // repaint while a long step keeps the thread busy.
    virtual void DispatchOnePendingMessage() = 0;

    // The program icon (resource 128), the window's large icon, placement
    // centred across and a quarter of the free height from the top (see
    // DialogPlacement.h), and the bold 9-point font of the highlighted lines.
    virtual IconHandle LoadProgramIcon() = 0;
    virtual void SetLargeIcon(IconHandle icon) = 0;
    virtual void PlaceWindow() = 0;
    virtual void CreateBoldFont() = 0;
    virtual bool IsIconic() = 0;
    // Erases the icon's background and draws it centred in the client area.
    virtual void DrawIconCentred(IconHandle icon) = 0;

    virtual void ShowAboutDialog() = 0;
};

// The frame of a window that has none: nothing to dress, draw or show.
class NoWindowFrame final : public WindowFrame {
public:
    static NoWindowFrame& Instance()
    {
        static NoWindowFrame frame;
        return frame;
    }

    void SetWindowTextA(const std::string&) override { }
    void BeginWaitCursor() override { }
    void EndWaitCursor() override { }
    void RedrawDialog() override { }
    void DispatchOnePendingMessage() override { }
    IconHandle LoadProgramIcon() override { return nullptr; }
    void SetLargeIcon(IconHandle) override { }
    void PlaceWindow() override { }
    void CreateBoldFont() override { }
    bool IsIconic() override { return false; }
    void DrawIconCentred(IconHandle) override { }
    void ShowAboutDialog() override { }
};

// The window's system menu, where the window has one the program can extend
// (Win32).
class SystemMenu {
public:
    virtual ~SystemMenu() = default;

    virtual void AppendSystemMenuSeparator() = 0;
    virtual void AppendSystemMenuItem(UINT command, const std::string& text) = 0;
    // By command: enabled, or grayed.
    virtual void EnableSystemMenuItem(UINT command, bool enable) = 0;
};

// What every window of the dialog does: its controls, message boxes, the
// timer, the wake-up for posted messages, and the dialog's end.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    // The dialog that receives the window's messages.
    virtual void Attach(MessageSink& dialog) = 0;

    virtual void SetDlgItemTextA(int id, const std::string& text) = 0;
    virtual std::string GetDlgItemTextA(int id) = 0;
    virtual void EnableDlgItem(int id, bool enable) = 0;
    virtual void ShowDlgItem(int id, bool show) = 0;
    // Checks checkId and unchecks the other buttons from firstId to lastId; a
    // checkId outside the range (such as -1) unchecks them all.
    virtual void CheckRadioButton(int firstId, int lastId, int checkId) = 0;
    virtual bool IsDlgButtonChecked(int id) = 0;

    // Modal, owned by the dialog, one OK button; returns when dismissed.
    virtual int MessageBoxA(const std::string& text, const std::string& caption, UINT type) = 0;

    // The dialog has queued a private message for itself.
    virtual void WakeForPostedMessage() = 0;

    // Timer ticks arrive as WM_TIMER with the timer's identifier in wParam.
    virtual std::uintptr_t SetTimer(std::uintptr_t id, UINT periodMs) = 0;
    virtual void KillTimer(std::uintptr_t id) = 0;

    virtual void EndDialog(int result) = 0;

    // The roles a window may have beyond its controls.
    virtual WindowFrame& Frame() { return NoWindowFrame::Instance(); }
    virtual SystemMenu* Menu() { return nullptr; }
};

}  // namespace fwut
