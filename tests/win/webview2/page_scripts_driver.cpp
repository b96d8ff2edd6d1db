// Writes what the program's own builders make for one content item, so the
// end-to-end test can compare the scripts and page the runtime received with
// them: page_scripts_driver CONTENT_JSON OUT_JSON (both UTF-8 files; the
// content holds contentType, contentUrl, watermarkText and pageScript).
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "browser/page_scripts.h"
#include "core/text.h"
#include "links/player_page.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const nlohmann::json content = nlohmann::json::parse(text.str(), nullptr, false);
    if (!content.is_object()) return 2;
    const auto field = [&content](const char* name) { return pellaro::FromUtf8(content.value(name, "")); };
    const std::wstring url = field("contentUrl"), watermark = field("watermarkText"), type = field("contentType");
    const auto utf8 = [](const std::wstring& wide) { return pellaro::ToUtf8(wide); };
    const nlohmann::json out{{"loader", utf8(pellaro::LoaderScript())},
                             {"printBlock", utf8(pellaro::PrintBlockScript())},
                             {"navigationBar", utf8(pellaro::NavigationBarScript())},
                             {"printButton", utf8(pellaro::PrintButtonScript())},
                             {"watermark", utf8(pellaro::WatermarkScript(pellaro::JsEscape(watermark)))},
                             {"pageScript", utf8(pellaro::PageScriptWrapper(field("pageScript")))},
                             {"playerPage", utf8(pellaro::BuildPlayerPage(url, watermark, type))}};
    std::ofstream(argv[2], std::ios::binary) << out.dump();
    return 0;
}
