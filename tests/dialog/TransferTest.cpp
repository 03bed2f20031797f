// The boot-loader transfer and its report, on the virtual clock: the pages
// as the module takes them, the pauses and the repaint pace, every failure
// kind, the time limits to the millisecond and the moments they count from,
// and what every outcome leaves behind.
#include <functional>

#include "DialogTestSupport.h"

namespace fwut::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kTailStart =
    "\n\nFirmware update terminated.\n\nIf some of the firmware file was transferred, "
    "the firmware in the FieldGatherer Mobile Module may be corrupt.     \n\n"
    "You should retry the firmware update procedure.\n\n"
    "If you continue to have problems, contact Fernhollow Systems for support.\n";

class TransferTest : public DialogTest {
protected:
    TransferTest() { module.answerAfterPolls = 1; }

    // Through COM1, while COM3 is the saved port.
    void RunUpdate(int pages = 3)
    {
        WriteFirmware("2.40", "FG_MM.hex", HexForPages(pages));
        settings->WriteProfileInt("Settings", "ComPort", 3);
        Open();
        window.CheckRadioButton(2001, 2022, 2001);
        window.Click(IDC_BEGIN_UPDATE);
        window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    }

    void ExpectEveryOutcomeEndsClean()
    {
        ASSERT_FALSE(serial.Writes().empty());
        EXPECT_EQ(serial.Writes().back().bytes, (Bytes{'<', 'W'}));
        EXPECT_FALSE(serial.IsOpen());
        EXPECT_FALSE(TempImageExists());
        ExpectIdleControls();
        EXPECT_EQ(window.WaitCursorDepth(), 0);
    }

    // The payloads the module received after the boot-loader request.
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
    EXPECT_EQ(settings->GetProfileInt("Settings", "ComPort", -1), 1) << "the port of the update is saved";
    ExpectEveryOutcomeEndsClean();
}

