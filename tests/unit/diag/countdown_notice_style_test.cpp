#include "diag/countdown_notice_style.h"

#include <gtest/gtest.h>

namespace pellaro::countdown_style {
namespace {

using Kind = Step::Kind;

struct Expected {
    Kind kind;
    std::uint32_t colour;
    std::wstring text;
};

const Texts kTexts{L"Title", L"Message", L"\u0631\u0633\u0627\u0644\u0629", L"QUJD"};

void ExpectSteps(const std::vector<Step>& steps, const std::vector<Expected>& expected) {
    ASSERT_EQ(steps.size(), expected.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(steps[i].kind, expected[i].kind);
        if (expected[i].kind != Kind::icon) {
            EXPECT_EQ(steps[i].colour, expected[i].colour);
        }
        EXPECT_EQ(steps[i].text, expected[i].text);
    }
}

// Both editions paint these steps in this order; the code's four come last.
TEST(CountdownNoticeStyle, PaintsInOrderWithTheTableColours) {
    const std::vector<Expected> withoutCode = {
        {Kind::fill, 0x1A1A2E, L""},
        {Kind::icon, 0, L""},
        {Kind::text, 0xE94560, L"Title"},
        {Kind::line, 0xE94560, L""},
        {Kind::text, 0xCCCCCC, L"Message"},
        {Kind::text, 0xB4B4B4, kTexts.arabicMessage},
        {Kind::ellipse, 0xE94560, L""},
        {Kind::text, 0xE94560, L"7"},
        {Kind::text, 0x888888, CountdownEnglishLine(7)},
        {Kind::text, 0x888888, CountdownArabicLine(7)},
    };
    std::vector<Expected> withCode = withoutCode;
    withCode.push_back({Kind::text, 0xE94560, CountdownCodeHeader()});
    withCode.push_back({Kind::rectangle, 0xE94560, L""});
    withCode.push_back({Kind::text, 0xE94560, L"QUJD"});
    withCode.push_back({Kind::text, 0x646464, CountdownCodeNote()});

    ExpectSteps(PaintSteps(700, 600, 40, 10, kTexts, 7), withCode);
    Texts noCode = kTexts;
    noCode.code.clear();
    ExpectSteps(PaintSteps(700, 500, 40, 10, noCode, 7), withoutCode);
}

TEST(CountdownNoticeStyle, StepsFollowTheLayoutFontsAndPens) {
    const std::vector<Step> s = PaintSteps(700, 600, 40, 10, kTexts, 7);
    ASSERT_EQ(s.size(), 14u);
    const CountdownLayout l = LayoutCountdown(700, 40, 10);
    EXPECT_EQ(s[0].box.right, 700);
    EXPECT_EQ(s[0].box.bottom, 600);
    EXPECT_EQ(s[1].box.left, l.icon.left);
    EXPECT_EQ(s[3].box.top, 137);
    EXPECT_EQ(s[3].box.right, 660);
    EXPECT_EQ(s[3].pen, 1);
    EXPECT_EQ(s[6].box.top, l.disc.top);
    EXPECT_EQ(s[6].pen, 3);
    EXPECT_EQ(s[6].fill, 0x0F3460u);
    EXPECT_EQ(s[11].box.top, l.codeBox.top);
    EXPECT_EQ(s[11].fill, 0x0F3460u);

    EXPECT_EQ(s[2].font.height, 24);
    EXPECT_EQ(s[2].font.weight, 700);
    EXPECT_EQ(s[7].font.height, 60);
    EXPECT_EQ(s[8].font.height, 13);
    EXPECT_TRUE(s[12].font.fixedPitch);
    EXPECT_EQ(std::wstring(s[12].font.face), L"Consolas");
    EXPECT_EQ(std::wstring(s[4].font.face), L"Segoe UI");

    EXPECT_TRUE(s[4].format.wrap);
    EXPECT_FALSE(s[4].format.rightToLeft);
    EXPECT_TRUE(s[5].format.wrap && s[5].format.rightToLeft);
    EXPECT_TRUE(s[7].format.centreVertically);
    EXPECT_TRUE(s[9].format.rightToLeft);
    EXPECT_TRUE(s[12].format.ellipsis && s[12].format.centreVertically);
    EXPECT_FALSE(s[10].format.ellipsis || s[10].format.wrap);
}

// At 200 % every box, pen and font doubles, given the messages measured twice as high.
TEST(CountdownNoticeStyle, ScalesWithTheWindowsDpi) {
    const std::vector<Step> at96 = PaintSteps(700, 600, 40, 20, kTexts, 7);
    const std::vector<Step> at192 = PaintSteps(1400, 1200, 80, 40, kTexts, 7, 192);
    ASSERT_EQ(at96.size(), at192.size());
    for (std::size_t i = 0; i < at96.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(at192[i].box.left, 2 * at96[i].box.left);
        EXPECT_EQ(at192[i].box.top, 2 * at96[i].box.top);
        EXPECT_EQ(at192[i].box.right, 2 * at96[i].box.right);
        EXPECT_EQ(at192[i].box.bottom, 2 * at96[i].box.bottom);
        EXPECT_EQ(at192[i].pen, 2 * at96[i].pen);
        if (at96[i].kind == Kind::text) {
            EXPECT_EQ(at192[i].font.height, 2 * at96[i].font.height);
        }
    }
    // 150 %: a 1-pixel rule becomes 2 (1.5 rounds up), the 13 px lines 20 px.
    const std::vector<Step> at144 = PaintSteps(1050, 900, 60, 30, kTexts, 7, 144);
    EXPECT_EQ(at144[3].pen, 2);
    EXPECT_EQ(at144[8].font.height, 20);
    EXPECT_EQ(at144[1].box.right - at144[1].box.left, 96);  // the 64-pixel icon
    // A measured height below the minimum counts as the minimum, scaled too.
    EXPECT_EQ(PaintSteps(1400, 1200, 5, 5, kTexts, 7, 192)[5].box.bottom,
              PaintSteps(1400, 1200, 40, 40, kTexts, 7, 192)[5].box.bottom);
}

// The whole notice, code line included, stays on a screen too small for its DPI.
TEST(CountdownNoticeStyle, DpiShrinksOnlyWhereTheNoticeWouldNotFit) {
    EXPECT_EQ(CountdownDpi(144, true, 1920, 1040), 144);
    EXPECT_EQ(CountdownDpi(192, true, 3840, 2080), 192);
    EXPECT_EQ(CountdownDpi(192, true, 1920, 1040), 166);   // 600 x 166 / 96 = 1037
    EXPECT_EQ(CountdownDpi(192, false, 1920, 1040), 192);  // 500 x 2 fits
    EXPECT_EQ(CountdownDpi(96, true, 1024, 500), 96);      // never below 96
}

}  // namespace
}  // namespace pellaro::countdown_style
