#include "app/win32/Win32DialogWindow.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/ComPortName.h"
#include "ui/DialogPlacement.h"
#include "app/win32/Win32AboutWindow.h"
#include "resources/resource.h"
#include "ui/DialogTemplates.h"
#include "update/FirmwareTexts.h"

namespace fwut {

namespace {

constexpr int kBoldFontTenthsOfPoint = 90;
constexpr LONG kBoldWeight = FW_BOLD;
constexpr const char* kBoldFontFace = "Microsoft Sans Serif";

}  // namespace

Win32DialogWindow::~Win32DialogWindow()
{
    if (m_boldFont != nullptr) {
        ::DeleteObject(m_boldFont);
    }
}

INT_PTR Win32DialogWindow::RunModal()
{
    return ::DialogBoxParamA(m_instance, MAKEINTRESOURCEA(IDD_FWUT_UPDATE_DIALOG), nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<Win32DialogWindow*>(lParam)->m_hwnd = window;
    }
    auto* self = reinterpret_cast<Win32DialogWindow*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr || self->m_dialog == nullptr) {
        return FALSE;
    }
    return self->OnMessage(message, wParam, lParam);
}

INT_PTR Win32DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWakeMessage:
        m_dialog->DeliverPostedMessages();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnControlColor(wParam, lParam);
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
        // The procedure's own return value is these messages' answer.
        return m_dialog->HandleMessage(message, wParam, lParam).value;
    case WM_COMMAND:
    case WM_SYSCOMMAND:
        if (!IsCommandAllowed(message, wParam)) {
            return TRUE;
        }
        [[fallthrough]];
    case WM_TIMER:
    case WM_PAINT:
    case WM_DESTROY:
        return m_dialog->HandleMessage(message, wParam, lParam).handled ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

