// The simulator's session checks on a virtual time line: the program's bytes
// go through the item parser at chosen times, and the module's answers are
// recorded instead of sent.
#include "tests/sim/SimHarness.h"
#include "tools/sim/ItemParser.h"
#include "tools/sim/UpdateSession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fwut::simtest {
namespace {

using sim::SessionStep;

class RecordingLine : public sim::ModuleLine {
public:
    sim::Millis Send(sim::Millis at, const Bytes& bytes, sim::Millis, std::string_view) override
    {
        sent.push_back(bytes);
        return at;
    }
    std::vector<Bytes> sent;
};

class UpdateSessionTest : public ::testing::Test {
protected:
    UpdateSessionTest() { options.answerAfter = 1; }
    ~UpdateSessionTest() override
    {
        std::fclose(out);
        std::free(buffer);
    }

    // The session starts with the first bytes, so that a test may set options before.
    void feed(double time, const Bytes& bytes, int baud = 57600)
    {
        if (!session)
            session = std::make_unique<sim::UpdateSession>(1, options, record, line);
        for (std::uint8_t value : bytes) {
            sim::RxByte byte;
            byte.value = value;
            byte.time = time;
            byte.line.baud = baud;
            parser.Push(byte);
        }
    }
    void packet(double time, const Bytes& payload)
    {
        for (const Bytes& frame : relayFrames(payload))
            feed(time, frame);
    }
    void closing(double time) { feed(time, bytesOf("<W")); }

    // Rate commands and configuration at the program's pace; ends at 1100 ms.
    void playStart()
    {
        feed(0, bytesOf("\x1B$:U9"));
        feed(30, bytesOf("\x1B$:U9"), 19200);
        feed(90, bytesOf("<#:M<#:P"));
        feed(1100, bytesOf("<RS<#:C14"));
    }
    // playStart, a poll answered with D0, the poll that follows and the
    // request; ends at 2100 ms.
    void playUntilTransfer()
    {
        playStart();
        packet(1500, {0xC0});
        packet(2000, {0xC0});
        packet(2100, bytesOf("^#+-QX-RTB-427-6.05"));
    }
    // Header, data and checksum of one page with 20 ms pauses, from `time` on.
    void page(double time, int index, const Bytes& data)
    {
        packet(time, {static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)});
        packet(time + 20, data);
        packet(time + 40, {checksumOf(data)});
    }

    std::string transcript()
    {
        std::fflush(out);
        return std::string(buffer, size);
    }
    void expectOnlyError(const std::string& what)
    {
        const std::string text = transcript();
        EXPECT_EQ(countProtocolErrors(text), 1) << text;
        EXPECT_NE(text.find(what), std::string::npos) << text;
    }

    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    sim::Transcript record{out};
    sim::SimOptions options;
    RecordingLine line;
    std::unique_ptr<sim::UpdateSession> session;
    std::vector<SessionStep> steps;
    sim::ItemParser parser{[this](const sim::RxItem& item) { steps.push_back(session->OnItem(item)); }};
};

TEST_F(UpdateSessionTest, TwoPageUpdateIsAnsweredAndStored)
{
    playUntilTransfer();
    page(2200, 0, testPage(1));
    page(2300, 1, testPage(2));
    packet(2400, {0xFF, 0xFF});
    closing(2420);

    EXPECT_EQ(line.sent, (std::vector<Bytes>{{0xD0}, bytesOf("FG-DMM-2.32\r!"), {'!'}, {'!'}}));
    EXPECT_EQ(steps.back(), SessionStep::Ended);
    EXPECT_TRUE(session->Completed());
    Bytes image = testPage(1);
    const Bytes second = testPage(2);
    image.insert(image.end(), second.begin(), second.end());
    EXPECT_EQ(session->Pages().Image(), image);
    EXPECT_EQ(countProtocolErrors(transcript()), 0) << transcript();
}

TEST_F(UpdateSessionTest, PageWithWrongChecksumIsRejected)
{
    playUntilTransfer();
    packet(2200, {0x00, 0x00});
    packet(2220, testPage(1));
    packet(2240, {static_cast<std::uint8_t>(checksumOf(testPage(1)) + 1)});

    EXPECT_EQ(line.sent.back(), Bytes{'@'});
    expectOnlyError("but the page data sums to");
}

