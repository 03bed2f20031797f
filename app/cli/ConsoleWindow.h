// The main dialog's window on a text console, for the command-line updater:
// it keeps the controls' state, prints every change of a status line once,
// draws the page progress as a bar on a terminal with the time taken and an
// estimate of the time left (plain lines otherwise), prints every message
// box's caption and text without waiting for a key (with JSON lines, hands
// it to the JSON writer), and runs the dialog's message loop with its 500 ms
// timer. It has no frame and no system menu.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/cli/ConsoleOutput.h"
#include "platform/TickClock.h"
#include "ui/DialogWindow.h"
#include "update/UpdateEvents.h"

namespace fwut {

namespace cli {
class JsonEventWriter;
}

class ConsoleWindow final : public DialogWindow, public UpdateEventSink {
public:
    // With json, it prints no text of its own and gives each message box to
    // the JSON writer.
    ConsoleWindow(TickClock& clock, cli::ConsoleOutput& out, bool isTerminal, cli::JsonEventWriter* json);

    void Attach(MessageSink& dialog) override { m_dialog = &dialog; }

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
    int MessageBoxA(const std::string& text, const std::string& caption, UINT type) override;
    void WakeForPostedMessage() override { m_woken = true; }
    std::uintptr_t SetTimer(std::uintptr_t id, UINT periodMs) override;
    void KillTimer(std::uintptr_t id) override;
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
    // A refused Ctrl-Z is explained once.
    void ExplainRefusedPause();

    TickClock& m_clock;
    cli::ConsoleOutput& m_out;
    bool m_isTerminal;
    cli::JsonEventWriter* m_json;
    MessageSink* m_dialog = nullptr;
    std::map<int, Control> m_controls;
    bool m_progressLineOpen = false;
    DWORD m_progressStart = 0;  // when the transfer's first page went out
    bool m_woken = false;
    bool m_ended = false;
    bool m_timerRunning = false;
    bool m_pauseExplained = false;
    UINT m_timerPeriod = 0;
    DWORD m_nextTick = 0;
};

}  // namespace fwut
