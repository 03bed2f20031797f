#include "platform/win32/SystemHandleTable.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/ConsoleSignals.h"
#include "platform/win32/WideText.h"

namespace fwut {

namespace {

// The search, from the port's name to the holder's, takes at most this long.
constexpr DWORD kSearchLimitMs = 1000;
// A query that takes longer waits on something (a file opened for synchronous
// use with a read pending): its worker is left to it and the search goes on
// without. Every query is given this whole time or not started.
constexpr DWORD kQueryLimitMs = 100;

// Workers one search leaves waiting on a query: past this many it asks for
// no more names (each such worker holds a copy of its handle).
constexpr int kMaxWorkersLeftWaiting = 4;

// The handles whose name query hung, by process, value and object, for the
// process's life: a later search does not ask again and leave another worker
// waiting. The object's address, where the system tells it, keeps a reused
// handle value apart.
class HungHandles {
public:
    static HungHandles& Instance()
    {
        static HungHandles hung;
        return hung;
    }
    bool Contains(const OpenHandle& handle)
    {
        std::lock_guard lock(m_mutex);
        return m_handles.contains({handle.processId, handle.value, handle.object});
    }
    void Add(const OpenHandle& handle)
    {
        std::lock_guard lock(m_mutex);
        m_handles.insert({handle.processId, handle.value, handle.object});
    }

private:
    std::mutex m_mutex;
    std::set<std::tuple<std::uint32_t, std::uintptr_t, std::uintptr_t>> m_handles;
};

constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kObjectNameInformation = 1;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntryEx {
    PVOID object;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleInformationEx {
    ULONG_PTR numberOfHandles;
    ULONG_PTR reserved;
    HandleEntryEx handles[1];
};

struct CountedText {
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
};

using NtQuerySystemInformationCall = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using NtQueryObjectCall = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

template <typename Call> Call NtdllCall(const char* name)
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll == nullptr ? nullptr : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
}

// The account the token is of, by name; "" when it has none.
std::string TokenUserName(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    return LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use) ? text::WideToSystem(name)
                                                                                       : std::string();
}

}  // namespace

// One name query at a time, on a thread of its own: the query cannot be
// cut short, so a worker that does not answer in time is left behind (it
// closes its handle when its query ends) and the next query gets a new one.
class SystemHandleTable::NameQueries {
public:
    enum class Answer { Named, NoWorker, TimedOut };

    NameQueries() = default;
    NameQueries(const NameQueries&) = delete;
    NameQueries& operator=(const NameQueries&) = delete;
    ~NameQueries() { Leave(); }

    // The name of the object the handle stands for in name ("" for none),
    // asked for at most kQueryLimitMs once the worker runs. Takes over the handle.
    Answer NameOf(HANDLE handle, std::string& name)
    {
        if (!m_worker) {
            try {
                auto worker = std::make_shared<Worker>();
                std::thread(&Worker::Run, worker).detach();
                m_worker = std::move(worker);
            } catch (const std::exception&) {
                CloseHandle(handle);
                return Answer::NoWorker;
            }
        }
        std::unique_lock lock(m_worker->mutex);
        // A thread slow to start is no query that hangs.
        if (!m_worker->changed.wait_for(lock, std::chrono::milliseconds(kQueryLimitMs),
                                        [&] { return m_worker->running; })) {
            lock.unlock();
            Leave();
            CloseHandle(handle);
            return Answer::NoWorker;
        }
        m_worker->request = handle;
        m_worker->answer.reset();
        m_worker->changed.notify_all();
        if (!m_worker->changed.wait_for(lock, std::chrono::milliseconds(kQueryLimitMs),
                                        [&] { return m_worker->answer.has_value(); })) {
            ++m_workersLeftWaiting;
            lock.unlock();
            Leave();
            return Answer::TimedOut;
        }
        name.swap(*m_worker->answer);
        return Answer::Named;
    }

    bool LeftTooManyWaiting() const { return m_workersLeftWaiting >= kMaxWorkersLeftWaiting; }

private:
    struct Worker {
        std::mutex mutex;
        std::condition_variable changed;
        HANDLE request = nullptr;
        std::optional<std::string> answer;
        bool running = false;
        bool left = false;

        static void Run(std::shared_ptr<Worker> self)
        {
            const auto query = NtdllCall<NtQueryObjectCall>("NtQueryObject");
            {
                std::lock_guard lock(self->mutex);
                self->running = true;
                self->changed.notify_all();
            }
            for (;;) {
                HANDLE handle = nullptr;
                {
                    std::unique_lock lock(self->mutex);
                    self->changed.wait(lock, [&] { return self->left || self->request != nullptr; });
                    if (self->left) {
                        // No one waits for it: a request taken now is not asked.
                        if (self->request != nullptr) {
                            CloseHandle(std::exchange(self->request, nullptr));
                        }
                        return;
                    }
                    handle = std::exchange(self->request, nullptr);
                }
                std::string name;
                // A disk file or a pipe is no serial port and needs no name; a port's
                // driver declares a character device, or a type GetFileType does not
                // know. (Either call may wait on a synchronous file's pending read.)
                const DWORD type = GetFileType(handle);
                if (query != nullptr && type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
                    alignas(CountedText) unsigned char buffer[4096];
                    ULONG length = 0;
                    if (query(handle, kObjectNameInformation, buffer, sizeof buffer, &length) >= 0) {
                        const auto* text = reinterpret_cast<const CountedText*>(buffer);
                        try {
                            name = text::WideToSystem(std::wstring_view(text->buffer, text->length / sizeof(wchar_t)));
                        } catch (const std::exception&) {
                            name.clear();
                        }
                    }
                }
                CloseHandle(handle);
                std::lock_guard lock(self->mutex);
                self->answer.emplace();
                self->answer->swap(name);
                self->changed.notify_all();
            }
        }
    };