TEST_F(UpdateSessionTest, PageDataSplitOtherwiseThan86_86_84)
{
    playUntilTransfer();
    const Bytes data = testPage(1);
    packet(2200, {0x00, 0x00});
    packet(2220, Bytes(data.begin(), data.begin() + 80));
    packet(2220, Bytes(data.begin() + 80, data.end()));  // 86, 86 and 4 bytes
    packet(2240, {checksumOf(data)});

    EXPECT_EQ(line.sent.back(), Bytes{'@'});
    expectOnlyError("page 0 data frame 1 (80 bytes): expected 86 bytes");
}

TEST_F(UpdateSessionTest, ResentPageWithOtherDataIsCaught)
{
    options.rejectPages[0] = 1;
    playUntilTransfer();
    page(2200, 0, testPage(1));
    page(2300, 0, testPage(2));
    EXPECT_EQ(line.sent.back(), Bytes{'@'});
    expectOnlyError("page 0 was resent with other data than before");
}

TEST_F(UpdateSessionTest, PageThatSkipsAheadIsCaught)
{
    playUntilTransfer();
    page(2200, 0, testPage(1));
    page(2300, 2, testPage(2));
    expectOnlyError("page 2 header, expected page 1");
}

TEST_F(UpdateSessionTest, SixthTransmissionOfAPageIsCaught)
{
    options.rejectPages[0] = 5;
    playUntilTransfer();
    for (int transmission = 0; transmission < 6; ++transmission)
        page(2200 + 100 * transmission, 0, testPage(1));
    EXPECT_EQ(line.sent.back(), Bytes{'!'});
    expectOnlyError("the program gives up after five transmissions");
}

TEST_F(UpdateSessionTest, EndMarkerAfterARejectedPageIsCaught)
{
    options.rejectPages[0] = 1;
    playUntilTransfer();
    page(2200, 0, testPage(1));
    packet(2300, {0xFF, 0xFF});
    expectOnlyError("end marker FF FF although page 0 was rejected and not sent again");
}

TEST_F(UpdateSessionTest, ClosingInTheMiddleOfAPageIsCaught)
{
    playUntilTransfer();
    packet(2200, {0x00, 0x00});
    closing(2300);
    EXPECT_EQ(steps.back(), SessionStep::Ended);
    expectOnlyError("closing command in the middle of page 0");
}

TEST_F(UpdateSessionTest, PollsMustStopOnceTheModuleHasAnswered)
{
    playStart();
    packet(1500, {0xC0});
    packet(2000, {0xC0});
    packet(2500, {0xC0});
    EXPECT_EQ(line.sent, std::vector<Bytes>{{0xD0}});
    expectOnlyError("wake-up poll after the module had answered and one more poll had followed");
}

TEST_F(UpdateSessionTest, PollsFasterThanTheTimerAreCaught)
{
    options.neverAnswer = true;
    playStart();
    packet(1500, {0xC0});
    packet(2000, {0xC0});
    packet(2100, {0xC0});
    EXPECT_TRUE(line.sent.empty());
    expectOnlyError("wake-up poll 3 came too soon");
}

TEST_F(UpdateSessionTest, ALateFirstTickIsNotAFastPoll)
{
    options.neverAnswer = true;
    playStart();
    packet(1800, {0xC0});
    packet(1900, {0xC0});
    packet(2400, {0xC0});
    EXPECT_EQ(countProtocolErrors(transcript()), 0) << transcript();
}

TEST_F(UpdateSessionTest, RequestRightAfterTheAnsweredPollIsCaught)
{
    playStart();
    packet(1500, {0xC0});
    packet(1600, bytesOf("^#+-QX-RTB-427-6.05"));
    expectOnlyError("without the wake-up poll that follows the module's answer");
}

TEST_F(UpdateSessionTest, ShortConfigurationPauseIsCaught)
{
    feed(0, bytesOf("\x1B$:U9"));
    feed(30, bytesOf("\x1B$:U9"), 19200);
    feed(90, bytesOf("<#:M<#:P"));
    feed(600, bytesOf("<RS<#:C14"));
    expectOnlyError("after the first configuration command \"<#:M<#:P\"; the pause must be at least 1000.0 ms");
}

// A start whose firmware check failed sends no "<W"; the next start's rate
// command belongs to a new session.
TEST_F(UpdateSessionTest, RateCommandAfterTheRateCommandsStartsANewSession)
{
    feed(0, bytesOf("\x1B$:U9"));
    feed(30, bytesOf("\x1B$:U9"), 19200);
    feed(5000, bytesOf("\x1B$:U9"));
    EXPECT_EQ(steps.back(), SessionStep::Restart);
    EXPECT_EQ(countProtocolErrors(transcript()), 0);
}

}  // namespace
}  // namespace fwut::simtest
