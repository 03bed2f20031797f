// The transfer's progress on the program's taskbar button (ITaskbarList3),
// where an operator who has put the window aside still sees it: the share of
// pages sent, red on a failure, nothing once the update is over. Where the
// system has no such taskbar, every call does nothing.
#pragma once

#include "platform/Win32Types.h"

struct ITaskbarList3;

namespace fwut {

class TaskbarProgress {
public:
    TaskbarProgress() = default;
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;
    ~TaskbarProgress();

    void Show(HWND window, int done, int total);
    // The bar turns red where it stands.
    void ShowError(HWND window);
    void Clear(HWND window);
    bool IsShown() const { return m_shown; }

private:
    bool Ready();

    ITaskbarList3* m_taskbar = nullptr;
    bool m_tried = false;
    bool m_comStarted = false;
    bool m_shown = false;
};

}  // namespace fwut
