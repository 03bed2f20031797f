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

std::vector<std::optional<PortHolder>> FindHandleHolders(HandleTable& table,
                                                         const std::vector<std::string>& deviceObjects)
{
    std::vector<std::optional<PortHolder>> holders(deviceObjects.size());
    // An object without a name (a port the system could not name) is never found.
    std::size_t unfound = 0;
    for (const std::string& object : deviceObjects) {
        unfound += object.empty() ? 0 : 1;
    }
    const std::optional<HandleSnapshot> snapshot = unfound == 0 ? std::nullopt : table.Snapshot();
    if (!snapshot) {
        return holders;
    }
    // Without our own file's entry every handle's type is unknown: all are looked at.
    const std::optional<std::uint16_t> fileType = FileTypeIndex(*snapshot);
    std::set<std::uint32_t> closed;
    bool unlooked = false;
    for (const OpenHandle& handle : snapshot->handles) {
        if (unfound == 0) {
            break;
        }
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
            for (std::size_t i = 0; i < deviceObjects.size(); ++i) {
                if (!holders[i] && !deviceObjects[i].empty() && EqualsIgnoringCase(look.name, deviceObjects[i])) {
                    holders[i] = table.Describe(handle.processId);
                    holders[i]->processId = handle.processId;
                    holders[i]->deviceObject = deviceObjects[i];
                    --unfound;
                }
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
    for (std::size_t i = 0; i < deviceObjects.size(); ++i) {
        if (!holders[i] && unlooked && !deviceObjects[i].empty()) {
            holders[i] = PortHolder{};
            holders[i]->deviceObject = deviceObjects[i];
        }
    }
    return holders;
}

std::optional<PortHolder> FindHandleHolder(HandleTable& table, const std::string& deviceObject)
{
    return FindHandleHolders(table, {deviceObject}).front();
}

}  // namespace fwut
