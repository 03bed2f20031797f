// The boot-loader transfer and its report, on the virtual clock: the pages
// as the module takes them, the repaint pace, every failure kind and what
// every outcome leaves behind.
#include "DialogTestSupport.h"

namespace fwut::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kTailStart = "\n\nFirmware update terminated.\n\nIf some of the firmware file was transferred, "
                               "the firmware in the FieldGatherer Mobile Module may be corrupt.     \n\n"
                               "You should retry the firmware update procedure.\n\n"
                               "If you continue to have problems, contact Fernhollow Systems for support.\n";

class TransferTest : public DialogTest {
protected:
    TransferTest() { module.answerAfterPolls = 1; }

    void RunUpdate(int pages = 3)
    {
        WriteFirmware("2.40", "FG_MM.hex", HexForPages(pages));
        settings->WriteProfileInt("Settings", "ComPort", 3);
        Open();
        window.Click(IDC_BEGIN_UPDATE);
        window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    }

    void ExpectFailure(const std::string& head)
    {
        ASSERT_EQ(window.Boxes().size(), 1u);
        EXPECT_EQ(window.Boxes()[0].text.substr(0, head.size()), head);
        EXPECT_EQ(window.Boxes()[0].text.substr(head.size(), kTailStart.size()), kTailStart);
        EXPECT_EQ(window.Boxes()[0].caption, "Firmware Update Error");
        EXPECT_EQ(window.Boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(Text(IDC_STATUS), "Firmware update failed");
        ExpectEveryOutcomeEndsClean();
        EXPECT_EQ(settings->GetProfileInt("Settings", "ComPort", -1), 3) << "a failure saves nothing";
    }

    void ExpectEveryOutcomeEndsClean()
    {
        const auto& writes = serial.Writes();
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.back().bytes, (Bytes{'<', 'W'}));
        EXPECT_FALSE(serial.IsOpen());
        EXPECT_FALSE(TempImageExists());
        EXPECT_EQ(Text(IDC_BEGIN_UPDATE), "Begin Update");
        EXPECT_TRUE(Enabled(IDC_BEGIN_UPDATE) && Enabled(IDCANCEL) && Enabled(IDC_REFRESH_PORTS) &&
                    Enabled(IDC_CONTACT_INFORMATION));
        EXPECT_TRUE(Enabled(2001) && Enabled(2002) && Enabled(2003));
        EXPECT_TRUE(window.MenuItemEnabled(SC_CLOSE) && window.MenuItemEnabled(IDM_ABOUTBOX));
        EXPECT_EQ(window.WaitCursorDepth(), 0);
    }

    std::vector<Bytes> PagePayloads() const
    {
        std::vector<Bytes> payloads;
        bool requested = false;
        for (const auto& frame : module.Frames()) {
            if (requested) {
                payloads.push_back(frame.payload);
            }
            requested = requested || frame.payload.size() == 19;
        }
        return payloads;
    }
};

