#include "browser/download_rule.h"

#include "core/backend_host.h"
#include "core/url_host.h"

namespace pellaro {
namespace {

bool UnsafeInName(wchar_t c) {
    return c < 0x20 || c == 0x7F || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

}  // namespace

DownloadDecision DecideDownload(std::wstring_view url) {
    if (UrlScheme(url) != L"https") return DownloadDecision::Refuse;
    const std::wstring host = UrlHost(url);
    return !host.empty() && IsBackendHost(host) ? DownloadDecision::Save : DownloadDecision::Refuse;
}

std::wstring SafeDownloadName(std::wstring_view suggested) {
    const std::size_t slash = suggested.find_last_of(L"/\\");
    if (slash != std::wstring_view::npos) suggested.remove_prefix(slash + 1);
    std::wstring name;
    for (wchar_t c : suggested) name.push_back(UnsafeInName(c) ? L'_' : c);
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    while (!name.empty() && name.front() == L' ') name.erase(0, 1);
    if (name.empty() || name.find_first_not_of(L'.') == std::wstring::npos) return L"download";
    return name;
}

std::wstring NonOverwritingName(std::wstring_view name, const std::function<bool(const std::wstring&)>& taken) {
    std::wstring candidate(name);
    if (!taken(candidate)) return candidate;
    // "archive.tar.gz" keeps ".gz" as its extension; a leading dot is part of the stem.
    const std::size_t dot = name.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring_view::npos && dot > 0;
    const std::wstring_view stem = hasExtension ? name.substr(0, dot) : name;
    const std::wstring_view extension = hasExtension ? name.substr(dot) : std::wstring_view{};
    for (unsigned n = 1; n <= kMaxNumberedNames; ++n) {
        candidate = std::wstring(stem) + L" (" + std::to_wstring(n) + L")" + std::wstring(extension);
        if (!taken(candidate)) return candidate;
    }
    return {};
}

std::wstring DownloadSavedNotice(std::wstring_view savedPath) {
    const std::wstring path(savedPath);
    return L"The file was saved to your Downloads folder: " + path + L"\n" + L"تم حفظ الملف في مجلد التنزيلات: " + path;
}

std::wstring DownloadRefusedNotice(std::wstring_view url) {
    std::wstring host = UrlHost(url);
    if (host.empty()) host = UrlScheme(url) + L":";
    return L"A download from " + host + L" was refused: only the academy's own files are saved.\n" +
           L"تم رفض تنزيل من " + host + L": تُحفظ ملفات الأكاديمية فقط.";
}

std::wstring DownloadFailedNotice(std::wstring_view fileName) {
    const std::wstring name(fileName);
    return L"The file " + name + L" could not be saved to your Downloads folder.\n" + L"تعذر حفظ الملف " + name +
           L" في مجلد التنزيلات.";
}

}  // namespace pellaro
