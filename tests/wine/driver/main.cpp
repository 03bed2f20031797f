// fwut-wine-driver: drives fwut-update.exe under wine as an operator would,
// for the end-to-end test (scripts/wine-tests.sh), and plays the companion
// program and the desktop's link handler. One command per run; each check
// prints "ok:" or "FAIL:", and any failure makes the exit status 1.
//
//   main-ready PORTS CHECKED     the main dialog in its idle state
//   update-succeeds              "Begin Update", the success message, OK
//   keyboard-update-succeeds     the same with the keyboard alone, from "Done" focused
//   accessibility PORTS          the main dialog through MSAA (oleacc): names, roles, states
//   update-cannot-open N         "Begin Update", the message that COM<N> cannot be opened
//                                with the remedy for a missing device under it, OK
//   line-gone-in-wait READY-FILE "Begin Update", READY-FILE once the module wait is
//                                under way; the wait ends when the line goes
//   saved-port N                 the registry holds ComPort = N
//   about TARGETS-FILE           the About dialog, its texts and link clicks
//   done                         "Done" ends the program
//   show-about                   "Contact Information", and the About dialog is up
//   rect TITLE                   prints the window's screen rectangle: x y width height
//   companion TITLE LOG-FILE     a companion window that logs hand-off messages
//   record-target FILE TARGET    the link handler: appends TARGET to FILE
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <oleacc.h>

#include "platform/Win32Types.h"
#include "resources/resource.h"
#include "tests/wine/driver/WindowQueries.h"
#include "ui/ContactInformation.h"
#include "ui/DialogTexts.h"
#include "update/TransferTexts.h"

