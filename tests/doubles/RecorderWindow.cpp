#include "tests/doubles/RecorderWindow.h"

namespace fwut {

namespace {
int g_icon;
}

RecorderWindow::RecorderWindow(VirtualClock& clock, const std::map<int, std::string>& initialTexts) : m_clock(clock)
{
    for (const auto& [id, text] : initialTexts) {
        m_controls[id].text = text;
    }
}

bool RecorderWindow::MenuItemEnabled(UINT command) const
{
    const auto item = m_menuEnabled.find(command);
    return item == m_menuEnabled.end() || item->second;
}

bool RecorderWindow::Click(int id)
{
    const Control& control = m_controls[id];
    if (!control.enabled || !control.visible || m_ended) {
        return false;
    }
    m_dialog->HandleMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    return true;
}

void RecorderWindow::DeliverDueTimerTicks()
{
    // Like a window timer, ticks missed while the thread was busy collapse
    // into one; the period keeps its phase.
    if (!m_timerRunning || static_cast<std::int32_t>(m_clock.GetTickCount() - m_nextTick) < 0) {
        return;
    }
    while (static_cast<std::int32_t>(m_clock.GetTickCount() - m_nextTick) >= 0) {
        m_nextTick += m_timerPeriod;
    }
    m_dialog->HandleMessage(WM_TIMER, 10, 0);
}

void RecorderWindow::RunFor(DWORD ms)
{
    const DWORD end = m_clock.GetTickCount() + ms;
    RunUntil([&] { return static_cast<std::int32_t>(m_clock.GetTickCount() - end) >= 0; }, ms);
}

bool RecorderWindow::RunUntil(const std::function<bool()>& pred, DWORD maxMs)
{
    const DWORD start = m_clock.GetTickCount();
    for (;;) {
        if (m_woken) {
            m_woken = false;
            m_dialog->DeliverPostedMessages();
            continue;
        }
        DeliverDueTimerTicks();
        if (m_woken) {
            continue;
        }
        if (pred()) {
            return true;
        }
        const DWORD elapsed = m_clock.GetTickCount() - start;
        if (elapsed >= maxMs || m_ended) {
            return false;
        }
        DWORD step = maxMs - elapsed;
        if (m_timerRunning) {
            const DWORD untilTick = m_nextTick - m_clock.GetTickCount();
            step = untilTick < step ? untilTick : step;
        }
        m_clock.Advance(step == 0 ? 1 : step);
    }
}

std::vector<std::string> RecorderWindow::TextHistory(int id) const
{
    std::vector<std::string> history;
    for (const auto& [control, text] : m_textLog) {
        if (control == id) {
            history.push_back(text);
        }
    }
    return history;
}

void RecorderWindow::SetDlgItemTextA(int id, const std::string& text)
{
    m_controls[id].text = text;
    m_textLog.emplace_back(id, text);
    Record("SetDlgItemText " + std::to_string(id) + " \"" + text + "\"");
}

void RecorderWindow::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id) {
        m_controls[id].checked = id == checkId;
    }
}

void RecorderWindow::AppendSystemMenuItem(UINT command, const std::string& text)
{
    m_menuEnabled[command] = true;
    Record("AppendMenu " + std::to_string(command) + " \"" + text + "\"");
}

int RecorderWindow::MessageBoxA(const std::string& text, const std::string& caption, UINT type)
{
    m_boxes.push_back(Box{m_clock.GetTickCount(), text, caption, type});
    // The box's own modal loop keeps the timer ticking while it is open.
    const DWORD end = m_clock.GetTickCount() + m_boxOpenMs;
    while (static_cast<std::int32_t>(m_clock.GetTickCount() - end) < 0) {
        const DWORD untilEnd = end - m_clock.GetTickCount();
        const DWORD untilTick = m_timerRunning ? m_nextTick - m_clock.GetTickCount() : untilEnd;
        m_clock.Advance(untilTick < untilEnd ? (untilTick == 0 ? 1 : untilTick) : untilEnd);
        DeliverDueTimerTicks();
    }
    return IDOK;
}

std::uintptr_t RecorderWindow::SetTimer(std::uintptr_t id, UINT periodMs)
{
    m_timerRunning = true;
    m_timerPeriod = periodMs;
    m_nextTick = m_clock.GetTickCount() + periodMs;
    Record("SetTimer " + std::to_string(id) + " " + std::to_string(periodMs));
    return id;
}

IconHandle RecorderWindow::LoadProgramIcon()
{
    return &g_icon;
}

void RecorderWindow::EndDialog(int result)
{
    m_ended = true;
    Record("EndDialog " + std::to_string(result));
}

}  // namespace fwut
