// Low-latency mode for a serial device. USB adapters of the FTDI kind hold
// received bytes up to their latency timer (16 ms) before passing them on,
// which delays the boot loader's answer to every page; the flag
// ASYNC_LOW_LATENCY makes their driver set that timer to 1 ms.
#pragma once

namespace fwut {

// Asks the driver of the open descriptor for low-latency mode. Drivers that
// keep no serial settings (pseudo-terminals) or refuse the change are left
// as they are; returns whether the mode is on.
bool RequestLowLatency(int fd);

}  // namespace fwut
