// From "Begin Update" to the module's ready byte and back: the bytes, their
// rates and pauses, the locked controls, the hand-off and every way back.
#include "DialogTestSupport.h"
#include "ui/DialogTexts.h"

namespace fwut::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kRateCommand = {0x1B, 0x24, 0x3A, 0x55, 0x39};
const Bytes kPoll = {0x3C, 0x24, 0x3A, 0x50, 0x30, 0x31, 0x36, 0x41, 0x8C, 0x11, 0xEE, 0xEE,
                     0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46, 0x01, 0xC0, 0x00, 0x00};

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

class UpdateStartTest : public DialogTest {
protected:
    UpdateStartTest() { module.answerAfterPolls = 0; }

    std::vector<ScriptedSerialApi::Write> Polls() const
    {
        std::vector<ScriptedSerialApi::Write> polls;
        for (const auto& write : serial.Writes()) {
            if (write.bytes == kPoll) {
                polls.push_back(write);
            }
        }
        return polls;
    }
};

TEST_F(UpdateStartTest, TheStartSendsTheRateAndConfigurationCommandsWithTheirPauses)
{
    Open();
    const DWORD pressed = clock.GetTickCount();
    window.Click(IDC_BEGIN_UPDATE);
    const auto& writes = serial.Writes();
    ASSERT_EQ(writes.size(), 4u) << "no poll before the first tick";
    EXPECT_EQ(writes[0].tick, pressed);
    EXPECT_EQ(writes[0].bytes, kRateCommand);
    EXPECT_EQ(writes[0].baudRate, 57600u);
    EXPECT_EQ(writes[1].bytes, kRateCommand);
    EXPECT_EQ(writes[1].baudRate, 19200u);
    EXPECT_EQ(writes[1].tick - writes[0].tick, 30u);
    EXPECT_EQ(writes[2].bytes, BytesOf("<#:M<#:P"));
    EXPECT_EQ(writes[2].baudRate, 57600u);
    EXPECT_EQ(writes[2].tick - writes[1].tick, 60u) << "30 ms at 19200, 30 ms back at 57600";
    EXPECT_EQ(writes[3].bytes, BytesOf("<RS<#:C14"));
    EXPECT_EQ(writes[3].tick - writes[2].tick, 1010u);
    EXPECT_EQ(clock.GetTickCount() - writes[3].tick, 310u);
    // Each rate change discards the input received at the old rate, and the
    // configuration clears both queues after each command.
    EXPECT_EQ(serial.EventsSince(),
              (std::vector<std::string>{"open COM1", "state 57600", "state 19200", "purge rx", "state 57600",
                                        "purge rx", "purge tx", "purge rx", "purge tx", "purge rx"}));
}

// A pause counted in whole ticks may end part of a tick early on the line, so
// a stop in the relay's second keeps the 10 ms after it before "<W" too.
TEST_F(UpdateStartTest, AStopInTheRelaysSecondLeavesItTheSecondAndTheClearingWait)
{
    Open();
    serial.OnWrite([this](ScriptedSerialApi&, const Bytes& bytes) {
        if (bytes == BytesOf("<#:M<#:P")) {
            dialog->RequestInterrupt();
        }
    });
    window.Click(IDC_BEGIN_UPDATE);
    const auto& writes = serial.Writes();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[3].bytes, BytesOf("<W"));
    EXPECT_EQ(writes[3].tick - writes[2].tick, 1010u);
    EXPECT_FALSE(dialog->IsWaitingForModule());
}