    void Leave()
    {
        if (m_worker) {
            std::lock_guard lock(m_worker->mutex);
            m_worker->left = true;
            m_worker->changed.notify_all();
        }
        m_worker.reset();
    }

    std::shared_ptr<Worker> m_worker;
    int m_workersLeftWaiting = 0;
};

SystemHandleTable::SystemHandleTable()
    : m_deadline(GetTickCount() + kSearchLimitMs), m_names(std::make_unique<NameQueries>())
{
}

SystemHandleTable::~SystemHandleTable()
{
    for (const auto& [processId, process] : m_processes) {
        if (process != nullptr) {
            CloseHandle(process);
        }
    }
    if (m_ownFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_ownFile);
    }
}

std::optional<HandleSnapshot> SystemHandleTable::Snapshot()
{
    const auto query = NtdllCall<NtQuerySystemInformationCall>("NtQuerySystemInformation");
    // After a stop request nothing is looked for, so nothing is claimed.
    if (query == nullptr || console::StopRequested()) {
        return std::nullopt;
    }
    m_ownFile =
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<unsigned char> buffer;
    HandleSnapshot snapshot;
    LONG status = kStatusInfoLengthMismatch;
    try {
        buffer.resize(1 << 20);
        ULONG needed = 0;
        while ((status = query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                               &needed)) == kStatusInfoLengthMismatch &&
               buffer.size() < (std::size_t{1} << 28)) {
            // The table grows between the two calls: some room to spare.
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + (1 << 16)));
        }
        if (status < 0) {
            return std::nullopt;
        }
        const auto* table = reinterpret_cast<const HandleInformationEx*>(buffer.data());
        const std::size_t fits = (buffer.size() - offsetof(HandleInformationEx, handles)) / sizeof(HandleEntryEx);
        const std::size_t count = std::min<std::size_t>(table->numberOfHandles, fits);
        snapshot.handles.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const HandleEntryEx& entry = table->handles[i];
            snapshot.handles.push_back({static_cast<std::uint32_t>(entry.uniqueProcessId), entry.handleValue,
                                        entry.objectTypeIndex, reinterpret_cast<std::uintptr_t>(entry.object)});
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    snapshot.ownProcessId = GetCurrentProcessId();
    snapshot.ownFileHandle = reinterpret_cast<std::uintptr_t>(m_ownFile);
    return snapshot;
}

HandleLook SystemHandleTable::LookAt(const OpenHandle& handle)
{
    const DWORD left = m_deadline - GetTickCount();
    if (left > kSearchLimitMs || left < kQueryLimitMs || m_names->LeftTooManyWaiting() ||
        HungHandles::Instance().Contains(handle)) {
        return {HandleLook::Kind::NoAnswer, {}};
    }
    const HANDLE process = Process(handle.processId);
    if (process == nullptr) {
        return {HandleLook::Kind::ProcessClosed, {}};
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, reinterpret_cast<HANDLE>(handle.value), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        // A handle closed since the table was taken is none; one kept from us is not looked at.
        return {GetLastError() == ERROR_ACCESS_DENIED ? HandleLook::Kind::ProcessClosed : HandleLook::Kind::NotADevice,
                {}};
    }
    std::string name;
    switch (m_names->NameOf(copy, name)) {
    case NameQueries::Answer::Named:
        return {name.empty() ? HandleLook::Kind::NotADevice : HandleLook::Kind::Named, name};
    case NameQueries::Answer::TimedOut:
        HungHandles::Instance().Add(handle);
        break;
    case NameQueries::Answer::NoWorker:
        break;
    }
    return {HandleLook::Kind::NoAnswer, {}};
}

PortHolder SystemHandleTable::Describe(std::uint32_t processId)
{
    PortHolder holder;
    const HANDLE process = Process(processId);
    // The wide calls: the ANSI ones would give a best-fit look-alike of a name.
    std::vector<wchar_t> path(MAX_PATH * 4);
    DWORD length = static_cast<DWORD>(path.size());
    if (process != nullptr && QueryFullProcessImageNameW(process, 0, path.data(), &length)) {
        const std::wstring_view image(path.data(), length);
        holder.program = text::WideToSystem(image.substr(image.find_last_of(L'\\') + 1));
    }
    HANDLE token = nullptr;
    if (process != nullptr && OpenProcessToken(process, TOKEN_QUERY, &token)) {
        holder.user = TokenUserName(token);
        CloseHandle(token);
    }
    return holder;
}

bool SystemHandleTable::TimeIsUp()
{
    // Less time than a query is given is no time for one more.
    const DWORD left = m_deadline - GetTickCount();
    return left < kQueryLimitMs || left > kSearchLimitMs || console::StopRequested();
}

HANDLE SystemHandleTable::Process(std::uint32_t processId)
{
    const auto known = m_processes.find(processId);
    if (known != m_processes.end()) {
        return known->second;
    }
    HANDLE process = OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        process = OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId);
    }
    m_processes[processId] = process;
    return process;
}

}  // namespace fwut