namespace fwut::driver {
namespace {

int g_failures = 0;

void Check(bool condition, const std::string& what)
{
    std::printf("%s %s\n", condition ? "ok:  " : "FAIL:", what.c_str());
    std::fflush(stdout);
    if (!condition) {
        ++g_failures;
    }
}

void CheckText(const std::string& actual, const std::string& expected, const std::string& what)
{
    Check(actual == expected, what + (actual == expected ? "" : " is \"" + actual + "\", not \"" + expected + "\""));
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

HWND MainDialog(DWORD limitMs = kDefaultWaitMs)
{
    return WaitFor([] { return FindVisibleWindow(kWindowTitle); }, limitMs);
}

bool IsEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

bool IsShown(HWND dialog, int id)
{
    return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
}

// The caption and the radio glyph fit in the button.
bool LabelFits(HWND button)
{
    char caption[32] = {};
    const int length = ::GetWindowTextA(button, caption, sizeof caption);
    const HDC dc = ::GetDC(button);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, caption, length, &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(button, dc);
    RECT client{};
    ::GetClientRect(button, &client);
    return extent.cx + ::GetSystemMetrics(SM_CXMENUCHECK) <= client.right;
}

// ports: the captions of the occupied slots ("COM1,COM12"); checked: the one checked.
int MainReady(const std::string& ports, const std::string& checked)
{
    const HWND dialog = MainDialog();
    Check(dialog != nullptr, "the main dialog is shown with its title");
    if (dialog == nullptr) {
        return 1;
    }
    const std::vector<std::string> captions = Split(ports, ',');
    std::string hiddenNames;
    for (int slot = 0; slot < 22; ++slot) {
        const int id = IDC_COM1 + slot;
        if (slot < static_cast<int>(captions.size())) {
            CheckText(ItemText(dialog, id), captions[slot], "port button " + std::to_string(id));
            Check(LabelFits(::GetDlgItem(dialog, id)), captions[slot] + " is not clipped");
            Check(IsShown(dialog, id) && IsEnabled(dialog, id), captions[slot] + " is shown and enabled");
            const bool isChecked = ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
            Check(isChecked == (captions[slot] == checked),
                  captions[slot] + (captions[slot] == checked ? " is checked" : " is not checked"));
        } else {
            Check(!IsShown(dialog, id) && !IsEnabled(dialog, id), "empty slot " + std::to_string(id) + " is hidden");
        }
    }
    CheckText(ItemText(dialog, IDC_BEGIN_UPDATE), kBeginUpdate, "button 1006");
    for (const int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_REFRESH_PORTS, IDC_CONTACT_INFORMATION}) {
        Check(IsEnabled(dialog, id), "button " + std::to_string(id) + " is enabled");
    }
    return g_failures == 0 ? 0 : 1;
}

// While the module is awaited or the transfer runs, nothing may close the dialog.
void CheckLockedWhileUpdating(HWND dialog)
{
    // The start disables "Done", then "Contact Information", then "Refresh
    // Serial Ports"; this process may look between two of them.
    const bool locked = WaitUntil([&] { return !IsEnabled(dialog, IDCANCEL); }, 10000);
    Check(locked, "\"Done\" is disabled during the update");
    const bool othersLocked = WaitUntil(
        [&] { return !IsEnabled(dialog, IDC_REFRESH_PORTS) && !IsEnabled(dialog, IDC_CONTACT_INFORMATION); }, 1000);
    Check(othersLocked, "Refresh and Contact Information are disabled during the update");
}

// The box's text is its one static control without an icon.
std::string MessageTextOf(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof className);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if (std::string(className) == "Static" && (style & SS_TYPEMASK) != SS_ICON && !TextOf(child).empty()) {
            return TextOf(child);
        }
    }
    return std::string();
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void PressKey(WORD key)
{
    INPUT input[2]{};
    for (INPUT& event : input) {
        event.type = INPUT_KEYBOARD;
        event.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
}

// Waits for the message box that ends the update, checks it (and the line
// under it, which holds noteHas) and presses OK (by a posted click, or with
// the keyboard).
int AwaitOutcome(HWND dialog, const std::string& caption, const std::string& text, bool byKeyboard = false,
                 const std::string& noteHas = {})
{
    const HWND box = WaitFor([&] { return FindOwnedDialog(dialog); }, 120000);
    Check(box != nullptr, "a message box owned by the main dialog appears");
    if (box == nullptr) {
        return 1;
    }
    CheckText(TextOf(box), caption, "message box caption");
    const std::string shown = MessageTextOf(box);
    CheckText(shown.substr(0, shown.find('\n')), text, "message box text");
    const std::size_t noteAt = shown.find('\n');
    const std::string note = noteAt == std::string::npos ? std::string() : shown.substr(noteAt + 1);
    Check(note.find(noteHas) != std::string::npos && note.empty() == noteHas.empty(),
          "the line under the message says \"" + noteHas + "\": \"" + note + "\"");
    if (byKeyboard) {
        Check(WaitUntil([&] { return FocusOf(box) == ::GetDlgItem(box, IDOK); }), "OK has the focus");
        PressKey(VK_SPACE);
    } else {
        PostClick(box, IDOK);
    }
    Check(WaitUntil([&] { return !::IsWindow(box); }), "OK closes the message box");
    Check(WaitUntil([&] { return IsEnabled(dialog, IDCANCEL) && IsEnabled(dialog, IDC_BEGIN_UPDATE); }),
          "the buttons are enabled again");
    CheckText(ItemText(dialog, IDC_BEGIN_UPDATE), kBeginUpdate, "button 1006 after the update");
    return g_failures == 0 ? 0 : 1;
}

// locked: the update gets under way, so the dialog must refuse to close meanwhile.
int Update(const std::string& caption, const std::string& text, bool locked, const std::string& noteHas = {})
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        Check(false, "the main dialog is shown");
        return 1;
    }
    PostClick(dialog, IDC_BEGIN_UPDATE);
    if (locked) {
        CheckLockedWhileUpdating(dialog);
        // Escape and the window's Close command reach the dialog, which must stay.
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return AwaitOutcome(dialog, caption, text, false, noteHas);
}

// "Begin Update" on a port whose module never answers; readyFile is written
// once the wait is under way, and the script takes the line away. The wait
// ends as "Cancel Update" ends it, the status line saying why, with no box.
int LineGoneInWait(const std::string& readyFile)
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        Check(false, "the main dialog is shown");
        return 1;
    }
    PostClick(dialog, IDC_BEGIN_UPDATE);
    Check(WaitUntil([&] { return ItemText(dialog, IDC_BEGIN_UPDATE) == kCancelUpdate; }, 30000),
          "the wait for the module is under way");
    std::ofstream(readyFile) << "waiting\n";
    Check(WaitUntil([&] { return ItemText(dialog, IDC_STATUS) == kSerialLineGone; }, 10000),
          "the status line says that the line has gone");
    Check(WaitUntil([&] { return ItemText(dialog, IDC_BEGIN_UPDATE) == kBeginUpdate && IsEnabled(dialog, IDCANCEL); }),
          "the controls are back");
    Check(FindOwnedDialog(dialog) == nullptr, "no message box is shown");
    return g_failures == 0 ? 0 : 1;
}

