// Who holds a serial device that would not open, so that the user is told
// which program to close instead of guessing.
#pragma once

#include <optional>
#include <string>

namespace fwut {

struct PortHolder {
    std::string program;  // the process's name, as the system keeps it
    long processId = 0;
    std::string user;  // the name of the user it runs as, or its number
};

// The process that holds devicePath locked (as every copy of this program
// does), else another process that has it open; nothing when none is found
// or the system does not tell (Windows).
std::optional<PortHolder> FindPortHolder(const std::string& devicePath);
// Only the process that holds it locked: a port that this program could not
// use now. Opening the device to find out would pulse its modem lines.
std::optional<PortHolder> FindPortLocker(const std::string& devicePath);

// "ModemManager (process 812, user root)".
std::string DescribeHolder(const PortHolder& holder);

// Whether a process of that name runs (brltty takes some adapters whole).
bool IsProcessRunning(const std::string& program);

}  // namespace fwut
