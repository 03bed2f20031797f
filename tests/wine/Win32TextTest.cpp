// Texts from the system in the ANSI code page become UTF-8 where they become
// JSON, so that the --json output and the record name the real file, and are
// printed as the system shows them, with only what a terminal must not get
// escaped.
#include <gtest/gtest.h>

#include <string>

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
    const std::string ansiName = std::string("Pr") + '\xFC' + "fung.hex";
    const std::string utf8Name = "Pr\xC3\xBC" + std::string("fung.hex");
    EXPECT_EQ(text::SystemToUtf8(ansiName), utf8Name);
    EXPECT_EQ(text::SystemToUtf8(""), "");
    const nlohmann::json line = {{"firmware_file", ansiName}, {"pages", {"\x80"}}};
    EXPECT_EQ(JsonLineText(line), R"({"firmware_file":"Pr\u00fcfung.hex","pages":["\u20ac"]})");
    EXPECT_EQ(JsonLineTextOfUtf8({{"firmware_file", utf8Name}}), R"({"firmware_file":"Pr\u00fcfung.hex"})");
    EXPECT_EQ(Printable(ansiName + "\x1B[2J"), ansiName + "\\x1B[2J");
    EXPECT_EQ(Printable("\x81\xAD"), "\\x81\\xAD") << "the bytes the system gave, not their UTF-8";
    EXPECT_FALSE(text::ArgumentTheCodePageCannotHold()) << "this test's own arguments are plain";
}

}  // namespace
}  // namespace fwut
