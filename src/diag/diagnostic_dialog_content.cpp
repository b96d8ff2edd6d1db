#include "diag/diagnostic_dialog_content.h"

#include <algorithm>

#include "core/dpi_scale.h"

namespace pellaro {
namespace {

std::wstring WithSeconds(const wchar_t* before, int seconds, const wchar_t* after) {
    return before + std::to_wstring(seconds) + after;
}

}  // namespace

std::wstring BuildDiagnosticDialogDocument(const std::wstring& title, const std::wstring& message,
                                           const std::wstring& arabicMessage, const std::wstring& code) {
    std::wstring doc;
    doc.reserve(4096 + title.size() * 2 + message.size() + arabicMessage.size() + code.size());
    // 1
    doc += L"<html><head><title>";
    doc += title;
    doc += L"</title>";
    // 2
    doc += L"<hta:application id='diag' border='dialog' innerborder='no' scroll='no' ";
    doc += L"maximizebutton='no' minimizebutton='no' sysmenu='yes' ";
    doc += L"windowstate='normal' />";
    // 3
    doc += L"<style>";
    doc += L"body{font-family:Segoe UI,Tahoma,sans-serif;background:#1a1a2e;color:#eee;";
    doc += L"margin:0;padding:20px;display:flex;flex-direction:column;align-items:center;}";
    doc += L".icon{font-size:48px;margin-bottom:10px;}";
    doc += L"h2{color:#e94560;margin:5px 0 10px;font-size:18px;}";
    doc += L"p{text-align:center;font-size:13px;line-height:1.5;margin:5px 0;color:#ccc;}";
    doc += L".ar{direction:rtl;font-family:Segoe UI,Tahoma,sans-serif;}";
    doc += L"textarea{width:90%;height:60px;margin:10px 0;padding:8px;font-family:Consolas,monospace;";
    doc += L"font-size:11px;background:#0f3460;color:#e94560;border:1px solid #e94560;";
    doc += L"border-radius:4px;resize:none;text-align:center;}";
    doc += L".btn{padding:8px 24px;background:#e94560;color:#fff;border:none;border-radius:4px;";
    doc += L"font-size:13px;cursor:pointer;margin:5px;}";
    doc += L".btn:hover{background:#c73e54;}";
    doc += L".info{font-size:11px;color:#888;margin-top:8px;}";
    doc += L"</style></head><body>";
    // 4
    doc += L"<div class='icon'>&#9888;</div>";
    doc += L"<h2>";
    doc += title;
    doc += L"</h2>";
    doc += L"<p>";
    doc += message;
    doc += L"</p>";
    doc += L"<p class='ar'>";
    doc += arabicMessage;
    doc += L"</p>";
    // 5
    doc += L"<p style='margin-top:15px;color:#e94560;font-size:12px;'>";
    doc += L"&#128274; Diagnostic Code / ";
    doc += L"كود التشخيص";
    doc += L"</p>";
    // 6
    doc += L"<textarea id='dc' readonly onclick='this.select()'>";
    doc += code;
    doc += L"</textarea>";
    // 7
    doc += L"<div>";
    doc += L"<button class='btn' onclick='copyCode()'>&#128203; Copy Code</button>";
    doc += L"<button class='btn' style='background:#555;' onclick='window.close()'>Close</button>";
    doc += L"</div>";
    // 8
    doc += L"<p class='info'>The code has been copied to your clipboard automatically.</p>";
    doc += L"<p class='info'>Please send this code to support for assistance.</p>";
    // 9
    doc += L"<p class='info ar'>";
    doc += L"تم نسخ الكود ";
    doc += L"تلقائياً. ";
    doc += L"يرجى إرساله ";
    doc += L"للدعم الفني.";
    doc += L"</p>";
    // 10
    doc += L"<script>";
    doc += L"function copyCode(){var t=document.getElementById('dc');";
    doc += L"t.select();document.execCommand('copy');}";
    doc += L"window.resizeTo(700,580);window.moveTo(";
    doc += L"(screen.width-700)/2,(screen.height-580)/2);";
    doc += L"</script></body></html>";
    return doc;
}

std::wstring BuildDiagnosticDialogCommandLine(const std::wstring& title, const std::wstring& message,
                                              const std::wstring& arabicMessage, const std::wstring& code) {
    return L"mshta \"about:" + BuildDiagnosticDialogDocument(title, message, arabicMessage, code) + L"\"";
}

std::wstring CountdownFallbackText(const std::wstring& message, const std::wstring& arabicMessage, int seconds) {
    return message + L"\n\n" + arabicMessage +
           WithSeconds(L"\n\nThe application will close in ", seconds, L" seconds.");
}

std::wstring DialogFallbackText(const std::wstring& message, const std::wstring& arabicMessage,
                                const std::wstring& code) {
    return message + L"\n\n" + arabicMessage + L"\n\nDiagnostic Code:\n" + code;
}

std::wstring CountdownEnglishLine(int seconds) {
    return WithSeconds(L"Application will close in ", seconds, L" seconds...");
}

std::wstring CountdownArabicLine(int seconds) { return WithSeconds(L"سيتم إغلاق التطبيق خلال ", seconds, L" ثوانٍ..."); }

const std::wstring& CountdownCodeHeader() {
    static const std::wstring text = L"🔒 Diagnostic Code / كود التشخيص";
    return text;
}

const std::wstring& DiagnosticCodeFieldName() {
    static const std::wstring text = L"Diagnostic Code / كود التشخيص";
    return text;
}

const std::wstring& CountdownCodeNote() {
    static const std::wstring text = L"Code copied to clipboard automatically";
    return text;
}

int CountdownDpi(int dpi, bool hasCode, int areaWidth, int areaHeight) {
    return DpiThatFits(dpi, kCountdownWidth, CountdownHeight(hasCode), areaWidth, areaHeight);
}

CountdownLayout LayoutCountdown(int w, int messageHeight, int arabicHeight, int dpi) {
    const auto px = [dpi](int value) { return ScaleToDpi(value, dpi); };
    const int h1 = std::max(messageHeight, px(kMinMessageHeight));
    const int h2 = std::max(arabicHeight, px(kMinMessageHeight));
    const int f = h1 + h2;
    const int cx = w / 2;
    const int icon = px(64);
    CountdownLayout l;
    l.icon = {(w - icon) / 2, px(20), (w - icon) / 2 + icon, px(20) + icon};
    l.title = {px(20), px(92), w - px(20), px(127)};
    l.ruleY = px(137);
    l.ruleLeft = px(40);
    l.ruleRight = w - px(40);
    l.message = {px(kMessageSide), px(kMessageTop), w - px(kMessageSide), px(kMessageTop) + h1};
    l.arabicMessage = {px(kMessageSide), px(162) + h1, w - px(kMessageSide), px(162) + h1 + h2};
    l.disc = {cx - px(45), f + px(182), cx + px(45), f + px(272)};
    l.seconds = {cx - px(45), f + px(192), cx + px(45), f + px(262)};
    l.englishLine = {px(20), f + px(282), w - px(20), f + px(302)};
    l.arabicLine = {px(20), f + px(304), w - px(20), f + px(324)};
    l.codeHeader = {px(20), f + px(334), w - px(20), f + px(352)};
    l.codeBox = {px(30), f + px(356), w - px(30), f + px(386)};
    l.code = {px(35), f + px(358), w - px(35), f + px(384)};
    l.codeNote = {px(20), f + px(391), w - px(20), f + px(407)};
    return l;
}

}  // namespace pellaro
