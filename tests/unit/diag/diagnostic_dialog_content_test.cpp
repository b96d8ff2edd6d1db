#include "diag/diagnostic_dialog_content.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "core/text.h"

namespace pellaro {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Fields with markup, line breaks, Arabic and Base64 padding: all inserted as they are.
const std::wstring kTitle = L"T<i>tle - \u0639\u0646\u0648\u0627\u0646";
const std::wstring kMessage = L"Line one\nline & two";
const std::wstring kArabic = L"\u0631\u0633\u0627\u0644\u0629 \u0639\u0631\u0628\u064a\u0629";
const std::wstring kCode = L"QUJD+/==";

TEST(DiagnosticDialogDocument, IsTheExactCommandLine) {
    const std::string golden = ReadFile(PELLARO_SOURCE_DIR "/tests/unit/diag/dialog_command_line.golden.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ToUtf8(BuildDiagnosticDialogCommandLine(kTitle, kMessage, kArabic, kCode)), golden);
}

TEST(DiagnosticDialogDocument, IsTheCommandLineWithoutTheHost) {
    const std::wstring doc = BuildDiagnosticDialogDocument(kTitle, kMessage, kArabic, kCode);
    EXPECT_EQ(BuildDiagnosticDialogCommandLine(kTitle, kMessage, kArabic, kCode), L"mshta \"about:" + doc + L"\"");
    EXPECT_TRUE(doc.starts_with(L"<html><head><title>" + kTitle + L"</title>"));
    EXPECT_TRUE(doc.ends_with(L"</script></body></html>"));
    EXPECT_NE(doc.find(L"<textarea id='dc' readonly onclick='this.select()'>" + kCode + L"</textarea>"),
              std::wstring::npos);
}

TEST(DiagnosticDialogFallbacks, CarryTheMessagesAndTheCode) {
    EXPECT_EQ(DialogFallbackText(L"E", L"A", L"CODE"), L"E\n\nA\n\nDiagnostic Code:\nCODE");
    EXPECT_EQ(CountdownFallbackText(L"E", L"A", 10), L"E\n\nA\n\nThe application will close in 10 seconds.");
}

TEST(CountdownNotice, LinesCountDown) {
    EXPECT_EQ(CountdownEnglishLine(10), L"Application will close in 10 seconds...");
    EXPECT_EQ(ToUtf8(CountdownArabicLine(3)),
              "\xd8\xb3\xd9\x8a\xd8\xaa\xd9\x85 \xd8\xa5\xd8\xba\xd9\x84\xd8\xa7\xd9\x82 "
              "\xd8\xa7\xd9\x84\xd8\xaa\xd8\xb7\xd8\xa8\xd9\x8a\xd9\x82 \xd8\xae\xd9\x84\xd8\xa7\xd9\x84 3 "
              "\xd8\xab\xd9\x88\xd8\xa7\xd9\x86\xd9\x8d...");
    EXPECT_EQ(
        ToUtf8(CountdownCodeHeader()),
        "\xf0\x9f\x94\x92 Diagnostic Code / \xd9\x83\xd9\x88\xd8\xaf \xd8\xa7\xd9\x84\xd8\xaa\xd8\xb4\xd8\xae\xd9\x8a\xd8\xb5");
}

TEST(CountdownNotice, SizeAndPlacement) {
    EXPECT_EQ(CountdownHeight(true), 600);
    EXPECT_EQ(CountdownHeight(false), 500);
    const WindowOrigin at = CentredOrigin(1025, 768, 700, 600);
    EXPECT_EQ(at.x, 162);
    EXPECT_EQ(at.y, 84);
}

TEST(CountdownNotice, LayoutFollowsTheMeasuredMessages) {
    // The Arabic message measures 10 but takes at least 20: f = 40 + 20.
    const CountdownLayout l = LayoutCountdown(700, 40, 10);
    EXPECT_EQ(l.icon.left, 318);
    EXPECT_EQ(l.icon.top, 20);
    EXPECT_EQ(l.title.top, 92);
    EXPECT_EQ(l.title.right, 680);
    EXPECT_EQ(l.arabicMessage.top, 202);
    EXPECT_EQ(l.disc.left, 305);
    EXPECT_EQ(l.disc.top, 242);
    EXPECT_EQ(l.disc.bottom, 332);
    EXPECT_EQ(l.seconds.top, 252);
    EXPECT_EQ(l.englishLine.top, 342);
    EXPECT_EQ(l.arabicLine.bottom, 384);
    EXPECT_EQ(l.codeBox.top, 416);
    EXPECT_EQ(l.codeBox.right, 670);
    EXPECT_EQ(l.code.left, 35);
    EXPECT_EQ(l.codeNote.bottom, 467);
}

}  // namespace
}  // namespace pellaro
