// The handle table of the running Windows system, for FindHandleHolder: the
// table from NtQuerySystemInformation, each handle of another process copied
// here (DuplicateHandle) and named (NtQueryObject) on a worker thread, since
// a name query can hang; the whole search is given one second.
#pragma once

#include <map>
#include <memory>

#include "platform/HandleTableSearch.h"
#include "platform/Win32Types.h"

namespace fwut {

class SystemHandleTable final : public HandleTable {
public:
    SystemHandleTable();
    SystemHandleTable(const SystemHandleTable&) = delete;
    SystemHandleTable& operator=(const SystemHandleTable&) = delete;
    ~SystemHandleTable() override;

    std::optional<HandleSnapshot> Snapshot() override;
    HandleLook LookAt(const OpenHandle& handle) override;
    PortHolder Describe(std::uint32_t processId) override;
    bool TimeIsUp() override;

private:
    class NameQueries;

    // The process, opened to copy its handles; nullptr when that is not allowed.
    HANDLE Process(std::uint32_t processId);

    DWORD m_deadline;
    HANDLE m_ownFile = INVALID_HANDLE_VALUE;
    std::map<std::uint32_t, HANDLE> m_processes;
    std::unique_ptr<NameQueries> m_names;
};

}  // namespace fwut