TEST_F(TransferTest, AOnePageImageGoesOutAsHeaderDataChecksumAndEndMarker)
{
    RunUpdate(1);
    const std::vector<Bytes> payloads = PagePayloads();
    const Bytes image = ImageForPages(1);
    ASSERT_EQ(payloads.size(), 6u);
    EXPECT_EQ(payloads[0], (Bytes{0x00, 0x00}));
    EXPECT_EQ(payloads[1], Bytes(image.begin(), image.begin() + 86));
    EXPECT_EQ(payloads[2], Bytes(image.begin() + 86, image.begin() + 172));
    EXPECT_EQ(payloads[3], Bytes(image.begin() + 172, image.end()));
    unsigned sum = 0;
    for (auto byte : image) {
        sum += byte;
    }
    EXPECT_EQ(payloads[4], (Bytes{static_cast<std::uint8_t>(sum)}));
    EXPECT_EQ(payloads[5], (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(window.TextHistory(IDC_PROGRESS).back(), "Sending firmware page  1  of  1");
    EXPECT_EQ(Text(IDC_BOOTLOADER_VERSION), "Boot loader version  =  FG-DMM-2.32");

    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "The FieldGatherer Mobile Module firmware has been successfully updated.     ");
    EXPECT_EQ(window.Boxes()[0].caption, "Firmware Update Complete");
    EXPECT_EQ(window.Boxes()[0].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(Text(IDC_STATUS), "FieldGatherer Mobile Module firmware successfully updated");
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::Succeeded);
    ExpectEveryOutcomeEndsClean();
}

TEST_F(TransferTest, TheModuleGetsTheConvertedImageAndTheSuccessSavesThePort)
{
    settings->WriteProfileInt("Settings", "ComPort", 12);
    WriteFirmware("2.40", "FG_MM.hex", HexForPages(10));
    Open();
    window.CheckRadioButton(2001, 2022, 2002);
    window.Click(IDC_BEGIN_UPDATE);
    window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    EXPECT_EQ(module.Flashed(), ImageForPages(10));
    EXPECT_TRUE(module.EndMarkerSeen());
    EXPECT_EQ(settings->GetProfileInt("Settings", "ComPort", -1), 3);
}

TEST_F(TransferTest, EachNewPageIsShownAndEveryFourthRepaintsTheDialog)
{
    module.pageAnswers = {'!', '@', '!'};
    RunUpdate(10);
    std::vector<std::string> paints;
    for (const auto& call : window.Calls()) {
        if (call.rfind("SetDlgItemText 1010 \"Sending", 0) == 0) {
            paints.push_back(call.substr(std::string("SetDlgItemText 1010 \"Sending firmware page  ").size(), 2));
        } else if (call == "RedrawDialog" || call == "DispatchOnePendingMessage") {
            paints.push_back(call);
        }
    }
    std::vector<std::string> expected;
    for (int page = 1; page <= 10; ++page) {
        expected.push_back(std::to_string(page) + (page < 10 ? " " : ""));
        if (page % 4 == 1) {
            expected.push_back("RedrawDialog");
        }
        expected.push_back("DispatchOnePendingMessage");
    }
    EXPECT_EQ(paints, expected) << "a resend neither rewrites the line nor repaints";
}

TEST_F(TransferTest, PagesArePausedAndTimedAsTheBootLoaderNeeds)
{
    RunUpdate(2);
    const auto& frames = module.Frames();
    std::size_t header = 0;
    while (frames[header].payload != Bytes{0x00, 0x00}) {
        ++header;
    }
    EXPECT_EQ(frames[header + 1].tick - frames[header].tick, 20u);
    EXPECT_EQ(frames[header + 4].tick - frames[header + 1].tick, 20u) << "data, then checksum";
    EXPECT_GE(frames[header + 5].tick - frames[header + 4].tick, 20u) << "checksum, then the next page";
}

TEST_F(TransferTest, FourRejectionsThenAcceptanceDeliverThePageOnItsFifthTransmission)
{
    module.pageAnswers = {'!', '@', '@', '@', '@', '!'};
    RunUpdate(3);
    const auto sent = module.Transmissions(1);
    ASSERT_EQ(sent.size(), 5u);
    for (const auto& data : sent) {
        EXPECT_EQ(data, sent[0]);
    }
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::Succeeded);
    EXPECT_EQ(module.Flashed(), ImageForPages(3));
}

TEST_F(TransferTest, AFifthRejectionFailsTheUpdate)
{
    module.pageAnswers = {'@', '@', '@', '@', '@'};
    RunUpdate(3);
    EXPECT_EQ(module.Transmissions(0).size(), 5u);
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::InvalidReadyResponse);
    ExpectFailure("Invalid ready response from the FieldGatherer Mobile Module.     ");
}

TEST_F(TransferTest, AnyOtherPageAnswerFailsTheUpdate)
{
    module.pageAnswers = {'!', 'x'};
    RunUpdate(3);
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::InvalidReadyResponse);
    ExpectFailure("Invalid ready response from the FieldGatherer Mobile Module.     ");
}

TEST_F(TransferTest, NoVersionResponseIsNoResponse)
{
    module.answerVersion = false;
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::NoResponse);
    ExpectFailure("No response from the FieldGatherer Mobile Module.");
    EXPECT_TRUE(window.TextHistory(IDC_PROGRESS).back().empty()) << "no page was sent";
}

TEST_F(TransferTest, AVersionThatTricklesPastTheLimitIsNoResponseThoughBytesKeepComing)
{
    module.versionCharIntervalMs = 280;  // the CR comes about 3070 ms after the pause
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::NoResponse);
}

TEST_F(TransferTest, AVersionJustInsideTheLimitIsAccepted)
{
    module.versionCharIntervalMs = 240;  // the CR arrives about 2640 ms after the pause
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::Succeeded);
}

class UnknownVersionTest : public TransferTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnknownVersionTest, IsAnInvalidVersionResponse)
{
    module.versionResponse = GetParam();
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::InvalidVersionResponse);
    ExpectFailure("Invalid version response from the FieldGatherer Mobile Module.     ");
}

