#include "app/cli/ConsoleWindow.h"

#include <cstdint>
#include <string>

#include "app/cli/JsonOutput.h"
#include "platform/ConsoleSignals.h"
#include "platform/Printable.h"
#include "resources/resource.h"
#include "update/TransferTexts.h"

namespace fwut {

namespace {

constexpr int kProgressBarWidth = 40;

// The progress line is not among them: it is printed from the update's own
// account (OnUpdateEvent).
bool IsStatusLine(int id)
{
    switch (id) {
    case IDC_BOOTLOADER_VERSION:
    case IDC_FIRMWARE_FILE:
    case IDC_FIRMWARE_VERSION:
    case IDC_STATUS:
    case IDC_STEP:
        return true;
    default:
        return false;
    }
}

// "1:05" for 65 s.
std::string MinutesAndSeconds(DWORD ms)
{
    const DWORD seconds = ms / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
    return text;
}

}  // namespace

ConsoleWindow::ConsoleWindow(TickClock& clock, cli::ConsoleOutput& out, bool isTerminal, cli::JsonEventWriter* json)
    : m_clock(clock), m_out(out), m_isTerminal(isTerminal), m_json(json)
{
}

void ConsoleWindow::OnUpdateEvent(const UpdateEvent& event)
{
    ExplainRefusedPause();
    if (m_json != nullptr) {
        return;
    }
    if (const auto* page = std::get_if<events::PageSent>(&event); page != nullptr && page->transmission == 1) {
        PrintProgress(page->index + 1, page->count);
    } else if (std::holds_alternative<events::WaitBegan>(event)) {
        m_out.Print("Waiting for the module to answer (Ctrl-C cancels)...\n");
    }
}

void ConsoleWindow::ExplainRefusedPause()
{
    if (console::TakeRefusedPause() && !m_pauseExplained) {
        m_pauseExplained = true;
        m_out.PrintError("fwut-cli: an update cannot be paused while it uses the port; Ctrl-C cancels it.\n");
    }
}

bool ConsoleWindow::Click(int id)
{
    const Control& control = m_controls[id];
    if (!control.enabled || !control.visible || m_ended) {
        return false;
    }
    m_dialog->HandleMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    return true;
}

void ConsoleWindow::DeliverTimerTickIfDue()
{
    if (m_timerRunning && static_cast<std::int32_t>(m_clock.GetTickCount() - m_nextTick) >= 0) {
        // Ticks missed while a step kept the thread busy are not made up, as
        // with a real window timer.
        m_nextTick = m_clock.GetTickCount() + m_timerPeriod;
        m_dialog->HandleMessage(WM_TIMER, 10, 0);
    }
}

void ConsoleWindow::RunUntil(const std::function<bool()>& done, const std::function<void()>& onTurn)
{
    while (!m_ended) {
        ExplainRefusedPause();
        onTurn();
        if (m_woken) {
            m_woken = false;
            m_dialog->DeliverPostedMessages();
            continue;
        }
        if (done()) {
            return;
        }
        DeliverTimerTickIfDue();
        if (!m_woken && m_timerRunning) {
            m_clock.IdleUntilTick(m_nextTick);
        }
    }
}

void ConsoleWindow::SetDlgItemTextA(int id, const std::string& text)
{
    Control& control = m_controls[id];
    const bool changed = control.text != text;
    control.text = text;
    if (changed && m_json == nullptr && IsStatusLine(id) && !text.empty()) {
        PrintStatus(text);
    }
}

void ConsoleWindow::PrintStatus(const std::string& text)
{
    EndProgressLine();
    // The lines carry texts from the firmware files and the module.
    m_out.Print(Printable(text) + "\n");
}

void ConsoleWindow::PrintProgress(int page, int pageCount)
{
    if (!m_isTerminal) {
        EndProgressLine();
        m_out.PrintProgress(ProgressText(page, pageCount) + "\n", false);
        return;
    }
    const DWORD now = m_clock.GetTickCount();
    if (page == 1) {
        m_progressStart = now;
    }
    const DWORD elapsedMs = now - m_progressStart;
    const int filled = kProgressBarWidth * page / pageCount;
    std::string bar =
        cli::Format("[%s%s] page %d of %d, %s elapsed", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                    std::string(static_cast<std::size_t>(kProgressBarWidth - filled), '.').c_str(), page, pageCount,
                    MinutesAndSeconds(elapsedMs).c_str());
    // Pages go at an even pace, so the pages done so far tell the time the rest will take.
    const int pagesDone = page - 1;
    if (pagesDone > 0) {
        const auto leftMs = static_cast<DWORD>(static_cast<std::uint64_t>(elapsedMs) *
                                               static_cast<std::uint64_t>(pageCount - pagesDone) /
                                               static_cast<std::uint64_t>(pagesDone));
        // The trailing blank covers the last character of a longer estimate before it.
        bar += ", about " + MinutesAndSeconds(leftMs) + " left ";
    }
    m_out.PrintProgress(bar, true);
    m_progressLineOpen = true;
}

void ConsoleWindow::EndProgressLine()
{
    if (m_progressLineOpen) {
        m_out.Print("\n");
        m_progressLineOpen = false;
    }
}

std::string ConsoleWindow::GetDlgItemTextA(int id)
{
    return m_controls[id].text;
}

void ConsoleWindow::EnableDlgItem(int id, bool enable)
{
    m_controls[id].enabled = enable;
}

void ConsoleWindow::ShowDlgItem(int id, bool show)
{
    m_controls[id].visible = show;
}

void ConsoleWindow::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id) {
        m_controls[id].checked = id == checkId;
    }
}

bool ConsoleWindow::IsDlgButtonChecked(int id)
{
    return m_controls[id].checked;
}

int ConsoleWindow::MessageBoxA(const std::string& text, const std::string& caption, UINT)
{
    if (m_json != nullptr) {
        m_json->Message(caption, text);
        return IDOK;
    }
    EndProgressLine();
    m_out.Print("\n[" + Printable(caption) + "]\n" + Printable(text, true) + "\n\n");
    return IDOK;
}

std::uintptr_t ConsoleWindow::SetTimer(std::uintptr_t id, UINT periodMs)
{
    m_timerRunning = true;
    m_timerPeriod = periodMs;
    m_nextTick = m_clock.GetTickCount() + periodMs;
    return id;
}

void ConsoleWindow::KillTimer(std::uintptr_t)
{
    m_timerRunning = false;
}

}  // namespace fwut
