// The main dialog's own texts.
#pragma once

#include "update/FirmwareTexts.h"

namespace fwut {

inline const std::string kWindowTitle = std::string(kProductName) + " Firmware Update";

inline const std::string kAboutMenuText = "About " + std::string(kProductName) + " Update && Contact Information...";

constexpr const char* kUseWithLine =
    "Use for updating FieldGatherer Digital Mobile Modules with wireless link from Psion Handheld.";

constexpr const char* kInstructions =
    "- Be sure the USB/RS232 Adapter is connected to the Docking Station and a serial port on your PC.\n"
    "- Be sure the AC Adapter is plugged into the Docking Station & connected to a wall outlet.\n"
    "- Place the the Psion Handheld in the Docking Station and turn on the Handheld.\n"
    "- Start the Fernhollow wireless application & select the Data Transfer item.\n"
    "- Select the appropriate serial port (only installed ports are displayed).\n"
    "\n"
    "- Put the Mobile Module into the firmware update mode:\n"
    "     -- Press & hold the Setup button and then press & hold the Read button.\n"
    "     -- Both button should be pressed and a red and green LED should be on.\n"
    "     -- Continue to press the buttons until both LEDs turn off (about 10 seconds).\n"
    "     -- Release both buttons.\n"
    "     -- The Mobile Module LEDs should both be blinking both red & then both green.\n"
    "\n"
    "- Press the Begin Update button below (button must be pressed within 15 seconds).\n"
    "- Monitor the Firmware Update Status information.\n"
    "- A message box will indicate the success of the update.";

constexpr const char* kBeginUpdate = "Begin Update";
constexpr const char* kCancelUpdate = "Cancel Update";
// Followed by the port's number and five blanks.
constexpr const char* kUnableToOpenPort = "Unable to open serial port COM";
constexpr const char* kNoSerialPorts = "There are no serial ports installed on this computer.     ";
// The status line after a wait that the line's loss ended.
constexpr const char* kSerialLineGone = "The serial line has gone: check the adapter and its cable.";

// Doubles every " & " so that a single '&' shows as an ampersand in a menu.
std::string DoubleMenuAmpersands(const std::string& text);

}  // namespace fwut