TEST_F(UpdateStartTest, WhileWaitingOnlyCancelAndTheChosenPortRemainAndOnePollGoesOutPerTick)
{
    settings->WriteProfileInt("Settings", "ComPort", 3);
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    ASSERT_TRUE(dialog->IsWaitingForModule());
    EXPECT_EQ(Text(IDC_BEGIN_UPDATE), "Cancel Update");
    for (int id : {IDCANCEL, IDC_REFRESH_PORTS, IDC_CONTACT_INFORMATION, 2001, 2003}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_TRUE(Enabled(IDC_BEGIN_UPDATE) && Enabled(2002) && window.Item(2002).checked);
    EXPECT_FALSE(window.MenuItemEnabled(SC_CLOSE) || window.MenuItemEnabled(IDM_ABOUTBOX));
    EXPECT_FALSE(window.Click(IDCANCEL));
    EXPECT_EQ(window.WaitCursorDepth(), 0);

    const DWORD armed = clock.GetTickCount();
    const std::size_t before = window.TextHistory(IDC_STATUS).size();
    window.RunUntil([&] { return window.TextHistory(IDC_STATUS).size() > before; }, 5000);
    EXPECT_GT(clock.GetTickCount() - armed, 1500u) << "the first blink change";
    EXPECT_LE(clock.GetTickCount() - armed, 2000u);
    window.RunFor(10000);
    const auto polls = Polls();
    ASSERT_GE(polls.size(), 19u);
    // The first tick after the start comes late (the start kept the thread
    // busy); from then on the timer keeps its period.
    for (std::size_t i = 2; i < polls.size(); ++i) {
        EXPECT_EQ(polls[i].tick - polls[i - 1].tick, 500u);
    }
    // The prompt is empty, so the status line stays blank in both phases.
    for (const auto& text : window.TextHistory(IDC_STATUS)) {
        EXPECT_EQ(text, "");
    }
}

TEST_F(UpdateStartTest, ReadyByteAmidOtherBytesEndsTheWaitAndLeavesTheRestQueued)
{
    module.answerAfterPolls = 2;
    module.beforeReady = {0x00, 0x55, 0xC0};
    module.afterReady = {'x', 'y'};
    module.answerVersion = false;
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    window.RunUntil([&] { return !dialog->IsWaitingForModule(); }, 10000);
    // The poll that follows the scan which found the ready byte still sees the
    // two bytes behind it waiting.
    ASSERT_EQ(module.InputWaitingAtPolls().size(), 3u) << "one more poll follows the tick that found it";
    EXPECT_EQ(module.InputWaitingAtPolls()[2], 2u);
}

TEST_F(UpdateStartTest, ABusyPortIsReleasedByTheCompanionProgramAndReturnedLater)
{
    serial.AddPort(3, 1);
    settings->WriteProfileInt("Settings", "ComPort", 3);
    const auto companion = windows.Add("FERNHOLLOW LINEPROBETOOL - COM3");
    const auto hidden = windows.Add("Fernhollow LineProbeTool", false);
    const auto other = windows.Add("LineProbeTool");
    const auto second = windows.Add("Fernhollow Serial Test Program v2");
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    EXPECT_EQ(serial.OpenAttempts(3), 2);
    EXPECT_EQ(clock.SleepCalls(), (std::vector<DWORD>{1000}));
    ASSERT_EQ(windows.At(companion).posted.size(), 1u);
    EXPECT_EQ(windows.At(companion).posted[0].message, 0x8065u);
    EXPECT_EQ(windows.At(companion).posted[0].wParam, 1001u);
    EXPECT_EQ(windows.At(companion).posted[0].lParam, 3);
    EXPECT_EQ(windows.At(second).posted.size(), 1u);
    EXPECT_TRUE(windows.At(hidden).posted.empty());
    EXPECT_TRUE(windows.At(other).posted.empty()) << "no maker's word in front";

    window.CheckRadioButton(2001, 2022, 2001);
    window.Click(IDC_BEGIN_UPDATE);
    ASSERT_EQ(windows.At(companion).posted.size(), 2u);
    EXPECT_EQ(windows.At(companion).posted[1].wParam, 1002u);
    EXPECT_EQ(windows.At(companion).posted[1].lParam, 3) << "the released port, not the selection";
    window.Click(IDCANCEL);
    EXPECT_EQ(windows.At(second).posted.size(), 2u) << "returned once";
}

TEST_F(UpdateStartTest, APortThatNeverFreesIsReportedAndNothingChanges)
{
    serial.AddPort(3, 5);
    settings->WriteProfileInt("Settings", "ComPort", 3);
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    EXPECT_EQ(serial.OpenAttempts(3), 2);
    EXPECT_TRUE(clock.SleepCalls().empty()) << "no companion, no sleep";
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open serial port COM3     ");
    EXPECT_EQ(window.Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(window.Boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::PortNotOpened);
    ExpectIdleControls();
    EXPECT_EQ(Text(IDC_STATUS) + Text(IDC_STEP), "");
    EXPECT_TRUE(serial.Writes().empty());
}

// On purpose the port stays open: "Done" closes it, and a refresh allows a new start.
TEST_F(UpdateStartTest, AVanishedFirmwareFileLeavesThePortOpenUntilDone)
{
    serial.AddPort(1, 1);
    const auto companion = windows.Add("Fernhollow LineProbeTool");
    Open();
    fs::remove(programDir + "FG_MM.hex");
    window.Click(IDC_BEGIN_UPDATE);
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open the firmware hex file:     \n     FG_MM.hex     ");
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_FALSE(Enabled(IDC_BEGIN_UPDATE));
    EXPECT_EQ(serial.Writes().size(), 2u) << "only the rate commands";
    window.Click(IDC_REFRESH_PORTS);
    EXPECT_TRUE(Enabled(IDC_BEGIN_UPDATE));
    window.Click(IDCANCEL);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(WrittenText().find("<W"), std::string::npos) << "Done sends nothing";
    ASSERT_EQ(windows.At(companion).posted.size(), 2u);
    EXPECT_EQ(windows.At(companion).posted[1].wParam, 1002u) << "Done gives the borrowed port back";
}

TEST_F(UpdateStartTest, AFailedConversionCancelsBeforeAnyPoll)
{
    WriteFirmware("2.40", "FG_MM.hex", ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\n:00000001FF\n");
    Open();
    // The conversion's box stays open over several ticks: none may poll.
    window.SetMessageBoxOpenMs(1700);
    window.Click(IDC_BEGIN_UPDATE);
    window.RunFor(2000);
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Invalid firmware hex file.");
    EXPECT_EQ(window.Boxes()[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(Polls().empty());
    EXPECT_EQ(serial.Writes().back().bytes, BytesOf("<W"));
    EXPECT_FALSE(serial.IsOpen() || TempImageExists() || dialog->IsWaitingForModule());
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::ConversionFailed);
    ExpectIdleControls();
}

TEST_F(UpdateStartTest, CancelSendsTheClosingCommandAndRestoresEverything)
{
    const auto companion = windows.Add("Fernhollow LineProbeTool");
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    window.RunFor(1600);
    ASSERT_TRUE(TempImageExists());
    dialog->m_stepColor = Rgb(1, 2, 3);
    const std::size_t mark = serial.Events().size();
    window.Click(IDC_BEGIN_UPDATE);
    EXPECT_EQ(dialog->m_stepColor, Rgb(0, 128, 0)) << "every press, the cancel's too";
    EXPECT_TRUE(windows.At(companion).posted.empty()) << "a first open that works borrows nothing";
    EXPECT_EQ(serial.Writes().back().bytes, BytesOf("<W"));
    EXPECT_EQ(serial.EventsSince(mark), (std::vector<std::string>{"DTR off", "RTS off", "close"}));
    EXPECT_EQ(serial.Events().back().tick - serial.Writes().back().tick, 200u);
    EXPECT_FALSE(TempImageExists());
    EXPECT_EQ(Text(IDC_STATUS) + Text(IDC_STEP), "");
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::Cancelled);
    ExpectIdleControls();
    const std::size_t writes = serial.Writes().size();
    window.RunFor(3000);
    EXPECT_EQ(serial.Writes().size(), writes) << "idle ticks send nothing";
}

// An adapter unplugged in the wait: no answer can come, so the wait ends as
// "Cancel Update" ends it, and the status line says why.
TEST_F(UpdateStartTest, ALineLostInTheWaitEndsItAsCancelWouldAndSaysSo)
{
    int polls = 0;
    serial.stopsAt = [&](const Bytes& bytes) { return bytes == kPoll && ++polls == 3; };
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    window.RunFor(3000);
    EXPECT_FALSE(dialog->IsWaitingForModule());
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::LineLost);
    EXPECT_EQ(events.Of<events::Poll>().size(), 2u) << "the poll the line did not take is none";
    EXPECT_EQ(Text(IDC_STATUS), kSerialLineGone);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_FALSE(TempImageExists());
    ExpectIdleControls();
}

TEST_F(UpdateStartTest, DestroyDuringTheWaitClosesThePortWithoutClosingCommand)
{
    serial.AddPort(1, 1);
    windows.Add("Fernhollow LineProbeTool");
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    window.RunFor(1000);
    window.Destroy();
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(WrittenText().find("<W"), std::string::npos);
    EXPECT_FALSE(window.TimerRunning());
    EXPECT_EQ(windows.At(0).posted.size(), 1u) << "no return message";
    EXPECT_TRUE(TempImageExists()) << "deleting it is the cancel's and the transfer's job";
}

}  // namespace
}  // namespace fwut::test