// The keyboard alone: from "Done", Tab to the port group, the arrows there
// and back, Tab to "Begin Update", Space; Space on the outcome box's OK.
int KeyboardUpdate(const std::string& caption, const std::string& text)
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        Check(false, "the main dialog is shown");
        return 1;
    }
    ::SetForegroundWindow(dialog);
    const auto focusOn = [&](int id) {
        return WaitUntil([&] { return FocusOf(dialog) == ::GetDlgItem(dialog, id); }, 5000);
    };
    Check(focusOn(IDCANCEL), "\"Done\" has the focus");
    const std::pair<WORD, int> steps[] = {{VK_TAB, IDC_COM1},
                                          {VK_RIGHT, IDC_COM1 + 1},
                                          {VK_LEFT, IDC_COM1},
                                          {VK_TAB, IDC_REFRESH_PORTS},
                                          {VK_TAB, IDC_BEGIN_UPDATE}};
    for (const auto& [key, id] : steps) {
        PressKey(key);
        Check(focusOn(id), "then " + std::to_string(id) + " has the focus");
        if (id >= IDC_COM1 && id <= IDC_COM22) {
            Check(WaitUntil([&] { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }, 5000),
                  std::to_string(id) + " is checked with the focus");
        }
    }
    PressKey(VK_SPACE);
    return AwaitOutcome(dialog, caption, text, true);
}

int SavedPort(int port)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result = ::RegGetValueA(HKEY_CURRENT_USER, "software\\Fernhollow Systems\\fwut-update\\Settings",
                                       "ComPort", RRF_RT_REG_DWORD, nullptr, &value, &size);
    Check(result == ERROR_SUCCESS && value == static_cast<DWORD>(port),
          "ComPort in the registry is " + std::to_string(result == ERROR_SUCCESS ? static_cast<int>(value) : -1));
    return g_failures == 0 ? 0 : 1;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Presses (or only moves over, or right-clicks) a link field near its left end.
void PostMouse(HWND field, UINT message)
{
    RECT client{};
    ::GetClientRect(field, &client);
    const LPARAM at = MAKELPARAM(4, (client.bottom - client.top) / 2);
    ::PostMessageA(field, WM_MOUSEMOVE, 0, at);
    ::PostMessageA(field, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
    if (message == WM_LBUTTONDOWN) {
        ::PostMessageA(field, WM_LBUTTONUP, 0, at);
    }
}

int About(const std::string& targetsFile)
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        Check(false, "the main dialog is shown");
        return 1;
    }
    PostClick(dialog, IDC_CONTACT_INFORMATION);
    const std::string title = "About " + std::string(kProductName) + " Update";
    const HWND about = WaitFor([&] { return FindVisibleWindow(title); });
    Check(about != nullptr, "\"Contact Information\" shows the About dialog with its title");
    if (about == nullptr) {
        return 1;
    }
    Check(::GetWindow(about, GW_OWNER) == dialog, "the main dialog owns the About dialog");
    CheckText(ItemText(about, IDC_LINK_WEB), contact::kWebAddress, "web link");
    Check(FocusOf(about) == ::GetDlgItem(about, IDOK), "\"OK\" has the focus");

    const std::string subject = "?Subject=Firmware Update Program";
    const std::vector<std::string> expected = {
        std::string("http://") + contact::kWebAddress,
        std::string("mailto:") + contact::kSalesEmail + subject,
        std::string("mailto:") + contact::kSupportEmail + subject,
    };
    const int links[] = {IDC_LINK_WEB, IDC_LINK_SALES, IDC_LINK_SUPPORT};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const HWND field = ::GetDlgItem(about, links[i]);
        PostMouse(field, WM_RBUTTONDOWN);
        PostMouse(field, WM_LBUTTONDOWN);
        const bool opened = WaitUntil([&] { return ReadLines(targetsFile).size() > i; }, 20000);
        const std::vector<std::string> seen = ReadLines(targetsFile);
        Check(opened && seen.size() == i + 1 && seen[i] == expected[i],
              "the click on link " + std::to_string(links[i]) + " opens " + expected[i] +
                  (opened ? " (opened: " + seen.back() + ")" : " (nothing opened)"));
        // Another program opening the link may take the activation, and with
        // it any focus; a caret in the field is what must never be left.
        Check(WaitUntil([&] { return FocusOf(about) != field; }, 5000), "the focus is not left in the link field");
    }
    PostClick(about, IDOK);
    Check(WaitUntil([&] { return !::IsWindow(about); }), "OK closes the About dialog");
    Check(ReadLines(targetsFile).size() == expected.size(), "the right button and the mouse opened nothing");
    return g_failures == 0 ? 0 : 1;
}

