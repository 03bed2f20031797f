#include "app/win32/Win32AboutWindow.h"

#include <richedit.h>

#include <vector>

#include "ui/DialogPlacement.h"
#include "resources/resource.h"
#include "ui/AboutDlg.h"

namespace fwut {

namespace {

static_assert(sizeof(CHARFORMAT2A) == 84, "the link format is the 84-byte CHARFORMAT2 record");

struct AboutSession {
    Win32AboutWindow& window;
    CAboutDlg& logic;
};

bool IsLinkField(int id)
{
    return id == IDC_LINK_WEB || id == IDC_LINK_SALES || id == IDC_LINK_SUPPORT;
}

}  // namespace

void PlaceDialogWindow(HWND window)
{
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const Point at = DialogPosition(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), width, height);
    ::MoveWindow(window, at.x, at.y, width, height, TRUE);
}

void Win32AboutWindow::RunModal(HINSTANCE instance, HWND owner, Shell& shell)
{
    Win32AboutWindow window(nullptr);
    CAboutDlg logic(window, shell);
    AboutSession session{window, logic};
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), owner, DialogProc, reinterpret_cast<LPARAM>(&session));
}

INT_PTR CALLBACK Win32AboutWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        auto* session = reinterpret_cast<AboutSession*>(lParam);
        session->window.m_hwnd = window;
        session->logic.OnInitDialog();
        return TRUE;  // the focus goes to "OK"
    }
    auto* session = reinterpret_cast<AboutSession*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (session == nullptr) {
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const int id = static_cast<int>(header->idFrom);
        if (header->code != EN_LINK || !IsLinkField(id)) {
            return FALSE;
        }
        const auto* link = reinterpret_cast<const ENLINK*>(lParam);
        const LRESULT result = session->logic.OnLink(id, link->msg, link->chrg.cpMin, link->chrg.cpMax);
        ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) == EN_SETFOCUS && IsLinkField(id)) {
            session->logic.OnLinkFocus(id);
            return TRUE;
        }
        if (id == IDOK || id == IDCANCEL) {
            ::EndDialog(window, id);
            return TRUE;
        }
    }
    return FALSE;
}

void Win32AboutWindow::PlaceWindow()
{
    PlaceDialogWindow(m_hwnd);
}

void Win32AboutWindow::SetWindowTextA(const std::string& caption)
{
    ::SetWindowTextA(m_hwnd, caption.c_str());
}

void Win32AboutWindow::SetDlgItemTextA(int id, const std::string& text)
{
    ::SetDlgItemTextA(m_hwnd, id, text.c_str());
}

void Win32AboutWindow::SetLinkText(int id, const std::string& text)
{
    const HWND field = ::GetDlgItem(m_hwnd, id);
    ::SetWindowTextA(field, text.c_str());
    CHARRANGE whole{0, -1};
    ::SendMessageA(field, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&whole));
    const LRESULT mask = ::SendMessageA(field, EM_GETEVENTMASK, 0, 0);
    ::SendMessageA(field, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK | CFM_COLOR;
    format.dwEffects = CFE_LINK;
    // The mask names the colour; the desktop's own colour for links fills it.
    format.crTextColor = ::GetSysColor(COLOR_HOTLIGHT);
    ::SendMessageA(field, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

std::string Win32AboutWindow::GetTextRange(int id, long first, long last)
{
    if (last <= first) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<std::size_t>(last - first) + 1, '\0');
    TEXTRANGEA range{};
    range.chrg.cpMin = first;
    range.chrg.cpMax = last;
    range.lpstrText = buffer.data();
    const LRESULT length =
        ::SendMessageA(::GetDlgItem(m_hwnd, id), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return std::string(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

void Win32AboutWindow::FocusOkButton()
{
    ::SendMessageA(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_hwnd, IDOK)), TRUE);
}

}  // namespace fwut
