#include "core/text.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(Text, RoundTripsUtf8ThroughWide) {
    const std::string cases[] = {"", "ascii", "جاري التحميل... Loading...", "—", "emoji \xF0\x9F\x94\x92 lock"};
    for (const auto& text : cases) EXPECT_EQ(ToUtf8(FromUtf8(text)), text) << text;
}

TEST(Text, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              L"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xE2\x82"), L"\uFFFD");  // truncated sequence
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD");  // overlong encoding
}

TEST(Text, CountsUtf16Units) {
    EXPECT_EQ(Utf16Length(FromUtf8("ab")), 2u);
    EXPECT_EQ(Utf16Length(FromUtf8("\xF0\x9F\x94\x92")), 2u);  // one astral character, two units
}

TEST(Text, LowerCasesAsciiOnlyWhereAsked) {
    EXPECT_EQ(LowerAscii("TovrelApp:X"), "tovrelapp:x");
    EXPECT_EQ(LowerUnits(L"TOVRELAPP:"), L"tovrelapp:");
}

}  // namespace
}  // namespace pellaro
