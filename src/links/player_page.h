#pragma once
// The local page that shows content in a full-window frame under the watermark.
#include <string>

#include "links/content_type.h"

namespace pellaro {

// The complete HTML document; its title is the application's display name.
// The frame address and the watermark text are HTML-escaped.
std::wstring BuildPlayerPage(const std::wstring& contentUrl, const std::wstring& watermarkText,
                             const ContentType& contentType);

// Text for HTML content and attribute values: & < > " ' replaced.
std::wstring HtmlEscape(const std::wstring& text);
// Text for a quoted script string inside an HTML script element.
std::wstring JsEscape(const std::wstring& text);

}  // namespace pellaro
