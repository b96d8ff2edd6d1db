#include "links/player_page.h"

#include <gtest/gtest.h>

#include "core/app_record.h"
#include "core/text.h"

namespace pellaro {
namespace {

TEST(PlayerPage, IsTheExactDocument) {
    const std::wstring page = BuildPlayerPage(L"https://cdn.x/a?b=1&c='2'", L"A & B <x>", L"html");
    const std::wstring expected =
        L"<!DOCTYPE html><html><head><meta charset='utf-8'><title>" + App().displayName +
        L"</title><style>*{margin:0;padding:0;}html,body{width:100%;height:100%;overflow:hidden;}"
        L"iframe{width:100%;height:100%;border:none;}</style></head><body>"
        L"<iframe src='https://cdn.x/a?b=1&amp;c=&#39;2&#39;' allowfullscreen "
        L"allow='accelerometer;autoplay;clipboard-write;encrypted-media;gyroscope;picture-in-picture'></iframe>"
        L"<div style='position:fixed;top:0;left:0;width:100%;height:100%;pointer-events:none;z-index:9999;"
        L"opacity:0.15;display:flex;align-items:center;justify-content:center;font-size:3vw;color:red;"
        L"transform:rotate(-30deg);font-family:Arial,sans-serif;font-weight:bold;'>A &amp; B &lt;x&gt;</div>"
        L"<script>window.chrome.webview.postMessage('pageLoaded');</script></body></html>";
    EXPECT_EQ(ToUtf8(page), ToUtf8(expected));
}

TEST(PlayerPage, WatermarkStyleIsOneTextOf247Characters) {
    const std::wstring page = BuildPlayerPage(L"u", L"", L"");
    const std::wstring open = L"<div style='";
    const std::size_t from = page.find(open) + open.size();
    EXPECT_EQ(page.find(L"'>", from) - from, 247u);
    EXPECT_NE(page.find(L"font-weight:bold;'></div>"), std::wstring::npos) << "an empty watermark keeps its layer";
}

TEST(PlayerPage, PostsPageLoadedExactlyOnce) {
    const std::wstring page = BuildPlayerPage(L"u", L"postMessage('pageLoaded')", L"");
    std::size_t count = 0;
    for (std::size_t at = 0; (at = page.find(L"postMessage(", at)) != std::wstring::npos; ++at) ++count;
    EXPECT_EQ(count, 2u);  // the script's, and the escaped watermark text's
    EXPECT_NE(page.find(L"postMessage(&#39;pageLoaded&#39;)"), std::wstring::npos);
}

TEST(Escaping, HtmlEscapeTable) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"A & B <x>", L"A &amp; B &lt;x&gt;"},
        {L"say \"hi\" it's", L"say &quot;hi&quot; it&#39;s"},
        {L"&amp;", L"&amp;amp;"},
        {L"\u0639\u0631\u0628\u064a", L"\u0639\u0631\u0628\u064a"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlEscape(c.in), c.out) << ToUtf8(c.in);
}

TEST(Escaping, JsEscapeTable) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"a'b\"c", L"a\\'b\\\"c"},
        {L"</script>", L"\\x3C/script\\x3E"},
        {L"line1\nline2\r", L"line1\\nline2\\r"},
        {L"back\\slash", L"back\\\\slash"},
        {L"\u0645\u0631\u062d\u0628\u0627 & ok", L"\u0645\u0631\u062d\u0628\u0627 & ok"},
    };
    for (const auto& c : cases) EXPECT_EQ(JsEscape(c.in), c.out) << ToUtf8(c.in);
}

}  // namespace
}  // namespace pellaro
