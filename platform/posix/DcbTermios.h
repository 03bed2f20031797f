// How the Win32 line settings of a DCB read in termios terms. Kept apart from
// the port calls so the mapping can be checked without a serial device: a
// pseudo-terminal always reports 8 data bits and no parity whatever it is told.
#pragma once

#include <termios.h>

#include "platform/Win32Types.h"

namespace fwut {

// The termios speed constant for a baud rate, or B0 when termios has none
// (14400 has none on Linux; such rates go through SetArbitraryBaudRate).
speed_t BaudRateConstant(DWORD baudRate);

// Rewrites tio for the DCB: raw bytes, receiver on, modem-status lines ignored,
// no flow control, data bits, parity, stop bits, and the speed when it has a
// constant. Returns false, leaving tio untouched, for a DCB that Win32 would
// refuse (no rate, data bits outside 5..8, unknown parity or stop bits).
bool DcbToTermios(const DCB& dcb, termios& tio);

}  // namespace fwut
