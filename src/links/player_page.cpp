#include "links/player_page.h"

#include "core/app_record.h"

namespace pellaro {

std::wstring BuildPlayerPage(const std::wstring& contentUrl, const std::wstring& watermarkText,
                             const ContentType& /*contentType*/) {
    std::wstring page;
    page += L"<!DOCTYPE html><html><head>";
    page += L"<meta charset='utf-8'>";
    page += L"<title>" + App().displayName + L"</title>";
    page += L"<style>";
    page += L"*{margin:0;padding:0;}";
    page += L"html,body{width:100%;height:100%;overflow:hidden;}";
    page += L"iframe{width:100%;height:100%;border:none;}";
    page += L"</style></head><body>";
    // The address is escaped: a quote in it must not end the attribute.
    page += L"<iframe src='" + HtmlEscape(contentUrl) + L"' allowfullscreen ";
    page += L"allow='accelerometer;autoplay;clipboard-write;encrypted-media;gyroscope;picture-in-picture'>";
    page += L"</iframe>";
    page += L"<div style='";
    page +=
        L"position:fixed;top:0;left:0;width:100%;height:100%;pointer-events:none;z-index:9999;opacity:0.15;"
        L"display:flex;align-items:center;justify-content:center;font-size:3vw;color:red;"
        L"transform:rotate(-30deg);font-family:Arial,sans-serif;font-weight:bold;";
    page += L"'>" + HtmlEscape(watermarkText) + L"</div>";
    page += L"<script>";
    page += L"window.chrome.webview.postMessage('pageLoaded');";
    page += L"</script></body></html>";
    return page;
}

std::wstring HtmlEscape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            case L'\'': out += L"&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::wstring JsEscape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'"': out += L"\\\""; break;
            case L'\'': out += L"\\'"; break;
            case L'<': out += L"\\x3C"; break;
            case L'>': out += L"\\x3E"; break;
            case L'\\': out += L"\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace pellaro
