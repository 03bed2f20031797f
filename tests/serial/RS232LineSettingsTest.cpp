// CRS232 over a recording device: the exact Win32 calls, and the line
// settings it asks for (a pseudo-terminal can only ever show 8N1).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/doubles/RecordingSerialApi.h"
#include "tests/doubles/VirtualClock.h"
#include "serial/RS232.h"

namespace fwut {
namespace {

class RS232Recorded : public ::testing::Test {
protected:
    const DCB& LastState() const
    {
        for (auto call = api.Calls().rbegin(); call != api.Calls().rend(); ++call) {
            if (call->name == "SetCommState") {
                return *call->dcb;
            }
        }
        ADD_FAILURE() << "no SetCommState";
        static DCB none{};
        return none;
    }

    RecordingSerialApi api;
    VirtualClock clock;
    CRS232 port{api, clock};
};

TEST_F(RS232Recorded, OpenMakesTheCallsInOrderWithTheFixedSettings)
{
    ASSERT_TRUE(port.Open(12, 57600, 'N', 8, 1));
    const auto& calls = api.Calls();
    ASSERT_EQ(api.CallNames(), (std::vector<std::string>{"CreateFileA", "SetupComm", "SetCommTimeouts",
                                                          "SetCommState", "SetCommMask"}));
    EXPECT_EQ(calls[0].fileName, "\\\\.\\COM12");
    EXPECT_EQ(calls[0].args, (std::vector<DWORD>{GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0}));
    EXPECT_EQ(calls[1].args, (std::vector<DWORD>{32768, 32768}));
    const COMMTIMEOUTS& timeouts = *calls[2].timeouts;
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 5000u) << "a line that takes nothing for 5 s has stopped";
    EXPECT_EQ(calls[4].args, (std::vector<DWORD>{EV_RXCHAR | EV_TXEMPTY}));