int ShowAbout()
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        return 1;
    }
    PostClick(dialog, IDC_CONTACT_INFORMATION);
    const std::string title = "About " + std::string(kProductName) + " Update";
    return WaitFor([&] { return FindVisibleWindow(title); }) != nullptr ? 0 : 1;
}

int PrintRect(const std::string& title)
{
    const HWND window = WaitFor([&] { return FindVisibleWindow(title); });
    RECT frame{};
    if (window == nullptr || !::GetWindowRect(window, &frame)) {
        return 1;
    }
    std::printf("%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    return 0;
}

int Done()
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        Check(false, "the main dialog is shown");
        return 1;
    }
    PostClick(dialog, IDCANCEL);
    Check(WaitUntil([&] { return !::IsWindow(dialog); }), "\"Done\" ends the dialog");
    return g_failures == 0 ? 0 : 1;
}

// What oleacc answers for a control.
struct Accessible {
    long role = -1;
    std::string name;
    std::string description;
    long state = 0;
};

std::string Narrow(BSTR text)
{
    std::string narrow;
    for (const wchar_t* c = text; c != nullptr && *c != 0; ++c) {
        narrow += static_cast<char>(*c < 0x80 ? *c : '?');
    }
    ::SysFreeString(text);
    return narrow;
}

Accessible AccessibleOf(HWND control)
{
    Accessible answer;
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(&object)))) {
        return answer;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT value{};
    if (object->get_accRole(self, &value) == S_OK && value.vt == VT_I4) {
        answer.role = value.lVal;
    }
    if (object->get_accState(self, &value) == S_OK && value.vt == VT_I4) {
        answer.state = value.lVal;
    }
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK) {
        answer.name = Narrow(text);
    }
    text = nullptr;
    if (object->get_accDescription(self, &text) == S_OK) {
        answer.description = Narrow(text);
    }
    object->Release();
    return answer;
}

