// Texts from the system in the ANSI code page become UTF-8 where they become
// JSON, so that the --json output and the record name the real file, and are
// printed as the system shows them, with only what a terminal must not get
// escaped.
#include <gtest/gtest.h>

#include "app/JsonText.h"
#include "platform/Printable.h"
#include "platform/SystemText.h"

namespace fwut {
namespace {

TEST(Win32Text, AnsiTextsBecomeUtf8InJsonAndStayAnsiWhenPrinted)
{
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the system's code page is " << GetACP() << ", not Windows-1252";
    }
    EXPECT_EQ(text::SystemToUtf8("Firmware-Pr\xFC"
                                 "fung.hex"),
              "Firmware-Pr\xC3\xBC"
              "fung.hex");
    EXPECT_EQ(text::SystemToUtf8(""), "");
    const nlohmann::json line = {{"firmware_file",
                                  "Pr\xFC"
                                  "fung.hex"},
                                 {"pages", {"\x80"}}};
    EXPECT_EQ(JsonLineText(line), R"({"firmware_file":"Pr\u00fcfung.hex","pages":["\u20ac"]})");
    const nlohmann::json record = {{"firmware_file",
                                    "Pr\xC3\xBC"
                                    "fung.hex"}};
    EXPECT_EQ(JsonLineTextOfUtf8(record), R"({"firmware_file":"Pr\u00fcfung.hex"})");
    EXPECT_EQ(Printable("Pr\xFC"
                        "fung\x1B[2J"),
              "Pr\xFC"
              "fung\\x1B[2J");
    EXPECT_FALSE(text::ArgumentTheCodePageCannotHold()) << "this test's own arguments are plain";
}

}  // namespace
}  // namespace fwut
