#include "app/win32/TaskbarProgress.h"

#include <objbase.h>
#include <shobjidl.h>

namespace fwut {

TaskbarProgress::~TaskbarProgress()
{
    if (m_taskbar != nullptr) {
        m_taskbar->Release();
    }
    if (m_comStarted) {
        ::CoUninitialize();
    }
}

// The taskbar object is made at the first use, once the window and its
// taskbar button exist.
bool TaskbarProgress::Ready()
{
    if (!m_tried) {
        m_tried = true;
        m_comStarted = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        void* taskbar = nullptr;
        if (SUCCEEDED(
                ::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &taskbar))) {
            m_taskbar = static_cast<ITaskbarList3*>(taskbar);
            if (FAILED(m_taskbar->HrInit())) {
                m_taskbar->Release();
                m_taskbar = nullptr;
            }
        }
    }
    return m_taskbar != nullptr;
}

void TaskbarProgress::Show(HWND window, int done, int total)
{
    if (total > 0 && Ready()) {
        m_taskbar->SetProgressState(window, TBPF_NORMAL);
        m_taskbar->SetProgressValue(window, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
        m_shown = true;
    }
}

void TaskbarProgress::ShowError(HWND window)
{
    if (m_shown && Ready()) {
        m_taskbar->SetProgressState(window, TBPF_ERROR);
    }
}

void TaskbarProgress::Clear(HWND window)
{
    if (m_shown && Ready()) {
        m_taskbar->SetProgressState(window, TBPF_NOPROGRESS);
    }
    m_shown = false;
}

}  // namespace fwut