// The dialog through MSAA alone, as a screen reader reads it from another
// process: names, focus and visibility are checked, and the roles and the
// port buttons' descriptions where oleacc knows them; what it does not
// (wine's gives every control the generic client role) is noted.
int Accessibility(const std::string& ports)
{
    const HWND dialog = MainDialog();
    if (dialog == nullptr) {
        Check(false, "the main dialog is shown");
        return 1;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int shown = static_cast<int>(Split(ports, ',').size());
    std::string notes;
    const auto expect = [&](int id, long role) {
        const Accessible answer = AccessibleOf(::GetDlgItem(dialog, id));
        const std::string what = "control " + std::to_string(id);
        if (id >= IDC_COM1 + shown) {
            Check((answer.state & STATE_SYSTEM_INVISIBLE) != 0, what + ", an empty slot, is invisible");
            notes += answer.name.empty() ? "" : " " + what + " is named " + answer.name + ";";
            return;
        }
        CheckText(answer.name, ItemText(dialog, id), what + "'s accessible name");
        Check(((answer.state & STATE_SYSTEM_FOCUSED) != 0) == (id == IDCANCEL), what + "'s focus state");
        if (answer.role == ROLE_SYSTEM_CLIENT) {
            notes += " " + what + " has the client role;";
        } else {
            Check(answer.role == role, what + " has the role " + std::to_string(role));
        }
        if (id >= IDC_COM1 && answer.description.empty()) {
            notes += " " + what + " has no description;";
        } else if (id >= IDC_COM1) {
            Check(answer.description.rfind("\\\\.\\COM", 0) == 0, what + "'s description names its device");
        }
    };
    for (const int id : {IDCANCEL, IDC_REFRESH_PORTS, IDC_BEGIN_UPDATE, IDC_CONTACT_INFORMATION}) {
        expect(id, ROLE_SYSTEM_PUSHBUTTON);
    }
    expect(IDC_FIRMWARE_VERSION, ROLE_SYSTEM_STATICTEXT);
    for (int id = IDC_COM1; id <= IDC_COM22; ++id) {
        expect(id, ROLE_SYSTEM_RADIOBUTTON);
    }
    // The annotations that the program makes through IAccPropServices.
    void* services = nullptr;
    const CLSID accPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
    HRESULT result =
        ::CoCreateInstance(accPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services);
    if (SUCCEEDED(result)) {
        result = static_cast<IAccPropServices*>(services)->ClearHwndProps(
            ::GetDlgItem(dialog, IDCANCEL), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_HELP, 1);
        static_cast<IAccPropServices*>(services)->Release();
    }
    std::printf("note: oleacc:%s IAccPropServices answers 0x%08lx\n", notes.c_str(),
                static_cast<unsigned long>(result));
    ::CoUninitialize();
    return g_failures == 0 ? 0 : 1;
}

// The companion serial test program, as far as the hand-off goes.
std::FILE* g_companionLog = nullptr;

LRESULT CALLBACK CompanionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 101) {
        std::fprintf(g_companionLog, "%lu %s %ld\n", ::GetTickCount(),
                     wParam == 1001 ? "release" : (wParam == 1002 ? "return" : "unknown"), static_cast<long>(lParam));
        std::fflush(g_companionLog);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int Companion(const std::string& title, const std::string& logFile)
{
    g_companionLog = std::fopen(logFile.c_str(), "wb");  // plain line feeds, for the shell script
    if (g_companionLog == nullptr) {
        return 1;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CompanionProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FwutCompanionStandIn";
    ::RegisterClassA(&windowClass);
    const HWND window = ::CreateWindowA(windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                        0, 240, 80, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    std::fprintf(g_companionLog, "%lu ready 0\n", ::GetTickCount());
    std::fflush(g_companionLog);
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageA(&message);
    }
    std::fclose(g_companionLog);
    return 0;
}

int RecordTarget(const std::string& file, const std::string& target)
{
    std::ofstream(file, std::ios::app) << target << '\n';
    return 0;
}

}  // namespace
}  // namespace fwut::driver

int main(int argc, char** argv)
{
    using namespace fwut::driver;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto is = [&](const char* command, std::size_t count) {
        return !args.empty() && args[0] == command && args.size() == count + 1;
    };
    if (is("main-ready", 2)) {
        return MainReady(args[1], args[2]);
    }
    if (is("update-succeeds", 0)) {
        return Update(fwut::kCaptionUpdateComplete, fwut::kUpdateSucceededMessage, true);
    }
    if (is("keyboard-update-succeeds", 0)) {
        return KeyboardUpdate(fwut::kCaptionUpdateComplete, fwut::kUpdateSucceededMessage);
    }
    if (is("update-cannot-open", 1)) {
        return Update(std::string(fwut::kUpdateErrorCaption), "Unable to open serial port COM" + args[1] + "     ",
                      false, "There is no such device: check that the USB/RS232 adapter is plugged in");
    }
    if (is("saved-port", 1)) {
        return SavedPort(std::atoi(args[1].c_str()));
    }
    if (is("about", 1)) {
        return About(args[1]);
    }
    if (is("accessibility", 1)) {
        return Accessibility(args[1]);
    }
    if (is("done", 0)) {
        return Done();
    }
    if (is("show-about", 0)) {
        return ShowAbout();
    }
    if (is("rect", 1)) {
        return PrintRect(args[1]);
    }
    if (is("companion", 2)) {
        return Companion(args[1], args[2]);
    }
    if (is("record-target", 2)) {
        return RecordTarget(args[1], args[2]);
    }
    if (is("line-gone-in-wait", 1)) {
        return LineGoneInWait(args[1]);
    }
    std::fputs(
        "usage: fwut-wine-driver "
        "main-ready|update-succeeds|keyboard-update-succeeds|accessibility|update-cannot-open|saved-port|about|done|"
        "show-about|rect|companion|record-target|line-gone-in-wait "
        "...\n",
        stderr);
    return 2;
}
