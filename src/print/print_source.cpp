#include "print/print_source.h"

#include "core/text.h"

namespace pellaro::print {

bool ShowsPdfDocument(const std::wstring& pageUrl, const ContentDescriptor& content) {
    const std::wstring path = LowerUnits(pageUrl.substr(0, pageUrl.find_first_of(L"?#")));
    constexpr std::wstring_view kSuffix = L".pdf";
    if (path.size() >= kSuffix.size() && path.compare(path.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0)
        return true;
    const bool pdfItem = content.contentType.Kind() == ContentKind::Pdf;
    return pdfItem && !pageUrl.empty() && pageUrl == content.contentUrl;
}

bool IsPdfDocument(std::string_view bytes) { return bytes.substr(0, 5) == "%PDF-"; }

}  // namespace pellaro::print
