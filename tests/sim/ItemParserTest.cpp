// The simulator's item parser on a virtual time line: how it cuts the
// program's bytes into commands and relay packet frames, and how it gets back
// in step after bytes it cannot place.
#include "tests/sim/SimHarness.h"
#include "tools/sim/ItemParser.h"

#include <gtest/gtest.h>

namespace fwut::simtest {
namespace {

using sim::ItemKind;
using sim::ItemParser;
using sim::RxItem;

class ItemParserTest : public ::testing::Test {
protected:
    // Bytes of one write, arriving together at `time`.
    void feed(const Bytes& bytes, double time)
    {
        for (std::uint8_t value : bytes) {
            sim::RxByte byte;
            byte.value = value;
            byte.time = time;
            parser.Push(byte);
        }
    }

    std::vector<RxItem> items;
    ItemParser parser{[this](const RxItem& item) { items.push_back(item); }};
};

TEST_F(ItemParserTest, CommandsAndFramesOfOneBurstAreSeparated)
{
    Bytes burst = bytesOf("<W\x1B$:U9<RS<#:C14");
    Bytes longest(86, 0x5A);
    const Bytes longestFrame = relayFrame(longest);
    burst.insert(burst.end(), longestFrame.begin(), longestFrame.end());
    feed(burst, 10);

    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, ItemKind::Closing);
    EXPECT_EQ(items[1].kind, ItemKind::RateCommand);
    EXPECT_EQ(items[2].kind, ItemKind::SecondConfig);
    EXPECT_EQ(items[3].kind, ItemKind::Frame);
    EXPECT_EQ(items[3].bytes.size(), 108u);
    EXPECT_EQ(items[3].payload, longest);
}

TEST_F(ItemParserTest, LengthDigitsBeyondTheLongestFrameAreRejected)
{
    Bytes frame = relayFrame(Bytes(86, 0x00));
    frame[6] = '2';  // "102"
    feed(frame, 10);

    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].kind, ItemKind::Invalid);
    EXPECT_EQ(items[0].problem, "frame length digits 102 outside 016 to 101");
}

TEST_F(ItemParserTest, FrameWithoutItsTrailingZerosIsRejected)
{
    Bytes frame = relayFrame({0xC0});
    frame.back() = 0x01;
    feed(frame, 10);

    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, ItemKind::Invalid);
    EXPECT_EQ(items[0].problem, "frame does not end in the two zero bytes");
}

TEST_F(ItemParserTest, ItemCutShortIsReportedAfterSilence)
{
    const Bytes frame = relayFrame({0xC0});
    feed(Bytes(frame.begin(), frame.begin() + 10), 10);
    parser.Idle(12);
    EXPECT_TRUE(items.empty());

    parser.Idle(10 + ItemParser::kQuietGap);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, ItemKind::Incomplete);
    EXPECT_EQ(items[0].bytes.size(), 10u);
}

TEST_F(ItemParserTest, BytesAfterAnInvalidItemAreSkippedUntilTheNextPause)
{
    const Bytes frame = relayFrame({0xC0});
    Bytes noisy = bytesOf("<X");
    noisy.insert(noisy.end(), frame.begin(), frame.end());
    feed(noisy, 10);
    feed(frame, 10 + ItemParser::kQuietGap);

    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, ItemKind::Invalid);
    EXPECT_EQ(items[1].kind, ItemKind::Skipped);
    EXPECT_EQ(items[1].bytes.size(), frame.size());
    EXPECT_EQ(items[2].kind, ItemKind::Frame);
    EXPECT_EQ(items[2].payload, Bytes{0xC0});
}

}  // namespace
}  // namespace fwut::simtest