INSTANTIATE_TEST_SUITE_P(Responses, UnknownVersionTest,
                         ::testing::Values("FG-DMM-2.33\r", "FG-DMM-2.3\r", "FG-DMM-2.321\r", "\nFG-DMM-2.3\r",
                                           "fg-dmm-2.32\r"));

TEST_F(TransferTest, TheOtherAcceptedVersionIsShown)
{
    module.versionResponse = "FG-DMM-2.31\r";
    RunUpdate();
    EXPECT_EQ(Text(IDC_BOOTLOADER_VERSION), "Boot loader version  =  FG-DMM-2.31");
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::Succeeded);
}

TEST_F(TransferTest, ALineFeedAfterTheCarriageReturnIsAnInvalidReadyResponse)
{
    module.versionResponse = "FG-DMM-2.32\r\n";
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::InvalidReadyResponse);
    ExpectFailure("Invalid ready response from the FieldGatherer Mobile Module.     ");
}

TEST_F(TransferTest, NoReadyByteWithinTwoSecondsIsNoReadyResponse)
{
    module.readyResponse = {};
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::NoReadyResponse);
    ExpectFailure("No ready response from the FieldGatherer Mobile Module.     ");
}

TEST_F(TransferTest, AWrongReadyByteIsAnInvalidReadyResponse)
{
    module.readyResponse = {'?'};
    RunUpdate();
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::InvalidReadyResponse);
}

TEST_F(TransferTest, SilenceAfterAPageIsNoResponse)
{
    module.silentAtPage = 2;
    RunUpdate(4);
    EXPECT_EQ(module.Transmissions(2).size(), 1u);
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::NoResponse);
    ExpectFailure("No response from the FieldGatherer Mobile Module.");
    EXPECT_EQ(window.TextHistory(IDC_PROGRESS).back(), "Sending firmware page  3  of  4");
}

TEST_F(TransferTest, AnUnpluggedAdapterEndsInAFailureReportWithThePortClosed)
{
    module.silentAtPage = 1;
    serial.OnWrite([&](ScriptedSerialApi& port, const Bytes& bytes) {
        if (bytes.size() == 23 && bytes[19] == 1 && module.Transmissions(1).size() == 1) {
            port.Unplug();
        }
    });
    WriteFirmware("2.40", "FG_MM.hex", HexForPages(3));
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_FALSE(TempImageExists());
    EXPECT_EQ(window.Boxes().size(), 1u);
}

TEST_F(TransferTest, AnUnreadableImageHasItsOwnMessageAndNoStatus)
{
    WriteFirmware("2.40", "FG_MM.hex", HexForPages(2));
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    fs::resize_file(tempDir + "Hex.tmp", 100);
    window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open the temporary firmware file.               ");
    EXPECT_EQ(window.Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(window.Boxes()[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(Text(IDC_STATUS), "");
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::TemporaryFile);
    ExpectEveryOutcomeEndsClean();
}

TEST_F(TransferTest, AFirmwareFileGoneAtTheTransferStillClosesTheLink)
{
    const auto companion = windows.Add("Fernhollow LineProbeTool");
    serial.AddPort(1, 1);
    WriteFirmware("2.40", "FG_MM.hex", HexForPages(2));
    Open();
    window.Click(IDC_BEGIN_UPDATE);
    fs::remove(programDir + "FG_MM.hex");
    window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    ASSERT_EQ(window.Boxes().size(), 1u);
    EXPECT_EQ(window.Boxes()[0].text, "Unable to open the firmware hex file:     \n     FG_MM.hex     ");
    EXPECT_EQ(serial.Writes().back().bytes, (Bytes{'<', 'W'}));
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_FALSE(TempImageExists());
    EXPECT_TRUE(Enabled(2002) && Enabled(2003));
    EXPECT_EQ(windows.At(companion).posted.size(), 2u) << "the port went back";
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::FirmwareFileProblem);
}

TEST_F(TransferTest, AnInterruptEndsTheTransferAsAFailureWithTheSameClosingSteps)
{
    serial.OnWrite([&](ScriptedSerialApi&, const Bytes& bytes) {
        if (bytes.size() == 22 + 2 && module.Transmissions(0).size() == 1) {
            dialog->RequestInterrupt();
        }
    });
    RunUpdate(3);
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::Interrupted);
    ExpectFailure("The firmware update was interrupted by the operator.     ");
}

}  // namespace
}  // namespace fwut::test