    const DCB& dcb = *calls[3].dcb;
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity, 1u);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
    EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(dcb.fDsrSensitivity, 0u);
    EXPECT_EQ(dcb.fTXContinueOnXoff, 1u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
    EXPECT_EQ(dcb.fErrorChar, 0u);
    EXPECT_EQ(dcb.fNull, 0u);
    EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(dcb.fAbortOnError, 0u);
    EXPECT_EQ(dcb.fDummy2, 0u);
    EXPECT_EQ(dcb.wReserved, 0u);
    EXPECT_EQ(dcb.XonLim, 100u);
    EXPECT_EQ(dcb.XoffLim, 100u);
    EXPECT_EQ(dcb.ByteSize, 8u);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(static_cast<BYTE>(dcb.ErrorChar), 0xFF);
    EXPECT_EQ(dcb.EofChar, 0x0D);
    EXPECT_EQ(static_cast<BYTE>(dcb.EvtChar), 0xFF);
    EXPECT_EQ(dcb.wReserved1, 0u);
    EXPECT_EQ(port.GetPortNumber(), 12);
}

TEST_F(RS232Recorded, EachOperationAcceptsOnlyTheRatesOfItsOwnList)
{
    const int openRates[] = {300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
    for (int rate : openRates) {
        port.Open(1, rate, 'N', 8, 1);
        EXPECT_EQ(LastState().BaudRate, static_cast<DWORD>(rate));
    }
    for (int rate : {0, 110, 56000, 128000, 230400, -57600}) {
        port.Open(1, rate, 'N', 8, 1);
        EXPECT_EQ(LastState().BaudRate, 9600u) << rate;
    }

    port.Open(1, 57600, 'N', 8, 1);
    for (int rate : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}) {
        port.SetLineSettings(rate, 'N', '8');
        EXPECT_EQ(LastState().BaudRate, static_cast<DWORD>(rate));
    }
    for (int rate : {300, 600, 14400, 110, 230400}) {
        port.SetLineSettings(rate, 'N', '8');
        EXPECT_EQ(LastState().BaudRate, 9600u) << rate;
    }
}

TEST_F(RS232Recorded, ParityMapsMarkAndSpaceOnlyAtOpen)
{
    const struct {
        int code;
        BYTE atOpen;
        BYTE atChange;
    } cases[] = {
        {'N', NOPARITY, NOPARITY},   {'O', ODDPARITY, ODDPARITY}, {'E', EVENPARITY, EVENPARITY},
        {'M', MARKPARITY, NOPARITY}, {'S', SPACEPARITY, NOPARITY}, {'e', NOPARITY, NOPARITY},
        {'o', NOPARITY, NOPARITY},   {'X', NOPARITY, NOPARITY},    {0, NOPARITY, NOPARITY},
    };
    for (const auto& c : cases) {
        port.Open(1, 57600, c.code, 8, 1);
        EXPECT_EQ(LastState().Parity, c.atOpen) << c.code;
        port.SetLineSettings(19200, c.code, '8');
        EXPECT_EQ(LastState().Parity, c.atChange) << c.code;
    }
}

TEST_F(RS232Recorded, DataAndStopBits)
{
    for (int bits : {5, 6, 7, 8}) {
        port.Open(1, 57600, 'N', bits, 1);
        EXPECT_EQ(LastState().ByteSize, bits);
        port.SetLineSettings(57600, 'N', '0' + bits);
        EXPECT_EQ(LastState().ByteSize, bits);
    }
    for (int stopBits : {0, 1, 3, -1}) {
        port.Open(1, 57600, 'N', 8, stopBits);
        EXPECT_EQ(LastState().StopBits, ONESTOPBIT) << stopBits;
    }
    port.Open(1, 57600, 'N', 8, 2);
    EXPECT_EQ(LastState().StopBits, TWOSTOPBITS);
}

TEST_F(RS232Recorded, RateChangeKeepsEverythingElseAndDiscardsInput)
{
    port.Open(3, 57600, 'M', 7, 2);
    DCB expected = LastState();
    api.ClearCalls();

    EXPECT_TRUE(port.SetLineSettings(19200, 'E', '8'));
    ASSERT_EQ(api.CallNames(), (std::vector<std::string>{"SetCommState", "PurgeComm"}));
    EXPECT_EQ(api.Calls()[1].args, (std::vector<DWORD>{PURGE_RXCLEAR}));
    expected.BaudRate = 19200;
    expected.Parity = EVENPARITY;
    expected.ByteSize = 8;
    EXPECT_EQ(std::memcmp(&expected, &*api.Calls()[0].dcb, sizeof(DCB)), 0);
}

TEST_F(RS232Recorded, CloseLowersDtrThenRtsThenClosesOnce)
{
    port.Open(4, 57600, 'N', 8, 1);
    api.ClearCalls();
    port.Close();
    port.Close();
    ASSERT_EQ(api.CallNames(), (std::vector<std::string>{"EscapeCommFunction", "EscapeCommFunction", "CloseHandle"}));
    EXPECT_EQ(api.Calls()[0].args, (std::vector<DWORD>{CLRDTR}));
    EXPECT_EQ(api.Calls()[1].args, (std::vector<DWORD>{CLRRTS}));
    EXPECT_EQ(port.GetPortNumber(), -1);
}

TEST_F(RS232Recorded, AFailedSecondOpenLeavesTheFirstPortClosed)
{
    ASSERT_TRUE(port.Open(1, 57600, 'N', 8, 1));
    api.ClearCalls();
    api.FailCreateFile(1);
    EXPECT_FALSE(port.Open(2, 57600, 'N', 8, 1));
    EXPECT_EQ(api.CallNames(), (std::vector<std::string>{"EscapeCommFunction", "EscapeCommFunction", "CloseHandle",
                                                          "CreateFileA"}));
    EXPECT_EQ(port.GetPortNumber(), -1);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(RS232Recorded, AClosedPortTouchesNothing)
{
    char buffer[8];
    const DWORD before = clock.GetTickCount();
    EXPECT_FALSE(port.WriteString("<W"));
    EXPECT_FALSE(port.SetLineSettings(19200, 'N', '8'));
    EXPECT_FALSE(port.PurgeInput());
    EXPECT_EQ(port.GetInputCount(), 0u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    port.ClearAndWait(500);
    port.SendPacketString("x");
    EXPECT_TRUE(api.Calls().empty());
    EXPECT_EQ(clock.GetTickCount(), before);
    EXPECT_EQ(port.GetPortNumber(), -1);
}

TEST_F(RS232Recorded, ReadOfZeroBytesDoesNotAskTheDriver)
{
    port.Open(1, 57600, 'N', 8, 1);
    api.ClearCalls();
    char buffer[4];
    EXPECT_EQ(port.Read(buffer, 0), 0);
    EXPECT_TRUE(api.Calls().empty());
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(api.CallNames(), (std::vector<std::string>{"ClearCommError"}));
}

TEST_F(RS232Recorded, ClearAndWaitPurgesBothQueuesThenWaits)
{
    port.Open(1, 57600, 'N', 8, 1);
    api.ClearCalls();
    const DWORD start = clock.GetTickCount();
    port.ClearAndWait(10);
    ASSERT_EQ(api.CallNames(), (std::vector<std::string>{"PurgeComm", "PurgeComm"}));
    EXPECT_EQ(api.Calls()[0].args, (std::vector<DWORD>{PURGE_TXCLEAR}));
    EXPECT_EQ(api.Calls()[1].args, (std::vector<DWORD>{PURGE_RXCLEAR}));
    EXPECT_EQ(clock.GetTickCount() - start, 10u);
}

TEST_F(RS232Recorded, NegativeLengthWritesNothing)
{
    port.Open(1, 57600, 'N', 8, 1);
    api.ClearCalls();
    EXPECT_FALSE(port.WriteBuffer("abc", -1));
    port.SendPacket("abc", 0);
    port.SendPacket("abc", -5);
    EXPECT_TRUE(api.Calls().empty());
}

}  // namespace
}  // namespace fwut