// The Escape key and the window's Close command reach the dialog as IDCANCEL
// and SC_CLOSE even while "Done" is disabled and Close is grayed. While an
// update runs neither may end the dialog, so they are dropped here.
bool Win32DialogWindow::IsCommandAllowed(UINT message, WPARAM wParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        const HWND done = ::GetDlgItem(m_hwnd, IDCANCEL);
        return done == nullptr || ::IsWindowEnabled(done);
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        const HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
        return menu == nullptr || (::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    return true;
}

// The dialog's colour rule decides; the default handling supplies the brush
// and the colours of every control the rule leaves alone.
INT_PTR Win32DialogWindow::OnControlColor(WPARAM deviceContext, LPARAM control)
{
    const auto brush = ::DefWindowProcA(m_hwnd, WM_CTLCOLORSTATIC, deviceContext, control);
    ControlColors colors;
    m_dialog->HandleMessage(WM_CTLCOLORSTATIC, static_cast<WPARAM>(::GetDlgCtrlID(reinterpret_cast<HWND>(control))),
                            reinterpret_cast<LPARAM>(&colors));
    if (colors.apply) {
        const auto dc = reinterpret_cast<HDC>(deviceContext);
        if (colors.boldFont && m_boldFont != nullptr) {
            ::SelectObject(dc, m_boldFont);
        }
        ::SetTextColor(dc, colors.textColor);
        if (colors.transparent) {
            ::SetBkMode(dc, TRANSPARENT);
        }
    }
    return static_cast<INT_PTR>(brush);
}

void Win32DialogWindow::SetDlgItemTextA(int id, const std::string& text)
{
    ::SetDlgItemTextA(m_hwnd, id, text.c_str());
    if (id >= IDC_COM1 && id <= IDC_COM22) {
        FitPortButton(id);
        if (const int port = ComPortNumber(text); m_portToolTip && port != -1) {
            const std::string tip = m_portToolTip(port);
            m_portToolTips.Set(m_hwnd, id, tip);
            m_annotations.SetDescription(::GetDlgItem(m_hwnd, id), tip);
        }
    } else if (id == IDC_PROGRESS) {
        ShowProgressOnTaskbar(text);
    }
}

// The transfer's page line, "Sending firmware page  n  of  N", also fills the
// taskbar button; any other text of the line (a new update's empty line) clears it.
void Win32DialogWindow::ShowProgressOnTaskbar(const std::string& progressLine)
{
    int page = 0;
    int pageCount = 0;
    if (std::sscanf(progressLine.c_str(), "Sending firmware page %d of %d", &page, &pageCount) == 2) {
        m_taskbar.Show(m_hwnd, page, pageCount);
    } else {
        m_taskbar.Clear(m_hwnd);
    }
}

// The caption's width in the button's font, the radio glyph and its gap
// beside it; never narrower than the template, never into the next button.
void Win32DialogWindow::FitPortButton(int id)
{
    const HWND button = ::GetDlgItem(m_hwnd, id);
    RECT bounds{0, 0, kPortButtonMaxWidth, 0};
    ::MapDialogRect(m_hwnd, &bounds);
    const auto place = std::find_if(kMainDialogControls.begin(), kMainDialogControls.end(),
                                    [id](const ControlTemplate& control) { return control.id == id; });
    RECT least{0, 0, place->cx, place->cy};
    ::MapDialogRect(m_hwnd, &least);

    const std::string caption = GetDlgItemTextA(id);
    const HDC dc = ::GetDC(button);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(button, dc);

    const int needed = extent.cx + ::GetSystemMetrics(SM_CXMENUCHECK) + 2 * ::GetSystemMetrics(SM_CXEDGE);
    const int width = std::clamp<int>(needed, least.right, bounds.right);
    ::SetWindowPos(button, nullptr, 0, 0, width, least.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string Win32DialogWindow::GetDlgItemTextA(int id)
{
    const HWND control = ::GetDlgItem(m_hwnd, id);
    std::vector<char> text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    const int length = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

void Win32DialogWindow::EnableDlgItem(int id, bool enable)
{
    ::EnableWindow(::GetDlgItem(m_hwnd, id), enable ? TRUE : FALSE);
}

void Win32DialogWindow::ShowDlgItem(int id, bool show)
{
    ::ShowWindow(::GetDlgItem(m_hwnd, id), show ? SW_SHOW : SW_HIDE);
    if (id >= IDC_COM1 && id <= IDC_COM22) {
        m_annotations.SetHidden(::GetDlgItem(m_hwnd, id), !show);
    }
}

void Win32DialogWindow::CheckRadioButton(int firstId, int lastId, int checkId)
{
    ::CheckRadioButton(m_hwnd, firstId, lastId, checkId);
}

bool Win32DialogWindow::IsDlgButtonChecked(int id)
{
    return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED;
}

void Win32DialogWindow::SetWindowTextA(const std::string& caption)
{
    ::SetWindowTextA(m_hwnd, caption.c_str());
}

SystemMenu* Win32DialogWindow::Menu()
{
    return ::GetSystemMenu(m_hwnd, FALSE) != nullptr ? this : nullptr;
}

void Win32DialogWindow::AppendSystemMenuSeparator()
{
    ::AppendMenuA(::GetSystemMenu(m_hwnd, FALSE), MF_SEPARATOR, 0, nullptr);
}

void Win32DialogWindow::AppendSystemMenuItem(UINT command, const std::string& text)
{
    ::AppendMenuA(::GetSystemMenu(m_hwnd, FALSE), MF_STRING, command, text.c_str());
}

void Win32DialogWindow::EnableSystemMenuItem(UINT command, bool enable)
{
    ::EnableMenuItem(::GetSystemMenu(m_hwnd, FALSE), command, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

int Win32DialogWindow::MessageBoxA(const std::string& text, const std::string& caption, UINT type)
{
    // The outcome of a transfer: a failure shows red on the taskbar button
    // while its box is open; the button is plain again once the box is closed.
    if (caption == kUpdateErrorCaption) {
        m_taskbar.ShowError(m_hwnd);
    }
    const std::string note = m_boxNote ? m_boxNote(text) : std::string();
    const std::string shown = note.empty() ? text : text + "\n" + note;
    const int result = ::MessageBoxA(m_hwnd, shown.c_str(), caption.c_str(), type);
    m_taskbar.Clear(m_hwnd);
    return result;
}

void Win32DialogWindow::WakeForPostedMessage()
{
    ::PostMessageA(m_hwnd, kWakeMessage, 0, 0);
}

std::uintptr_t Win32DialogWindow::SetTimer(std::uintptr_t id, UINT periodMs)
{
    return ::SetTimer(m_hwnd, id, periodMs, nullptr);
}

void Win32DialogWindow::KillTimer(std::uintptr_t id)
{
    ::KillTimer(m_hwnd, id);
}

void Win32DialogWindow::BeginWaitCursor()
{
    const HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    if (m_waitCursorDepth++ == 0) {
        m_cursorBeforeWait = previous;
    }
}

void Win32DialogWindow::EndWaitCursor()
{
    if (m_waitCursorDepth > 0 && --m_waitCursorDepth == 0) {
        ::SetCursor(m_cursorBeforeWait != nullptr ? m_cursorBeforeWait : ::LoadCursorA(nullptr, IDC_ARROW));
    }
}

void Win32DialogWindow::RedrawDialog()
{
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    ::UpdateWindow(m_hwnd);
}

// Only posted messages, paints and sent messages are taken: never the
// operator's input, which would act on the dialog in the middle of a step.
void Win32DialogWindow::DispatchOnePendingMessage()
{
    ::PostMessageA(m_hwnd, WM_PAINT, 0, 0);
    MSG message{};
    if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

IconHandle Win32DialogWindow::LoadProgramIcon()
{
    return ::LoadIconA(m_instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void Win32DialogWindow::SetLargeIcon(IconHandle icon)
{
    ::SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void Win32DialogWindow::PlaceWindow()
{
    PlaceDialogWindow(m_hwnd);
}

void Win32DialogWindow::CreateBoldFont()
{
    const HDC screen = ::GetDC(nullptr);
    const int dotsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    LOGFONTA font{};
    font.lfHeight = FontPixelHeight(kBoldFontTenthsOfPoint, dotsPerInch);
    font.lfWeight = kBoldWeight;
    ::lstrcpynA(font.lfFaceName, kBoldFontFace, LF_FACESIZE);
    if (m_boldFont != nullptr) {
        ::DeleteObject(m_boldFont);
    }
    m_boldFont = ::CreateFontIndirectA(&font);
}

bool Win32DialogWindow::IsIconic()
{
    return ::IsIconic(m_hwnd) != FALSE;
}

void Win32DialogWindow::DrawIconCentred(IconHandle icon)
{
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(m_hwnd, &paint);
    ::SendMessageA(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, static_cast<HICON>(const_cast<void*>(icon)));
    ::EndPaint(m_hwnd, &paint);
}

void Win32DialogWindow::ShowAboutDialog()
{
    Win32AboutWindow::RunModal(m_instance, m_hwnd, m_shell);
}

void Win32DialogWindow::EndDialog(int result)
{
    ::EndDialog(m_hwnd, result);
}

}  // namespace fwut
