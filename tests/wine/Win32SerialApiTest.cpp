// The kernel32 serial backend on a real port: under wine, COM<n> mapped onto
// a pseudo-terminal whose other side echoes every byte (scripts/wine-tests.sh
// sets that up and names the port in FWUT_WINE_ECHO_PORT). The port object
// drives it, and the system says what it made of the calls; the bytes
// themselves go through in the end-to-end update.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/SystemHandleTable.h"
#include "platform/win32/Win32SerialApi.h"
#include "platform/win32/Win32TickClock.h"
#include "serial/RS232.h"

namespace fwut {
namespace {

// The real backend, keeping the handle the port object gets.
class HandleKeepingKernel32 final : public Win32SerialApi {
public:
    HANDLE CreateFileA(const char* fileName, DWORD access, DWORD share, DWORD disposition, DWORD flags) override
    {
        handle = Win32SerialApi::CreateFileA(fileName, access, share, disposition, flags);
        return handle;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
};

int EchoPort()
{
    const char* text = std::getenv("FWUT_WINE_ECHO_PORT");
    return text != nullptr ? std::atoi(text) : 0;
}

class Win32SerialOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (EchoPort() <= 0) {
            GTEST_SKIP() << "FWUT_WINE_ECHO_PORT names no echoing port";
        }
        ASSERT_TRUE(port.Open(EchoPort(), 57600, 'N', 8, 1)) << kernel32.LastErrorText();
    }

    HANDLE Handle() const { return kernel32.handle; }

    HandleKeepingKernel32 kernel32;
    Win32TickClock clock;
    CRS232 port{kernel32, clock};
};

TEST_F(Win32SerialOverPty, TheSystemTakesTheSettingsReadsNeverBlockAndWritesHaveALimit)
{
    DCB state{};
    state.DCBlength = sizeof state;
    ASSERT_TRUE(::GetCommState(Handle(), &state));
    EXPECT_EQ(state.BaudRate, 57600u);
    EXPECT_EQ(state.ByteSize, 8);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(::GetCommTimeouts(Handle(), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 5000u) << "a line that takes nothing for 5 s has stopped";
    EXPECT_TRUE(port.SetLineSettings(19200, 'N', '8'));
    ASSERT_TRUE(::GetCommState(Handle(), &state));
    EXPECT_EQ(state.BaudRate, 19200u);

    port.Close();
    EXPECT_TRUE(port.Open(EchoPort(), 57600, 'N', 8, 1)) << "the close released the port";
}

// A port another process holds is found in the system's handle table: here a
// suspended child that inherited the port's handle. The object's name comes
// from our own handle, as wine has no object for QueryDosDevice to give.
TEST_F(Win32SerialOverPty, AnotherProcessHoldingThePortIsNamedFromTheHandleTable)
{
    const HandleLook own =
        SystemHandleTable().LookAt({::GetCurrentProcessId(), reinterpret_cast<std::uintptr_t>(Handle()), 0});
    ASSERT_EQ(own.kind, HandleLook::Kind::Named);
    ASSERT_TRUE(::SetHandleInformation(Handle(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessA(program, nullptr, nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                                 &child));
    port.Close();
    SystemHandleTable table;
    const std::optional<PortHolder> holder = FindHandleHolder(table, own.name);
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, 5000);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    ASSERT_TRUE(holder && holder->IsSeen()) << own.name;
    EXPECT_EQ(holder->processId, static_cast<long>(child.dwProcessId));
    EXPECT_EQ(holder->program, "fwut_win32_tests.exe");
    EXPECT_FALSE(holder->user.empty());

    SystemHandleTable after;
    EXPECT_FALSE(FindHandleHolder(after, own.name)) << "a free port has no holder, seen or unseen";
}

}  // namespace
}  // namespace fwut
