#include "browser/page_scripts.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST(PageScripts, EachScriptIsGuardedByItsOwnFlagAndUsesItsIds) {
    const struct {
        std::wstring script;
        const wchar_t* flag;
        const wchar_t* id;
    } cases[] = {
        {LoaderScript(), L"_pellaroLoaderAdded", L"pellaro-full-loader"},
        {PrintBlockScript(), L"_pellaroPrintBlockAdded", L"requestPrint"},
        {WatermarkScript(L"x"), L"_pellaroWatermarkAdded", L"pellaro-watermark"},
        {PrintButtonScript(), L"_pellaroPrintBtnAdded", L"pellaro-print-btn"},
        {NavigationBarScript(), L"_pellaroNavAdded", L"pellaro-nav-container"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.script.rfind(L"(function(){\nif(window." + std::wstring(c.flag) + L")return;", 0), 0u) << c.flag;
        EXPECT_TRUE(Contains(c.script, c.id)) << c.flag;
        EXPECT_EQ(c.script.substr(c.script.size() - 5), L"})();") << c.flag;
    }
    EXPECT_TRUE(Contains(NavigationBarScript(), L"'pl_nx'"));
    EXPECT_TRUE(Contains(NavigationBarScript(), L"'pl_ny'"));
    EXPECT_TRUE(Contains(NavigationBarScript(), L"_pellaroLoaderTimeout"));
}

TEST(PageScripts, WatermarkTextSitsInsideOneQuotedString) {
    const std::wstring script = WatermarkScript(L"A\\'B");
    EXPECT_TRUE(Contains(script, L"var text='A\\'B';\n"));
}

TEST(PageScripts, PageScriptWrapperRunsOnceTheDomIsReady) {
    EXPECT_EQ(PageScriptWrapper(L"go();"),
              L"(function(){function run(){go();}if(document.readyState==='loading'){document.addEventListener("
              L"'DOMContentLoaded',run);}else{run();}})();");
}

TEST(PlayerContent, ChoosesScriptsAndNavigationByContentType) {
    ContentDescriptor content;
    content.contentUrl = L"https://cdn.example.com/item";
    content.watermarkText = L"student";

    content.contentType = L"url_direct";
    PlayerContentPlan plan = PlanPlayerContent(content, L"student");
    EXPECT_FALSE(plan.localPage);
    EXPECT_EQ(plan.address, content.contentUrl);
    EXPECT_EQ(plan.scripts,
              (std::vector<std::wstring>{LoaderScript(), PrintBlockScript()}));  // empty pageScript adds nothing

    content.pageScript = L"hideAds();";
    plan = PlanPlayerContent(content, L"student");
    ASSERT_EQ(plan.scripts.size(), 3u);
    EXPECT_EQ(plan.scripts[2], PageScriptWrapper(L"hideAds();"));

    for (const auto* type : {L"pdf", L"pdf_url"}) {
        content.contentType = type;
        plan = PlanPlayerContent(content, L"student");
        EXPECT_FALSE(plan.localPage) << type;
        EXPECT_EQ(plan.scripts, (std::vector<std::wstring>{LoaderScript(), PrintBlockScript(),
                                                           WatermarkScript(L"student"), PrintButtonScript()}))
            << type;
    }

    for (const auto* type : {L"video", L"PDF", L"", L"url_direct "}) {
        content.contentType = type;
        plan = PlanPlayerContent(content, L"student");
        EXPECT_TRUE(plan.localPage) << type;
        EXPECT_EQ(plan.scripts.size(), 2u) << type;
    }
}

TEST(HomeScripts, PrintBlockThenNavigationBar) {
    EXPECT_EQ(HomeScripts(), (std::vector<std::wstring>{PrintBlockScript(), NavigationBarScript()}));
}

}  // namespace
}  // namespace pellaro
