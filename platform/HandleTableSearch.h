// Which process has a device open, from the system's table of every open
// handle (Windows names no holder of a COM port otherwise). Each file handle
// of another process is looked at in turn until one stands for the device.
// The calls are behind HandleTable so that recorded tables can stand in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/PortHolder.h"

namespace fwut {

struct OpenHandle {
    std::uint32_t processId = 0;
    std::uintptr_t value = 0;
    std::uint16_t typeIndex = 0;
    std::uintptr_t object = 0;  // the object's address, where the system tells it
};

struct HandleSnapshot {
    std::vector<OpenHandle> handles;
    std::uint32_t ownProcessId = 0;
    // A file handle of this process, held while the table was taken: its
    // entry tells which type index stands for files.
    std::uintptr_t ownFileHandle = 0;
};

// What looking at one handle of another process told.
struct HandleLook {
    enum class Kind {
        Named,  // the object's name is in `name`
        NotADevice,  // a disk file, pipe or socket: never a serial port
        ProcessClosed,  // that process's handles may not be looked at
        NoAnswer,  // the query did not answer in time (some handle kinds hang)
    };
    Kind kind = Kind::NotADevice;
    std::string name;
};

class HandleTable {
public:
    virtual ~HandleTable() = default;
    // Every open handle of every process; nothing when the system does not
    // tell, or once a stop was requested.
    virtual std::optional<HandleSnapshot> Snapshot() = 0;
    virtual HandleLook LookAt(const OpenHandle& handle) = 0;
    // The program's name and user; the process id is set by the search.
    virtual PortHolder Describe(std::uint32_t processId) = 0;
    // Whether the search's time is spent (it must stay short).
    virtual bool TimeIsUp() = 0;
};

// The process that has the object `deviceObject` (as "\Device\Serial0") open.
// A holder that cannot be seen when some process could not be looked at (or
// time ran out) and none that could has it: the holder is never guessed.
// Nothing when the system gives no table (nor after a stop request), or every
// process was looked at and none has the device open.
std::optional<PortHolder> FindHandleHolder(HandleTable& table, const std::string& deviceObject);
// The same for several objects in one pass over the table, in their order.
std::vector<std::optional<PortHolder>> FindHandleHolders(HandleTable& table,
                                                         const std::vector<std::string>& deviceObjects);

}  // namespace fwut
