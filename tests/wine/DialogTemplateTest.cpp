// The dialog templates of resources/fwut.rc against ui/DialogTemplates.h:
// each template is read from this program's resources and also created as a
// real dialog, whose controls are then compared one by one with the table,
// in creation order.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/DialogTemplates.h"

namespace fwut {
namespace {

// The header of a DLGTEMPLATEEX, as far as the checks need it.
struct TemplateHeader {
    DWORD style = 0;
    DWORD exStyle = 0;
    int cx = 0;
    int cy = 0;
    int points = 0;
    std::wstring face;
};

const WORD* SkipNameOrOrdinal(const WORD* at)
{
    if (*at == 0xFFFF) {
        return at + 2;
    }
    while (*at != 0) {
        ++at;
    }
    return at + 1;
}

TemplateHeader ReadHeader(int templateId)
{
    TemplateHeader header;
    const HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (resource == nullptr) {
        ADD_FAILURE() << "no dialog template " << templateId;
        return header;
    }
    const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, resource)));
    EXPECT_EQ(words[1], 0xFFFF) << "template " << templateId << " is a DIALOGEX";
    header.exStyle = *reinterpret_cast<const DWORD*>(words + 4);
    header.style = *reinterpret_cast<const DWORD*>(words + 6);
    header.cx = static_cast<short>(words[11]);
    header.cy = static_cast<short>(words[12]);
    const WORD* at = SkipNameOrOrdinal(words + 13);  // menu
    at = SkipNameOrOrdinal(at);                       // window class
    at = SkipNameOrOrdinal(at);                       // title
    header.points = at[0];
    header.face = reinterpret_cast<const wchar_t*>(at + 3);
    return header;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// The class and the type bits the table's kind stands for.
void ExpectKind(HWND control, const ControlTemplate& expected)
{
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    switch (expected.kind) {
    case ControlKind::Static:
        EXPECT_EQ(ClassOf(control), "Static");
        EXPECT_EQ(style & SS_TYPEMASK, expected.align == TextAlign::Center ? SS_CENTER : SS_LEFT);
        break;
    case ControlKind::Icon:
        EXPECT_EQ(ClassOf(control), "Static");
        EXPECT_EQ(style & SS_TYPEMASK, SS_ICON);
        break;
    case ControlKind::GroupBox:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
    case ControlKind::RadioButton:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTORADIOBUTTON);
        break;
    case ControlKind::PushButton:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
        break;
    case ControlKind::DefaultPushButton:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        break;
    case ControlKind::LinkField:
        EXPECT_EQ(ClassOf(control), "RichEdit20A");
        EXPECT_EQ(style & (ES_READONLY | ES_AUTOHSCROLL | WS_BORDER), ES_READONLY | ES_AUTOHSCROLL);
        break;
    }
    EXPECT_EQ((style & WS_GROUP) != 0, expected.groupStart);
    EXPECT_EQ((style & WS_TABSTOP) != 0, expected.tabStop);
}

void ExpectRectangle(HWND dialog, HWND control, const ControlTemplate& expected)
{
    RECT units{expected.x, expected.y, expected.x + expected.cx, expected.y + expected.cy};
    ::MapDialogRect(dialog, &units);
    RECT actual{};
    ::GetWindowRect(control, &actual);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, units.left);
    EXPECT_EQ(actual.top, units.top);
    // An icon control takes the size of its icon.
    if (expected.kind != ControlKind::Icon) {
        EXPECT_EQ(actual.right, units.right);
        EXPECT_EQ(actual.bottom, units.bottom);
    }
}

void ExpectTemplateMatches(const DialogTemplate& table)
{
    const TemplateHeader header = ReadHeader(table.id);
    EXPECT_EQ(header.cx, table.cx);
    EXPECT_EQ(header.cy, table.cy);
    EXPECT_EQ(header.points, table.fontPoints);
    EXPECT_EQ(header.face, std::wstring(table.fontFace, table.fontFace + std::char_traits<char>::length(table.fontFace)));

    const HWND dialog = ::CreateDialogParamA(nullptr, MAKEINTRESOURCEA(table.id), nullptr, QuietDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    RECT client{};
    ::GetClientRect(dialog, &client);
    RECT size{0, 0, table.cx, table.cy};
    ::MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    std::vector<HWND> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    ASSERT_EQ(controls.size(), table.controlCount);
    for (std::size_t i = 0; i < table.controlCount; ++i) {
        const ControlTemplate& expected = table.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (ID " + std::to_string(expected.id) + ")");
        EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(controls[i])), static_cast<WORD>(expected.id));
        ExpectKind(controls[i], expected);
        if (expected.kind != ControlKind::Icon) {
            EXPECT_EQ(TextOf(controls[i]), expected.text);
        }
        ExpectRectangle(dialog, controls[i], expected);
    }
    ::DestroyWindow(dialog);
}

class DialogTemplates : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::InitCommonControls();
        ::LoadLibraryA("RICHED20.DLL");
    }
};

TEST_F(DialogTemplates, TheMainDialogMatchesItsTable)
{
    ExpectTemplateMatches(kMainDialogTemplate);
}

TEST_F(DialogTemplates, TheAboutDialogMatchesItsTable)
{
    ExpectTemplateMatches(kAboutDialogTemplate);
}

TEST_F(DialogTemplates, TheMainDialogIsAVisibleMinimisableAppWindow)
{
    const TemplateHeader header = ReadHeader(IDD_FWUT_UPDATE_DIALOG);
    const DWORD wanted = DS_MODALFRAME | DS_SETFOREGROUND | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(header.style & wanted, wanted);
    EXPECT_EQ(header.style & WS_MAXIMIZEBOX, 0u);
    EXPECT_NE(header.exStyle & WS_EX_APPWINDOW, 0u);
}

TEST_F(DialogTemplates, TheAboutDialogIsAModalPopUpWithoutMinimiseBox)
{
    const TemplateHeader header = ReadHeader(IDD_ABOUTBOX);
    const DWORD wanted = DS_MODALFRAME | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(header.style & wanted, wanted);
    EXPECT_EQ(header.style & (WS_MINIMIZEBOX | WS_VISIBLE), 0u);
}

}  // namespace
}  // namespace fwut
