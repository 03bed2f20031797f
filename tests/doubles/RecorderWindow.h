// A window for tests: it keeps the state of every control, records every call
// the dialog makes in order, answers message boxes at once (optionally running
// timer ticks "inside" the box, as a real box's modal loop does), and runs a
// deterministic message loop on a virtual clock.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/DialogWindow.h"
#include "tests/doubles/VirtualClock.h"

namespace fwut {

class RecorderWindow final : public DialogWindow, public WindowFrame, public SystemMenu {
public:
    struct Control {
        std::string text;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
    };
    struct Box {
        DWORD tick;
        std::string text;
        std::string caption;
        UINT type;
    };

    // initialTexts: the template's control texts, keyed by control ID.
    RecorderWindow(VirtualClock& clock, const std::map<int, std::string>& initialTexts = {});

    void Attach(MessageSink& dialog) override { m_dialog = &dialog; }
    WindowFrame& Frame() override { return *this; }
    SystemMenu* Menu() override { return this; }
    // Virtual milliseconds that pass while each message box is open; the
    // timer keeps ticking meanwhile.
    void SetMessageBoxOpenMs(DWORD ms) { m_boxOpenMs = ms; }

    // Operator actions and window events.
    void InitDialog() { m_dialog->HandleMessage(WM_INITDIALOG, 0, 0); }
    // A click reaches the dialog only when the control is visible and enabled.
    bool Click(int id);
    void Destroy() { m_dialog->HandleMessage(WM_DESTROY, 0, 0); }
    // Runs the message loop for ms virtual milliseconds: queued private
    // messages first, then each timer tick as it falls due.
    void RunFor(DWORD ms);
    // Runs until pred() holds or maxMs virtual milliseconds have passed.
    bool RunUntil(const std::function<bool()>& pred, DWORD maxMs);

    const Control& Item(int id) { return m_controls[id]; }
    const std::vector<std::string>& Calls() const { return m_calls; }
    const std::vector<Box>& Boxes() const { return m_boxes; }
    // Items of the standard menu are enabled until grayed.
    bool MenuItemEnabled(UINT command) const;
    bool Ended() const { return m_ended; }
    int WaitCursorDepth() const { return m_waitCursor; }
    bool TimerRunning() const { return m_timerRunning; }
    // Texts each control has shown, in order (repeats included).
    std::vector<std::string> TextHistory(int id) const;
    void ClearCalls() { m_calls.clear(); }
    const std::string& Caption() const { return m_caption; }

    void SetDlgItemTextA(int id, const std::string& text) override;
    std::string GetDlgItemTextA(int id) override { return m_controls[id].text; }
    void EnableDlgItem(int id, bool enable) override { m_controls[id].enabled = enable; }
    void ShowDlgItem(int id, bool show) override { m_controls[id].visible = show; }
    void CheckRadioButton(int firstId, int lastId, int checkId) override;
    bool IsDlgButtonChecked(int id) override { return m_controls[id].checked; }
    void SetWindowTextA(const std::string& caption) override { m_caption = caption; }
    void AppendSystemMenuSeparator() override { }
    void AppendSystemMenuItem(UINT command, const std::string& text) override;
    void EnableSystemMenuItem(UINT command, bool enable) override { m_menuEnabled[command] = enable; }
    int MessageBoxA(const std::string& text, const std::string& caption, UINT type) override;
    void WakeForPostedMessage() override { m_woken = true; }
    std::uintptr_t SetTimer(std::uintptr_t id, UINT periodMs) override;
    void KillTimer(std::uintptr_t) override { m_timerRunning = false; }
    void BeginWaitCursor() override { ++m_waitCursor; }
    void EndWaitCursor() override { --m_waitCursor; }
    void RedrawDialog() override { Record("RedrawDialog"); }
    void DispatchOnePendingMessage() override { Record("DispatchOnePendingMessage"); }
    IconHandle LoadProgramIcon() override;
    void SetLargeIcon(IconHandle) override { }
    void PlaceWindow() override { }
    void CreateBoldFont() override { }
    bool IsIconic() override { return false; }
    void DrawIconCentred(IconHandle) override { }
    void ShowAboutDialog() override { Record("ShowAboutDialog"); }
    void EndDialog(int result) override;

private:
    void Record(std::string call) { m_calls.push_back(std::move(call)); }
    void DeliverDueTimerTicks();

    VirtualClock& m_clock;
    MessageSink* m_dialog = nullptr;
    std::map<int, Control> m_controls;
    std::string m_caption;
    std::vector<std::pair<int, std::string>> m_textLog;
    std::vector<std::string> m_calls;
    std::vector<Box> m_boxes;
    std::map<UINT, bool> m_menuEnabled;
    bool m_ended = false;
    bool m_woken = false;
    bool m_timerRunning = false;
    UINT m_timerPeriod = 0;
    DWORD m_nextTick = 0;
    DWORD m_boxOpenMs = 0;
    int m_waitCursor = 0;
};

}  // namespace fwut