// Ten pages with a rejected page 2 and a page accepted on its fifth transmission.
TEST_F(TransferTest, PagesArriveAsConvertedWithTheirPausesResendsAndRepaints)
{
    module.pageAnswers = {'!', '@', '!', '@', '@', '@', '@', '!'};
    settings->WriteProfileInt("Settings", "ComPort", 12);
    WriteFirmware("2.40", "FG_MM.hex", HexForPages(10));
    Open();
    window.CheckRadioButton(2001, 2022, 2002);
    window.Click(IDC_BEGIN_UPDATE);
    window.RunUntil([&] { return !dialog->IsWaitingForModule() && !serial.IsOpen(); }, 60000);
    EXPECT_EQ(module.Flashed(), ImageForPages(10));
    EXPECT_TRUE(module.EndMarkerSeen());
    EXPECT_EQ(settings->GetProfileInt("Settings", "ComPort", -1), 3);
    const auto resent = module.Transmissions(2);
    ASSERT_EQ(resent.size(), 5u);
    for (const auto& data : resent) {
        EXPECT_EQ(data, resent[0]) << "a resend goes out from the same page";
    }

    const auto& frames = module.Frames();
    std::size_t header = 0;
    while (frames[header].payload != Bytes{0x00, 0x00}) {
        ++header;
    }
    EXPECT_EQ(frames[header + 1].tick - frames[header].tick, 20u) << "header, then data";
    EXPECT_EQ(frames[header + 4].tick - frames[header + 1].tick, 20u) << "data, then checksum";
    EXPECT_GE(frames[header + 5].tick - frames[header + 4].tick, 20u) << "checksum, then the next page";

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

struct Failure {
    const char* name;
    std::function<void(FakeModule&, TransferTest&)> arrange;
    UpdateOutcome outcome;
    std::string head;
};

void PrintTo(const Failure& failure, std::ostream* out)
{
    *out << failure.name;
}

class TransferFailure : public TransferTest, public ::testing::WithParamInterface<Failure> { };

// The account counts the pages the module took, an answer that came before a
// stop included, and tells an answer (or none) for every page sent.
TEST_P(TransferFailure, IsReportedOnceWithTheClosingStepsAndSavesNothing)
{
    GetParam().arrange(module, *this);
    RunUpdate(4);
    EXPECT_EQ(dialog->LastOutcome(), GetParam().outcome);
    ASSERT_EQ(events.Of<events::Finished>().size(), 1u);
    EXPECT_EQ(events.Of<events::Finished>()[0].pagesAccepted * 256u, module.Flashed().size());
    EXPECT_EQ(events.Of<events::PageAnswered>().size(), events.Of<events::PageSent>().size());
    ASSERT_EQ(window.Boxes().size(), 1u);
    const std::string& head = GetParam().head;
    EXPECT_EQ(window.Boxes()[0].text.substr(0, head.size()), head);
    EXPECT_EQ(window.Boxes()[0].text.substr(head.size(), kTailStart.size()), kTailStart);
    EXPECT_EQ(window.Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(window.Boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(Text(IDC_STATUS), "Firmware update failed");
    EXPECT_EQ(settings->GetProfileInt("Settings", "ComPort", -1), 3) << "a failure saves nothing";
    ExpectEveryOutcomeEndsClean();
}

const std::string kNoResponse = "No response from the FieldGatherer Mobile Module.";
const std::string kInvalidVersion = "Invalid version response from the FieldGatherer Mobile Module.     ";
const std::string kNoReady = "No ready response from the FieldGatherer Mobile Module.     ";
const std::string kInvalidReady = "Invalid ready response from the FieldGatherer Mobile Module.     ";

INSTANTIATE_TEST_SUITE_P(
    Kinds, TransferFailure,
    ::testing::Values(Failure{"NoVersion", [](FakeModule& m, TransferTest&) { m.answerVersion = false; },
                              UpdateOutcome::NoResponse, kNoResponse},
                      // The CR comes about 3070 ms after the pause, though bytes keep coming.
                      Failure{"TrickledVersion", [](FakeModule& m, TransferTest&) { m.versionCharIntervalMs = 280; },
                              UpdateOutcome::NoResponse, kNoResponse},
                      Failure{"Version233", [](FakeModule& m, TransferTest&) { m.versionResponse = "FG-DMM-2.33\r"; },
                              UpdateOutcome::InvalidVersionResponse, kInvalidVersion},
                      Failure{"TenCharacters", [](FakeModule& m, TransferTest&) { m.versionResponse = "FG-DMM-2.3\r"; },
                              UpdateOutcome::InvalidVersionResponse, kInvalidVersion},
                      Failure{"LineFeedBeforeCr",
                              [](FakeModule& m, TransferTest&) { m.versionResponse = "FG-DMM-2.32\n\r"; },
                              UpdateOutcome::InvalidVersionResponse, kInvalidVersion},
                      Failure{"LineFeedAfterCr",
                              [](FakeModule& m, TransferTest&) { m.versionResponse = "FG-DMM-2.32\r\n"; },
                              UpdateOutcome::InvalidReadyResponse, kInvalidReady},
                      Failure{"NoReadyByte", [](FakeModule& m, TransferTest&) { m.readyResponse = {}; },
                              UpdateOutcome::NoReadyResponse, kNoReady},
                      Failure{"WrongReadyByte", [](FakeModule& m, TransferTest&) { m.readyResponse = {'?'}; },
                              UpdateOutcome::InvalidReadyResponse, kInvalidReady},
                      Failure{"FifthRejection",
                              [](FakeModule& m, TransferTest&) {
                                  m.pageAnswers = {'@', '@', '@', '@', '@'};
                              },
                              UpdateOutcome::PageNotAccepted, kInvalidReady},
                      Failure{"OtherPageAnswer",
                              [](FakeModule& m, TransferTest&) {
                                  m.pageAnswers = {'!', 'x'};
                              },
                              UpdateOutcome::PageNotAccepted, kInvalidReady},
                      Failure{"SilenceAfterAPage", [](FakeModule& m, TransferTest&) { m.silentAtPage = 2; },
                              UpdateOutcome::NoResponse, kNoResponse},
                      // The stop comes as page 1 goes out; its answer is there before "<W".
                      Failure{"Interrupted",
                              [](FakeModule& m, TransferTest& test) {
                                  test.serial.OnWrite([&m, &test](ScriptedSerialApi&, const Bytes& bytes) {
                                      if (bytes.size() == 22 + 2 && m.Transmissions(0).size() == 1) {
                                          test.dialog->RequestInterrupt();
                                      }
                                  });
                              },
                              UpdateOutcome::Interrupted, "The firmware update was interrupted by the operator.     "}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

// Each limit to the millisecond, counted from its own moment: the version
// from the end of the 10 ms pause after the request, the ready byte from
// the accepted version, a page's answer from the end of the checksum's pause.
struct Limit {
    const char* name;
    std::function<void(FakeModule&)> arrange;
    UpdateOutcome outcome;
};

void PrintTo(const Limit& limit, std::ostream* out)
{
    *out << limit.name;
}

class TransferLimit : public TransferTest, public ::testing::WithParamInterface<Limit> {
protected:
    TransferLimit() { module.answerLatencyMs = 0; }
};

TEST_P(TransferLimit, EndsAsTheBootLoaderNeeds)
{
    GetParam().arrange(module);
    RunUpdate(2);
    EXPECT_EQ(dialog->LastOutcome(), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Milliseconds, TransferLimit,
    ::testing::Values(Limit{"TheOtherAcceptedVersion", [](FakeModule& m) { m.versionResponse = "FG-DMM-2.31\r"; },
                            UpdateOutcome::Succeeded},
                      // Emptied before the request, they never stand for the version.
                      Limit{"BytesAfterTheReadyByte",
                            [](FakeModule& m) {
                                m.afterReady = {'x', 'y'};
                            },
                            UpdateOutcome::Succeeded},
                      Limit{"Version2999AfterThePause", [](FakeModule& m) { m.versionDelayMs = 10 + 2999; },
                            UpdateOutcome::Succeeded},
                      Limit{"Version3000AfterThePause", [](FakeModule& m) { m.versionDelayMs = 10 + 3000; },
                            UpdateOutcome::NoResponse},
                      // The version comes while the transfer waits for it, 20 ms after the request.
                      Limit{"Ready1999AfterTheVersion",
                            [](FakeModule& m) {
                                m.versionDelayMs = 20;
                                m.readyDelayMs = 1999;
                            },
                            UpdateOutcome::Succeeded},
                      Limit{"Ready2000AfterTheVersion",
                            [](FakeModule& m) {
                                m.versionDelayMs = 20;
                                m.readyDelayMs = 2000;
                            },
                            UpdateOutcome::NoReadyResponse},
                      Limit{"Answer2999AfterThePause", [](FakeModule& m) { m.pageAnswerDelayMs = 20 + 2999; },
                            UpdateOutcome::Succeeded},
                      Limit{"Answer3000AfterThePause", [](FakeModule& m) { m.pageAnswerDelayMs = 20 + 3000; },
                            UpdateOutcome::NoResponse}),
    [](const ::testing::TestParamInfo<Limit>& info) { return std::string(info.param.name); });

// An end marker the line did not take (an adapter unplugged after the last
// answer) leaves the module without its end: no success.
TEST_F(TransferTest, AnEndMarkerTheLineDidNotTakeIsNoSuccess)
{
    serial.stopsAt = [](const Bytes& bytes) { return bytes.size() == 24 && bytes[20] == 0xFF && bytes[21] == 0xFF; };
    RunUpdate(2);
    EXPECT_EQ(dialog->LastOutcome(), UpdateOutcome::NoResponse);
    EXPECT_EQ(settings->GetProfileInt("Settings", "ComPort", -1), 3) << "a failure saves nothing";
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

}  // namespace
}  // namespace fwut::test
