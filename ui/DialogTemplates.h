// The two dialog templates as data: every control's ID, kind, text and
// rectangle in dialog units, in creation order (which is also the tab order).
// The Qt window builds its controls from these tables; resources/*.rc holds
// the same templates for the Win32 window, and a test keeps the two equal.
#pragma once

#include <array>

#include "platform/Win32Types.h"
#include "resources/resource.h"
#include "ui/ContactInformation.h"

namespace fwut {

enum class ControlKind { Static, Icon, GroupBox, RadioButton, PushButton, DefaultPushButton, LinkField };
enum class TextAlign { Left, Center };

struct ControlTemplate {
    int id;  // -1 for a control nobody addresses
    ControlKind kind;
    const char* text;
    int x;
    int y;
    int cx;
    int cy;
    TextAlign align = TextAlign::Left;
    bool groupStart = false;
    bool tabStop = false;
};

struct DialogTemplate {
    int id;
    int cx;
    int cy;
    const char* fontFace;
    int fontPoints;
    const ControlTemplate* controls;
    std::size_t controlCount;
};

constexpr int kStaticUnlabelled = -1;

// The port buttons stand 56 units apart but are 36 units wide, which clips
// "COM12" or "COM100" in most fonts; a window widens a button to fit its
// caption, up to this width, keeping its place.
constexpr int kPortButtonMaxWidth = 52;

// clang-format off
inline constexpr std::array<ControlTemplate, 37> kMainDialogControls = {{
    {IDC_USE_WITH, ControlKind::Static, "", 11, 6, 624, 12, TextAlign::Center},
    {kStaticUnlabelled, ControlKind::GroupBox, "Serial Port: ", 12, 24, 624, 44},
    {kStaticUnlabelled, ControlKind::GroupBox, "Instructions: ", 12, 80, 624, 180},
    {IDC_INSTRUCTIONS, ControlKind::Static, "", 28, 92, 592, 164},
    {kStaticUnlabelled, ControlKind::GroupBox, "Firmware Update Status: ", 12, 272, 624, 92},
    {IDC_FIRMWARE_FILE, ControlKind::Static, "Firmware file  =", 20, 284, 608, 8},
    {IDC_FIRMWARE_VERSION, ControlKind::Static, "", 20, 296, 608, 8},
    {IDC_BOOTLOADER_VERSION, ControlKind::Static, "", 20, 308, 608, 8},
    {IDC_PROGRESS, ControlKind::Static, "", 20, 320, 608, 8},
    {IDC_STATUS, ControlKind::Static, "", 20, 332, 608, 12},
    {IDC_STEP, ControlKind::Static, "", 20, 348, 608, 12},
    {IDCANCEL, ControlKind::PushButton, "Done", 453, 372, 100, 14, TextAlign::Center, false, true},
    {2001, ControlKind::RadioButton, "COM1", 24, 36, 36, 10, TextAlign::Left, true, true},
    {2002, ControlKind::RadioButton, "COM2", 80, 36, 36, 10},
    {2003, ControlKind::RadioButton, "COM3", 136, 36, 36, 10},
    {2004, ControlKind::RadioButton, "COM4", 192, 36, 36, 10},
    {2005, ControlKind::RadioButton, "COM5", 248, 36, 36, 10},
    {2006, ControlKind::RadioButton, "COM6", 304, 36, 36, 10},
    {2007, ControlKind::RadioButton, "COM7", 360, 36, 36, 10},
    {2008, ControlKind::RadioButton, "COM8", 416, 36, 36, 10},
    {2009, ControlKind::RadioButton, "COM9", 472, 36, 36, 10},
    {2010, ControlKind::RadioButton, "COM10", 528, 36, 36, 10},
    {2011, ControlKind::RadioButton, "COM11", 584, 36, 36, 10},
    {2012, ControlKind::RadioButton, "COM12", 24, 52, 36, 10},
    {2013, ControlKind::RadioButton, "COM13", 80, 52, 36, 10},
    {2014, ControlKind::RadioButton, "COM14", 136, 52, 36, 10},
    {2015, ControlKind::RadioButton, "COM15", 192, 52, 36, 10},
    {2016, ControlKind::RadioButton, "COM16", 248, 52, 36, 10},
    {2017, ControlKind::RadioButton, "COM17", 304, 52, 36, 10},
    {2018, ControlKind::RadioButton, "COM18", 360, 52, 36, 10},
    {2019, ControlKind::RadioButton, "COM19", 416, 52, 36, 10},
    {2020, ControlKind::RadioButton, "COM20", 472, 52, 36, 10},
    {2021, ControlKind::RadioButton, "COM21", 528, 52, 36, 10},
    {2022, ControlKind::RadioButton, "COM22", 584, 52, 36, 10},
    {IDC_REFRESH_PORTS, ControlKind::PushButton, "Refresh Serial Ports", 213, 372, 100, 14, TextAlign::Center, true, true},
    {IDC_BEGIN_UPDATE, ControlKind::PushButton, "Begin Update", 333, 372, 100, 14, TextAlign::Center, false, true},
    {IDC_CONTACT_INFORMATION, ControlKind::PushButton, "Contact Information", 93, 372, 100, 14, TextAlign::Center, false, true},
}};
// clang-format on

inline constexpr DialogTemplate kMainDialogTemplate = {
    IDD_FWUT_UPDATE_DIALOG, 647, 392, "MS Shell Dlg", 8, kMainDialogControls.data(), kMainDialogControls.size()};

// clang-format off
inline constexpr std::array<ControlTemplate, 22> kAboutDialogControls = {{
    {kStaticUnlabelled, ControlKind::Icon, "", 13, 12, 20, 20},
    {IDC_ABOUT_TITLE, ControlKind::Static, "", 74, 8, 172, 8, TextAlign::Center},
    {IDC_ABOUT_VERSION, ControlKind::Static, "", 74, 18, 172, 8, TextAlign::Center},
    {IDC_ABOUT_RELEASED, ControlKind::Static, "", 74, 28, 172, 8, TextAlign::Center},
    {IDC_ABOUT_STATEMENT, ControlKind::Static, "", 14, 44, 291, 28, TextAlign::Center},
    {IDC_ABOUT_NOTICE, ControlKind::Static, "", 44, 76, 232, 8, TextAlign::Center},
    {kStaticUnlabelled, ControlKind::Static, contact::kNoticeLine2, 44, 86, 232, 8, TextAlign::Center},
    {IDC_CONTACT_GROUP, ControlKind::GroupBox, "Contact information: ", 13, 108, 292, 100},
    {IDC_PHONE_LABEL, ControlKind::Static, "Phone:", 80, 120, 38, 8},
    {IDC_PHONE, ControlKind::Static, contact::kPhone, 120, 120, 63, 8},
    {IDC_FAX_LABEL, ControlKind::Static, "FAX:", 80, 130, 38, 8},
    {IDC_FAX, ControlKind::Static, contact::kFax, 120, 130, 63, 8},
    {IDC_WEB_LABEL, ControlKind::Static, "Web:", 80, 140, 38, 8},
    {IDC_LINK_WEB, ControlKind::LinkField, "", 120, 140, 88, 8},
    {IDC_EMAIL_LABEL, ControlKind::Static, "Email:", 80, 150, 38, 8},
    {IDC_LINK_SALES, ControlKind::LinkField, "", 120, 150, 100, 8},
    {IDC_LINK_SUPPORT, ControlKind::LinkField, "", 120, 158, 92, 8},
    {IDC_HOURS_LABEL, ControlKind::Static, "Hours:", 80, 168, 38, 8},
    {IDC_HOURS, ControlKind::Static, contact::kOfficeHours, 120, 168, 124, 8},
    {IDC_ADDRESS_LABEL, ControlKind::Static, "Address:", 80, 178, 38, 8},
    {IDC_ADDRESS, ControlKind::Static, contact::kPostalAddress, 120, 178, 116, 25},
    {IDOK, ControlKind::DefaultPushButton, "OK", 124, 216, 69, 16, TextAlign::Center, true, true},
}};
// clang-format on

inline constexpr DialogTemplate kAboutDialogTemplate = {
    IDD_ABOUTBOX, 318, 241, "MS Shell Dlg", 8, kAboutDialogControls.data(), kAboutDialogControls.size()};

}  // namespace fwut
