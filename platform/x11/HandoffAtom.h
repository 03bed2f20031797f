// The X11 form of the companion hand-off message: a ClientMessage of format
// 32 whose type is this atom, with data.l[0] the Win32 message number
// (0x8065), data.l[1] its wParam (1001 release, 1002 return) and data.l[2]
// its lParam (the port number).
#pragma once

namespace fwut::x11 {

constexpr const char* kHandoffAtomName = "FWUT_SERIALPORT_HANDOFF";

}  // namespace fwut::x11
