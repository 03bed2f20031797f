// Who holds a serial device that would not open, so that the user is told
// which program to close instead of guessing.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fwut {

struct PortHolder {
    std::string program;  // the process's name, as the process itself set it
    long processId = 0;  // 0: the holder cannot be seen
    std::string user;  // the name of the user it runs as, or its number
    // The system's own name of the device where it has one ("\Device\VCP0"
    // on Windows), which tools that list open handles search for.
    std::string deviceObject;

    bool IsSeen() const { return processId != 0; }
};

// Only processes that have the device open now are named: the one whose
// open device holds the lock (as every copy of this program takes it), else
// another that has it open. A lock that no visible process holds (another
// user's process, one in another container) gives a holder that cannot be
// seen, never the process that took the lock and may have handed it on or
// ended since. On Windows the process that has the device open, from the
// system's handle table. Nothing when the device is free or the system does
// not tell.
std::optional<PortHolder> FindPortHolder(const std::string& devicePath);
// Only a locked device's holder (on Windows: a process seen to have it open),
// a port that this program could not use now. Opening the device to find out
// would pulse its modem lines.
std::optional<PortHolder> FindPortLocker(const std::string& devicePath);
// The same for several devices, in their order (Windows looks once for all).
std::vector<std::optional<PortHolder>> FindPortLockers(const std::vector<std::string>& devicePaths);

// "ModemManager (process 812, user root)", the name made printable; for a
// holder that cannot be seen, says so.
std::string DescribeHolder(const PortHolder& holder);

// Whether a process of that name runs (brltty takes some adapters whole).
bool IsProcessRunning(const std::string& program);

}  // namespace fwut
