// The main dialog's window on a text console, for the command-line updater:
// it keeps the controls' state, prints every change of a status line once,
// draws the page progress as a bar on a terminal with the time taken and an
// estimate of the time left (plain lines otherwise),
// prints every message box's caption and text without waiting for a key,
// and runs the dialog's message loop with its 500 ms timer.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/cli/ConsoleOutput.h"
#include "ui/DialogWindow.h"
#include "update/UpdateEvents.h"
#include "platform/TickClock.h"

namespace fwut {

class ConsoleWindow final : public DialogWindow, public UpdateEventSink {
public:
    // For the JSON output (jsonLines), it prints no text of its own and
    // gives each message box as a "message" line.
    ConsoleWindow(TickClock& clock, cli::ConsoleOutput& out, bool isTerminal, bool jsonLines);

    void Attach(MessageSink& dialog) { m_dialog = &dialog; }

    // Delivers a click when the control is visible and enabled.
    bool Click(int id);
    bool IsEnabled(int id) { return m_controls[id].enabled; }
    // Runs the message loop until done() holds or the dialog ends; onTurn()
    // runs before each turn (for signals and time limits).
    void RunUntil(const std::function<bool()>& done, const std::function<void()>& onTurn);

    // The progress and the wait come from the update's own account.
    void OnUpdateEvent(const UpdateEvent& event) override;

    void SetDlgItemTextA(int id, const std::string& text) override;
    std::string GetDlgItemTextA(int id) override;
    void EnableDlgItem(int id, bool enable) override;
    void ShowDlgItem(int id, bool show) override;
    void CheckRadioButton(int firstId, int lastId, int checkId) override;
    bool IsDlgButtonChecked(int id) override;
    void SetWindowTextA(const std::string&) override { }
    bool HasSystemMenu() override { return false; }
    void AppendSystemMenuSeparator() override { }
    void AppendSystemMenuItem(UINT, const std::string&) override { }
    void EnableSystemMenuItem(UINT, bool) override { }
    int MessageBoxA(const std::string& text, const std::string& caption, UINT type) override;
    void WakeForPostedMessage() override { m_woken = true; }
    std::uintptr_t SetTimer(std::uintptr_t id, UINT periodMs) override;
    void KillTimer(std::uintptr_t id) override;
    void BeginWaitCursor() override { }
    void EndWaitCursor() override { }
    void RedrawDialog() override { }
    void DispatchOnePendingMessage() override;
    IconHandle LoadProgramIcon() override { return nullptr; }
    void SetLargeIcon(IconHandle) override { }
    void PlaceWindow() override { }
    void CreateBoldFont() override { }
    bool IsIconic() override { return false; }
    void DrawIconCentred(IconHandle) override { }
    void ShowAboutDialog() override { }
    void EndDialog(int) override { m_ended = true; }

private:
    struct Control {
        std::string text;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
    };

    void PrintStatus(const std::string& text);
    void PrintProgress(int page, int pageCount);
    void EndProgressLine();
    void DeliverTimerTickIfDue();

    TickClock& m_clock;
    cli::ConsoleOutput& m_out;
    bool m_isTerminal;
    bool m_jsonLines;
    MessageSink* m_dialog = nullptr;
    std::map<int, Control> m_controls;
    bool m_progressLineOpen = false;
    DWORD m_progressStart = 0;  // when the transfer's first page went out
    bool m_woken = false;
    bool m_ended = false;
    bool m_timerRunning = false;
    UINT m_timerPeriod = 0;
    DWORD m_nextTick = 0;
};

}  // namespace fwut
