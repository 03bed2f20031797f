#include "platform/HandleTableSearch.h"

#include <set>

#include "platform/AsciiCase.h"

namespace fwut {

namespace {

std::optional<std::uint16_t> FileTypeIndex(const HandleSnapshot& snapshot)
{
    for (const OpenHandle& handle : snapshot.handles) {
        if (handle.processId == snapshot.ownProcessId && handle.value == snapshot.ownFileHandle) {
            return handle.typeIndex;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<PortHolder> FindHandleHolder(HandleTable& table, const std::string& deviceObject)
{
    const std::optional<HandleSnapshot> snapshot = table.Snapshot();
    if (!snapshot || deviceObject.empty()) {
        return std::nullopt;
    }
    // Without our own file's entry every handle's type is unknown: all are looked at.
    const std::optional<std::uint16_t> fileType = FileTypeIndex(*snapshot);
    std::set<std::uint32_t> closed;
    bool unlooked = false;
    for (const OpenHandle& handle : snapshot->handles) {
        if (handle.processId == snapshot->ownProcessId || (fileType && handle.typeIndex != *fileType) ||
            closed.contains(handle.processId)) {
            continue;
        }
        if (table.TimeIsUp()) {
            unlooked = true;
            break;
        }
        const HandleLook look = table.LookAt(handle);
        switch (look.kind) {
        case HandleLook::Kind::Named:
            if (EqualsIgnoringCase(look.name, deviceObject)) {
                PortHolder holder = table.Describe(handle.processId);
                holder.processId = handle.processId;
                holder.deviceObject = deviceObject;
                return holder;
            }
            break;
        case HandleLook::Kind::ProcessClosed:
            closed.insert(handle.processId);
            unlooked = true;
            break;
        case HandleLook::Kind::NoAnswer:
            unlooked = true;
            break;
        case HandleLook::Kind::NotADevice:
            break;
        }
    }
    if (!unlooked) {
        return std::nullopt;
    }
    PortHolder unseen;
    unseen.deviceObject = deviceObject;
    return unseen;
}

}  // namespace fwut
